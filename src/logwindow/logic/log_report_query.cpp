#include "logwindow/logic/log_report_query.h"

#include <QDateTime>

#include "logs/date_time_text.h"

namespace corvane {

namespace {

struct Selection {
    const char* entry;
    const char* testAllDates;
    const char* testDated;
    bool archivedCanAppear;
};

// In list order. The outgoing log lists archived faxes only where they are asked for, and
// with a date range only faxes that have a date.
const Selection kOutgoing[] = {
    {"All Outgoing Faxes", ".not. archived", ".not. empty(DATESENT) .and. .not. archived", false},
    {"Only Unsent Faxes", "empty(DATESENT) .and. .not. archived",
     "empty(DATESENT) .and. .not. archived", false},
    {"Only Sent Faxes", "(.not. empty(DATESENT)) .and. .not. archived",
     "(.not. empty(DATESENT)) .and. .not. archived", false},
    {"Only Archived Faxes", "archived", "archived .and. .not. empty(DATESENT)", true},
};
const Selection kIncoming[] = {
    {"All Received Faxes", "", "", true},
    {"Only non-Archived Faxes", ".not. archived", ".not. archived", false},
    {"Only Archived Faxes", "archived", "archived", true},
};

const Selection& selectionOf(const ReportChoices& c) {
    if (c.log == LogKind::Outgoing)
        return kOutgoing[qBound(0, c.selectionOut, int(std::size(kOutgoing)) - 1)];
    return kIncoming[qBound(0, c.selectionIn, int(std::size(kIncoming)) - 1)];
}

QString quotedDate(const QDate& d) {
    return "\"" + d.toString("MM/dd/yyyy") + "\"";
}

}  // namespace

QStringList ReportSelections(LogKind log) {
    QStringList entries;
    if (log == LogKind::Outgoing)
        for (const Selection& s : kOutgoing) entries << s.entry;
    else
        for (const Selection& s : kIncoming) entries << s.entry;
    return entries;
}

QStringList ReportSortEntries(LogKind log) {
    if (log == LogKind::Outgoing) return {"by Date", "by Subject", "by Recipient", "by Codes"};
    return {"by Date", "by From"};
}

QString ReportSortTag(LogKind log, int entry) {
    const QStringList tags = log == LogKind::Outgoing
                                 ? QStringList{"DATEND", "SUBJECT", "RECIPIENT", "CODES"}
                                 : QStringList{"DATEND", "FROM"};
    return tags.value(entry, tags.first());
}

ReportQuery BuildReportQuery(const ReportChoices& c, const LocaleFormats& formats) {
    ReportQuery q;
    const QStringList sorts = ReportSortEntries(c.log);
    const int sort = qBound(0, c.sort, int(sorts.size()) - 1);
    q.sortTag = ReportSortTag(c.log, sort);
    q.heading = "Sorted " + sorts[sort];
    const QString d = c.log == LogKind::Outgoing ? "DATESENT" : "DATEREC";
    const QDate day = c.date.isValid() ? c.date : QDate::currentDate();
    const QDateTime at(day, QTime(0, 0));
    QString dateTest;
    switch (c.range) {
        case ReportRange::AllDates:
            break;
        case ReportRange::After:
            dateTest = d + " > CTOD(" + quotedDate(day) + ")";
            q.heading += ", faxes after " + FormatDateTimeText(formats.shortDate, at, formats);
            break;
        case ReportRange::Before:
            dateTest = d + " < CTOD(" + quotedDate(day) + ")";
            q.heading += ", faxes before " + FormatDateTimeText(formats.shortDate, at, formats);
            break;
        case ReportRange::Month: {
            const QDate first(day.year(), day.month(), 1);
            const QDate last(day.year(), day.month(), first.daysInMonth());
            dateTest = "(" + d + " >= CTOD(" + quotedDate(first) + ")) .AND. (" + d + " <= CTOD(" +
                       quotedDate(last) + "))";
            q.heading += QString(", faxes For Month of %1/%2").arg(day.month()).arg(day.year());
            break;
        }
    }
    q.dated = c.range != ReportRange::AllDates;
    const Selection& s = selectionOf(c);
    const QString selection = q.dated ? s.testDated : s.testAllDates;
    q.heading += QString(", ") + s.entry;
    if (c.log == LogKind::Outgoing && c.selectionOut <= 0) q.heading += " (not archived)";
    q.archivedCanAppear = s.archivedCanAppear;
    if (!dateTest.isEmpty() && !selection.isEmpty())
        q.filter = dateTest + " .and. (" + selection + ")";
    else if (!selection.isEmpty())
        q.filter = "(" + selection + ")";
    else
        q.filter = dateTest;
    return q;
}

QString NoRecordsMessage() {
    return "No records match these criteria";
}

}  // namespace corvane
