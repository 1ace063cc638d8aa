#include "logwindow/logic/report_window_state.h"

#include <QDateTime>

#include "logs/date_time_text.h"

namespace corvane {

ReportWindowState::ReportWindowState(const QDate& today) {
    choices.date = today;
}

void ReportWindowState::load(const Settings& s) {
    auto within = [](int value, qsizetype count) {
        return value >= 0 && value < count ? value : 0;
    };
    choices.log = s.ReportInOut == 1 ? LogKind::Incoming : LogKind::Outgoing;
    choices.shade = s.ReportShadeAlt;
    choices.selectionIn = within(s.ReportSelectionIn, ReportSelections(LogKind::Incoming).size());
    choices.selectionOut = within(s.ReportSelectionOut, ReportSelections(LogKind::Outgoing).size());
    choices.sort = within(s.ReportSort, ReportSortEntries(choices.log).size());
    choices.range = ReportRange(within(s.ReportRange, 4));
}

void ReportWindowState::store(Settings& s) const {
    s.ReportInOut = choices.log == LogKind::Incoming ? 1 : 0;
    s.ReportShadeAlt = choices.shade;
    s.ReportSelectionIn = choices.selectionIn;
    s.ReportSelectionOut = choices.selectionOut;
    s.ReportSort = choices.sort;
    s.ReportRange = int(choices.range);
}

QString ReportWindowState::calendarHeading() const {
    return choices.range == ReportRange::Month ? "Select Month" : "Select Date";
}

QString ReportWindowState::chosenDayText() const {
    return FormatDateTimeText("dddd, mmmm d, yyyy", QDateTime(choices.date, QTime(0, 0)));
}

QString ReportWindowState::selectionGroupTitle() const {
    return choices.log == LogKind::Outgoing ? "Selection - Outgoing" : "Selection - Incoming";
}

QString ReportStatusCaption(ReportRunKind kind) {
    return kind == ReportRunKind::Print ? "Print Status" : "Preview Status";
}

QString ReportStatusButton(ReportRunKind kind) {
    return kind == ReportRunKind::Print ? "Cancel" : "Stop";
}

QString ReportPageStatus(int page) {
    return QString("Printing Page %1").arg(page);
}

QString ReportEndStatus(ReportRunKind kind, ReportRunEnd end, int page) {
    const bool print = kind == ReportRunKind::Print;
    switch (end) {
        case ReportRunEnd::Completed:
            return print ? "Print Completed!" : "Preview Ready!";
        case ReportRunEnd::Canceled:
            return print ? "Print Canceled!" : "Preview Canceled!";
        case ReportRunEnd::Stopped:
            return QString("Preview Stopped at page %1!").arg(page);
    }
    return {};
}

QString PrintToLabel(const QString& printer) {
    return "Print to:  " + printer;
}

QString NoPrintersMessage() {
    return "There are no printers installed";
}

}  // namespace corvane
