// The main window as a person first sees it: shown without ever being activated (no window
// manager), reactivated many times, and the grids' columns on both pages.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTableView>

#include "core/app_folders.h"
#include "log_fixture.h"
#include "logwindow/log_table_model.h"
#include "logwindow/main_screen.h"

namespace corvane {
namespace {

using testing::OpenLogs;

// Logs with a few faxes each way and a window over them, shown but not yet activated.
struct ShownWindow {
    OpenLogs logs;
    TMainScreen window;

    explicit ShownWindow(int width = 1000) {
        for (int i = 0; i < 5; ++i) {
            logs.addOutgoing(QString("Report %1").arg(i),
                             QString("FAX%1.APF").arg(i, 5, 10, QChar('0')));
            xbase::XbaseTable& t = logs.fdm.FaxTable;
            EXPECT_TRUE(t.replaceDate("DATESENT", QDate(2026, 12, 20 + i)));
            EXPECT_TRUE(t.replaceText("TIMESENT", QString("%1:45").arg(10 + i)));
            EXPECT_TRUE(t.commit());
        }
        for (int i = 0; i < 3; ++i)
            logs.addIncoming(QString("+1 555 77%1").arg(i), QString("FAX000%1.APF").arg(i + 1),
                             20 + i);
        window.SetDataModule(&logs.fdm);
        window.SetDialogs(&logs.dialogs);
        window.resize(width, 600);
        window.show();
        settle();
    }
    void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    void activate() {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        settle();
    }
};

TEST(TMainScreenDisplay, AWindowShownButNeverActivatedShowsItsRecords) {
    ShownWindow shown;
    EXPECT_FALSE(shown.window.state().FirstActivation);
    QTableView* grid = shown.window.grid(LogPage::Outgoing);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(shown.window.model(LogPage::Outgoing)->rowCount(), 5);
    EXPECT_TRUE(grid->selectionModel()->currentIndex().isValid());
    EXPECT_GT(grid->height(), shown.window.height() / 2);
    // Activated later, nothing runs a second time as a first activation.
    shown.activate();
    EXPECT_TRUE(grid->isVisible());
}

TEST(TMainScreenDisplay, ReactivationKeepsTheWidthAndTheExitButtonInside) {
    ShownWindow shown;
    const int width = shown.window.width();
    for (int i = 0; i < 5; ++i) shown.activate();
    EXPECT_EQ(shown.window.width(), width);
    QPushButton* exit = shown.window.exitButton();
    EXPECT_LE(exit->mapTo(&shown.window, QPoint(exit->width(), 0)).x(), shown.window.width());
}

// Every column but the stretched last one fits its header and the texts it shows; the last
// one fills the rest of the grid, on the page that was hidden while the logs loaded too.
TEST(TMainScreenDisplay, ColumnsFitTheirHeadersAndTextsOnBothPages) {
    ShownWindow shown(1400);
    for (LogPage p : {LogPage::Outgoing, LogPage::Incoming}) {
        SCOPED_TRACE(p == LogPage::Outgoing ? "outgoing" : "incoming");
        shown.window.tabStrip()->setCurrentIndex(int(p));
        shown.settle();
        QTableView* grid = shown.window.grid(p);
        LogTableModel* model = shown.window.model(p);
        ASSERT_GT(model->rowCount(), 0);
        const int last = model->columnCount() - 1;
        const QFontMetrics headerFont = grid->horizontalHeader()->fontMetrics();
        const int headerMargin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin);
        int others = 0;
        for (int c = 0; c < last; ++c) {
            const QString label = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            EXPECT_GE(grid->columnWidth(c), headerFont.horizontalAdvance(label) + 2 * headerMargin)
                << label.toStdString();
            for (int r = 0; r < model->rowCount(); ++r) {
                const QString text = model->index(r, c).data().toString();
                EXPECT_GE(grid->columnWidth(c), grid->fontMetrics().horizontalAdvance(text) + 6)
                    << label.toStdString() << ": " << text.toStdString();
            }
            others += grid->columnWidth(c);
        }
        EXPECT_EQ(grid->columnWidth(last), std::max(500, grid->viewport()->width() - others));
    }
}

// The Fax File column shows the file as it is on the disk, not the stored name lower-cased.
TEST(TMainScreenDisplay, FaxFileColumnShowsTheRealPath) {
    ShownWindow shown;
    QFile file(AppFolder() + "Receive/Fax0001.Apf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    LogTableModel* model = shown.window.model(LogPage::Incoming);
    model->Refresh();
    QStringList paths;
    for (int r = 0; r < model->rowCount(); ++r) paths << model->index(r, 5).data().toString();
    EXPECT_TRUE(paths.contains(AppFolder() + "Receive/Fax0001.Apf"))
        << paths.join(' ').toStdString();
    EXPECT_TRUE(paths.contains(AppFolder() + "Receive/FAX0002.APF"))
        << paths.join(' ').toStdString();
    const QString outgoing = shown.window.model(LogPage::Outgoing)->index(0, 6).data().toString();
    EXPECT_EQ(outgoing, AppFolder() + "SEND/FAX00004.APF");
}

}  // namespace
}  // namespace corvane
