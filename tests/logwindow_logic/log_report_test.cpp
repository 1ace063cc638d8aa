// The log report's choices, record texts and page layout, laid out into kept pages.

#include <gtest/gtest.h>

#include "logs_fixture.h"
#include "logwindow/logic/log_report.h"

namespace corvane {
namespace {

using testing::IncomingRecord;
using testing::LogsInHome;
using testing::OutgoingRecord;

TEST(ReportQuery, FiltersAndHeadingsOfEachChoice) {
    const QDate day(2024, 2, 14);
    const struct {
        LogKind log;
        int selection;
        ReportRange range;
        int sort;
        QString filter;
        QString heading;
        bool archivedCanAppear;
    } rows[] = {
        {LogKind::Outgoing, 0, ReportRange::AllDates, 0, "(.not. archived)",
         "Sorted by Date, All Outgoing Faxes (not archived)", false},
        {LogKind::Outgoing, 0, ReportRange::After, 2,
         "DATESENT > CTOD(\"02/14/2024\") .and. (.not. empty(DATESENT) .and. .not. archived)",
         "Sorted by Recipient, faxes after 2/14/24, All Outgoing Faxes (not archived)", false},
        {LogKind::Outgoing, 1, ReportRange::AllDates, 1, "(empty(DATESENT) .and. .not. archived)",
         "Sorted by Subject, Only Unsent Faxes", false},
        {LogKind::Outgoing, 3, ReportRange::Before, 3,
         "DATESENT < CTOD(\"02/14/2024\") .and. (archived .and. .not. empty(DATESENT))",
         "Sorted by Codes, faxes before 2/14/24, Only Archived Faxes", true},
        {LogKind::Outgoing, 3, ReportRange::AllDates, 0, "(archived)",
         "Sorted by Date, Only Archived Faxes", true},
        {LogKind::Incoming, 0, ReportRange::AllDates, 1, "", "Sorted by From, All Received Faxes",
         true},
        {LogKind::Incoming, 0, ReportRange::Month, 0,
         "(DATEREC >= CTOD(\"02/01/2024\")) .AND. (DATEREC <= CTOD(\"02/29/2024\"))",
         "Sorted by Date, faxes For Month of 2/2024, All Received Faxes", true},
        {LogKind::Incoming, 1, ReportRange::AllDates, 0, "(.not. archived)",
         "Sorted by Date, Only non-Archived Faxes", false},
    };
    for (const auto& row : rows) {
        ReportChoices c;
        c.log = row.log;
        (row.log == LogKind::Outgoing ? c.selectionOut : c.selectionIn) = row.selection;
        c.range = row.range;
        c.date = day;
        c.sort = row.sort;
        const ReportQuery q = BuildReportQuery(c);
        EXPECT_EQ(q.filter, row.filter) << row.heading.toStdString();
        EXPECT_EQ(q.heading, row.heading);
        EXPECT_EQ(q.archivedCanAppear, row.archivedCanAppear) << row.heading.toStdString();
    }
    ReportChoices feb2023;
    feb2023.range = ReportRange::Month;
    feb2023.date = QDate(2023, 2, 3);
    EXPECT_TRUE(BuildReportQuery(feb2023).filter.contains("CTOD(\"02/28/2023\")"));
}

TEST(ReportRecordTexts, DatesTimesAndExtras) {
    const struct {
        QString stored;
        QString shown;
    } times[] = {{"14:30", "02:30pm"},
                 {"00:05", "12:05am"},
                 {"12:00", "12:00pm"},
                 {"9:07", "09:07am"},
                 {"noon", "noon"}};
    for (const auto& t : times) EXPECT_EQ(ReportTimeText(t.stored), t.shown);

    LogsInHome logs;
    OutgoingRecord unsent;
    unsent.notes = " call first ";
    unsent.lastResult = "Busy";
    logs.add(unsent);
    ReportRecord r = ReadReportRecord(LogKind::Outgoing, logs.fdm.FaxTable);
    EXPECT_EQ(r.when, "[not sent]");
    EXPECT_EQ(r.party, "Acme Ltd at 555 0100");
    EXPECT_EQ(r.extras, (QStringList{"Notes: call first", "Last Result: Busy"}));

    OutgoingRecord sent;
    sent.sent = QDate(2024, 2, 29);
    sent.time = "14:30";
    logs.add(sent);
    EXPECT_EQ(ReadReportRecord(LogKind::Outgoing, logs.fdm.FaxTable).when, "02/29/2024, 02:30pm");

    IncomingRecord in;
    in.time = "";
    in.archived = true;
    logs.add(in);
    r = ReadReportRecord(LogKind::Incoming, logs.fdm.RecTable);
    EXPECT_EQ(r.when, "02/10/2024");
    EXPECT_TRUE(r.archived);
}

TEST(ReportColumns, PageWidthDifferenceIsSharedByColumnsTwoAndThree) {
    const ReportColumns letter = ReportColumnsFor(8.5, 1);
    EXPECT_DOUBLE_EQ(letter.width[1], 2.75);
    EXPECT_DOUBLE_EQ(letter.left[2], 1 + 1.5 + 2.75);
    const ReportColumns a4 = ReportColumnsFor(8.27, 1);
    EXPECT_DOUBLE_EQ(a4.width[0], 1.5);
    EXPECT_NEAR(a4.width[1], 2.635, 1e-9);
    EXPECT_NEAR(a4.width[2], 2.135, 1e-9);
}

QStringList pageTexts(const ReportPage& page) {
    QStringList texts;
    for (const auto& item : page.items())
        if (item.kind == ReportPageItem::Text) texts << item.text;
    return texts;
}

// A record that needs three lines where only two are left starts the next page, unshaded.
TEST(LogReportLayout, RecordThatDoesNotFitStartsTheNextPageUnshaded) {
    LogsInHome logs;
    KeptPages probe;
    ReportEngine measure(probe);
    measure.setFont("Times New Roman", 9);
    const double body = 11 - 0.5 - 1.0 - 0.5 - 0.5;
    const int perPage = int(body / measure.lineHeight() + 1e-6);
    const QString longSubject = "WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW";
    ASSERT_EQ(measure.wrap(longSubject, ReportColumnsFor(8.5, 1).width[2] - 0.1).size(), 3);
    const int fillers = perPage - 2;
    for (int i = 0; i < fillers; ++i) {
        OutgoingRecord r;
        r.sent = QDate(2024, 1, 1).addDays(i);
        r.subject = QString("Filler %1").arg(i);
        logs.add(r);
    }
    OutgoingRecord big;
    big.sent = QDate(2024, 1, 1).addDays(fillers);
    big.subject = longSubject;
    logs.add(big);

    ReportChoices c;  // all outgoing faxes, by date, shaded
    LogReport report(logs.fdm.FaxTable, LogKind::Outgoing, BuildReportQuery(c), true,
                     QDate(2024, 3, 1));
    ASSERT_TRUE(report.select().ok());
    KeptPages out;
    ReportEngine engine(out);
    ASSERT_TRUE(report.print(engine).ok());
    ASSERT_EQ(out.pages().size(), 2u);
    const QStringList first = pageTexts(out.pages()[0]);
    const QStringList second = pageTexts(out.pages()[1]);
    EXPECT_TRUE(first.contains(QString("Filler %1").arg(fillers - 1)));
    EXPECT_FALSE(first.contains("WWWW WWWW WWWW WWWW"));
    EXPECT_TRUE(second.contains("Page 2"));
    EXPECT_EQ(second.count("WWWW WWWW WWWW WWWW"), 2);  // the first two lines of three
    EXPECT_FALSE(second.contains("(* archived faxes are shown in italic)"));
    // Body of page 2 begins 1 inch below the top margin; the record sits there, unshaded.
    for (const auto& item : out.pages()[1].items())
        EXPECT_NE(item.kind, ReportPageItem::Box) << "shaded at " << item.box.top();
    // Page 1 alternates: every second record shaded, the first not.
    int boxesOnFirst = 0;
    double firstBoxTop = 1e9;
    for (const auto& item : out.pages()[0].items())
        if (item.kind == ReportPageItem::Box) {
            ++boxesOnFirst;
            firstBoxTop = std::min(firstBoxTop, item.box.top());
        }
    EXPECT_EQ(boxesOnFirst, 3 * (fillers / 2));  // three tabs a shaded line
    EXPECT_GT(firstBoxTop, 0.5 + 1.0 + 0.01);
}

TEST(LogReportLayout, ArchivedInItalicsWithFootnoteOnEveryPage) {
    LogsInHome logs;
    for (int i = 0; i < 120; ++i) {
        IncomingRecord r;
        r.from = QString("Sender %1").arg(i);
        r.archived = i % 2 == 1;
        logs.add(r);
    }
    ReportChoices c;
    c.log = LogKind::Incoming;
    LogReport report(logs.fdm.RecTable, LogKind::Incoming, BuildReportQuery(c), false);
    ASSERT_TRUE(report.select().ok());
    KeptPages out;
    ReportEngine engine(out);
    ASSERT_TRUE(report.print(engine).ok());
    ASSERT_GE(out.pages().size(), 2u);
    for (const ReportPage& page : out.pages()) {
        EXPECT_TRUE(pageTexts(page).contains("(* archived faxes are shown in italic)"));
        for (const auto& item : page.items()) {
            if (item.kind != ReportPageItem::Text || !item.text.startsWith("Sender ")) continue;
            const bool archived = item.text.mid(7).toInt() % 2 == 1;
            EXPECT_EQ(item.font.italic, archived) << item.text.toStdString();
            EXPECT_EQ(item.font.points, 9);
        }
    }
}

TEST(LogReportLayout, EmptyDatedSelectionIsRefusedAndFiltersComeBack) {
    LogsInHome logs;
    logs.add(IncomingRecord{});
    auto& t = logs.fdm.RecTable;
    ASSERT_TRUE(t.query(".not. archived").ok());
    const int order = t.indexOrd();
    {
        ReportChoices c;
        c.log = LogKind::Incoming;
        c.range = ReportRange::Month;
        c.date = QDate(2023, 7, 1);
        LogReport report(t, LogKind::Incoming, BuildReportQuery(c), true);
        EXPECT_EQ(report.select().message(), "No records match these criteria");
        c.range = ReportRange::AllDates;
        c.selectionIn = 2;  // only archived: none, but undated selections print anyway
        LogReport undated(t, LogKind::Incoming, BuildReportQuery(c), true);
        EXPECT_TRUE(undated.select().ok());
        EXPECT_EQ(undated.recordCount(), 0);
    }
    EXPECT_EQ(t.filter(), ".not. archived");
    EXPECT_EQ(t.indexOrd(), order);
}

}  // namespace
}  // namespace corvane
