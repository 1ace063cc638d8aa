// The init-string assistant, the modem selection and the configuration suggestions, driven as
// their dialogs drive them: preparation, the user's choice, the outcome.

#include <gtest/gtest.h>

#include "setup/logic/config_suggestions.h"
#include "setup/logic/init_string_assistant.h"
#include "setup/logic/init_string_rules.h"
#include "setup/logic/select_modem.h"

namespace corvane {
namespace {

TEST(CarrierWaitTest, ReadsTheFirstS7) {
    struct Case {
        const char* init;
        bool above;
    } cases[] = {
        {"AT&F&C1&D2&K3S7=90", false},
        {"ATS7=120", true},
        {"ats7=91x", true},
        {"ATS7=12X", false},
        {"ATS7=", false},
        {"ATS7=X", false},
        {"AT", false},
        {"", false},
        {"ATS7=1A0", false},
        {"ATS7=60S7=120", false},
        {"ATS7=2000", true},  // three digits read: 200
    };
    for (const Case& c : cases)
        EXPECT_EQ(CarrierWaitAboveDefault(QString::fromLatin1(c.init)), c.above) << c.init;
}

TEST(CarrierWaitTest, RewritesTheFirstExactS7) {
    struct Case {
        const char* init;
        bool longWait;
        const char* result;
    } cases[] = {
        {"AT&F&C1&D2&K3S7=90", true, "AT&F&C1&D2&K3S7=120"},
        {"AT&F&C1&D2&K3S7=120", false, "AT&F&C1&D2&K3S7=90"},
        {"ATS7=90S7=90", true, "ATS7=120S7=90"},
        {"ATS7=60", true, "ATS7=60"},
        {"ats7=90", true, "ats7=90"},  // exact case only
        {"AT&F&C1&D2&K3S7=90", false, "AT&F&C1&D2&K3S7=90"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RewriteCarrierWait(QString::fromLatin1(c.init), c.longWait),
                  QString::fromLatin1(c.result))
            << c.init;
}

TEST(InitStringAssistantTest, PreparationFollowsTheCurrentString) {
    InitStringAssistantLogic sending("ATS7=120", true, {}, -1);
    EXPECT_TRUE(sending.hangUpBoxVisible());
    EXPECT_TRUE(sending.hangUpBoxTicked);
    EXPECT_EQ(sending.option, InitStringOption::KeepCurrent);
    EXPECT_EQ(sending.installedList(), QStringList{"Standard Modem"});
    EXPECT_EQ(sending.genericTexts().size(), 13);

    InitStringAssistantLogic receiving("ATS7=120", false, {"A", "B", "C"}, 2);
    EXPECT_FALSE(receiving.hangUpBoxVisible());
    EXPECT_FALSE(receiving.hangUpBoxTicked);
    EXPECT_EQ(receiving.installedIndex, 2);

    InitStringAssistantLogic blank("  ", true, {"A"}, 5);
    EXPECT_FALSE(blank.keepOptionVisible());
    EXPECT_EQ(blank.option, InitStringOption::Blank);
    EXPECT_EQ(blank.installedIndex, 0);

    InitStringAssistantLogic ticked12("ATS7=12X", true, {}, -1);
    EXPECT_FALSE(ticked12.hangUpBoxTicked);
}

TEST(InitStringAssistantTest, OutcomeOfEachOption) {
    const QStringList installed{"usb-Acme-if00", "U.S. Robotics 56K FAX EXT", "BCM V.90 56K Modem"};
    struct Case {
        const char* what;
        bool sending;
        InitStringOption option;
        int index;  // installed or generic
        bool ticked;
        const char* result;
    } cases[] = {
        {"installed USR, sending", true, InitStringOption::FromInstalledModem, 1, false,
         "AT&H3&I2&R2S7=90S36=8S33=34"},
        {"installed USR, hangs up", true, InitStringOption::FromInstalledModem, 1, true,
         "AT&H3&I2&R2S7=120S36=8S33=34"},
        {"installed USR, receiving ignores the box", false, InitStringOption::FromInstalledModem, 1,
         true, "AT&H3&I2&R2S7=90S36=8S33=34"},
        {"unknown installed modem", true, InitStringOption::FromInstalledModem, 0, false,
         "AT&F&C1&D2&K3S7=90"},
        {"BLANK family gives empty", true, InitStringOption::FromInstalledModem, 2, false, ""},
        {"generic Motorola", true, InitStringOption::GenericType, 11, true, "AT&F&C1&D2\\Q3S7=120"},
        {"generic Winmodem receiving", false, InitStringOption::GenericType, 1, false,
         "AT&F&C1&D2&K3S7=90S10=100S25=100"},
        {"blank", true, InitStringOption::Blank, 0, true, ""},
        {"keep, box as prepared", true, InitStringOption::KeepCurrent, 0, false,
         "AT&F&C1&D2&K3S7=90"},
        {"keep, box ticked", true, InitStringOption::KeepCurrent, 0, true, "AT&F&C1&D2&K3S7=120"},
    };
    for (const Case& c : cases) {
        InitStringAssistantLogic a("AT&F&C1&D2&K3S7=90", c.sending, installed, -1);
        a.option = c.option;
        a.installedIndex = a.genericIndex = c.index;
        a.hangUpBoxTicked = c.ticked;
        EXPECT_EQ(a.result(), QString::fromLatin1(c.result)) << c.what;
    }
    // Unticking the box of a long wait gives the short one back.
    InitStringAssistantLogic longWait("ATS7=120", true, {}, -1);
    longWait.hangUpBoxTicked = false;
    EXPECT_EQ(longWait.result(), "ATS7=90");
}

TEST(InitStringAssistantTest, KeepOptionShowsAmpersandsAsTyped) {
    InitStringAssistantLogic a("AT&F&C1", true, {}, -1);
    EXPECT_EQ(a.keepOptionCaption(),
              "Option 4:   Leave the initialization string the way it is:\r   ( AT&&F&&C1  )");
    EXPECT_EQ(a.result(), "AT&F&C1");
}

TEST(SelectModemTest, KnownNameAndDialogChoices) {
    const SelectedModem known = SelectKnownModem("ESS ES56T-PI Data Fax Voice Modem");
    EXPECT_EQ(known.name, "ESS ES56T-PI Data Fax Voice Modem");
    EXPECT_EQ(known.sendingInit, "");
    EXPECT_EQ(known.receivingInit, "");

    SelectModemLogic dialog({"usb-Zoom_V92-if00", "Sportster 56k Data Fax"});
    EXPECT_FALSE(dialog.useGenericType);
    EXPECT_FALSE(dialog.hangUpBoxTicked);
    dialog.installedIndex = 1;
    dialog.hangUpBoxTicked = true;
    SelectedModem chosen = dialog.result();
    EXPECT_EQ(chosen.name, "Sportster 56k Data Fax");
    EXPECT_EQ(chosen.sendingInit, "AT&H3&I2&R2S7=120S36=8S33=34");
    EXPECT_EQ(chosen.receivingInit, "AT&H3&I2&R2S7=90S36=8S33=34");

    dialog.useGenericType = true;
    dialog.genericIndex = 0;
    dialog.hangUpBoxTicked = false;
    chosen = dialog.result();
    EXPECT_EQ(chosen.name, "");
    EXPECT_EQ(chosen.sendingInit, "AT&F&C1&D2&K3S7=90");
    EXPECT_EQ(chosen.receivingInit, "AT&F&C1&D2&K3S7=90");

    // With no modem installed the list shows a stand-in that names no device.
    SelectModemLogic none({});
    EXPECT_EQ(none.installedList(), QStringList{"Standard Modem"});
    chosen = none.result();
    EXPECT_EQ(chosen.name, "");
    EXPECT_EQ(chosen.sendingInit, "AT&F&C1&D2&K3S7=90");
}

ModemConfig AllChanged() {
    return {"AT&F", 3, 14400, "AT&F", true, 2, 12000, "ATZ", true};
}

TEST(ConfigSuggestionsTest, WhatAppliesAndWhatOkTakes) {
    ConfigSuggestions s("AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90", AllChanged(), true, true);
    ASSERT_EQ(s.items().size(), 9u);
    for (const Suggestion& item : s.items()) {
        EXPECT_TRUE(item.applies) << item.text.toStdString();
        EXPECT_TRUE(item.ticked);
    }
    EXPECT_EQ(s.items()[0].text, "Use ATZ to reset the modem before sending or receiving");
    EXPECT_EQ(s.applied(), (ModemConfig{"ATZ", 1, 9600, "AT&F&C1&D2&K3S7=90", false, 1, 9600,
                                        "AT&F&C1&D2&K3S7=90", false}));

    // Unticked boxes change nothing.
    for (Suggestion& item : s.items())
        if (item.section == SuggestionSection::Receiving) item.ticked = false;
    s.items()[0].ticked = false;
    const ModemConfig partly = s.applied();
    EXPECT_EQ(partly.resetString, "AT&F");
    EXPECT_EQ(partly.sendClass, 1);
    EXPECT_EQ(partly.receiveClass, 2);
    EXPECT_EQ(partly.receiveRate, 12000);
    EXPECT_TRUE(partly.receiveEcm);
}

TEST(ConfigSuggestionsTest, NothingToChangeReadsNoChanges) {
    const ModemConfig good{
        "atz", 1, 9600, "AT&F&C1&D2&K3S7=90", false, 1, 9600, "at&f&c1&d2&k3s7=90", false};
    ConfigSuggestions s("AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90", good, true, true);
    for (SuggestionSection section : {SuggestionSection::ModemReset, SuggestionSection::Sending,
                                      SuggestionSection::Receiving}) {
        EXPECT_TRUE(s.sectionShown(section));
        EXPECT_FALSE(s.sectionHasChanges(section));
    }
    EXPECT_EQ(s.applied(), good);
}

TEST(ConfigSuggestionsTest, FromTheFaxErrorWindowOnlyResetAndSending) {
    ConfigSuggestions s("X", "Y", AllChanged(), true, false);
    EXPECT_TRUE(s.sectionShown(SuggestionSection::Sending));
    EXPECT_FALSE(s.sectionShown(SuggestionSection::Receiving));
    for (const Suggestion& item : s.items()) EXPECT_NE(item.section, SuggestionSection::Receiving);
    const ModemConfig after = s.applied();
    EXPECT_EQ(after.sendInit, "X");
    EXPECT_EQ(after.receiveInit, "ATZ");
    EXPECT_EQ(after.receiveClass, 2);
}

}  // namespace
}  // namespace corvane
