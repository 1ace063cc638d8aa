#pragma once
// The choices of the fax log report and what they select: the selection and sort lists of
// each log, the filter expression a choice gives, the heading printed under the title, and
// whether archived faxes can appear (then the report explains the italics).

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/locale_formats.h"
#include "logs/fax_data_module.h"

namespace corvane {

enum class ReportRange { AllDates = 0, After = 1, Before = 2, Month = 3 };

// What the report window holds; the settings of section "Report" keep all but the date.
struct ReportChoices {
    LogKind log = LogKind::Outgoing;
    int selectionOut = 0;  // index in ReportSelections(Outgoing)
    int selectionIn = 0;
    ReportRange range = ReportRange::AllDates;
    QDate date;    // after, before, or any day of the month
    int sort = 0;  // index in ReportSortEntries(log)
    bool shade = true;

    int selection() const { return log == LogKind::Outgoing ? selectionOut : selectionIn; }
};

QStringList ReportSelections(LogKind log);
QStringList ReportSortEntries(LogKind log);
QString ReportSortTag(LogKind log, int entry);  // DATEND, SUBJECT, ...

struct ReportQuery {
    QString filter;   // xBase expression; empty: every record
    QString heading;  // "Sorted by Date, faxes after 3/1/26, Only Sent Faxes"
    bool archivedCanAppear = false;
    bool dated = false;  // a date range was chosen (an empty result is then refused)
    QString sortTag;
};

ReportQuery BuildReportQuery(const ReportChoices& choices,
                             const LocaleFormats& formats = LocaleFormats());

// "No records match these criteria".
QString NoRecordsMessage();

}  // namespace corvane
