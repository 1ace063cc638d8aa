// The setup windows' wiring: every Preferences control shows and reads its value, the rate
// note, Save and Cancel, the header template dialog's sample and its blank question, the
// assistant's caption, the suggestions' "No changes", the port finder's window against
// faxline modems. CORVANE_DOC_SHOTS=folder saves pictures of Preferences and of the port
// finder's result.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <utility>

#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "faxline_harness.h"
#include "fixtures/preferences_values.h"
#include "fixtures/temp_home.h"
#include "logwindow/main_screen.h"
#include "setup/check_fax_class_form.h"
#include "setup/find_modem_form.h"
#include "setup/init_string_helper_form.h"
#include "setup/modify_fax_header_form.h"
#include "setup/preferences_form.h"
#include "setup/quick_setup_form.h"
#include "setup/suggest_chain.h"
#include "setup/suggest_config_form.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"

namespace corvane {
namespace {

using testing::TempHome;

using testing::ChangedPreferences;
using testing::kModems;
using testing::kPrinters;

QString Shots() {
    return qEnvironmentVariable("CORVANE_DOC_SHOTS");
}

TEST(PreferencesWindowTest, EveryControlShowsAndReadsItsValue) {
    TempHome home;
    Settings s;
    TPreferences prefs(s, kModems, kPrinters);
    PreferencesValues expected = ChangedPreferences();
    expected.faxHeaderTemplate = prefs.logic().values.faxHeaderTemplate;
    prefs.logic().values = expected;
    prefs.showValues();
    prefs.logic().values = PreferencesValues();
    prefs.logic().values.faxHeaderTemplate = expected.faxHeaderTemplate;
    prefs.readValues();
    EXPECT_EQ(prefs.logic().values, expected);
    // The telephony choice switches the modem controls.
    EXPECT_FALSE(prefs.comPortList()->isEnabled());
    EXPECT_TRUE(prefs.telephonyList()->isEnabled());
    EXPECT_TRUE(prefs.testModemButton()->isEnabled());
    prefs.portChoice()->setChecked(true);
    EXPECT_TRUE(prefs.findModemButton()->isEnabled());
    EXPECT_FALSE(prefs.testModemButton()->isEnabled());
}

TEST(PreferencesWindowTest, PagesRateNoteSaveAndCancel) {
    TempHome home;
    LoadSettings();
    Settings& s = GlobalSettings();
    s.MaximumBPSReceive = 28800;
    ASSERT_TRUE(s.PortUnconfigured);
    {
        TPreferences prefs(s, {}, kPrinters);
        EXPECT_FALSE(s.PortUnconfigured);
        EXPECT_FALSE(prefs.telephonyChoice()->isEnabled());
        prefs.showPage(3);
        EXPECT_EQ(prefs.receivingTabs()->currentIndex(), 0);
        EXPECT_TRUE(prefs.receiveRateNote()->isHidden());  // 28800 shows as 9600
        auto* rate = prefs.receivingTabs()->widget(0)->findChildren<QComboBox*>()[1];
        rate->setCurrentIndex(5);
        EXPECT_FALSE(prefs.receiveRateNote()->isHidden());
        prefs.cancelClicked();
        EXPECT_EQ(prefs.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(s.PortUnconfigured);
    {
        TPreferences prefs(s, {}, kPrinters);
        prefs.logic().values.sendRateIndex = 4;  // "12000"
        prefs.showValues();
        prefs.saveClicked();
        EXPECT_EQ(prefs.result(), QDialog::Accepted);
    }
    const IniFile ini(home.file("QX.INI"));
    EXPECT_EQ(ini.readString("Modem", "MaximumBPS"), "12000");
    EXPECT_EQ(ini.readString("Modem", "ComPort"), "0");
    EXPECT_FALSE(s.PortUnconfigured);

    // A bad number keeps the window open and says why.
    ScopedScriptedMessageBoxes boxes;
    TPreferences prefs(s, {}, kPrinters);
    prefs.logic().values.dialAttempts = "many";
    prefs.showValues();
    prefs.saveClicked();
    EXPECT_NE(prefs.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_EQ(prefs.currentPage(), 2);
    EXPECT_EQ(prefs.sendingTabs()->currentIndex(), 2);
}

TEST(HeaderTemplateWindowTest, SampleAndBlankQuestion) {
    TModifyFaxHeaderForm form("Page $P of $N");
    form.pageEdit()->setText("2");
    form.totalPagesEdit()->setText("7");
    EXPECT_EQ(form.sampleLabel()->text(), "Page 2 of 7");
    form.templateEdit()->setText("A $X B");
    EXPECT_EQ(form.sampleLabel()->text(), "A  B");
    form.senderEdit()->setText("$F$F");
    form.templateEdit()->setText("$F");
    EXPECT_EQ(form.sampleLabel()->text(), "$F$F");
    form.restoreDefault();
    EXPECT_EQ(form.templateText(), kDefaultHeaderTemplate);

    ScopedScriptedMessageBoxes boxes;
    form.useBlank();
    boxes.queueAnswer(false);
    form.okClicked();
    EXPECT_NE(form.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Blank Template");
    boxes.queueAnswer(true);
    form.okClicked();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.templateText(), "");
}

TEST(ModemHelperWindowsTest, AssistantCaptionAndSuggestionSections) {
    TModemInitStringHelperForm helper("AT&F&C1", false, {}, -1);
    bool found = false;
    for (QLabel* label : helper.findChildren<QLabel*>())
        if (label->text().contains("( AT&F&C1  )")) found = true;
    EXPECT_TRUE(found);
    EXPECT_TRUE(helper.option(4)->isChecked());
    EXPECT_TRUE(helper.hangUpBox()->isHidden());
    EXPECT_EQ(helper.result(), "AT&F&C1");

    const ModemConfig good{"ATZ", 1, 9600, "AT&F", false, 1, 9600, "AT&F", false};
    TSuggestConfigForm none("AT&F", "AT&F", good, true, false);
    int noChanges = 0;
    for (QLabel* label : none.findChildren<QLabel*>()) noChanges += label->text() == "No changes";
    EXPECT_EQ(noChanges, 2);
    for (QCheckBox* box : none.boxes()) EXPECT_TRUE(box == nullptr || box->isHidden());
    EXPECT_EQ(none.result(), good);

    TSuggestConfigForm some("AT&F", "AT&F", {"", 1, 14400, "AT&F", false, 1, 9600, "AT&F", false},
                            true, true);
    some.boxes()[0]->setChecked(false);  // keep the reset string
    const ModemConfig after = some.result();
    EXPECT_EQ(after.resetString, "");
    EXPECT_EQ(after.sendRate, 9600);
}

TEST(QuickSetupWindowTest, CancelKeepsThePortUnconfigured) {
    TempHome home;
    LoadSettings();
    Settings& s = GlobalSettings();
    {
        TQuickSetupForm quick(s, {});
        quick.comPortList()->setCurrentIndex(3);
        quick.cancelClicked();
    }
    EXPECT_TRUE(s.PortUnconfigured);
    TQuickSetupForm quick(s, {});
    quick.comPortList()->setCurrentIndex(3);
    quick.nameEdit()->setText("Ada");
    quick.okClicked();
    EXPECT_FALSE(s.PortUnconfigured);
    const IniFile ini(home.file("QX.INI"));
    EXPECT_EQ(ini.readString("Modem", "ComPort"), "3");
    EXPECT_EQ(ini.readString("User", "Name"), "Ada");
}

// The fax error window's "&Suggest": a known telephony modem needs no selection window; the
// suggestions offer the reset and sending sections, and OK saves the settings.
TEST(SuggestChainWindowTest, KnownModemSuggestionsAreSaved) {
    TempHome home;
    LoadSettings();
    Settings& s = GlobalSettings();
    s.UseTAPI = true;
    s.TAPIDevice = "U.S. Robotics 56K FAX EXT";
    s.FaxClass = 3;
    s.MaximumBPS = 14400;
    s.ECM = true;
    s.FaxClassReceive = 2;
    s.InitStringReceive = "ATX";
    int sections = 0;
    QTimer::singleShot(0, [&] {
        if (auto* form = qobject_cast<TSuggestConfigForm*>(QApplication::activeModalWidget())) {
            for (QLabel* label : form->findChildren<QLabel*>())
                sections += label->text() == "   Modem Reset" || label->text() == "   Sending" ||
                            label->text() == "    Receiving";
            form->accept();
        }
    });
    const SuggestOutcome outcome = RunSuggestChain(nullptr, s);
    EXPECT_TRUE(outcome.modemChosen);
    EXPECT_TRUE(outcome.applied);
    EXPECT_TRUE(outcome.saved.ok());
    EXPECT_EQ(sections, 2);
    const IniFile ini(home.file("QX.INI"));
    EXPECT_EQ(ini.readString("Resetting", "String"), "ATZ");
    EXPECT_EQ(ini.readString("Modem", "FaxClass"), "1");
    EXPECT_EQ(ini.readString("Modem", "MaximumBPS"), "9600");
    EXPECT_EQ(ini.readString("Modem", "InitString"), "AT&H3&I2&R2S7=90S36=8S33=34");
    EXPECT_EQ(ini.readString("Dialing", "ECM"), "0");
    EXPECT_EQ(ini.readString("Modem", "FaxClassReceive"), "2");
    EXPECT_EQ(ini.readString("Modem", "InitStringReceive"), "ATX");
}

TEST(MainWindowPreferencesTest, ButtonOpensPreferencesAndReceiveModeRefuses) {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TMainScreen window;
    QPushButton* button = window.button("Preferences");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = dialog->windowTitle();
            if (auto* prefs = qobject_cast<TPreferences*>(dialog)) prefs->cancelClicked();
        }
    });
    button->click();
    EXPECT_EQ(opened, "Preferences (Program Settings)");

    window.state().InReceiveMode = true;
    window.OpenPreferences();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith("You are in Fax Receive mode."));
}

// A new user with a faxline modem on COM2: Preferences finds it, checks its classes, takes
// both answers and saves, without touching QX.INI by hand.
TEST(PreferencesWindowTest, FindCheckAcceptAndSave) {
    TempHome home;
    faxline::testing::ScratchFolder scratch;
    faxline::testing::FaxlineRun modem(
        scratch, {"--modem", scratch / "com2", "--class", "2", "--file", scratch / "in.tif"});
    ASSERT_TRUE(modem.WaitReady());
    QString ini = "[Ports]\r\n";
    for (int n = 1; n <= 8; ++n)
        ini += QStringLiteral("COM%1=%2\r\n")
                   .arg(n)
                   .arg(n == 2 ? QString::fromStdString(scratch / "com2")
                               : QStringLiteral("/nonexistent/ttyCorvane%1").arg(n));
    home.write("QX.INI", ini.toUtf8());
    LoadSettings();
    ASSERT_TRUE(GlobalSettings().PortUnconfigured);

    ScopedScriptedMessageBoxes boxes;
    boxes.queueAnswer(true);  // "Set Com Port to Com 2"
    boxes.queueAnswer(true);  // "Set fax class as Class 2 ?"
    // Presses each finished window's button, as the user would.
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* find = qobject_cast<TFindModemForm*>(w); find && find->searched()) find->accept();
        if (auto* check = qobject_cast<TCheckFaxClassForm*>(w); check && check->checked())
            check->accept();
    });
    presser.start(50);

    TPreferences prefs(GlobalSettings(), {}, {});
    prefs.findModemPortClicked();
    EXPECT_EQ(prefs.comPortList()->currentIndex(), 1);
    prefs.checkFaxClassClicked(1);
    prefs.saveClicked();
    presser.stop();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, "Set Com Port to Com 2");
    EXPECT_EQ(boxes.shown()[1].text, "Set fax class as Class 2 ?");
    const IniFile saved(home.file("QX.INI"));
    EXPECT_EQ(saved.readString("Modem", "ComPort"), "1");
    EXPECT_EQ(saved.readString("Modem", "FaxClass"), "2");
    EXPECT_FALSE(GlobalSettings().PortUnconfigured);

    // The first fax goes out on what was saved: no port or class given.
    QImage page(1728, 400, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    for (int y = 100; y < 140; ++y)
        for (int x = 200; x < 1500; ++x) page.setPixel(x, y, qRgb(0, 0, 0));
    ASSERT_TRUE(page.convertToFormat(QImage::Format_Mono).save(home.file("page.pbm"), "PBM"));
    auto cli = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CORVANE_HOME", home.path());
        p.setProcessEnvironment(env);
        p.start(CORVANE_CLI_PATH, args);
        p.waitForFinished(180000);
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAll()));
    };
    auto made = cli({"apf", "from-image", home.file("page.pbm"), home.file("page.apf")});
    ASSERT_EQ(made.first, 0) << made.second.toStdString();
    auto sent = cli({"fax", "send", "5550100", home.file("page.apf")});
    EXPECT_EQ(sent.first, 0) << sent.second.toStdString();
    EXPECT_EQ(modem.Wait(), 0) << modem.Output();
}

TEST(SetupPictures, PreferencesAndPortFinderResult) {
    if (Shots().isEmpty()) GTEST_SKIP() << "set CORVANE_DOC_SHOTS to a folder for the pictures";
    TempHome home;
    faxline::testing::ScratchFolder scratch;
    faxline::testing::FaxlineRun second(
        scratch, {"--modem", scratch / "com2", "--class", "2", "--file", scratch / "in2.tif"});
    faxline::testing::FaxlineRun fourth(
        scratch, {"--modem", scratch / "com4", "--class", "1", "--file", scratch / "in4.tif"});
    ASSERT_TRUE(second.WaitReady());
    ASSERT_TRUE(fourth.WaitReady());
    QString ini = "[Ports]\r\n";
    for (int n = 1; n <= 8; ++n)
        ini += QStringLiteral("COM%1=%2\r\n")
                   .arg(n)
                   .arg(n == 2   ? QString::fromStdString(scratch / "com2")
                        : n == 4 ? QString::fromStdString(scratch / "com4")
                                 : QStringLiteral("/nonexistent/ttyCorvane%1").arg(n));
    home.write("QX.INI", ini.toUtf8());
    LoadSettings();

    TPreferences prefs(GlobalSettings(), kModems, kPrinters);
    prefs.resize(760, 520);
    const char* const names[] = {"intro", "modem", "sending", "receiving", "advanced"};
    for (int page : {1, 2, 3, 4}) {
        prefs.showPage(page);
        prefs.show();
        QCoreApplication::processEvents();
        prefs.grab().save(Shots() + "/preferences-" + names[page] + ".png");
    }
    prefs.hide();

    TFxComPort port;
    ApplyProgramPortSettings(port, PortUse::Setup, false);
    TFindModemForm finder(port, QString());
    finder.show();
    finder.runSearch();
    EXPECT_EQ(finder.result(), 2);
    finder.adjustSize();
    QCoreApplication::processEvents();
    finder.grab().save(Shots() + "/port-finder-result.png");
}

}  // namespace
}  // namespace corvane
