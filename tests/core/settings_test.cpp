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

    ASSERT_TRUE(SaveSettings().ok());
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
    ASSERT_TRUE(SaveSettings().ok());

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
    const Status saved = SaveSettings();
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(
        saved.message().startsWith("Cannot write settings file " + SettingsFileName() + ": "))
        << saved.message().toStdString();
    EXPECT_FALSE(SavePrintSettings().ok());
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
    ASSERT_TRUE(SavePrintSettings().ok());
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
    // Lines the program adds take the file's own line end.
    EXPECT_EQ(f.toBytes(),
              "[A]\r\nk1=5\r\nk2=\"quoted\"\r\nk3=new\r\n\r\n[B]\r\nk=2\r\n\r\n[C]\r\nk=v\r\n");
}

TEST(IniFile, AFileThatIsOnlyReadIsWrittenBackByteForByte) {
    TempHome home;
    const QByteArray files[] = {
        "[A]\nk=1",                                           // no line end after the last line
        "[A]\r\nk=1\n[B]\r\n",                                // mixed line ends
        "\xEF\xBB\xBF[User]\nName=Ren\xc3\xa9\n",             // byte-order mark, UTF-8
        "[User]\nName=Ren\xe9\n[X]\nraw=\xff\xfe\x80\x81\n",  // not UTF-8, in any section
        "  [ Spaced ]  \n  Key  =  v  \n;c=1\n\n\n",          // spacing, comments, blank lines
        "",
    };
    for (const QByteArray& bytes : files) {
        home.write("x.ini", bytes);
        IniFile f(home.file("x.ini"));
        for (const QString& section : f.sections())
            for (const QString& key : f.keys(section))
                f.writeString(section, key, f.readString(section, key));  // the same value
        EXPECT_EQ(f.toBytes(), bytes) << bytes.toStdString();
    }
    home.write("x.ini", "\xEF\xBB\xBF[User]\nName=Ren\xc3\xa9\n");
    EXPECT_EQ(IniFile(home.file("x.ini")).readString("User", "Name"), "Ren\u00e9");
}

TEST(Settings, SaveKeepsEveryLineItDoesNotChangeAndReadsOldFilesAsWindows1252) {
    TempHome home;
    // Written on the program's original platform: Windows-1252 text and CRLF line ends; plus a
    // section of another program holding bytes that are text in no encoding.
    const QByteArray lines[] = {
        "; settings\r\n",
        "[User]\r\n",
        "Name=Ren\xe9 \x8aimon\r\n",                    // é, Š
        "Company = Caf\xe9 \x80 \x84Gro\xdf\x93 \r\n",  // spaces, €, „ and “ around ß
        "[Foreign]\r\n",
        "Blob=\xff\xfe\x81 \xc3\r\n",
        "[dialing]\r\n",
        "ECM=-1\r\n",           // true, written the way another writer wrote it
        "DialAttempts=+3\r\n",  // 3, likewise
    };
    QByteArray original;
    for (const QByteArray& l : lines) original += l;
    home.write("QX.INI", original);

    Settings& s = GlobalSettings();
    s = Settings();
    LoadSettings();
    EXPECT_EQ(s.UserName, "Ren\u00e9 \u0160imon");
    EXPECT_EQ(s.UserCompany, "Caf\u00e9 \u20ac \u201eGro\u00df\u201c");
    EXPECT_TRUE(s.ECM);
    EXPECT_EQ(s.DialAttempts, 3);

    auto expectLinesKept = [&](const QByteArray& saved, const QByteArray& except) {
        qsizetype at = 0;
        for (const QByteArray& l : lines) {
            if (l == except) continue;
            const qsizetype found = saved.indexOf(l, at);
            EXPECT_GE(found, at) << "line lost or moved: " << l.toStdString();
            if (found >= 0) at = found + l.size();
        }
    };
    ASSERT_TRUE(SaveSettings().ok());
    const QByteArray saved = home.read("QX.INI");
    expectLinesKept(saved, QByteArray());
    EXPECT_EQ(IniFile(SettingsFileName()).readString("User", "Company"), s.UserCompany);
    // Saving what was just saved changes nothing.
    LoadSettings();
    ASSERT_TRUE(SaveSettings().ok());
    EXPECT_EQ(home.read("QX.INI"), saved);

    // A value the program changes is written in UTF-8, in its place; the rest stays.
    s.UserName = "Zo\u00eb";
    ASSERT_TRUE(SaveSettings().ok());
    const QByteArray changed = home.read("QX.INI");
    EXPECT_TRUE(changed.contains("[User]\r\nName=Zo\xc3\xab\r\nCompany = Caf\xe9"));
    expectLinesKept(changed, lines[2]);
    Settings back;
    LoadSettings(back, IniFile(SettingsFileName()));
    EXPECT_EQ(back.UserName, "Zo\u00eb");
    EXPECT_EQ(back.UserCompany, s.UserCompany);
}

}  // namespace
}  // namespace corvane
