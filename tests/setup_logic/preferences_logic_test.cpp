// Preferences, quick setup and the header sample as their dialogs use them: every control
// through QX.INI and back, the rate coding, the printer and telephony rules, PortUnconfigured.

#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "core/settings.h"
#include "fixtures/preferences_values.h"
#include "fixtures/temp_home.h"
#include "setup/logic/header_sample.h"
#include "setup/logic/preferences_logic.h"
#include "setup/logic/quick_setup_logic.h"
#include "setup/logic/suggest_config.h"
#include "transport/ticks.h"

namespace corvane {
namespace {

using testing::TempHome;

using testing::ChangedPreferences;
using testing::kModems;
using testing::kPrinters;

TEST(PreferencesLogicTest, EveryControlRoundTripsThroughQxIni) {
    TempHome home;
    LoadSettings();
    const PreferencesValues changed = ChangedPreferences();
    {
        PreferencesLogic prefs(GlobalSettings(), kModems, kPrinters);
        EXPECT_NE(prefs.values, changed);
        prefs.values = changed;
        ASSERT_TRUE(prefs.store().ok());
        ASSERT_TRUE(SaveSettings().ok());
    }
    const IniFile ini(home.file("QX.INI"));
    EXPECT_EQ(ini.readString("Modem", "MaximumBPS"), "12000");
    EXPECT_EQ(ini.readString("Modem", "MaximumBPSReceive"), "14400");
    EXPECT_EQ(ini.readString("Modem", "TAPIDevice"), "usb-Zoom_V92-if00");
    EXPECT_EQ(ini.readString("Receive", "AnswerOnRing"), "4");
    EXPECT_EQ(ini.readString("Receive", "PrintOnReceiptPrinter"), "Inkjet");
    EXPECT_EQ(ini.readString("Modem", "ComPort"), "5");

    GlobalSettings() = Settings();
    LoadSettings();
    PreferencesLogic reread(GlobalSettings(), kModems, kPrinters);
    EXPECT_EQ(reread.values, changed);
    SetUseLegacyTimer(false);
}

TEST(PreferencesLogicTest, RateCodingTable) {
    struct Case {
        int stored;
        int index;
        const char* shown;
    } cases[] = {{2400, 0, "2400"},   {9600, 3, "9600"},  {12000, 4, "12000"},
                 {14400, 5, "14400"}, {28800, 3, "9600"}, {0, 3, "9600"}};
    for (const Case& c : cases) {
        Settings s;
        s.MaximumBPS = s.MaximumBPSReceive = c.stored;
        PreferencesLogic prefs(s, {}, {});
        EXPECT_EQ(prefs.values.sendRateIndex, c.index) << c.stored;
        EXPECT_EQ(kTransferRateItems[prefs.values.receiveRateIndex], c.shown);
        EXPECT_EQ(prefs.receiveRateNoteShown(), c.index > 3) << c.stored;
        ASSERT_TRUE(prefs.store().ok());
        EXPECT_EQ(s.MaximumBPS, QString(c.shown).toInt());
    }
}

TEST(PreferencesLogicTest, PrinterAndTelephonyRules) {
    Settings s;
    s.PrintOnReceiptPrinter = "Gone Printer";
    s.UseTAPI = true;
    s.TAPIDevice = "USB-ZOOM_V92-IF00";
    {
        PreferencesLogic prefs(s, kModems, kPrinters);
        EXPECT_EQ(prefs.printerList().first(), "Default Windows Printer");
        EXPECT_EQ(prefs.values.printerIndex, 0);
        EXPECT_EQ(prefs.values.tapiIndex, 1);  // found ignoring case
        EXPECT_TRUE(prefs.values.useTapi);
        EXPECT_FALSE(prefs.portControlsEnabled());
        prefs.values.printerIndex = 2;  // the program's own fax printer
        ASSERT_TRUE(prefs.store().ok());
        EXPECT_EQ(s.PrintOnReceiptPrinter, "Default Windows Printer");
        EXPECT_EQ(s.TAPIDevice, "usb-Zoom_V92-if00");
    }
    {
        // With no telephony modem installed the choice is off and cannot be saved on.
        PreferencesLogic prefs(s, {}, kPrinters);
        EXPECT_FALSE(prefs.values.useTapi);
        EXPECT_EQ(prefs.values.tapiIndex, -1);
        prefs.values.useTapi = true;
        EXPECT_FALSE(prefs.telephonyControlsEnabled());
        ASSERT_TRUE(prefs.store().ok());
        EXPECT_FALSE(s.UseTAPI);
        EXPECT_EQ(s.TAPIDevice, "usb-Zoom_V92-if00");  // kept, not overwritten
    }
    {
        // The buggy-driver fix is stored only together with the alternate print method.
        PreferencesLogic prefs(s, {}, {});
        prefs.values.alternatePrintMethod = false;
        prefs.values.ddbPrintMethod = true;
        EXPECT_FALSE(prefs.ddbPrintEnabled());
        ASSERT_TRUE(prefs.store().ok());
        EXPECT_FALSE(s.UseDDBPrintMethod);
    }
}

TEST(PreferencesLogicTest, NumberFieldsMustBeWholeNumbers) {
    Settings s;
    for (const char* bad : {"", "three", "2.5", "-1"}) {
        PreferencesLogic prefs(s, {}, {});
        prefs.values.dialAttempts = bad;
        prefs.values.userName = "not stored";
        const Status st = prefs.store();
        EXPECT_FALSE(st.ok()) << bad;
        EXPECT_EQ(st.message(), "Please enter a whole number for the number of dial attempts.");
        EXPECT_EQ(s.UserName, "");
    }
    PreferencesLogic prefs(s, {}, {});
    prefs.values.retryWait = "soon";
    EXPECT_EQ(prefs.store().message(),
              "Please enter a whole number for the seconds between attempts.");
    prefs.values.retryWait = " 45 ";
    ASSERT_TRUE(prefs.store().ok());
    EXPECT_EQ(s.RetryWait, 45);
}

TEST(PreferencesLogicTest, OpeningClearsPortUnconfiguredAndCancelGivesItBack) {
    Settings s;
    s.PortUnconfigured = true;
    {
        PreferencesLogic prefs(s, {}, {});
        EXPECT_FALSE(s.PortUnconfigured);
        prefs.values.userName = "changed";
        prefs.cancel();
        EXPECT_TRUE(s.PortUnconfigured);
        EXPECT_EQ(s.UserName, "");
    }
    PreferencesLogic prefs(s, {}, {});
    ASSERT_TRUE(prefs.store().ok());
    EXPECT_FALSE(s.PortUnconfigured);
}

TEST(QuickSetupLogicTest, CancelKeepsThePortUnconfigured) {
    TempHome home;
    LoadSettings();  // a fresh folder: no port
    Settings& s = GlobalSettings();
    ASSERT_TRUE(s.PortUnconfigured);
    {
        QuickSetupLogic quick(s, kModems);
        quick.comPortIndex = 3;
        quick.useTapi = true;
        quick.cancel();
    }
    EXPECT_TRUE(s.PortUnconfigured);
    EXPECT_EQ(s.ComPort, 0);
    EXPECT_FALSE(s.UseTAPI);
    ASSERT_TRUE(SaveSettings().ok());
    LoadSettings();
    EXPECT_TRUE(GlobalSettings().PortUnconfigured) << "the next send asks again";

    QuickSetupLogic quick(GlobalSettings(), kModems);
    quick.comPortIndex = 1;
    quick.userName = QString(40, 'n');
    quick.userFax = "555 0100";
    quick.confirm();
    ASSERT_TRUE(SaveSettings().ok());
    LoadSettings();
    EXPECT_FALSE(GlobalSettings().PortUnconfigured);
    EXPECT_EQ(GlobalSettings().ComPort, 1);
    EXPECT_EQ(GlobalSettings().UserName, QString(35, 'n'));
    EXPECT_EQ(GlobalSettings().UserFax, "555 0100");
}

TEST(HeaderSampleTest, VariablesAndTestValues) {
    const QDateTime now(QDate(2026, 3, 4), QTime(13, 5));
    const QLocale c = QLocale::c();
    HeaderTestValues v;
    v.page = "2";
    v.totalPages = "7";
    struct Case {
        const char* tmpl;
        const char* sample;
    } cases[] = {
        {"Page $P of $N", "Page 2 of 7"},
        {"A $X B", "A  B"},
        {"$r to $i", "Samuel L. Peabody to (213)-555-1212"},
        {"$Fxyz!", "John Q. Public, Esq."},  // a variable runs to the next blank
        {"lone $", "lone "},
        {"$S", ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(HeaderSample(k.tmpl, v, now, c), QString::fromLatin1(k.sample)) << k.tmpl;
    EXPECT_EQ(HeaderSample("$D $T", v, now, c), c.toString(now.date(), QLocale::ShortFormat) + " " +
                                                    c.toString(now.time(), QLocale::ShortFormat));

    // Not whole numbers count as 1; a value holding "$" shows as typed and the sample ends.
    HeaderTestValues odd;
    odd.page = "two";
    odd.totalPages = "";
    odd.sender = "$F $P $$";
    EXPECT_EQ(HeaderSample("$F $P of $N", odd, now, c), "$F $P $$ 1 of 1");
    EXPECT_EQ(HeaderSample(QString(200, 'x'), v, now, c).size(), kHeaderSampleLength);
}

TEST(SuggestChainTest, SettingsCarryTheNineValues) {
    Settings s;
    ModemConfig c{"ATZ", 2, 14400, "AT1", true, 3, 12000, "AT2", true};
    ApplyModemConfig(c, s);
    EXPECT_EQ(ModemConfigFromSettings(s), c);
    EXPECT_EQ(s.ResetString, "ATZ");
    EXPECT_EQ(s.MaximumBPSReceive, 12000);
    EXPECT_EQ(s.InitStringReceive, "AT2");
}

}  // namespace
}  // namespace corvane
