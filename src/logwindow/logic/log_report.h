#pragma once
// The fax log report: one block per fax under a header on every page, laid out by the report
// engine. LogReport selects the records of a log (filter and order from a ReportQuery), lays
// them out page by page and puts the log's filter, order and record back afterwards.
//
// Page layout, in inches: margins 1 left and right; columns of 1.5 (date), 2.75 (the other
// party) and 2.25 (subject or notes) on a page 8.5 wide, the second and third sharing any
// difference; the column titles 0.8 below the top margin, the body from 1 below the top
// margin to 0.5 above the bottom margin, the footnote under the body.

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/locale_formats.h"
#include "logs/fax_data_module.h"
#include "logwindow/logic/log_report_query.h"
#include "logwindow/logic/report_engine.h"

namespace corvane {

// The texts of one record as the report prints them.
struct ReportRecord {
    QString when;        // "03/01/2024, 02:30pm", "[not sent]" ...
    QString party;       // outgoing "RECIPIENT at PHONE", incoming FROM
    QString about;       // SUBJECT or NOTES
    QStringList extras;  // outgoing "Notes: ", "Codes: ", "Last Result: " lines, when not empty
    bool archived = false;
};

ReportRecord ReadReportRecord(LogKind log, const xbase::XbaseTable& table);
// "14:30" -> "02:30pm"; a time that cannot be read stays as it is.
QString ReportTimeText(const QString& storedTime);

// The three column widths for a page of `pageWidth` inches.
struct ReportColumns {
    double left[3];
    double width[3];
};
ReportColumns ReportColumnsFor(double pageWidth, double leftMargin);

class LogReport {
  public:
    LogReport(xbase::XbaseTable& table, LogKind log, ReportQuery query, bool shade,
              QDate today = QDate::currentDate(), LocaleFormats formats = LocaleFormats());
    ~LogReport();

    // Applies the filter and order. Fails with "No records match these criteria" when a date
    // range selects nothing (every other selection prints even when empty), or with the
    // engine's message for a bad filter.
    Status select();
    int recordCount() const { return count_; }
    // Lays the selected records out; the engine's result (canceled, output failure).
    Status print(ReportEngine& engine);
    // Puts the filter, order and record back as they were before select().
    void restore();

    // Layout steps, public for the engine's callbacks and the tests.
    void printHeader(ReportEngine& engine) const;
    // Lines a record needs in the body font.
    int linesNeeded(ReportEngine& engine, const ReportRecord& record) const;
    void printRecord(ReportEngine& engine, const ReportRecord& record, bool shaded) const;

  private:
    xbase::XbaseTable& table_;
    LogKind log_;
    ReportQuery query_;
    bool shade_;
    QDate today_;
    LocaleFormats formats_;
    int count_ = 0;
    bool selected_ = false;
    std::string savedFilter_;
    int savedOrder_ = 0;
    uint32_t savedRecno_ = 0;
};

}  // namespace corvane
