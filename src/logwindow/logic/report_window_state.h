#pragma once
// The "Fax Log Printer" window without widgets: the choices it shows, where they are kept
// (section "Report" of the settings), what the date panel shows, and the texts of the status
// window that follows a print or preview run.

#include <QDate>
#include <QString>

#include "core/settings.h"
#include "logwindow/logic/log_report_query.h"

namespace corvane {

class ReportWindowState {
  public:
    explicit ReportWindowState(const QDate& today = QDate::currentDate());

    ReportChoices choices;

    // The saved choices (indexes out of range fall back to the first entry).
    void load(const Settings& s);
    void store(Settings& s) const;

    // The calendar panel: shown for the three dated ranges, headed "Select Date" (after,
    // before) or "Select Month", with the chosen day as "dddd, mmmm d, yyyy".
    bool calendarVisible() const { return choices.range != ReportRange::AllDates; }
    QString calendarHeading() const;
    QString chosenDayText() const;
    // "Selection - Outgoing" or "Selection - Incoming".
    QString selectionGroupTitle() const;
};

// Texts of the status window.
enum class ReportRunKind { Print, Preview };
enum class ReportRunEnd { Completed, Canceled, Stopped };
QString ReportStatusCaption(ReportRunKind kind);  // "Print Status" / "Preview Status"
QString ReportStatusButton(ReportRunKind kind);   // "Cancel" / "Stop"
QString ReportPageStatus(int page);               // "Printing Page 3"
QString ReportEndStatus(ReportRunKind kind, ReportRunEnd end, int page);

// "Print to:  " + the printer.
QString PrintToLabel(const QString& printer);
// "There are no printers installed".
QString NoPrintersMessage();

}  // namespace corvane
