// The cleanup window, the "Fax Log Printer" and its preview, driven through their widgets:
// the wiring between the controls and the logic classes.

#include <gtest/gtest.h>

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "../viewing_logic/peer_tools.h"
#include "core/settings.h"
#include "log_fixture.h"
#include "logwindow/log_cleanup_window.h"
#include "logwindow/log_report_window.h"
#include "logwindow/main_screen.h"
#include "logwindow/report_preview_window.h"

namespace corvane {
namespace {

TEST(LogCleanupWindow, ArchiveRunReviewsEachMatchAndReportsTheCount) {
    testing::OpenLogs logs;
    for (int i = 0; i < 4; ++i) logs.addOutgoing(QString("Fax %1").arg(i));
    ASSERT_TRUE(logs.fdm.FaxTable.query("SUBJECT <> \"Fax 3\"").ok());  // a view filter
    LogCleanupWindow window(logs.fdm, nullptr);
    window.show();
    EXPECT_EQ(logs.fdm.FaxTable.filter(), "");  // whole logs while the window is open
    window.actionButton[1]->click();
    EXPECT_EQ(window.runButton->text(), "Archive Now");
    EXPECT_FALSE(window.runButton->isEnabled());
    window.subset->setCurrentIndex(3);  // "Archive All Faxes"
    emit window.subset->activated(3);
    EXPECT_FALSE(window.conditionButton->isVisible());
    ASSERT_TRUE(window.runButton->isEnabled());

    QStringList statuses;
    int reviews = 0;
    window.onReview = [&](LogCleanupWindow& w) {
        statuses << w.status->text();
        EXPECT_EQ(w.thisFaxButton->text(), "Archive this Fax");
        (++reviews < 3 ? w.thisFaxButton : w.cancelButton)->click();
    };
    logs.boxes.queueAnswer(true);  // "Archive now?"
    window.runButton->click();
    EXPECT_EQ(statuses, (QStringList{"Match # 1 found - please review and select action:",
                                     "Match # 2 found - please review and select action:",
                                     "Match # 3 found - please review and select action:"}));
    EXPECT_EQ(logs.boxes.texts(), (QStringList{"Archive now?", "2 faxes were archived."}));
    EXPECT_EQ(window.pages->currentIndex(), 0);
    EXPECT_FALSE(window.anyDeleted());
    window.close();
    EXPECT_EQ(logs.fdm.FaxTable.filter(), "SUBJECT <> \"Fax 3\"");
}

TEST(LogCleanupWindow, DateConditionIsSetThroughTheDateDialog) {
    testing::OpenLogs logs;
    LogCleanupWindow window(logs.fdm, nullptr);
    window.askDate = [](LogCleanupWindow& w) -> std::optional<QDate> {
        EXPECT_EQ(w.setup().dateDialogCaption(), "Delete all before...");
        return QDate(2024, 3, 1);
    };
    EXPECT_EQ(window.conditionButton->text(), "Set Date");
    window.conditionButton->click();
    EXPECT_EQ(window.conditionButton->text(), "Revise Date");
    EXPECT_TRUE(window.runButton->isEnabled());
    CleanupDateDialog dialog("Delete all before...", QDate(2024, 2, 29));
    EXPECT_EQ(dialog.dayText->text(), "Thursday, February 29, 2024");
}

TEST(TReportForm, SavesAMonthOfTheIncomingLogAsPdfAndKeepsTheChoices) {
    testing::OpenLogs logs;
    logs.addIncoming("ACME", "R001.APF", 5);
    logs.addIncoming("GLOBEX", "R002.APF", 29);
    const QString pdf = logs.home.file("month.pdf");
    {
        TReportForm form(logs.fdm);
        form.show();
        form.logButton[1]->click();
        EXPECT_EQ(form.sort->itemText(1), "by From");
        form.rangeButton[3]->click();
        EXPECT_TRUE(form.calendarPanel->isVisible());
        EXPECT_EQ(form.calendarHeading->text(), "Select Month");
        form.calendar->setSelectedDate(QDate(2026, 3, 10));
        form.askPdfName = [&](QWidget*) { return pdf; };
        QString ended;
        form.waitForOk = [&](ReportStatusWindow& s) { ended = s.status->text(); };
        form.SaveAsPdf();
        EXPECT_EQ(ended, "Printing Page 1\nPrint Completed!");
        std::vector<ReportPage> shown;
        form.showPreview = [&](std::vector<ReportPage> pages) { shown = std::move(pages); };
        form.Preview();
        EXPECT_EQ(shown.size(), 1u);
        form.accept();
    }
    const QString text = QString::fromUtf8(testing::RunTool("pdftotext", {"-layout", pdf, "-"}));
    EXPECT_TRUE(text.contains("Corvane Incoming Faxes")) << text.toStdString();
    EXPECT_TRUE(text.contains("faxes For Month of 3/2026"));
    EXPECT_TRUE(text.contains("03/29/2026, 10:15am"));
    EXPECT_EQ(GlobalSettings().ReportInOut, 1);
    EXPECT_EQ(GlobalSettings().ReportRange, 3);

    LoadSettings();
    TReportForm again(logs.fdm);
    again.show();
    EXPECT_TRUE(again.logButton[1]->isChecked());
    EXPECT_TRUE(again.rangeButton[3]->isChecked());
    EXPECT_EQ(again.selectionBox->title(), "Selection - Incoming");
    again.reject();
}

TEST(ReportPreviewWindow, CaptionNavigationAndZoom) {
    std::vector<ReportPage> pages(3);
    ReportPreviewWindow preview(pages);
    preview.show();
    EXPECT_EQ(preview.windowTitle(), "Preview Page 1 of 3 ( 100% )");
    EXPECT_FALSE(preview.previousButton->isEnabled());
    preview.lastButton->click();
    EXPECT_EQ(preview.windowTitle(), "Preview Page 3 of 3 ( 100% )");
    EXPECT_FALSE(preview.nextButton->isEnabled());
    preview.zoomIn();
    EXPECT_EQ(preview.zoom(), 125);
    preview.zoomOut();
    preview.zoomOut();
    EXPECT_EQ(preview.zoom(), 75);
    ReportPreviewWindow single(std::vector<ReportPage>(1));
    single.show();
    EXPECT_FALSE(single.firstButton->isVisible());
}

TEST(TMainScreen, CleanupAndReportCommandsAreEnabledWithLogs) {
    testing::OpenLogs logs;
    TMainScreen window;
    window.SetDataModule(&logs.fdm);
    EXPECT_TRUE(window.menuAction("Print Fax Logs")->isEnabled());
    EXPECT_TRUE(window.menuAction("Clean up old faxes (Fax Log Cleanup)")->isEnabled());
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// CORVANE_DOC_SHOTS=folder: pictures of the cleanup window at a review, the "Fax Log Printer"
// and the preview, for the eye.
TEST(LogUpkeepWindows, Pictures) {
    const QString folder = qEnvironmentVariable("CORVANE_DOC_SHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set CORVANE_DOC_SHOTS to a folder for the pictures";
    testing::OpenLogs logs;
    for (int i = 0; i < 3; ++i) logs.addOutgoing(QString("Quarterly invoice %1").arg(i));
    LogCleanupWindow cleanup(logs.fdm, nullptr);
    cleanup.show();
    cleanup.grab().save(folder + "/cleanup-setup.png");
    cleanup.actionButton[1]->click();
    cleanup.subset->setCurrentIndex(3);
    emit cleanup.subset->activated(3);
    cleanup.onReview = [&](LogCleanupWindow& w) {
        QCoreApplication::processEvents();
        w.grab().save(folder + "/cleanup-review.png");
        w.cancelButton->click();
    };
    logs.boxes.queueAnswer(true);
    cleanup.runButton->click();

    TReportForm form(logs.fdm);
    form.show();
    form.rangeButton[3]->click();
    QCoreApplication::processEvents();
    form.grab().save(folder + "/report-window.png");
    form.showPreview = [&](std::vector<ReportPage> pages) {
        ReportPreviewWindow preview(std::move(pages));
        preview.resize(700, 800);
        preview.show();
        QCoreApplication::processEvents();
        preview.grab().save(folder + "/report-preview.png");
    };
    form.rangeButton[0]->click();
    form.Preview();
    form.reject();
}

}  // namespace
}  // namespace corvane
