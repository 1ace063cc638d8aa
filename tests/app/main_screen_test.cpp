#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStackedWidget>
#include <QTabBar>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "logwindow/main_screen.h"

using corvane::testing::TempHome;

namespace corvane {
namespace {

TEST(MainScreenState, CloseAsksOnlyWhileACallIsBeingReceived) {
    ScopedScriptedMessageBoxes boxes;
    MainScreenState state;
    EXPECT_TRUE(state.ConfirmClose());
    EXPECT_TRUE(boxes.shown().empty());

    state.InReceiveMode = true;
    state.ReceivingCall = true;
    boxes.queueAnswer(false);
    EXPECT_FALSE(state.ConfirmClose());
    boxes.queueAnswer(true);
    EXPECT_TRUE(state.ConfirmClose());
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, "You are recieving a fax. Close the program?");
    EXPECT_EQ(boxes.shown()[0].title, "ALERT!");
    EXPECT_EQ(boxes.shown()[0].kind, ScriptedMessageBoxes::Shown::YesNo);
}

TEST(TMainScreen, ShellHasBothLogPagesAndKeepsItsPlacement) {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    {
        TMainScreen window;
        EXPECT_EQ(window.tabStrip()->count(), 2);
        EXPECT_EQ(window.tabStrip()->tabText(0), "Outgoing Faxes");
        EXPECT_EQ(window.tabStrip()->tabText(1), "Incoming Faxes");
        EXPECT_EQ(window.notebook()->currentIndex(), 0);
        window.tabStrip()->setCurrentIndex(1);
        EXPECT_EQ(window.notebook()->currentIndex(), 1);
        window.setGeometry(30, 40, 640, 480);
        window.close();
    }
    const IniFile ini(SettingsFileName());
    EXPECT_EQ(ini.readInteger("TMainScreen3_Placement", "Left", -1), 30);
    EXPECT_EQ(ini.readInteger("TMainScreen3_Placement", "Bottom", -1), 40 + 480);
    EXPECT_EQ(ini.readInteger("Modem", "ComPort", 0), -1);  // settings saved on close

    TMainScreen again;
    EXPECT_EQ(again.geometry(), QRect(30, 40, 640, 480));
}

TEST(TMainScreen, CloseIsRefusedWhenTheUserKeepsReceiving) {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TMainScreen window;
    window.state().ReceivingCall = true;
    boxes.queueAnswer(false);
    QCloseEvent refused;
    QCoreApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(QFile::exists(SettingsFileName()));
}

}  // namespace
}  // namespace corvane
