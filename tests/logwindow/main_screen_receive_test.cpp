// Receive mode in the main window (offscreen) over the simulated fax line: the Receive
// button, the fax in the incoming grid, the error window that closes itself, and the reset
// between calls that a Receive click cannot disturb.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "core/app_folders.h"
#include "core/settings.h"
#include "logwindow/log_table_model.h"
#include "logwindow/main_screen.h"
#include "receive_fixture.h"
#include "sending/fax_error_form.h"
#include "sending/send_fax_form_port_choice.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct ReceiveWindow {
    explicit ReceiveWindow(const QStringList& extraIni = {}, bool activate = true)
        : f(2, extraIni) {
        f.session.reset();  // the window has its own
        window.SetDataModule(f.fdm.get());
        window.SetReceiveErrorAutoCloseMs(300);
        window.resize(1000, 600);
        if (activate) Activate();
    }
    void Activate() {
        window.show();
        QCoreApplication::processEvents();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
    }
    ~ReceiveWindow() {
        if (window.receiveSession()->InReceiveMode()) window.ReceiveButtonClick();
    }
    ReceiveSessionFixture f;
    TMainScreen window;
};

TNewFaxErrorForm* ErrorWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TNewFaxErrorForm*>(w); form && form->isVisible()) return form;
    return nullptr;
}

TEST(MainScreenReceive, AFaxArrivesInTheIncomingGridAndTheButtonTogglesBack) {
    ReceiveWindow w;
    const std::vector<TestPage> pages{PatternPage(21, true, 300), PatternPage(22, true, 300),
                                      PatternPage(23, false, 300)};
    WriteTiff(w.f.file("send.tif"), pages);
    ASSERT_TRUE(
        w.f.startLine({"--class", "2", "--remote", "send", "--file", w.f.file("send.tif")}));
    QPushButton* receive = w.window.receiveButton();
    ASSERT_TRUE(receive->isEnabled());
    receive->click();
    EXPECT_EQ(receive->text().toStdString(), "STOP");
    EXPECT_EQ(receive->toolTip().toStdString(), "Stop receiving faxes");
    EXPECT_EQ(w.window.receiveMenuItem()->text().toStdString(), "Stop Receiving Faxes");
    EXPECT_EQ(w.window.currentPage(), LogPage::Incoming);
    EXPECT_EQ(w.window.statusPanel()->text().toStdString(), "Waiting for fax...");
    EXPECT_TRUE(w.window.state().InReceiveMode);

    LogTableModel* incoming = w.window.model(LogPage::Incoming);
    ASSERT_TRUE(RunUntil([&] { return incoming->rowCount() == 1; }, kCallTimeoutMs))
        << w.window.receiveSession()->receiveLog().lines().join('\n').toStdString();
    EXPECT_EQ(w.f.line->Wait(), 0) << w.f.line->Output();
    QStringList row;
    for (int c = 0; c < incoming->columnCount(); ++c)
        row << incoming->index(0, c).data().toString();
    EXPECT_TRUE(row.contains("FAXLINE REMOTE")) << row.join('|').toStdString();
    EXPECT_TRUE(row.contains("3")) << row.join('|').toStdString();
    const auto received = DecodeApf((ReceiveFolder() + "FAX0001.APF").toStdString());
    ASSERT_EQ(received.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0);

    receive->click();
    EXPECT_EQ(receive->text().toStdString(), "&Receive");
    EXPECT_EQ(receive->toolTip().toStdString(), "Start receiving faxes");
    EXPECT_EQ(w.window.receiveMenuItem()->text().toStdString(), "&Receive Faxes");
    EXPECT_FALSE(w.window.state().InReceiveMode);
    const QStringList log = UnstampedLines(AppFolder() + "Lastrec.log");
    EXPECT_TRUE(log.contains("3 pages received from FAXLINE REMOTE"))
        << log.join('\n').toStdString();
    EXPECT_EQ(log.last().toStdString(), "Stopped receive mode ");
}

TEST(MainScreenReceive, ABrokenCallShowsTheErrorWindowWhichClosesItself) {
    ReceiveWindow w;
    WriteTiff(w.f.file("send.tif"),
              {PatternPage(24, true, 300), PatternPage(25, true, 300), PatternPage(26, true, 300)});
    ASSERT_TRUE(w.f.startLine({"--class", "2", "--remote", "send", "--file", w.f.file("send.tif"),
                               "--drop-after-page", "2", "--expect", "dropped"}));
    w.window.receiveButton()->click();
    ASSERT_TRUE(RunUntil([&] { return ErrorWindow() != nullptr; }, kCallTimeoutMs));
    // The shared error window in its receive flavour, left open beside the main window while
    // receive mode goes on: nothing waits for an answer.
    TNewFaxErrorForm* form = ErrorWindow();
    EXPECT_EQ(form->windowTitle().toStdString(), "Error during fax receive");
    EXPECT_EQ(form->findChild<QLabel*>("Heading")->text().toStdString(),
              "We have encountered an error in fax receive mode");
    EXPECT_EQ(form->findChild<QLabel*>("Detail")->text().toStdString(),
              "Note: 2 pages were received and saved");
    EXPECT_EQ(form->findChild<QLabel*>("Phase")->text().toStdString(),
              "Preparing to receive faxes");
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(form->continueButton()->isEnabled());
    EXPECT_TRUE(form->autoCloseTimer()->isActive());
    EXPECT_EQ(form->autoCloseTimer()->interval(), 300);  // the window's 30 s, shortened
    EXPECT_TRUE(w.window.receiveSession()->InReceiveMode());
    EXPECT_TRUE(RunUntil([&] { return ErrorWindow() == nullptr; }, 5000));
    EXPECT_EQ(w.window.model(LogPage::Incoming)->rowCount(), 1);
    EXPECT_TRUE(w.window.receiveSession()->InReceiveMode());
}

// No modem set up yet: Receive runs the quick setup first, stays off when it is cancelled and
// starts on the chosen modem when it is completed.
TEST(MainScreenReceive, FirstReceiveWithoutAModemRunsTheQuickSetup) {
    ReceiveWindow w;
    GlobalSettings().PortUnconfigured = true;
    int setups = 0;
    bool completes = false;
    SetQuickSetupRunner([&](QWidget*) {
        ++setups;
        if (completes) GlobalSettings().PortUnconfigured = false;
        return completes;
    });
    w.window.receiveButton()->click();
    EXPECT_EQ(setups, 1);
    EXPECT_FALSE(w.window.receiveSession()->InReceiveMode());
    EXPECT_TRUE(w.window.receiveSession()->receiveLog().lines().isEmpty());
    EXPECT_EQ(w.window.receiveButton()->text().toStdString(), "&Receive");

    // Completed: receive mode starts on the modem set up (COM1, where no line runs now; its
    // failure to open shows that it was tried).
    completes = true;
    w.window.receiveButton()->click();
    SetQuickSetupRunner(nullptr);
    EXPECT_EQ(setups, 2);
    const QStringList log = w.window.receiveSession()->receiveLog().lines();
    EXPECT_FALSE(log.filter("Opening com port: COM1").isEmpty()) << log.join('\n').toStdString();
    EXPECT_TRUE(RunUntil([&] { return ErrorWindow() != nullptr; }, 5000));
    if (TNewFaxErrorForm* form = ErrorWindow()) form->okButton()->click();

    // Once set up, Receive asks no more.
    GlobalSettings().PortUnconfigured = false;
    w.window.receiveButton()->click();
    EXPECT_EQ(setups, 2);
    if (TNewFaxErrorForm* form = ErrorWindow()) form->okButton()->click();
}

// With the reset between calls each call is followed by a reset; a Receive click while it
// runs changes nothing, and the next call is answered.
TEST(MainScreenReceive, ResetBetweenCallsIgnoresReceiveClicks) {
    ReceiveWindow w({"[Receive]", "ResetBetweenCalls=1"});
    WriteTiff(w.f.file("send.tif"), {PatternPage(27, false, 200)});
    ASSERT_TRUE(w.f.startLine(
        {"--class", "2", "--remote", "send", "--file", w.f.file("send.tif"), "--calls", "2"}));
    w.window.receiveButton()->click();
    ReceiveSession* session = w.window.receiveSession();
    int clicksDuringReset = 0;
    auto status = session->hooks.status;
    session->hooks.status = [&](const QString& text) {
        status(text);
        if (text == "Resetting modem between calls..." && session->ResettingModem()) {
            ++clicksDuringReset;
            w.window.receiveButton()->click();
            w.window.receiveMenuItem()->trigger();
        }
    };
    // Both calls stored, each followed by its reset, and the engine waiting again.
    ASSERT_TRUE(RunUntil(
        [&] {
            return session->faxesStored() == 2 &&
                   session->receiveLog().lines().filter("Reset between calls complete").size() ==
                       2 &&
                   !session->ResettingModem();
        },
        2 * kCallTimeoutMs))
        << clicksDuringReset << "\n"
        << session->receiveLog().lines().join('\n').toStdString();
    EXPECT_EQ(w.f.line->Wait(), 0) << w.f.line->Output();
    EXPECT_EQ(clicksDuringReset, 2);
    EXPECT_TRUE(session->InReceiveMode());
    EXPECT_EQ(w.window.receiveButton()->text().toStdString(), "STOP");
    const QStringList lines = session->receiveLog().lines();
    EXPECT_EQ(lines.filter("Reset between calls complete").size(), 2)
        << lines.join('\n').toStdString();
    EXPECT_EQ(w.window.model(LogPage::Incoming)->rowCount(), 2);
}

// With AtStartup the first activation switches receive mode on, and a fax is answered.
TEST(MainScreenReceive, AtStartupStartsReceiveMode) {
    ReceiveWindow w({"[Receive]", "AtStartup=1"}, false);
    WriteTiff(w.f.file("send.tif"), {PatternPage(30, false, 200)});
    ASSERT_TRUE(
        w.f.startLine({"--class", "2", "--remote", "send", "--file", w.f.file("send.tif")}));
    EXPECT_FALSE(w.window.receiveSession()->InReceiveMode());
    w.Activate();
    ASSERT_TRUE(RunUntil([&] { return w.window.receiveSession()->InReceiveMode(); }, 30000));
    EXPECT_EQ(w.window.receiveButton()->text().toStdString(), "STOP");
    ASSERT_TRUE(RunUntil([&] { return w.window.model(LogPage::Incoming)->rowCount() == 1; },
                         kCallTimeoutMs));
    w.f.line->Wait();
}

// Closing while a fax comes in asks first; No keeps the window and receive mode.
TEST(MainScreenReceive, CloseWhileReceivingAsks) {
    ReceiveWindow w;
    WriteTiff(w.f.file("send.tif"), {PatternPage(28, true, 1200), PatternPage(29, true, 1200)});
    ASSERT_TRUE(
        w.f.startLine({"--class", "2", "--remote", "send", "--file", w.f.file("send.tif")}));
    w.window.receiveButton()->click();
    ReceiveSession* session = w.window.receiveSession();
    ASSERT_TRUE(RunUntil([&] { return session->ReceivingCall(); }, kCallTimeoutMs));
    w.f.boxes.queueAnswer(false);
    EXPECT_FALSE(w.window.close());
    ASSERT_EQ(w.f.boxes.shown().size(), 1u);
    EXPECT_EQ(w.f.boxes.shown()[0].text.toStdString(),
              "You are recieving a fax. Close the program?");
    EXPECT_EQ(w.f.boxes.shown()[0].title.toStdString(), "ALERT!");
    EXPECT_TRUE(session->InReceiveMode());
    ASSERT_TRUE(RunUntil([&] { return session->faxesStored() == 1; }, kCallTimeoutMs));
    w.f.line->Wait();
}

}  // namespace
}  // namespace corvane::testing
