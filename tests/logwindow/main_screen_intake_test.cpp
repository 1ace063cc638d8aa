// The main window takes the fax printer's jobs in on activation: at start-up the grid then
// stands on the fax added last, and the hand-over file names this data folder.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTableView>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "log_fixture.h"
#include "logwindow/log_table_model.h"
#include "logwindow/main_screen.h"
#include "sending/intake/printer_intake.h"

namespace corvane {
namespace {

void WriteJob(const testing::OpenLogs& logs, const QString& base, const QByteArray& lines) {
    testing::WriteApf(logs.send(base + ".APF"), 1);
    QFile job(logs.send(base + ".JFD"));
    ASSERT_TRUE(job.open(QIODevice::WriteOnly));
    job.write(lines);
}

void Activate(TMainScreen& window) {
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    QCoreApplication::processEvents();
}

TEST(TMainScreen, ActivationTakesInPrintJobsAndShowsTheFaxAddedLast) {
    testing::OpenLogs logs;
    for (int i = 0; i < 3; ++i) logs.addOutgoing(QString("Earlier %1").arg(i));
    WriteJob(logs, "PRN00000", "111\r\nFirst Printed\r\nOne\r\n");
    WriteJob(logs, "PRN00001", "222\r\nSecond Printed\r\nTwo\r\n");

    TMainScreen window;
    window.SetDataModule(&logs.fdm);
    window.SetDialogs(&logs.dialogs);
    window.show();
    QCoreApplication::processEvents();
    Activate(window);

    EXPECT_EQ(logs.fdm.FaxTable.recCount(), 5u);
    EXPECT_EQ(logs.fdm.FaxTable.fieldText("RECIPIENT").trimmed(), "Second Printed");
    QTableView* grid = window.grid(LogPage::Outgoing);
    const QModelIndex current = grid->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(window.model(LogPage::Outgoing)->index(current.row(), 3).data().toString(),
              "Second Printed");
    EXPECT_FALSE(QFile::exists(logs.send("PRN00001.JFD")));

    QString send = SendFolder();
    send.chop(1);
    EXPECT_EQ(IniFile(DriverSettingsFileName()).readString("Location", "QXOutPath"), send);

    // Switching back to the program takes in what was printed meanwhile.
    WriteJob(logs, "PRN00002", "333\r\nThird Printed\r\n");
    Activate(window);
    EXPECT_EQ(logs.fdm.FaxTable.recCount(), 6u);
    EXPECT_EQ(window.model(LogPage::Outgoing)->rowCount(), 6);
    EXPECT_FALSE(QFile::exists(logs.send("PRN00002.JFD")));

    // The printer's request to come to the front takes jobs in even where the desktop keeps
    // the focus elsewhere.
    WriteJob(logs, "PRN00003", "444\r\nFourth Printed\r\n");
    window.BringToFront();
    EXPECT_EQ(logs.fdm.FaxTable.recCount(), 7u);
    EXPECT_EQ(window.model(LogPage::Outgoing)->rowCount(), 7);
}

}  // namespace
}  // namespace corvane
