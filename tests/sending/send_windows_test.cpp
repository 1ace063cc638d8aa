// The send windows on the offscreen platform: the error window, the send window's fields and
// checks, and the Send command of the main window sending a fax through the simulated line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "fax_engine_harness.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "logwindow/main_screen.h"
#include "sending/fax_error_form.h"
#include "sending/fax_status_form.h"
#include "sending/send_fax_form.h"
#include "sending/send_fax_form_port_choice.h"

namespace corvane::testing {
namespace {

struct Dialogs : LogDialogs {
    int beeps = 0;
    std::optional<DeleteWhat> askDeleteWhat() override { return std::nullopt; }
    bool editReceiveNotes(QString&, QString&) override { return false; }
    std::optional<QList<FindField>> askFind(LogPage) override { return std::nullopt; }
    bool forwardOrClone(ForwardOrCloneRequest&) override { return false; }
    void beep() override { ++beeps; }
};

// The global settings as a test leaves them are put back afterwards.
struct SettingsGuard {
    Settings saved = GlobalSettings();
    ~SettingsGuard() { GlobalSettings() = saved; }
};

TEST(FaxErrorWindow, ShowsTheErrorAndItsButtonsFollowTheRequest) {
    FaxErrorRequest request{true,
                            -8069,
                            "Fax failed in mid-session",
                            "2 pages were received",
                            true,
                            true,
                            false,
                            "Receiving a fax"};
    TNewFaxErrorForm form(request);
    EXPECT_EQ(form.windowTitle(), "Error during fax receive");
    EXPECT_EQ(form.findChild<QLabel*>("Heading")->text(),
              "We have encountered an error in fax receive mode");
    EXPECT_EQ(form.findChild<QLabel*>("Message")->text(), "Fax failed in mid-session");
    EXPECT_EQ(form.findChild<QLabel*>("Detail")->text(), "2 pages were received");
    EXPECT_EQ(form.findChild<QLabel*>("Phase")->text(), "Receiving a fax");
    EXPECT_EQ(form.infoText(), FaxErrorHelpFor(-8069).text);
    // Suggest is allowed but the setup is not there: disabled, and it says why.
    EXPECT_FALSE(form.suggestButton()->isEnabled());
    EXPECT_FALSE(form.suggestButton()->toolTip().isEmpty());
    EXPECT_FALSE(form.continueButton()->isEnabled());
    EXPECT_TRUE(form.autoCloseTimer()->isActive());
    EXPECT_EQ(form.autoCloseTimer()->interval(), 30000);
    form.show();
    form.autoCloseTimer()->start(1);  // thirty seconds, shortened
    QTRY_VERIFY(!form.isVisible());
    EXPECT_FALSE(form.continueChosen());

    // Sending, with Continue, and a setup that offers suggestions.
    int suggested = 0;
    SetFaxErrorSuggester([&](QWidget*) {
        ++suggested;
        return true;
    });
    FaxErrorRequest check{false, -9000, "Error checking for modem", "", false,
                          true,  true,  "Preparing to send fax"};
    TNewFaxErrorForm sending(check);
    EXPECT_EQ(sending.windowTitle(), "Error during fax sending");
    EXPECT_FALSE(sending.autoCloseTimer()->isActive());
    EXPECT_TRUE(sending.continueButton()->isEnabled());
    ASSERT_TRUE(sending.suggestButton()->isEnabled());
    sending.suggestButton()->click();
    EXPECT_EQ(suggested, 1);
    EXPECT_FALSE(sending.continueButton()->isEnabled());  // a modem was chosen
    SetFaxErrorSuggester(nullptr);

    TNewFaxErrorForm going(check);
    going.show();
    going.continueButton()->click();
    EXPECT_TRUE(going.continueChosen());
}

TEST(SendFaxWindow, FieldsChecksTipsAndDialingHandedBack) {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    Settings s;
    s.DialPrefix = "9,";
    s.DialSuffix = "#77";
    s.SuffixDisable = true;
    OutgoingFaxToSend fax;
    fax.recipient = "Acme Ltd";
    fax.subject = "Quote";
    fax.phone = "555 0100";
    fax.documentPath = home.file("SEND/FAX00001.APF");
    TSendFaxForm form(fax, s);
    EXPECT_TRUE(form.phoneNumber()->text().isEmpty());  // placed when first shown
    form.show();
    EXPECT_EQ(form.phoneNumber()->text(), "555 0100");
    EXPECT_EQ(form.phoneNumber()->maxLength(), 25);
    EXPECT_EQ(form.findChild<QLabel*>("ToLabel")->text(), "Acme Ltd");
    EXPECT_EQ(form.findChild<QLabel*>("SubjectLabel")->text(), "Quote");
    EXPECT_EQ(form.dialPrefix()->text(), "9,");
    EXPECT_EQ(form.dialSuffix()->text(), "#77");
    EXPECT_FALSE(form.disablePrefix()->isChecked());
    EXPECT_TRUE(form.disableSuffix()->isChecked());
    EXPECT_EQ(form.sendButton()->text(), "&Send Fax Now");
    EXPECT_EQ(form.closeButton()->text(), "C&lose");
    ASSERT_EQ(form.tipButtons().size(), 7);
    QStringList tips;
    for (QPushButton* b : form.tipButtons()) tips << b->toolTip();
    EXPECT_EQ(tips, QStringList({"Problems opening the Com Port?", "Problems dialing?",
                                 "Using a credit card or calling card", "Getting a BUSY signal?",
                                 "Pausing during dialing", "Using a DSL, CABLE or ISDN line?",
                                 "No Dialtone?"}));

    form.phoneNumber()->setText("   ");
    form.sendButton()->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Phone number is blank"});
    EXPECT_FALSE(form.busy());

    form.phoneNumber()->setText("555 0199");
    form.dialPrefix()->setText("8W");
    form.disablePrefix()->setChecked(true);
    form.disableSuffix()->setChecked(false);
    form.closeButton()->click();
    EXPECT_FALSE(form.isVisible());
    Settings back;
    form.state().storeDialing(back);
    EXPECT_EQ(form.state().number, "555 0199");
    EXPECT_EQ(back.DialPrefix, "8W");
    EXPECT_TRUE(back.PrefixDisable);
    EXPECT_EQ(back.DialSuffix, "#77");
    EXPECT_FALSE(back.SuffixDisable);
}

// The main window with the outgoing log open and one fax in it.
struct SendingWindow {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    SettingsGuard guard;
    TFDM fdm;
    Dialogs dialogs;
    TMainScreen window;

    SendingWindow() {
        QDir().mkpath(AppFolder() + "SEND");
        EXPECT_TRUE(fdm.OpenFaxLogs());
        Settings& s = GlobalSettings();
        s = Settings();
        s.ComPort = 0;
        s.PortUnconfigured = false;
        s.FaxClass = 1;
        s.UserName = "CORVANE TEST";
        s.UserFax = "555 0100";
        s.FaxHeaderTemplate = "$F TO $R ID $I PAGE $P OF $N";
        s.UseAlternateHeaderFont = true;
        s.DialAttempts = 1;
        s.DialPrefix = "9";
    }
    uint32_t addFax(const std::vector<TestPage>& cover, const std::vector<TestPage>& doc) {
        WriteApf((AppFolder() + "SEND/COV00001.APF").toStdString(), cover);
        WriteApf((AppFolder() + "SEND/FAX00001.APF").toStdString(), doc);
        OutgoingFaxFields f{"Quote", "BOB", "5550199", "FAX00001.APF", "COV00001.APF", "", ""};
        EXPECT_TRUE(fdm.AppendOutgoingFax(f));
        return fdm.FaxTable.recNo();
    }
    void show() {
        window.SetDataModule(&fdm);
        window.SetDialogs(&dialogs);
        window.resize(900, 500);
        window.show();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
    }
};

TEST(SendCommand, FirstSendWithoutAModemRunsTheSetupAndStopsWhenItIsCancelled) {
    SendingWindow w;
    GlobalSettings().PortUnconfigured = true;
    w.addFax({PatternPage(1, true, 20)}, {PatternPage(2, true, 20)});
    w.show();
    int setups = 0;
    SetQuickSetupRunner([&](QWidget*) {
        ++setups;
        return false;
    });
    bool sendWindowOpened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TSendFaxForm*>(QApplication::activeModalWidget())) {
            sendWindowOpened = true;
            form->closeButton()->click();
        }
    });
    watch.start(20);
    w.window.button("&Send")->click();
    SetQuickSetupRunner(nullptr);
    EXPECT_EQ(setups, 1);
    EXPECT_FALSE(sendWindowOpened);

    // The incoming tab and the receive mode refuse with their messages.
    GlobalSettings().PortUnconfigured = false;
    w.window.tabStrip()->setCurrentIndex(1);
    w.window.SendSelected();
    w.window.tabStrip()->setCurrentIndex(0);
    w.window.state().InReceiveMode = true;
    w.window.SendSelected();
    w.window.state().InReceiveMode = false;
    EXPECT_EQ(w.boxes.texts(),
              QStringList({"Please switch to the Outgoing Faxes tab\rand highlight a fax to send",
                           "You are in Fax Receive mode. You cannot send\rwhile in Fax Receive "
                           "mode. Click the Stop button to end\rFax Receive mode"}));
    EXPECT_FALSE(sendWindowOpened);
}

TEST(SendCommand, PlainPortChoiceStoresAComPortOrANamedDevice) {
    TempHome home;
    home.write("QX.INI", "[Telephony]\r\nDevice1=Desk Modem|/dev/ttyACM0\r\n");
    const QStringList entries = PortChoiceEntries();
    ASSERT_GE(entries.size(), 9);
    EXPECT_EQ(entries[0], "COM1 (/dev/ttyS0)");
    EXPECT_EQ(entries[2], "COM3 (/dev/ttyACM0)");
    EXPECT_EQ(entries.back(), "Desk Modem");
    Settings s;
    s.PortUnconfigured = true;
    StorePortChoice(s, 2);
    EXPECT_EQ(s.ComPort, 2);
    EXPECT_FALSE(s.UseTAPI);
    EXPECT_FALSE(s.PortUnconfigured);
    StorePortChoice(s, int(entries.size()) - 1);
    EXPECT_TRUE(s.UseTAPI);
    EXPECT_EQ(s.TAPIDevice, "Desk Modem");
}

// The whole road: Send in the main window, the send window, the status window during the call,
// the fax at the far end, and the result in the record.
// CORVANE_DOC_SHOTS=folder saves pictures of the send window and the status window.
struct WindowCase {
    const char* name;
    const char* faxlineClass;
    int storedClass;
};
class SendCommandOnTheLine : public ::testing::TestWithParam<WindowCase> {};

TEST_P(SendCommandOnTheLine, SendsTheSelectedFaxAndTheRecordShowsItSent) {
    SendingWindow w;
    GlobalSettings().FaxClass = GetParam().storedClass;
    ScratchFolder line;
    w.home.write("QX.INI", QStringLiteral("[Ports]\r\nCOM1=%1\r\n")
                               .arg(QString::fromStdString(line / "modem"))
                               .toUtf8());
    const std::vector<TestPage> cover{PatternPage(7, true, 300)};
    const std::vector<TestPage> doc{PatternPage(1, true, 600), PatternPage(2, true, 600)};
    const uint32_t recno = w.addFax(cover, doc);
    w.show();
    FaxlineRun faxline(line, {"--modem", line / "modem", "--class", GetParam().faxlineClass,
                              "--file", line / "remote.tif"});
    ASSERT_TRUE(faxline.WaitReady());

    // The pictures show the Class 1 call.
    const QString shots =
        GetParam().storedClass == 1 ? qEnvironmentVariable("CORVANE_DOC_SHOTS") : QString();
    bool pressed = false, closeRefused = false, sawProgress = false, shot = false;
    QString shownNumber, shownTo;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TSendFaxForm*>(QApplication::activeModalWidget());
        if (!form) return;
        if (!pressed) {
            pressed = true;
            shownNumber = form->phoneNumber()->text();
            shownTo = form->findChild<QLabel*>("ToLabel")->text();
            form->sendButton()->click();
            return;
        }
        if (form->busy()) {
            TFaxStatusForm* status = form->statusForm();
            if (status && status->fields().currentPage == "2" && status->progress()->value() > 0 &&
                !shot) {
                shot = sawProgress = true;
                EXPECT_EQ(status->windowTitle(), "Fax Status");
                EXPECT_EQ(status->fields().totalPages, "3");
                EXPECT_EQ(status->fields().remoteId, "FAXLINE REMOTE");
                EXPECT_EQ(status->fields().phoneNumber, "95550199");
                form->closeButton()->click();  // refused while the fax goes out
                closeRefused = form->isVisible();
                if (!shots.isEmpty()) {
                    form->grab().save(shots + "/send-window.png");
                    status->grab().save(shots + "/fax-status-window.png");
                }
            }
            return;
        }
        form->closeButton()->click();
    });
    driver.start(50);
    w.window.button("&Send")->click();
    driver.stop();
    EXPECT_EQ(faxline.Wait(), 0) << faxline.Output();

    EXPECT_TRUE(pressed);
    EXPECT_EQ(shownNumber, "5550199");
    EXPECT_EQ(shownTo, "BOB");
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(closeRefused);
    ASSERT_EQ(w.boxes.texts().size(), 1) << w.boxes.texts().join('|').toStdString();
    const QString result = w.boxes.texts()[0];
    EXPECT_TRUE(result.startsWith("3 pages of 3 were sent. Transmission time: "))
        << result.toStdString();

    const auto received = faxline::testing::ReadTiffPages(line / "remote.tif");
    ASSERT_EQ(received.size(), 3u);
    const TestPage* pages[] = {&cover[0], &doc[0], &doc[1]};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(RowDifferences(
                      received[size_t(i)],
                      ExpectedSentPage(*pages[i], QString("CORVANE TEST TO BOB ID 555 0100 PAGE "
                                                          "%1 OF 3")
                                                      .arg(i + 1))),
                  0)
            << "page " << i + 1;

    xbase::XbaseTable& t = w.fdm.FaxTable;
    ASSERT_TRUE(t.go(recno));
    EXPECT_EQ(t.fieldText("LASTRESULT"), result);
    EXPECT_EQ(t.fieldText("PHONE"), "5550199");
    EXPECT_EQ(t.fieldDate("DATESENT"), QDate::currentDate());
    EXPECT_EQ(t.fieldText("TIMESENT").size(), 5);
    // The prefix the window held went back into the settings file.
    EXPECT_TRUE(QString::fromUtf8(w.home.read("QX.INI")).contains("DialPrefix=9"));
    EXPECT_TRUE(QString::fromUtf8(w.home.read("Lastsend.log")).contains("\nDial Prefix: 9\n"));
}

INSTANTIATE_TEST_SUITE_P(Classes, SendCommandOnTheLine,
                         ::testing::Values(WindowCase{"Class1", "1", 1},
                                           WindowCase{"Class20", "2", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
