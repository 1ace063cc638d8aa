// The fax log tables: opening at start-up, tags, calculated fields, phone book and the
// pack-and-reindex procedure, in a fresh data folder per test.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "core/app_folders.h"
#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"
#include "logs/rebuild_indexes.h"
#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "fixtures/xbase_test_util.h"

namespace corvane {
namespace {

using xbase::OpenMode;
using xbase::XbaseTable;

std::vector<std::string> tagNames(const XbaseTable& t) {
    std::vector<std::string> names;
    for (int i = 1; i <= t.tagCount(); ++i) names.push_back(t.tagName(i));
    return names;
}

std::vector<QString> column(XbaseTable& t, const char* field) {
    std::vector<QString> values;
    for (bool ok = t.goTop(); ok; ok = t.skip(1)) values.push_back(t.fieldText(field));
    return values;
}

const std::vector<std::string> kOutgoingTagNames = {"DATESENT", "SUBJECT", "RECIPIENT", "CODES",
                                                    "ARCHIVED", "DATEND",  "UPHONE",    "URECIP"};
const std::vector<std::string> kIncomingTagNames = {"DATETIME", "FROM", "ARCHIVED", "DATEND",
                                                    "UFROM"};

class FaxLogs : public ::testing::Test {
  protected:
    void open() {
        fdm_ = std::make_unique<TFDM>();
        ASSERT_TRUE(fdm_->OpenFaxLogs()) << boxes_.texts().join("; ").toStdString();
    }
    void addOutgoing(const QString& subject, const QString& recipient, const QString& phone,
                     const QString& doc = "FAX00000.APF") {
        ASSERT_TRUE(fdm_->AppendOutgoingFax({subject, recipient, phone, doc, "", "", ""}));
    }
    void addIncoming(const QDate& date, const QString& time, const QString& from, int pages = 1) {
        ASSERT_TRUE(fdm_->AppendReceivedFax({date, time, from, pages, "FAX0001.APF"}));
    }

    testing::TempHome home_;
    ScopedScriptedMessageBoxes boxes_;
    std::unique_ptr<TFDM> fdm_;
};

TEST_F(FaxLogs, FirstStartCreatesBothLogsWithTheirFieldsAndTags) {
    open();
    EXPECT_TRUE(boxes_.shown().empty());
    for (const char* name : {"QXOUT.DBF", "QXOUT.CDX", "QXREC.DBF", "QXREC.CDX"})
        EXPECT_TRUE(QFile::exists(home_.file(name))) << name;
    EXPECT_FALSE(QFile::exists(home_.file("QXPB.DBF")));
    EXPECT_EQ(tagNames(fdm_->FaxTable), kOutgoingTagNames);
    EXPECT_EQ(tagNames(fdm_->RecTable), kIncomingTagNames);
    // Both logs start in their first index order.
    EXPECT_EQ(fdm_->FaxTable.tagName(fdm_->FaxTable.indexOrd()), "DATESENT");
    EXPECT_EQ(fdm_->RecTable.tagName(fdm_->RecTable.indexOrd()), "DATETIME");

    struct Field {
        std::string name;
        char type;
        int width;
    };
    auto layout = [](const XbaseTable& t) {
        std::vector<std::string> out;
        for (const auto& f : t.fields())
            out.push_back(f.name + " " + f.type + std::to_string(f.width));
        return out;
    };
    EXPECT_EQ(
        layout(fdm_->FaxTable),
        (std::vector<std::string>{"SUBJECT C50", "DATESENT D8", "TIMESENT C5", "RECIPIENT C35",
                                  "PHONE C25", "LASTRESULT C100", "FAXDOC C12", "FAXCOVER C12",
                                  "NOTES C50", "CODES C25", "ARCHIVED L1"}));
    EXPECT_EQ(layout(fdm_->RecTable),
              (std::vector<std::string>{"DATEREC D8", "TIMEREC C5", "FROM C20", "PAGES N2",
                                        "FAXFILE C12", "NOTES C60", "ARCHIVED L1"}));
    // A second opener fails while the logs are open: they are exclusive.
    XbaseTable other;
    EXPECT_FALSE(other.open(home_.file("QXOUT.DBF"), OpenMode::ReadOnly));
    // Reopening keeps the index (no rebuild, no message).
    fdm_.reset();
    open();
    EXPECT_EQ(tagNames(fdm_->FaxTable), kOutgoingTagNames);
    EXPECT_FALSE(fdm_->IndexesNeedRebuild());
}

TEST_F(FaxLogs, LockedOrMissingPiecesAtStartUp) {
    open();
    addIncoming(QDate(2024, 3, 1), "10:00", "111");
    fdm_.reset();
    // Deleting the incoming index: recreated at the next start, no message.
    ASSERT_TRUE(QFile::remove(home_.file("QXREC.CDX")));
    open();
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(tagNames(fdm_->RecTable), kIncomingTagNames);
    fdm_->RecTable.setOrder(1);
    EXPECT_EQ(column(fdm_->RecTable, "FROM"), (std::vector<QString>{"111"}));
    fdm_.reset();

    struct {
        const char* lockedFile;
        const char* message;
    } const cases[] = {
        {"QXOUT.DBF", "Unable to open/create the FAX datafile - closing program"},
        {"QXREC.DBF", "Unable to open/create the FAX RECEIVE datafile - closing program"},
    };
    for (const auto& c : cases) {
        // Another program (here: another open of the file) holds the table.
        XbaseTable holder;
        ASSERT_TRUE(holder.open(home_.file(c.lockedFile), OpenMode::Shared));
        ScopedScriptedMessageBoxes boxes;
        TFDM fdm;
        EXPECT_FALSE(fdm.OpenFaxLogs()) << c.lockedFile;
        EXPECT_EQ(boxes.texts(), QStringList{c.message});
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].kind, ScriptedMessageBoxes::Shown::Information);
    }
    // A table file that is not a table at all.
    QFile::remove(home_.file("QXOUT.DBF"));
    home_.write("QXOUT.DBF", "not a table");
    ScopedScriptedMessageBoxes boxes;
    TFDM fdm;
    EXPECT_FALSE(fdm.OpenFaxLogs());
    EXPECT_EQ(boxes.texts(),
              QStringList{"Unable to open/create the FAX datafile - closing program"});
}

TEST_F(FaxLogs, DeletedRecordLeavesEveryOrderAtOnceAndTheFileOnRebuild) {
    open();
    addOutgoing("Quote", "Ann", "555-1");
    addOutgoing("Invoice", "Bob", "555-2");
    addOutgoing("Reminder", "Ann", "555-1");
    XbaseTable& t = fdm_->FaxTable;
    ASSERT_TRUE(t.go(2));
    ASSERT_TRUE(t.deleteRecord());
    for (int order = 0; order <= t.tagCount(); ++order) {
        t.setOrder(order);
        const auto subjects = column(t, "SUBJECT");
        EXPECT_EQ(std::count(subjects.begin(), subjects.end(), "Invoice"), 0) << t.tagName(order);
    }
    EXPECT_EQ(t.recCount(), 3u);
    t.setOrder(t.tagArea("URECIP"));
    EXPECT_EQ(column(t, "RECIPIENT"), (std::vector<QString>{"Ann"}));

    std::vector<QString> statuses;
    std::vector<int> gauge;
    RebuildIndexes rebuild;
    rebuild.onStatus = [&](const QString& s) { statuses.push_back(s); };
    rebuild.onGauge = [&](int p) { gauge.push_back(p); };
    t.setOrder(t.tagArea("SUBJECT"));
    ASSERT_TRUE(rebuild.run(*fdm_));
    // The phone book is created by its first use, this one.
    EXPECT_EQ(
        statuses,
        (std::vector<QString>{
            "Removing FAX file records marked for deletion", "Rebuilding FAX file indexes",
            "Removing RECEIVE file records marked for deletion", "Rebuilding RECEIVE file indexes",
            "Removing PHONE file records marked for deletion", "Rebuilding PHONE file indexes"}));
    ASSERT_FALSE(gauge.empty());
    EXPECT_TRUE(std::all_of(gauge.begin(), gauge.end(), [](int p) { return p >= 0 && p <= 100; }));
    EXPECT_NE(std::find(gauge.begin(), gauge.end(), 100), gauge.end());
    EXPECT_EQ(t.recCount(), 2u);
    EXPECT_EQ(t.indexOrd(), t.tagArea("SUBJECT"));  // the noted order is selected again
    EXPECT_EQ(column(t, "SUBJECT"), (std::vector<QString>{"Quote", "Reminder"}));
    EXPECT_EQ(tagNames(t), kOutgoingTagNames);
    EXPECT_FALSE(fdm_->PhoneTable.isOpen());
    // A phone book held by someone else is skipped silently.
    XbaseTable holder;
    ASSERT_TRUE(holder.open(home_.file("QXPB.DBF"), OpenMode::Shared));
    statuses.clear();
    EXPECT_TRUE(rebuild.run(*fdm_));
    EXPECT_EQ(statuses.size(), 4u);
}

TEST_F(FaxLogs, MissingNewerTagAsksForARebuildThatRestoresAllTags) {
    open();
    addOutgoing("A", "Ann", "1");
    ASSERT_TRUE(fdm_->FaxTable.createTag({"URECIP", "RECIPIENT", "", false, false}));  // replaced
    fdm_.reset();
    {
        // An index from an older version: the first seven tags only.
        TFDM old;
        ASSERT_TRUE(old.OpenOutgoingLog());
        old.FaxTable.closeIndexes();
        QFile::remove(XbaseTable::indexPathFor(old.FaxTable.path()));
        for (size_t i = 0; i < 7; ++i) ASSERT_TRUE(old.FaxTable.createTag(OutgoingTags()[i]));
    }
    open();
    EXPECT_TRUE(fdm_->IndexesNeedRebuild());
    RebuildIndexes().run(*fdm_);
    EXPECT_FALSE(fdm_->IndexesNeedRebuild());
    EXPECT_EQ(tagNames(fdm_->FaxTable), kOutgoingTagNames);
}

TEST_F(FaxLogs, UniqueSenderOrderListsEachSenderOnce) {
    open();
    addIncoming(QDate(2024, 1, 2), "08:00", "+47 555");
    addIncoming(QDate(2024, 1, 3), "09:00", "+47 555");
    addIncoming(QDate(2024, 1, 1), "07:00", "+1 800");
    XbaseTable& t = fdm_->RecTable;
    t.setOrder(t.tagArea("UFROM"));
    EXPECT_EQ(column(t, "FROM"), (std::vector<QString>{"+47 555", "+1 800"}));  // descending
    t.setOrder(t.tagArea("FROM"));
    EXPECT_EQ(column(t, "FROM"), (std::vector<QString>{"+47 555", "+47 555", "+1 800"}));
    t.setOrder(t.tagArea("DATETIME"));  // newest first
    EXPECT_EQ(column(t, "TIMEREC"), (std::vector<QString>{"09:00", "08:00", "07:00"}));
    t.setOrder(t.tagArea("DATEND"));
    EXPECT_EQ(column(t, "TIMEREC"), (std::vector<QString>{"07:00", "08:00", "09:00"}));
}

TEST_F(FaxLogs, CalculatedFieldsAndPageCount) {
    open();
    addOutgoing("Cover", "Ann", "1", "");
    EXPECT_EQ(fdm_->CalcFaxFile(), "(Cover only)");
    addOutgoing("Doc", "Ann", "1", "FAX00007.APF");
    EXPECT_EQ(fdm_->CalcFaxFile(), SendFolder() + "FAX00007.APF");
    EXPECT_EQ(TFDM::IsDeletedText(fdm_->FaxTable), "No ");
    EXPECT_EQ(TFDM::IsArchivedText(fdm_->FaxTable), "No ");
    EXPECT_TRUE(fdm_->FaxTable.replaceLogical("ARCHIVED", true));
    EXPECT_EQ(TFDM::IsArchivedText(fdm_->FaxTable), "Yes");
    EXPECT_TRUE(fdm_->FaxTable.deleteRecord());
    EXPECT_EQ(TFDM::IsDeletedText(fdm_->FaxTable), "Yes");

    struct {
        int pages;
        const char* stored;
    } const pages[] = {{0, " 0"}, {7, " 7"}, {99, "99"}, {100, "99"}, {250, "99"}};
    for (const auto& p : pages) {
        addIncoming(QDate(2024, 5, 6), "10:11", "x", p.pages);
        EXPECT_EQ(fdm_->RecTable.fieldBytes("PAGES"), p.stored) << p.pages;
    }
    EXPECT_EQ(fdm_->CalcRecFaxfile(), ReceiveFolder() + "FAX0001.APF");
}

TEST_F(FaxLogs, SentAtText) {
    open();
    addOutgoing("unsent", "Ann", "1");
    EXPECT_EQ(fdm_->SentAtText(LogKind::Outgoing), "not sent");
    const QDate recent = QDate::currentDate().addDays(-10);
    EXPECT_TRUE(fdm_->FaxTable.replaceDate("DATESENT", recent));
    EXPECT_TRUE(fdm_->FaxTable.replaceText("TIMESENT", "14:05"));
    const QString day = QString("%1/%2/%3")
                            .arg(recent.month())
                            .arg(recent.day())
                            .arg(recent.year() % 100, 2, 10, QChar('0'));
    EXPECT_EQ(fdm_->SentAtText(LogKind::Outgoing), day + " at 2:05 PM");
    EXPECT_TRUE(fdm_->FaxTable.replaceText("TIMESENT", "xx"));
    EXPECT_EQ(fdm_->SentAtText(LogKind::Outgoing), day + " at ???");
    EXPECT_TRUE(fdm_->FaxTable.replaceDate("DATESENT", QDate::currentDate().addDays(-2001)));
    EXPECT_EQ(fdm_->SentAtText(LogKind::Outgoing), "not sent");

    fdm_->Formats.shortDate = "dd.mm.yyyy";
    fdm_->Formats.dateSeparator = ".";
    fdm_->Formats.shortTime = "hh:mm";
    addIncoming(QDate(2024, 3, 9), "07:30", "x");
    EXPECT_EQ(fdm_->SentAtText(LogKind::Incoming), "09.03.2024 at 07:30");
    EXPECT_TRUE(fdm_->RecTable.replaceText("TIMEREC", "late"));
    EXPECT_EQ(fdm_->SentAtText(LogKind::Incoming), "09.03.2024 at late");
}

TEST_F(FaxLogs, PhoneBookEntries) {
    fdm_ = std::make_unique<TFDM>();
    struct {
        const char* name;
        const char* number;
        int result;
    } const steps[] = {
        {"Acme Ltd", "555-0100", 0},
        {"ACME LTD", "555-0100", 2},  // differs only in case: already there
        {"Acme Ltd", "555-0199", 0},  // same name, another number: a second entry
        {"Acme Ltd", "555-0199", 2},
        {"Beta", "555-0100", 0},
    };
    for (const auto& s : steps)
        EXPECT_EQ(fdm_->AddPhoneBookEntry(s.name, s.number), s.result) << s.name << " " << s.number;
    EXPECT_FALSE(fdm_->PhoneTable.isOpen());
    EXPECT_TRUE(QFile::exists(home_.file("QXPB.CDX")));
    ASSERT_TRUE(fdm_->OpenPhoneBook(false));
    EXPECT_EQ(fdm_->PhoneTable.filter(), ".not. deleted()");
    EXPECT_EQ(column(fdm_->PhoneTable, "PHONE"),
              (std::vector<QString>{"555-0100", "555-0199", "555-0100"}));
    // Adding reopens it exclusively; while someone else holds it, adding fails with 1.
    EXPECT_EQ(fdm_->AddPhoneBookEntry("Gamma", "1"), 0);
    XbaseTable holder;
    ASSERT_TRUE(holder.open(home_.file("QXPB.DBF"), OpenMode::Shared));
    EXPECT_EQ(fdm_->AddPhoneBookEntry("Delta", "2"), 1);
}

TEST_F(FaxLogs, PhoneBookIndexWithAPlainNameKeyIsReplaced) {
    ASSERT_TRUE(XbaseTable::create(home_.file("QXPB.DBF"), PhoneBookFields()));
    {
        XbaseTable t;
        ASSERT_TRUE(t.open(home_.file("QXPB.DBF"), OpenMode::Exclusive));
        for (const char* name : {"bravo", "Alpha", "charlie"}) {
            EXPECT_TRUE(t.appendBlank());
            EXPECT_TRUE(t.replaceText("NAME", name));
        }
        ASSERT_TRUE(t.createTag({"NAME", "NAME", "", false, false}));
    }
    TFDM fdm;
    for (bool exclusive : {false, true}) {
        ASSERT_TRUE(fdm.OpenPhoneBook(exclusive));
        EXPECT_EQ(fdm.PhoneTable.indexKey(), "UPPER(NAME)");
        EXPECT_EQ(column(fdm.PhoneTable, "NAME"),
                  (std::vector<QString>{"Alpha", "bravo", "charlie"}));
        fdm.ClosePhoneBook();
    }
}

TEST_F(FaxLogs, IndexDumpReadsAllOutgoingTags) {
    const QString indexDump = QStandardPaths::findExecutable("index_dump");
    if (indexDump.isEmpty()) GTEST_SKIP() << "index_dump not installed";
    open();
    addOutgoing("Zeta report", "Carl", "555-3");
    addOutgoing("alpha memo", "ann", "555-1");
    addOutgoing("Beta", "Bob", "555-2");
    addOutgoing("Gamma", "Ann", "555-1");
    EXPECT_TRUE(fdm_->FaxTable.replaceDate("DATESENT", QDate(2024, 2, 1)));
    EXPECT_TRUE(fdm_->FaxTable.replaceText("TIMESENT", "10:00"));
    fdm_->FaxTable.go(3);
    EXPECT_TRUE(fdm_->FaxTable.deleteRecord());
    fdm_.reset();  // flushes and closes

    const QString cdx = home_.file("QXOUT.CDX");
    QProcess list;
    list.start(indexDump, {"--type=char", cdx});
    ASSERT_TRUE(list.waitForFinished(60000));
    QStringList tags =
        QString::fromLatin1(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    tags.sort();
    QStringList expected;
    for (const auto& n : kOutgoingTagNames) expected << QString::fromStdString(n);
    expected.sort();
    EXPECT_EQ(tags, expected);

    auto keys = [&](const char* tag) {
        QProcess p;
        p.start(indexDump, {"--type=char", cdx, tag});
        p.waitForFinished(60000);
        QStringList lines =
            QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (QString& l : lines)
            l = l.left(l.lastIndexOf(' ')) + "#" + l.mid(l.lastIndexOf(' ') + 1);
        return lines;
    };
    EXPECT_EQ(keys("SUBJECT"), (QStringList{"ALPHA MEMO#2", "GAMMA#4", "ZETA REPORT#1"}));
    EXPECT_EQ(keys("URECIP"), (QStringList{"ANN#2", "CARL#1"}));
    EXPECT_EQ(keys("UPHONE"), (QStringList{"555-1#2", "555-3#1"}));
    EXPECT_EQ(keys("DATESENT"), (QStringList{"#1", "#2", "2024020110:00#4"}));
    EXPECT_EQ(keys("DATEND"), (QStringList{"#1", "#2", "2024020110:00#4"}));
    EXPECT_EQ(keys("ARCHIVED"), (QStringList{"F#1", "F#2", "F#4"}));
}

}  // namespace
}  // namespace corvane
