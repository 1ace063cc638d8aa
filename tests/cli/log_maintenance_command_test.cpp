// corvane-cli log report and log cleanup, run as a separate process over a fixed pair of
// logs; the report's PDF is read back with poppler (pdftotext, pdftoppm).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "core/app_folders.h"
#include "fixtures/program_run.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "peer_tools.h"

namespace corvane {
namespace {

struct Out {
    QString subject;
    QDate sent;
    QString time, recipient, phone, notes, codes, lastResult;
    bool archived = false;
};
struct In {
    QDate date;
    QString time, from, notes, file;
    bool archived = false;
};

// The fixture: a few faxes each way around February 2024 (a leap year).
const Out kOut[] = {
    {"Invoice 1001", QDate(2024, 2, 1), "09:05", "Acme Ltd", "555 0100", "", "B7", "OK", false},
    {"Draft offer", {}, "", "Globex", "555 0200", "call first", "", "Busy", false},
    {"Old archive", QDate(2023, 12, 24), "18:00", "Initech", "555 0300", "", "", "OK", true},
    {"Leap day order", QDate(2024, 2, 29), "14:30", "Acme Ltd", "555 0100", "", "", "OK", false},
};
const In kIn[] = {
    {QDate(2024, 1, 31), "23:59", "JANUARY", "last of january", "R0001.APF", false},
    {QDate(2024, 2, 1), "00:01", "FEB FIRST", "first of february", "R0002.APF", false},
    {QDate(2024, 2, 29), "12:00", "LEAP DAY", "leap day fax", "R0003.APF", true},
    {QDate(2024, 3, 1), "08:00", "MARCH", "first of march", "R0004.APF", false},
};

class LogMaintenance : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(testing::CliPath()).isExecutable())
            << testing::CliPath().toStdString();
        if (!testing::HaveTool("pdftotext") || !testing::HaveTool("pdftoppm"))
            GTEST_SKIP() << "poppler-utils not installed";
        QDir().mkpath(AppFolder() + "SEND");
        QDir().mkpath(AppFolder() + "Receive");
        TFDM fdm;
        ASSERT_TRUE(fdm.OpenFaxLogs());
        for (const Out& o : kOut) addOut(fdm, o);
        for (const In& i : kIn) addIn(fdm, i);
    }

    static void addOut(TFDM& fdm, const Out& o) {
        OutgoingFaxFields f;
        f.subject = o.subject;
        f.recipient = o.recipient;
        f.phone = o.phone;
        f.notes = o.notes;
        f.codes = o.codes;
        ASSERT_TRUE(fdm.AppendOutgoingFax(f));
        auto& t = fdm.FaxTable;
        if (o.sent.isValid()) (void)t.replaceDate("DATESENT", o.sent);
        (void)t.replaceText("TIMESENT", o.time);
        (void)t.replaceText("LASTRESULT", o.lastResult);
        (void)t.replaceLogical("ARCHIVED", o.archived);
        (void)t.commit();
    }
    static void addIn(TFDM& fdm, const In& i) {
        ReceivedFaxFields f;
        f.date = i.date;
        f.time = i.time;
        f.from = i.from;
        f.pages = 1;
        f.faxFile = i.file;
        ASSERT_TRUE(fdm.AppendReceivedFax(f));
        (void)fdm.RecTable.replaceText("NOTES", i.notes);
        (void)fdm.RecTable.replaceLogical("ARCHIVED", i.archived);
        (void)fdm.RecTable.commit();
        if (i.file.isEmpty()) return;
        QFile file(AppFolder() + "Receive/" + i.file);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    testing::ProgramRun cli(const QStringList& args) {
        return testing::RunCli(QStringList{"log"} + args, home_.path(), {.timeoutMs = 120000});
    }

    // The report's pages as text (pdftotext -layout), one string per page.
    QStringList report(const QStringList& args) {
        const QString pdf = home_.file("report.pdf");
        QFile::remove(pdf);
        const testing::ProgramRun r = cli(QStringList{"report"} + args + QStringList{pdf});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QStringList pages =
            QString::fromUtf8(testing::RunTool("pdftotext", {"-layout", pdf, "-"})).split('\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
        return pages;
    }

    testing::TempHome home_;
};

bool hasLine(const QString& page, const QString& pattern) {
    return page.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption));
}

TEST_F(LogMaintenance, OutgoingReportListsUnsentAndLeavesArchivedOut) {
    const QStringList pages = report({"out"});
    ASSERT_EQ(pages.size(), 1);
    const QString& p = pages[0];
    EXPECT_TRUE(hasLine(p, R"(^\s*Corvane Outgoing Faxes\s+Page 1\s*$)")) << p.toStdString();
    EXPECT_TRUE(
        hasLine(p, R"(^\s*Sorted by Date, All Outgoing Faxes \(not archived\)\s+\d+/\d+/\d+\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*Date\s+Recipient\s+Subject\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*\[not sent\]\s+Globex at 555 0200\s+Draft offer\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*Notes: call first\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*Last Result: Busy\s*$)"));
    EXPECT_TRUE(
        hasLine(p, R"(^\s*02/29/2024, 02:30pm\s+Acme Ltd at 555 0100\s+Leap day order\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*Codes: B7\s*$)"));
    EXPECT_FALSE(p.contains("Old archive"));
    EXPECT_FALSE(p.contains("archived faxes are shown in italic"));
    // Sorted by date: the unsent fax (no date) first, the leap day last.
    EXPECT_LT(p.indexOf("Draft offer"), p.indexOf("Invoice 1001"));
    EXPECT_LT(p.indexOf("Invoice 1001"), p.indexOf("Leap day order"));

    const QStringList after = report({"out", "--after", "2024-01-01"});
    ASSERT_EQ(after.size(), 1);
    EXPECT_FALSE(after[0].contains("[not sent]"));
    EXPECT_TRUE(after[0].contains("faxes after 1/1/24"));
    const QStringList archived = report({"out", "--selection", "archived"});
    EXPECT_TRUE(archived[0].contains("Old archive"));
    EXPECT_TRUE(archived[0].contains("(* archived faxes are shown in italic)"));
}

TEST_F(LogMaintenance, IncomingMonthOfFebruary2024CoversTheTwentyNinth) {
    const QStringList pages = report({"in", "--month", "2024-02"});
    ASSERT_EQ(pages.size(), 1);
    const QString& p = pages[0];
    EXPECT_TRUE(hasLine(p, R"(^\s*Corvane Incoming Faxes\s+Page 1\s*$)"));
    EXPECT_TRUE(p.contains("Sorted by Date, faxes For Month of 2/2024, All Received Faxes"));
    EXPECT_TRUE(hasLine(p, R"(^\s*Date\s+From\s+Notes\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*02/01/2024, 12:01am\s+FEB FIRST\s+first of february\s*$)"));
    EXPECT_TRUE(hasLine(p, R"(^\s*02/29/2024, 12:00pm\s+LEAP DAY\s+leap day fax\s*$)"));
    EXPECT_FALSE(p.contains("JANUARY"));
    EXPECT_FALSE(p.contains("MARCH"));
    EXPECT_TRUE(p.contains("(* archived faxes are shown in italic)"));
    const QStringList open = report({"in", "--selection", "non-archived"});
    EXPECT_FALSE(open[0].contains("archived faxes are shown in italic"));
    EXPECT_FALSE(open[0].contains("LEAP DAY"));

    const testing::ProgramRun none =
        cli({"report", "in", "--month", "2023-02", home_.file("none.pdf")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("No records match these criteria"));
    EXPECT_FALSE(QFile::exists(home_.file("none.pdf")));
}

// Many faxes with notes that wrap: every record's lines land on one page, each page is
// counted, and shading shows as 5 % grey pixels only when asked for.
TEST_F(LogMaintenance, PageBreaksNeverSplitARecordAndShadingShows) {
    {
        TFDM fdm;
        ASSERT_TRUE(fdm.OpenFaxLogs());
        for (int i = 0; i < 150; ++i) {
            const QString tag = QString("r%1x").arg(i, 3, 10, QChar('0'));
            In r{QDate(2024, 4, 1).addDays(i / 10),
                 QString("%1:00").arg(10 + i % 10),
                 "BULK " + tag,
                 (tag + " ").repeated(10).trimmed(),
                 "",
                 false};
            addIn(fdm, r);
        }
    }
    const QString pdf = home_.file("bulk.pdf");
    ASSERT_EQ(cli({"report", "in", "--after", "2024-03-31", "--shade", pdf}).exitCode, 0);
    QStringList pages =
        QString::fromUtf8(testing::RunTool("pdftotext", {"-layout", pdf, "-"})).split('\f');
    if (pages.last().trimmed().isEmpty()) pages.removeLast();
    ASSERT_GE(pages.size(), 3);
    for (int i = 0; i < 150; ++i) {
        const QString tag = QString("r%1x").arg(i, 3, 10, QChar('0'));
        int onPages = 0, count = 0;
        for (const QString& page : pages) {
            const int n = int(page.count(tag));
            count += n;
            onPages += n > 0;
        }
        EXPECT_EQ(onPages, 1) << tag.toStdString();
        EXPECT_EQ(count, 11) << tag.toStdString();  // the sender and ten in the notes
    }
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(hasLine(pages[i], QString(R"(Page %1\s*$)").arg(i + 1)));

    // One rendered file per page.
    QDir pngs(home_.file("pages"));
    QDir().mkpath(pngs.path());
    testing::RunTool("pdftoppm", {"-gray", "-r", "20", pdf, pngs.filePath("p")});
    EXPECT_EQ(pngs.entryList({"p-*.pgm"}).size(), pages.size());

    // Rows of page 1 that are mostly light grey: the shaded records (5 % grey is 242).
    auto shadedRows = [&](const QString& file) {
        const QByteArray pgm =
            testing::RunTool("pdftoppm", {"-gray", "-r", "36", "-f", "1", "-l", "1", file});
        // "P5\n<w> <h>\n255\n" then one byte a pixel.
        const QList<QByteArray> head = pgm.left(64).split('\n');
        EXPECT_EQ(head.value(0), "P5");
        const QList<QByteArray> size = head.value(1).split(' ');
        const int w = size.value(0).toInt(), h = size.value(1).toInt();
        const qsizetype start = head[0].size() + head[1].size() + head[2].size() + 3;
        int rows = 0;
        for (int y = 0; y < h && start + qsizetype(y + 1) * w <= pgm.size(); ++y) {
            int grey = 0;
            for (int x = 0; x < w; ++x) {
                const int v = uchar(pgm[start + qsizetype(y) * w + x]);
                grey += v >= 236 && v <= 248;
            }
            rows += grey > w / 2;
        }
        return rows;
    };
    EXPECT_GT(shadedRows(pdf), 40);
    const QString plain = home_.file("plain.pdf");
    ASSERT_EQ(cli({"report", "in", "--after", "2024-03-31", plain}).exitCode, 0);
    EXPECT_EQ(shadedRows(plain), 0);
}

TEST_F(LogMaintenance, CleanupListsMatchesAndAppliesOnlyWithYes) {
    const testing::ProgramRun list =
        cli({"cleanup", "out", "--action", "archive", "--before", "2024-02-29"});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_EQ(list.lines(),
              (QStringList{"1\t02/01/2024, 09:05am\tAcme Ltd at 555 0100\tInvoice 1001",
                           "1 matches; nothing changed (add --yes to archive them)"}));
    // With --yes the same list, then what was done.
    EXPECT_EQ(
        cli({"cleanup", "out", "--action", "archive", "--before", "2024-02-29", "--yes"}).lines(),
        (QStringList{list.lines().value(0), "1 faxes were archived."}));
    EXPECT_EQ(
        cli({"cleanup", "out", "--action", "archive", "--before", "2024-02-29"}).lines().last(),
        "0 matches; nothing changed (add --yes to archive them)");

    // Deleting removes the received files and, through the rebuild, the records.
    const testing::ProgramRun del =
        cli({"cleanup", "in", "--action", "delete", "--where", "FROM=r", "--yes"});
    EXPECT_EQ(del.lines().size(), 4);
    EXPECT_EQ(del.lines().value(3), "3 faxes were deleted.") << del.err.toStdString();
    EXPECT_FALSE(QFile::exists(AppFolder() + "Receive/R0002.APF"));
    EXPECT_TRUE(QFile::exists(AppFolder() + "Receive/R0003.APF"));
    const testing::ProgramRun rest = cli({"list", "in"});
    ASSERT_EQ(rest.lines().size(), 1);
    EXPECT_TRUE(rest.lines()[0].startsWith("1\t"));  // packed: numbered afresh
    EXPECT_TRUE(rest.lines()[0].contains("LEAP DAY"));
    EXPECT_EQ(
        cli({"cleanup", "in", "--action", "delete", "--where", "FROM=\"x\" .or. .t."}).lines(),
        QStringList{"0 matches; nothing changed (add --yes to delete them)"});
    EXPECT_EQ(cli({"cleanup", "in", "--action", "delete", "--where", "FROM=  "}).exitCode, 2);
}

}  // namespace
}  // namespace corvane
