// The cleanup's review scan over real logs: which records are offered, what each button does,
// the counts reported, and the files a delete removes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/app_folders.h"
#include "logs_fixture.h"
#include "logwindow/logic/log_cleanup_scan.h"
#include "logwindow/logic/log_cleanup_setup.h"

namespace corvane {
namespace {

using testing::IncomingRecord;
using testing::LogsInHome;
using testing::OutgoingRecord;

struct ScanRun {
    QList<uint32_t> offered;  // record numbers stopped at, in order
    int applied = 0;
    bool anyDeleted = false;
    QString summary;
};

// Runs a scan and answers each review with the next choice (Skip once they run out).
ScanRun scan(xbase::XbaseTable& table, LogKind log, CleanupAction action, const QString& condition,
             bool date, QList<ReviewChoice> choices) {
    CleanupScan s(table, log, action, condition, date);
    ScanRun run;
    EXPECT_TRUE(s.begin().ok());
    while (s.nextMatch()) {
        run.offered << table.recNo();
        s.choose(choices.isEmpty() ? ReviewChoice::Skip : choices.takeFirst());
    }
    s.finish();
    run.applied = s.applied();
    run.anyDeleted = s.anyDeleted();
    run.summary = s.summary();
    return run;
}

TEST(CleanupScan, DateConditionNeverMatchesUnsentFaxes) {
    LogsInHome logs;
    OutgoingRecord unsent;
    OutgoingRecord feb;
    feb.sent = QDate(2024, 2, 28);
    OutgoingRecord mar1;
    mar1.sent = QDate(2024, 3, 1);
    OutgoingRecord mar5;
    mar5.sent = QDate(2024, 3, 5);
    logs.add(unsent);
    const uint32_t febRec = logs.add(feb);
    logs.add(mar1);
    logs.add(mar5);
    const QString before = DateConditionExpression(LogKind::Outgoing, QDate(2024, 3, 1));
    // Twice in a row: the empty-date exclusion holds both times.
    for (int pass = 0; pass < 2; ++pass) {
        const ScanRun run = scan(logs.fdm.FaxTable, LogKind::Outgoing, CleanupAction::Archive,
                                 before, true, {ReviewChoice::Skip});
        EXPECT_EQ(run.offered, QList<uint32_t>{febRec}) << "pass " << pass;
        EXPECT_EQ(run.summary, "0 faxes were archived.");
    }
}

TEST(CleanupScan, ArchivedFaxesAreNotOfferedForArchive) {
    LogsInHome logs;
    OutgoingRecord plain, archived;
    archived.archived = true;
    const uint32_t a = logs.add(plain);
    logs.add(archived);
    const uint32_t c = logs.add(plain);
    const ScanRun run = scan(logs.fdm.FaxTable, LogKind::Outgoing, CleanupAction::Archive, ".true.",
                             false, {ReviewChoice::ThisFax, ReviewChoice::ThisFax});
    EXPECT_EQ(run.offered, (QList<uint32_t>{a, c}));
    EXPECT_EQ(run.summary, "2 faxes were archived.");
    // Now every fax is archived: Unarchive All Archived offers all three.
    const ScanRun back = scan(logs.fdm.FaxTable, LogKind::Outgoing, CleanupAction::Unarchive,
                              "archived", false, {ReviewChoice::RemainingMatches});
    EXPECT_EQ(back.offered.size(), 1);  // the first match; the rest without asking
    EXPECT_EQ(back.summary, "3 faxes were unarchived.");
    EXPECT_EQ(logs.fdm.FaxTable.query("archived").value_or(-1), 0);
}

TEST(CleanupScan, FromConditionMatchesPartlyOrExactly) {
    LogsInHome logs;
    IncomingRecord corp, plain, other;
    corp.from = "ACME Corp";
    plain.from = " acme";
    other.from = "Globex";
    const uint32_t corpRec = logs.add(corp);
    const uint32_t plainRec = logs.add(plain);
    logs.add(other);
    auto offered = [&](bool exact) {
        return scan(logs.fdm.RecTable, LogKind::Incoming, CleanupAction::Delete,
                    TextConditionExpression("FROM", "acme", exact), false, {})
            .offered;
    };
    EXPECT_EQ(offered(false), (QList<uint32_t>{corpRec, plainRec}));
    EXPECT_EQ(offered(true), QList<uint32_t>{plainRec});
}

struct ThreeDeletable {
    LogsInHome logs;
    QList<uint32_t> recs;
    ThreeDeletable() {
        for (int i = 1; i <= 4; ++i) {
            IncomingRecord r;
            r.from = i == 3 ? "Keep" : "Drop";
            r.file = QString("R%1.APF").arg(i);
            recs << logs.add(r);
            QFile f(logs.received(r.file));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
};

TEST(CleanupScan, RemainingMatchesDeletesEveryMatchWithoutAsking) {
    ThreeDeletable d;
    auto& t = d.logs.fdm.RecTable;
    const ScanRun run = scan(t, LogKind::Incoming, CleanupAction::Delete,
                             TextConditionExpression("FROM", "drop", true), false,
                             {ReviewChoice::RemainingMatches});
    EXPECT_EQ(run.offered, QList<uint32_t>{d.recs[0]});
    EXPECT_EQ(run.summary, "3 faxes were deleted.");
    EXPECT_TRUE(run.anyDeleted);
    EXPECT_FALSE(QFileInfo::exists(d.logs.received("R1.APF")));
    EXPECT_FALSE(QFileInfo::exists(d.logs.received("R2.APF")));
    EXPECT_TRUE(QFileInfo::exists(d.logs.received("R3.APF")));
    EXPECT_FALSE(QFileInfo::exists(d.logs.received("R4.APF")));
    EXPECT_EQ(t.queryRecCount(), 1);
    EXPECT_TRUE(t.deletedHidden());  // hiding is back on after the scan
}

TEST(CleanupScan, CancelAtTheThirdMatchReportsTwo) {
    LogsInHome logs;
    for (int i = 0; i < 5; ++i) logs.add(IncomingRecord{});
    const ScanRun run =
        scan(logs.fdm.RecTable, LogKind::Incoming, CleanupAction::Delete, ".true.", false,
             {ReviewChoice::ThisFax, ReviewChoice::ThisFax, ReviewChoice::Cancel});
    EXPECT_EQ(run.offered.size(), 3);
    EXPECT_EQ(run.summary, "2 faxes were deleted.");
    EXPECT_EQ(logs.fdm.RecTable.queryRecCount(), 3);
    // The log stays where the scan stopped: on the third record, which was not deleted.
    EXPECT_EQ(logs.fdm.RecTable.recNo(), 3u);
    EXPECT_FALSE(logs.fdm.RecTable.deleted());
}

TEST(CleanupScan, SkipLeavesTheRecordAndDeletedRecordsAreNeverOfferedAgain) {
    LogsInHome logs;
    for (int i = 0; i < 3; ++i) logs.add(IncomingRecord{});
    const ScanRun first = scan(logs.fdm.RecTable, LogKind::Incoming, CleanupAction::Delete,
                               ".true.", false, {ReviewChoice::Skip, ReviewChoice::ThisFax});
    EXPECT_EQ(first.summary, "1 faxes were deleted.");
    const ScanRun second =
        scan(logs.fdm.RecTable, LogKind::Incoming, CleanupAction::Delete, ".true.", false, {});
    EXPECT_EQ(second.offered, (QList<uint32_t>{1, 3}));
    EXPECT_FALSE(second.anyDeleted);
}

TEST(CleanupScan, FilesADeleteRemoves) {
    const struct {
        const char* doc;
        const char* cover;
        QStringList onDisk;  // in SEND/
        QStringList remaining;
    } rows[] = {
        {"FAX00001.APF",
         "COV00001.APF",
         {"FAX00001.APF", "COV00001.APF", "COV00001.fcd", "x.APF"},
         {"x.APF"}},
        {"FAX00002.APF", "", {"FAX00002.APF", "COV00002.APF"}, {"COV00002.APF"}},
        {"", "COV00003.APF", {"COV00003.APF", "COV00003.fcd", "FAX00003.APF"}, {"FAX00003.APF"}},
        // Names stored in lower case and files written in another case are the same files.
        {"fax00004.apf", "cov00004.apf", {"Fax00004.Apf", "COV00004.APF", "cov00004.FCD"}, {}},
        // A stored name that reaches outside SEND/ names no file.
        {"../QX.INI", "", {"QX.INI"}, {"QX.INI"}},
    };
    for (const auto& row : rows) {
        LogsInHome logs;
        QDir send(AppFolder() + "SEND");
        for (const QString& name : row.onDisk) {
            QFile f(name == "QX.INI" ? AppFolder() + name : send.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        OutgoingRecord r;
        r.doc = row.doc;
        r.cover = row.cover;
        logs.add(r);
        scan(logs.fdm.FaxTable, LogKind::Outgoing, CleanupAction::Delete, ".true.", false,
             {ReviewChoice::ThisFax});
        QStringList left = send.entryList(QDir::Files, QDir::Name);
        if (QFileInfo::exists(AppFolder() + "QX.INI")) left << "QX.INI";
        EXPECT_EQ(left, row.remaining) << row.doc << " / " << row.cover;
    }
    LogsInHome logs;
    IncomingRecord in;
    in.file = "R001ABCD.APF";  // FAXFILE holds 12 characters
    logs.add(in);
    QFile received(logs.received("r001abcd.apf"));
    ASSERT_TRUE(received.open(QIODevice::WriteOnly));
    received.close();
    scan(logs.fdm.RecTable, LogKind::Incoming, CleanupAction::Delete, ".true.", false,
         {ReviewChoice::ThisFax});
    EXPECT_FALSE(received.exists());
}

}  // namespace
}  // namespace corvane
