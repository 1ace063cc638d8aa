// The settings-to-engine mapping of a send: dial wait, init string, files, dialled number,
// the engine's properties and the log lines that record them.

#include <gtest/gtest.h>

#include "core/settings.h"
#include "fax_engine_harness.h"
#include "sending/send_session.h"
#include "sending/send_session_engine.h"
#include "transport/send_fax.h"

namespace corvane::testing {
namespace {

TEST(SendEngine, DialWaitComesFromS7AndIsNeverBelow75Seconds) {
    const struct {
        const char* init;
        int seconds;
    } rows[] = {
        {"", 75},
        {"ATX4", 75},
        {"ATS7=120", 120},
        {"ats7=90", 90},
        {"ATS7=30", 75},
        {"ATS7=", 75},          // nothing after it
        {"ATS7=5", 75},         // "S7=5" is four characters: 5 s, raised to 75
        {"AT&FS7=200X4", 200},  // a command after the value
        {"ATS7=60S0=0", 75},    // the next register's letter is dropped
        {"ATS7=1000", 100},     // three digits at most
        {"ATS7=1X2", 75},       // not a number
        {"ATS7=255", 255},
    };
    for (const auto& r : rows) EXPECT_EQ(DialWaitFromInitString(r.init), r.seconds) << r.init;
}

// A modem that paces page data by XOFF/XON alone is told so by &K4 in the init string; the
// engine then obeys XOFF while it sends page data.
TEST(SendEngine, XonXoffFlowControlFollowsAndK4InTheInitString) {
    const struct {
        const char* init;
        bool xonXoff;
    } rows[] = {{"AT&F&C1&D2&K3S7=90", false},
                {"AT&F&C1&D2&K4S7=90", true},
                {"at&k4", true},
                {"", false},
                {"AT&K0", false}};
    for (const auto& r : rows) {
        Settings s;
        s.InitString = r.init;
        TFxSendFax fax;
        ConfigureSendFax(fax, SendEngineOptions::FromSettings(s), SendRequest{});
        EXPECT_EQ(fax.SoftwareFlow, r.xonXoff) << r.init;
    }
}

TEST(SendEngine, InitStringGetsAtInFrontUnlessItBeginsWithIt) {
    const struct {
        const char* setting;
        const char* sent;
    } rows[] = {
        {"", ""},
        {"   ", ""},
        {"S7=60", "ATS7=60"},
        {"&F", "AT&F"},
        {"ATZ", "ATZ"},
        {"at&f", "at&f"},
        {"  ATZ ", "ATZ"},
        // "AT" further on is no command start: the modem would ignore the whole line.
        {"X4 &Dat", "ATX4 &Dat"},
        {"+FLID=\"ACME DATA\"", "AT+FLID=\"ACME DATA\""},
    };
    for (const auto& r : rows) EXPECT_EQ(ModemInitFromSetting(r.setting), r.sent) << r.setting;
}

TEST(SendEngine, ClassNamesAndEngineClassesFollowTheStoredClass) {
    const struct {
        int stored;
        FaxClassKind kind;
        const char* name;
    } rows[] = {{0, FaxClassKind::Detect, "AutoDetect"},
                {1, FaxClassKind::Class1, "Class 1"},
                {2, FaxClassKind::Class2, "Class 2"},
                {3, FaxClassKind::Class20, "Class 2.0"},
                {7, FaxClassKind::Detect, "unknown"}};
    for (const auto& r : rows) {
        EXPECT_EQ(FaxClassFromSetting(r.stored), r.kind) << r.stored;
        EXPECT_EQ(FaxClassName(r.stored), r.name) << r.stored;
    }
}

TEST(SendEngine, EngineTakesEverySettingWithSuffixPrefixAndCuts) {
    Settings s;
    s.MaximumBPS = 14400;
    s.ECM = true;
    s.BlindDial = true;
    s.IgnoreBusy = true;
    s.ToneOrPulse = 1;
    s.FaxClass = 3;
    s.DialAttempts = 5;
    s.RetryWait = 30;
    s.UserFax = "+1 555 0100";
    s.InitString = "S7=90";
    s.FaxHeaderTemplate = QString(300, 'H');
    s.UserName = "Sender";
    s.UseAlternateHeaderFont = true;
    SendRequest r;
    r.number = "5550199";
    r.prefix = "9,";
    r.suffix = "#12";
    r.documentPath = "/data/SEND/FAX00001.APF";
    r.headerRecipient = "Bob";
    TFxSendFax fax;
    ConfigureSendFax(fax, SendEngineOptions::FromSettings(s), r);
    EXPECT_EQ(fax.DesiredBPS, 14400);
    EXPECT_TRUE(fax.DesiredECM);
    EXPECT_TRUE(fax.BlindDial);
    EXPECT_FALSE(fax.DetectBusy);
    EXPECT_FALSE(fax.ToneDial);
    EXPECT_EQ(fax.FaxClass, FaxClassKind::Class20);
    EXPECT_EQ(fax.DialAttempts, 5);
    EXPECT_EQ(fax.DialRetryWait, 30);
    EXPECT_EQ(fax.DialWait, 90);
    EXPECT_EQ(fax.StationID, "+1 555 0100");
    EXPECT_EQ(fax.ModemInit, "ATS7=90");
    EXPECT_EQ(fax.PhoneNumber, "5550199#12");
    EXPECT_EQ(fax.DialPrefix, "9,");
    EXPECT_EQ(fax.HeaderLine, QString(255, 'H'));
    EXPECT_EQ(fax.HeaderSender, "Sender");
    EXPECT_EQ(fax.HeaderRecipient, "Bob");
    EXPECT_FALSE(fax.EnhTextEnabled);
    EXPECT_EQ(fax.FaxFileList, QStringList{"/data/SEND/FAX00001.APF"});

    r.prefixDisabled = r.suffixDisabled = true;
    s.InitString.clear();
    ConfigureSendFax(fax, SendEngineOptions::FromSettings(s), r);
    EXPECT_EQ(fax.PhoneNumber, "5550199");
    EXPECT_EQ(fax.DialPrefix, "");
    EXPECT_EQ(fax.ModemInit, "");
    EXPECT_EQ(fax.DialWait, 75);
}

TEST(SendEngine, CoverAndDocumentGoTogetherAndKeepParametersOnlyInOneResolution) {
    ScratchFolder dir;
    WriteApf(dir / "fine.apf", {PatternPage(1, true, 40)});
    WriteApf(dir / "fine2.apf", {PatternPage(2, true, 40)});
    WriteApf(dir / "std.apf", {PatternPage(3, false, 40)});
    const QString fine = QString::fromStdString(dir / "fine.apf");
    const QString fine2 = QString::fromStdString(dir / "fine2.apf");
    const QString standard = QString::fromStdString(dir / "std.apf");
    const struct {
        QString cover, document;
        bool renegotiate;
        QStringList files;
        bool keep;
    } rows[] = {
        {fine, fine2, false, {fine, fine2}, true},
        {fine, standard, false, {fine, standard}, false},
        {fine, fine2, true, {fine, fine2}, false},
        {"  ", fine2, false, {fine2}, true},  // a blank cover is no cover
        {"", standard, true, {standard}, false},
    };
    for (const auto& r : rows) {
        SendRequest q;
        q.coverPath = r.cover;
        q.documentPath = r.document;
        EXPECT_EQ(SendFileList(q), r.files) << r.cover.toStdString();
        EXPECT_EQ(KeepParametersFor(r.cover, r.document, r.renegotiate), r.keep)
            << r.cover.toStdString() << " " << r.document.toStdString();
    }
}

TEST(SendEngine, SettingsLogLinesInTheirOrder) {
    Settings s;
    s.MaximumBPS = 9600;
    s.UserFax = "555 0100";
    s.InitString = "ATX4";
    SendRequest r;
    r.number = "5550199";
    r.prefix = "9,";
    r.suffix = "";
    r.suffixDisabled = true;
    EXPECT_EQ(SendSettingsLogLines(SendEngineOptions::FromSettings(s), r),
              QStringList({"Desired BPS: 9600", "Negotiate between pages: OFF", "Fax#: 5550199",
                           "Dial Prefix: 9,", "Fax Class: Class 1", "StationID: 555 0100",
                           "User INIT String: ATX4"}));
    s.ECM = s.BlindDial = s.IgnoreBusy = s.RenegotiateBetween = true;
    s.ToneOrPulse = 1;
    s.FaxClass = 9;
    r.prefixDisabled = true;
    r.suffixDisabled = false;
    r.suffix = "#1";
    EXPECT_EQ(SendSettingsLogLines(SendEngineOptions::FromSettings(s), r),
              QStringList({"Desired BPS: 9600", "Desired ECM: ON", "Blind Dial: ON",
                           "Ignore Busy: ON", "Negotiate between pages: ON", "Fax#: 5550199",
                           "Dial Suffix: #1", "Using Pulse Dialing ***", "Fax Class: unknown",
                           "StationID: 555 0100", "User INIT String: ATX4"}));
}

}  // namespace
}  // namespace corvane::testing

namespace corvane {
namespace {

// Which finished calls count as sent. Only a time-out is forgiven, and only when every page's
// data went out; a call the engine saw break off stays failed.
TEST(SendFinish, OnlyATimeOutAfterTheLastPagesDataCountsAsSent) {
    const struct {
        const char* what;
        int code;
        bool class2Normal;
        int acknowledged, total;
        bool awaiting;
        FinishCount expected;
    } rows[] = {
        {"success stays", 0, false, 2, 2, false, {0, 2, false}},
        {"all confirmed, time-out after", -6006, false, 2, 2, false, {0, 2, true}},
        {"last confirmation missing", -6006, false, 1, 2, true, {0, 2, true}},
        {"last page's data never went", -6006, false, 1, 2, false, {-6006, 1, true}},
        {"two pages unconfirmed", -6006, false, 0, 2, true, {-6006, 0, true}},
        {"no page count", -6006, false, 0, 0, true, {-6006, 0, false}},
        {"Class 2 normal hang-up", -6006, true, 0, 3, false, {0, 0, true}},
        {"dropped line is not forgiven", -8069, false, 1, 2, true, {-8069, 1, false}},
        {"remote DCN is not forgiven", -8069, true, 2, 2, true, {-8069, 2, false}},
        {"busy", -8064, false, 0, 2, false, {-8064, 0, false}},
    };
    for (const auto& r : rows) {
        const FinishCount got =
            ForgiveTimeOut(r.code, r.class2Normal, r.acknowledged, r.total, r.awaiting);
        EXPECT_EQ(got.code, r.expected.code) << r.what;
        EXPECT_EQ(got.acknowledged, r.expected.acknowledged) << r.what;
        EXPECT_EQ(got.note, r.expected.note) << r.what;
    }
}

}  // namespace
}  // namespace corvane
