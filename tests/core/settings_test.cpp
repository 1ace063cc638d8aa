#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "fixtures/temp_home.h"

using corvane::testing::TempHome;

namespace corvane {
namespace {

Settings load(const TempHome& home, const QByteArray& ini) {
    home.write("QX.INI", ini);
    Settings s;
    LoadSettings(s, IniFile(SettingsFileName()));
    return s;
}

TEST(Settings, FreshFolderGivesDefaultsAndAnUnconfiguredPortSavedAsMinusOne) {
    TempHome home;
    Settings& s = GlobalSettings();
    s = Settings();
    LoadSettings();
    EXPECT_EQ(s.ComPort, 0);
    EXPECT_TRUE(s.PortUnconfigured);
    EXPECT_EQ(s.DialAttempts, 3);
    EXPECT_EQ(s.FaxClass, 1);
    EXPECT_EQ(s.MaximumBPS, 9600);
    EXPECT_EQ(s.PrintOnReceiptPrinter, "Default Windows Printer");
    EXPECT_EQ(s.FaxHeaderTemplate, kDefaultHeaderTemplate);
    EXPECT_EQ(s.LastUsedImageFilePath, AppFolder());
    EXPECT_TRUE(s.HintsOn);
    EXPECT_TRUE(s.DisableReceivingFaxesNotification);

    ASSERT_TRUE(SaveSettings());
    const IniFile saved(SettingsFileName());
    EXPECT_EQ(saved.readInteger("Modem", "ComPort", 99), -1);
    EXPECT_EQ(s.ComPort, -1);
    EXPECT_EQ(saved.readString("Version", "Version"), "3.07");
    // Every key of the record is written.
    for (const auto& d : SettingDescriptors())
        EXPECT_TRUE(saved.hasKey(d.section, d.key)) << d.section << "/" << d.key;
}

TEST(Settings, FallBacksAndAdjustments) {
    TempHome home;
    struct Case {
        const char* ini;
        std::function<bool(const Settings&)> holds;
        const char* what;
    } cases[] = {
        {"[Modem]\nComPort=-1\nUseTAPI=1\n",
         [](auto& s) { return !s.PortUnconfigured && s.ComPort == -1; },
         "telephony device counts as configured"},
        {"[Modem]\nComPort=2\n", [](auto& s) { return !s.PortUnconfigured && s.ComPort == 2; },
         "configured port"},
        {"[Modem]\nFaxClass=2\n", [](auto& s) { return s.FaxClassReceive == 2; },
         "FaxClassReceive falls back to FaxClass"},
        {"[Modem]\nFaxClass=2\nFaxClassReceive=3\n", [](auto& s) { return s.FaxClassReceive == 3; },
         "FaxClassReceive read when present"},
        {"[Modem]\nMaximumBPS=14400\nInitString=AT&F\n",
         [](auto& s) { return s.MaximumBPSReceive == 14400 && s.InitStringReceive == "AT&F"; },
         "receive rate and init string fall back"},
        {"[Dialing]\nECM=1\n", [](auto& s) { return s.ECMReceive; },
         "ECMReceive falls back to ECM"},
        {"[Other]\nLastUsedCoversheetTemplate=   \n",
         [](auto& s) { return s.LastUsedCoversheetTemplate == "qx0001.fct"; }, "empty template"},
        {"[Other]\nLastUsedCoversheetTemplate=  mine.fct \n",
         [](auto& s) { return s.LastUsedCoversheetTemplate == "mine.fct"; }, "template trimmed"},
        {"[Other]\nLastUsedImageFilePath=/no/such/folder\n",
         [](auto& s) { return s.LastUsedImageFilePath == AppFolder(); }, "missing image folder"},
        {"[Other]\nLastUsedImageFilePath=\n",
         [](auto& s) { return s.LastUsedImageFilePath.isEmpty(); },
         "empty image folder stays empty"},
        {"[Dialing]\nDialAttempts=abc\nRetryWait=\n",
         [](auto& s) { return s.DialAttempts == 3 && s.RetryWait == 60; },
         "non-numbers read as the default"},
        {"[dialing]\ndialattempts=7\n", [](auto& s) { return s.DialAttempts == 7; },
         "names compare without case"},
        {"[Receive]\nAtStartup=5\n", [](auto& s) { return s.AtStartup; },
         "any non-zero number is true"},
        {"[Printing]\nUseDDBPrintMethod=1\n", [](auto& s) { return !s.UseDDBPrintMethod; },
         "DDB only with the alternate method"},
        {"[Report]\nReportInOut=1\nReportShadeAlt=0\nReportRange=3\nReportSort=1\n",
         [](auto& s) {
             return s.ReportInOut == 1 && !s.ReportShadeAlt && s.ReportRange == 3 &&
                    s.ReportSort == 1;
         },
         "report choices"},
    };
    for (const auto& c : cases) EXPECT_TRUE(c.holds(load(home, c.ini))) << c.what;
}

TEST(Settings, SaveKeepsForeignSectionsAndRoundTripsEveryValue) {
    TempHome home;
    home.write("QX.INI",
               "; kept comment\n[CDMRU]\nF0=a.fcs\n[TMainScreen3_Placement]\nLeft=10\n"
               "[Dialing]\nDialPrefix=9\nUnknownKey=stay\n");
    Settings& s = GlobalSettings();
    LoadSettings();
    s.UserName = "Ann Smith";
    s.ComPort = 3;
    s.PortUnconfigured = false;
    s.ReportSelectionOut = 2;
    ASSERT_TRUE(SaveSettings());

    const IniFile saved(SettingsFileName());
    EXPECT_EQ(saved.readString("CDMRU", "F0"), "a.fcs");
    EXPECT_EQ(saved.readInteger("TMainScreen3_Placement", "Left", 0), 10);
    EXPECT_EQ(saved.readString("Dialing", "UnknownKey"), "stay");
    EXPECT_TRUE(home.read("QX.INI").startsWith("; kept comment\n"));

    Settings back;
    LoadSettings(back, saved);
    for (const auto& d : SettingDescriptors())
        EXPECT_EQ(SettingValueText(back, d), SettingValueText(s, d)) << d.key;
}

TEST(Settings, AFileThatCannotBeWrittenIsReportedAndMemoryIsKept) {
    TempHome home;
    Settings& s = GlobalSettings();
    LoadSettings();
    s.UserName = "kept";
    // A folder where QX.INI should be makes the write fail for any user, root included.
    QDir().mkpath(home.file("QX.INI"));
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(s.UserName, "kept");
}

TEST(Settings, ValueCodings) {
    const std::pair<int, const char*> classes[] = {{0, "AutoDetect"}, {1, "Class 1"},
                                                   {2, "Class 2"},    {3, "Class 2.0"},
                                                   {4, "unknown"},    {-1, "unknown"}};
    for (auto [n, name] : classes) EXPECT_EQ(FaxClassName(n), name);
    const std::pair<int, int> indexToRate[] = {
        {0, 2400}, {3, 9600}, {5, 14400}, {6, 9600}, {-1, 9600}};
    for (auto [i, r] : indexToRate) EXPECT_EQ(TransferRateFromIndex(i), r) << i;
    const std::pair<int, int> rateToIndex[] = {
        {2400, 0}, {12000, 4}, {14400, 5}, {28800, 3}, {0, 3}};
    for (auto [r, i] : rateToIndex) EXPECT_EQ(TransferRateIndex(r), i) << r;
}

TEST(PrintSettings, RoundTripThroughThePrintingSection) {
    TempHome home;
    PrintSettings& p = GlobalPrintSettings();
    p = PrintSettings{true, false, true, true, true, true};
    ASSERT_TRUE(SavePrintSettings());
    p = PrintSettings();
    LoadPrintSettings();
    EXPECT_TRUE(p.MultiPage && !p.Header && p.Footer && p.Stretch && p.UseAlternatePrintMethod &&
                p.UseDDBPrintMethod);
}

TEST(IniFile, ChangedValuesAreWrittenInPlaceAndQuotesAreNotPartOfValues) {
    IniFile ini;
    TempHome home;
    home.write("x.ini", "[A]\r\nk1=1\r\nk2=\"quoted\"\r\n\r\n[B]\r\nk=2\r\n");
    IniFile f(home.file("x.ini"));
    EXPECT_EQ(f.readString("a", "K2"), "quoted");
    f.writeInteger("A", "k1", 5);
    f.writeString("A", "k3", "new");
    f.writeString("C", "k", "v");
    EXPECT_EQ(f.toBytes(), "[A]\nk1=5\nk2=\"quoted\"\nk3=new\n\n[B]\nk=2\n\n[C]\nk=v\n");
}

}  // namespace
}  // namespace corvane
