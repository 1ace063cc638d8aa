#include <gtest/gtest.h>

#include <QAction>
#include <QBrush>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "log_fixture.h"
#include "logwindow/log_table_model.h"
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

TEST(TMainScreen, ClosingTellsTheUserWhenTheSettingsCannotBeSaved) {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TMainScreen window;
    // A folder where QX.INI should be makes the write fail for any user, root included.
    QDir().mkpath(SettingsFileName());
    QCloseEvent event;
    QCoreApplication::sendEvent(&window, &event);
    EXPECT_TRUE(event.isAccepted());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, ScriptedMessageBoxes::Shown::Information);
    EXPECT_TRUE(
        boxes.shown()[0].text.startsWith("Cannot write settings file " + SettingsFileName() + ": "))
        << boxes.shown()[0].text.toStdString();
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

using testing::OpenLogs;

// A window over logs with `count` outgoing faxes (every third archived, every other sent)
// and a few received ones, after its first activation.
struct DemoWindow {
    OpenLogs logs;
    TMainScreen window;

    explicit DemoWindow(int count = 20) {
        for (int i = 0; i < count; ++i) {
            logs.addOutgoing(
                QString("Quarterly report %1").arg(i),
                QString("FAX%1.APF").arg(i, 5, 10, QChar('0')),
                i % 4 == 0 ? QString("COV%1.APF").arg(i, 5, 10, QChar('0')) : QString(),
                QString("Customer %1").arg(QChar('A' + i % 26)),
                QString("555 01%1").arg(i, 2, 10, QChar('0')));
            xbase::XbaseTable& t = logs.fdm.FaxTable;
            if (i % 2) {
                EXPECT_TRUE(t.replaceDate("DATESENT", QDate(2026, 3, 1).addDays(i)));
                EXPECT_TRUE(
                    t.replaceText("TIMESENT", QString("%1:30").arg(8 + i % 10, 2, 10, QChar('0'))));
                EXPECT_TRUE(t.replaceText("LASTRESULT", "Sent OK"));
            }
            EXPECT_TRUE(t.replaceLogical("ARCHIVED", i % 3 == 0));
            EXPECT_TRUE(t.commit());
        }
        for (int i = 0; i < 4; ++i)
            logs.addIncoming(QString("+1 555 77%1").arg(i), QString("FAX000%1.APF").arg(i + 1),
                             i + 1);
        window.SetDataModule(&logs.fdm);
        window.SetDialogs(&logs.dialogs);
        window.resize(1000, 600);
        window.show();
        QCoreApplication::processEvents();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
    }
};

TEST(TMainScreen, GridsShowTheLogsWithTheirColumnsAndArchivedRowsInRed) {
    DemoWindow demo;
    LogTableModel* out = demo.window.model(LogPage::Outgoing);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->rowCount(), 20);
    QStringList headers;
    for (int c = 0; c < out->columnCount(); ++c)
        headers << out->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(headers, (QStringList{"Date Sent", "Time Sent", "Fax#", "Recipient", "Subject",
                                    "Last Attempt", "Fax File"}));
    // DATESENT descending: the newest sent fax first, unsent ones (empty date) last.
    EXPECT_EQ(out->index(0, 4).data().toString(), "Quarterly report 19");
    int red = 0;
    for (int r = 0; r < out->rowCount(); ++r) {
        const bool archived = out->archivedAt(r);
        const QVariant colour = out->index(r, 4).data(Qt::ForegroundRole);
        EXPECT_EQ(colour.isValid(), archived);
        if (archived) {
            EXPECT_EQ(colour.value<QBrush>().color(), QColor(Qt::red));
            ++red;
        }
    }
    EXPECT_EQ(red, 7);  // 0, 3, ..., 18
    EXPECT_EQ(demo.window.grid(LogPage::Outgoing)->palette().color(QPalette::HighlightedText),
              QColor(Qt::white));
    const QString fileColumn = out->index(0, 6).data().toString();
    EXPECT_TRUE(fileColumn.endsWith("/SEND/FAX00019.APF")) << fileColumn.toStdString();

    LogTableModel* in = demo.window.model(LogPage::Incoming);
    EXPECT_EQ(in->rowCount(), 4);
    EXPECT_EQ(in->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "From Fax #");
    EXPECT_EQ(in->index(0, 2).data().toString(), "+1 555 773");  // newest first
}

TEST(TMainScreen, LayoutFillsThePageBelowItsBarAndStretchesTheLastColumn) {
    DemoWindow demo;
    QTableView* grid = demo.window.grid(LogPage::Outgoing);
    QWidget* page = demo.window.notebook()->widget(0);
    QComboBox* view = demo.window.viewSelector(LogPage::Outgoing);
    const QRect gridRect(grid->mapTo(page, QPoint(0, 0)), grid->size());
    const QRect barRect(view->mapTo(page, QPoint(0, 0)), view->size());
    // The bar sits at the top of the page, the grid right below it down to the bottom.
    EXPECT_LT(barRect.top(), 12);
    EXPECT_GT(gridRect.top(), barRect.bottom());
    EXPECT_LT(gridRect.top() - barRect.bottom(), 16);
    EXPECT_GT(gridRect.bottom(), page->height() - 10);
    EXPECT_GT(gridRect.width(), page->width() - 12);
    // The notebook fills the window below the tab strip; nothing floats in the middle.
    EXPECT_GT(demo.window.notebook()->height(), demo.window.height() / 2);
    const int last = grid->model()->columnCount() - 1;
    EXPECT_GE(grid->columnWidth(last), 500);

    const QImage shot = demo.window.grab().toImage();
    EXPECT_EQ(shot.size(), demo.window.size() * demo.window.devicePixelRatio());
    // CORVANE_SCREENSHOT=file.png saves a picture of the window for the documentation.
    const QString out = qEnvironmentVariable("CORVANE_SCREENSHOT");
    if (!out.isEmpty()) {
        demo.window.resize(1280, 620);
        QCoreApplication::processEvents();
        demo.window.grab().save(out);
    }
}

TEST(TMainScreen, CommandsFollowTheSelectedRecordAndTheDeleteKeyNeedsOne) {
    DemoWindow demo(0);
    TMainScreen& w = demo.window;
    EXPECT_FALSE(w.button("&Delete")->isEnabled());
    EXPECT_FALSE(w.findButton(LogPage::Outgoing)->isEnabled());
    EXPECT_FALSE(w.grid(LogPage::Outgoing)->isEnabled());
    EXPECT_EQ(demo.logs.fdm.FaxTable.indexOrd(), 0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(w.grid(LogPage::Outgoing), &del);
    EXPECT_TRUE(demo.logs.boxes.shown().empty());
    EXPECT_EQ(demo.logs.dialogs.beeps, 0);

    demo.logs.addOutgoing("Late arrival");
    w.Refresh();
    EXPECT_EQ(w.model(LogPage::Outgoing)->rowCount(), 1);
    EXPECT_TRUE(w.button("&Delete")->isEnabled());
    EXPECT_TRUE(w.grid(LogPage::Outgoing)->isEnabled());
    EXPECT_EQ(demo.logs.fdm.FaxTable.tagName(demo.logs.fdm.FaxTable.indexOrd()), "DATESENT");
    demo.logs.boxes.queueAnswer(true);
    QCoreApplication::sendEvent(w.grid(LogPage::Outgoing), &del);
    EXPECT_EQ(demo.logs.boxes.shown().size(), 1u);
    EXPECT_EQ(w.model(LogPage::Outgoing)->rowCount(), 0);
    EXPECT_FALSE(w.button("&Delete")->isEnabled());
}

TEST(TMainScreen, ViewSelectorFiltersTheGridAndArchiveCaptionFollowsTheRecord) {
    DemoWindow demo;
    TMainScreen& w = demo.window;
    w.viewSelector(LogPage::Outgoing)->setCurrentIndex(1);
    emit w.viewSelector(LogPage::Outgoing)->activated(1);  // "Only Unsent Faxes"
    EXPECT_EQ(w.model(LogPage::Outgoing)->rowCount(), 6);  // even and not archived
    w.viewSelector(LogPage::Outgoing)->setCurrentIndex(3);
    emit w.viewSelector(LogPage::Outgoing)->activated(3);  // "Only Archived Faxes"
    EXPECT_EQ(w.model(LogPage::Outgoing)->rowCount(), 7);
    EXPECT_EQ(w.menuAction("&Archive Selected Fax")->text(), "Un&Archive Selected Fax");
    EXPECT_EQ(w.popupMenu(LogPage::Outgoing)->actions()[0]->text(), "Un&Archive Selected Fax");

    // Unarchiving the selected fax takes it out of this view.
    demo.logs.boxes.queueAnswer(true);
    w.ArchiveSelected();
    EXPECT_EQ(w.model(LogPage::Outgoing)->rowCount(), 6);

    // Send follows the outgoing selection; the incoming page enables Edit (notes) and Forward.
    EXPECT_TRUE(w.button("&Send")->isEnabled());
    EXPECT_TRUE(w.button("&View")->isEnabled());
    w.tabStrip()->setCurrentIndex(1);
    EXPECT_TRUE(w.button("&Edit")->isEnabled());
    EXPECT_TRUE(w.menuAction("For&ward Received Fax")->isEnabled());
    EXPECT_FALSE(w.menuAction("&Clone Selected Fax")->isEnabled());
}

}  // namespace
}  // namespace corvane
