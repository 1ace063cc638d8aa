#pragma once
// "Fax Log Printer" (TReportForm): the choices of the fax log report, kept in section "Report"
// of the settings, and Print (print dialog first), Preview, Printer Setup and "Save as PDF...".
// Each run shows the status window ("Print Status" / "Preview Status") with its page count and
// Cancel or Stop. The choices and texts live in ReportWindowState, the report in LogReport.

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "logwindow/logic/report_output.h"
#include "logwindow/logic/report_window_state.h"

class QButtonGroup;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace corvane {

class TFDM;

// The status window of one run: "Printing Page n", then the end text and "OK".
class ReportStatusWindow : public QDialog {
    Q_OBJECT
  public:
    ReportStatusWindow(ReportRunKind kind, QWidget* parent = nullptr);
    void setPage(int page);
    void finished(ReportRunEnd end);
    // Set when Cancel (confirmed) or Stop was pressed during the run.
    bool canceled() const { return canceled_; }
    QLabel* status;
    QPushButton* button;

  private:
    ReportRunKind kind_;
    int page_ = 0;
    bool running_ = true;
    bool canceled_ = false;
};

class TReportForm : public QDialog {
    Q_OBJECT
  public:
    TReportForm(TFDM& fdm, QWidget* parent = nullptr);
    ~TReportForm() override;
    static void Run(TFDM& fdm, QWidget* parent);

    ReportWindowState& state() { return state_; }
    void Print();
    void Preview();
    void SaveAsPdf();
    void PrinterSetup();

    // Hooks tests replace: the file name "Save as PDF..." writes (empty: Cancel), the print
    // dialog (false: Cancel), and what is done with the finished preview's pages.
    std::function<QString(QWidget*)> askPdfName;
    std::function<bool(QPrinter&, QWidget*)> printDialog;
    std::function<void(std::vector<ReportPage>)> showPreview;
    // Called with each status window as it opens (tests read or press it), and at the end of
    // a run that waits for its "OK" (by default the window runs until OK is pressed).
    std::function<void(ReportStatusWindow&)> onStatusWindow;
    std::function<void(ReportStatusWindow&)> waitForOk;

    QLabel* printTo;
    QRadioButton* logButton[2];
    QGroupBox* selectionBox;
    QStackedWidget* selections;
    QRadioButton* selectionOut[4];
    QRadioButton* selectionIn[3];
    QRadioButton* rangeButton[4];
    QWidget* calendarPanel;
    QLabel* calendarHeading;
    QLabel* chosenDay;
    QCalendarWidget* calendar;
    QCheckBox* shade;
    QComboBox* sort;
    QPushButton* printButton;
    QPushButton* previewButton;
    QPushButton* setupButton;
    QPushButton* pdfButton;
    QPushButton* closeButton;

  protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

  private:
    void showState();
    void readControls();
    // Runs the report into `output` under a status window; the end state.
    ReportRunEnd runReport(ReportRunKind kind, ReportOutput& output);
    QString currentPrinter() const;
    bool havePrinters() const;
    // The printer dialog over the chosen printer; a printer picked there becomes the report's.
    // False when there is no printer or the person cancels.
    bool choosePrinter(QPrinter& printer);

    TFDM& fdm_;
    ReportWindowState state_;
    bool activated_ = false;
    bool filling_ = false;
    struct Noted {
        std::string filter;
        int order = 0;
    } noted_[2];
};

}  // namespace corvane
