// The work area over DBF + CDX: what the fax logs rely on.

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>

#include "core/little_endian.h"
#include "xbase/text_encoding.h"
#include "fixtures/xbase_test_util.h"

namespace corvane::xbase {
namespace {

using testing::AddPerson;
using testing::Names;
using testing::NamesBackwards;
using testing::PeopleFields;
using Names_t = std::vector<std::string>;

class XbaseTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = dir_.filePath("PEOPLE.DBF");
        ASSERT_TRUE(XbaseTable::create(path_, PeopleFields()));
        ASSERT_TRUE(table_.open(path_, OpenMode::Exclusive));
        table_.setDeletedHidden(true);
        AddPerson(table_, "carol", "Oslo", "19800102", 7.5, true);
        AddPerson(table_, "Alice", "Bergen", "19751231", 3, false);
        AddPerson(table_, "bob", "Oslo", "", 9, true);
        AddPerson(table_, "Alice", "Tromso", "19900101", 1, false);
        ASSERT_TRUE(table_.commit());
    }
    void createTags() {
        ASSERT_TRUE(table_.createTag({"NAME", "UPPER(NAME)", ".not. deleted()", false, false}));
        ASSERT_TRUE(table_.createTag({"BORN", "DTOS(BORN)+CITY", ".not. deleted()", false, true}));
        ASSERT_TRUE(table_.createTag({"UNAME", "UPPER(NAME)", ".not. deleted()", true, false}));
        ASSERT_TRUE(table_.createTag({"ACTIVE", "ACTIVE", "", false, false}));
    }
    void reopen(OpenMode mode = OpenMode::Exclusive) {
        table_.close();
        ASSERT_TRUE(table_.open(path_, mode));
        table_.setDeletedHidden(true);
    }

    QTemporaryDir dir_;
    QString path_;
    XbaseTable table_;
};

TEST_F(XbaseTableTest, FieldsRoundTripThroughTheFile) {
    reopen();
    ASSERT_EQ(table_.recCount(), 4u);
    ASSERT_TRUE(table_.go(1));
    EXPECT_EQ(table_.fieldText("name"), "carol");
    EXPECT_EQ(table_.fieldDate("BORN"), QDate(1980, 1, 2));
    EXPECT_DOUBLE_EQ(table_.fieldNumber("SCORE"), 7.5);
    EXPECT_EQ(table_.fieldBytes("SCORE"), "  7.5");
    EXPECT_TRUE(table_.fieldLogical("ACTIVE"));
    ASSERT_TRUE(table_.go(3));
    EXPECT_FALSE(table_.fieldDate("BORN").isValid());
    // Text longer than the field is cut to its width.
    EXPECT_TRUE(table_.replaceText("CITY", "Kristiansand-Nord"));
    EXPECT_EQ(table_.fieldText("CITY"), "Kristiansa");
}

TEST_F(XbaseTableTest, OrdersSortAndSkipBothWays) {
    createTags();
    EXPECT_EQ(table_.tagArea("name"), 1);
    EXPECT_EQ(table_.tagArea("BORN"), 2);
    EXPECT_EQ(table_.tagArea("NOSUCH"), 0);
    EXPECT_EQ(table_.tagName(3), "UNAME");

    EXPECT_EQ(Names(table_), (Names_t{"carol", "Alice", "bob", "Alice"}));  // order 0
    ASSERT_TRUE(table_.setOrder(1));
    EXPECT_EQ(table_.indexKey(), "UPPER(NAME)");
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "Alice", "bob", "carol"}));
    EXPECT_EQ(NamesBackwards(table_), (Names_t{"carol", "bob", "Alice", "Alice"}));
    ASSERT_TRUE(table_.setOrder(2));  // descending by date, the empty date last
    EXPECT_EQ(Names(table_, "CITY"), (Names_t{"Tromso", "Oslo", "Bergen", "Oslo"}));
    ASSERT_TRUE(table_.setOrder(3));  // unique: one entry per name
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "bob", "carol"}));
    ASSERT_TRUE(table_.setOrder(0));
    EXPECT_EQ(table_.indexKey(), "");
    EXPECT_FALSE(table_.setOrder(9));

    // Orders survive closing and reopening.
    reopen();
    EXPECT_EQ(table_.tagCount(), 4);
    table_.setOrder(table_.tagArea("BORN"));
    EXPECT_EQ(Names(table_, "CITY"), (Names_t{"Tromso", "Oslo", "Bergen", "Oslo"}));
}

TEST_F(XbaseTableTest, TextIsStoredInCodePage1252) {
    const QString text = QString::fromUtf8("5€ Šž œŸ „™ ‰†");
    ASSERT_TRUE(table_.go(1));
    ASSERT_TRUE(table_.replaceText("NAME", text));
    ASSERT_TRUE(table_.replaceText("CITY", QString::fromUtf8("Ωmega")));
    reopen();
    ASSERT_TRUE(table_.go(1));
    EXPECT_EQ(table_.fieldText("NAME"), text);
    EXPECT_EQ(table_.fieldBytes("NAME").substr(0, 5), std::string("5\x80 \x8A\x9E"));
    // No code page form: one "?" per character, which the caller can check beforehand.
    EXPECT_EQ(table_.fieldText("CITY"), "?mega");
    EXPECT_TRUE(FitsWindows1252(text));
    EXPECT_FALSE(FitsWindows1252(QString::fromUtf8("Ωmega")));
    int replaced = 0;
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("a😀b"), &replaced), "a?b");
    EXPECT_EQ(replaced, 1);
}

// Keys use the same upper-casing as expressions: "müller" and "MÜLLER" share a key, sort
// after "MUELLER" and "MULLER", and are found by seek and by a filter alike.
TEST_F(XbaseTableTest, UpperCaseKeysCoverAccentedLetters) {
    for (const char* name : {"müller", "Mueller", "MÜLLER", "Muller", "šimon", "Zoë"})
        AddPerson(table_, QString::fromUtf8(name), "X");
    ASSERT_TRUE(table_.createTag({"NAME", "UPPER(NAME)", "", false, false}));
    table_.setOrder(1);
    ASSERT_TRUE(table_.query("CITY = \"X\""));
    EXPECT_EQ(Names(table_), (Names_t{"Mueller", "Muller", "müller", "MÜLLER", "Zoë", "šimon"}));
    ASSERT_TRUE(table_.seek(ToWindows1252(QString::fromUtf8("MÜLL"))));
    EXPECT_EQ(table_.fieldText("NAME").toStdString(), "müller");
    ASSERT_TRUE(table_.seek(ToWindows1252(QString::fromUtf8("ŠIMON"))));
    const auto matches = table_.query(ToWindows1252(QString::fromUtf8("UPPER(NAME) = \"MÜLLER\"")));
    ASSERT_TRUE(matches);
    EXPECT_EQ(matches.value(), 2);
}

// Indexes without this version's format mark (older versions upper-cased only a to z and
// stored descending tags backwards) are rebuilt when their keys could differ.
TEST_F(XbaseTableTest, IndexOfAnOlderFormatIsRebuiltWhenItsKeysCouldDiffer) {
    struct Case {
        TagDef tag;
        bool rebuilt;
    };
    const Case cases[] = {
        {{"NAME", "upper(NAME)", "", false, false}, true},
        {{"BORN", "DTOS(BORN)", "", false, true}, true},
        {{"CITY", "CITY", ".not. deleted()", false, false}, false},
    };
    const QString cdx = XbaseTable::indexPathFor(path_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag.name);
        table_.closeIndexes();
        QFile::remove(cdx);
        ASSERT_TRUE(table_.createTag(c.tag));
        reopen();
        EXPECT_FALSE(table_.indexWasRebuilt());
        table_.close();
        {
            QFile file(cdx);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.seek(480);
            file.write(QByteArray(4, '\0'));
        }
        reopen();
        EXPECT_EQ(table_.indexWasRebuilt(), c.rebuilt);
        EXPECT_EQ(table_.tagCount(), 1);
        reopen();
        EXPECT_FALSE(table_.indexWasRebuilt());
    }
}

// A descending tag keeps its keys ascending in the file and is walked backwards: equal keys
// come by falling record number, and seek finds the first key in the tag's order.
TEST_F(XbaseTableTest, DescendingTagIsStoredAscendingAndWalkedBackwards) {
    AddPerson(table_, "Alpha", "Bergen", "19751231");
    ASSERT_TRUE(table_.createTag({"CITY", "UPPER(CITY)", ".not. deleted()", false, true}));
    table_.setOrder(1);
    std::vector<uint32_t> order;
    for (bool ok = table_.goTop(); ok; ok = table_.skip(1)) order.push_back(table_.recNo());
    EXPECT_EQ(order, (std::vector<uint32_t>{4, 3, 1, 5, 2}));
    std::vector<uint32_t> backwards;
    for (bool ok = table_.goBottom(); ok; ok = table_.skip(-1)) backwards.push_back(table_.recNo());
    EXPECT_EQ(backwards, (std::vector<uint32_t>{2, 5, 1, 3, 4}));
    struct Seek {
        const char* key;
        bool found;
        uint32_t recno;
    };
    for (const Seek& c : {Seek{"OSLO", true, 3}, Seek{"B", true, 5}, Seek{"TROMSO", true, 4},
                          Seek{"P", false, 0}, Seek{"", true, 4}, Seek{"A", false, 0}}) {
        EXPECT_EQ(table_.seek(c.key), c.found) << c.key;
        if (c.found) {
            EXPECT_EQ(table_.recNo(), c.recno) << c.key;
        }
    }
    // In the file: ascending keys, the tag flagged descending in its header.
    table_.close();
    QFile file(XbaseTable::indexPathFor(path_));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.at(1536 + 502), 1);
    const int first = bytes.indexOf("BERGEN"), second = bytes.indexOf("TROMSO");
    ASSERT_GT(first, 0);
    // Leaf keys are packed from the page end backwards: the greatest key comes first.
    EXPECT_LT(second, first);
}

TEST_F(XbaseTableTest, EndOfFileAndBeginningOfFile) {
    createTags();
    table_.setOrder(1);
    ASSERT_TRUE(table_.goBottom());
    EXPECT_FALSE(table_.skip(1));
    EXPECT_TRUE(table_.eof());
    EXPECT_EQ(table_.recNo(), table_.recCount() + 1);
    EXPECT_TRUE(table_.skip(-1));  // back from the end to the last record
    EXPECT_EQ(table_.fieldText("NAME"), "carol");
    ASSERT_TRUE(table_.goTop());
    EXPECT_FALSE(table_.skip(-1));
    EXPECT_TRUE(table_.bof());
    EXPECT_EQ(table_.fieldText("NAME"), "Alice");
    // An empty filter result: top is end of file.
    EXPECT_EQ(table_.query("NAME = \"zed\"").value(), 0);
    EXPECT_TRUE(table_.eof());
    EXPECT_EQ(table_.recNo(), table_.recCount() + 1);
}

TEST_F(XbaseTableTest, DeletedRecordsVanishFromEveryOrderAndCount) {
    createTags();
    table_.setOrder(1);
    ASSERT_TRUE(table_.seek("BOB"));
    const uint32_t bob = table_.recNo();
    ASSERT_TRUE(table_.deleteRecord());
    EXPECT_TRUE(table_.deleted());
    for (int order = 0; order <= 3; ++order) {
        table_.setOrder(order);
        const auto names = Names(table_);
        EXPECT_EQ(std::count(names.begin(), names.end(), "bob"), 0) << "order " << order;
    }
    EXPECT_EQ(table_.recCount(), 4u);  // still in the file, number unchanged
    table_.setOrder(0);
    EXPECT_EQ(table_.queryRecCount(), 3);
    ASSERT_TRUE(table_.go(bob));  // go reaches it
    EXPECT_TRUE(table_.deleted());
    // Recalled, it is back everywhere.
    ASSERT_TRUE(table_.recall());
    table_.setOrder(3);
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "bob", "carol"}));
    // Without hiding, deleted records are visible in record order but not in FOR tags.
    table_.go(bob);
    EXPECT_TRUE(table_.deleteRecord());
    table_.setDeletedHidden(false);
    table_.setOrder(0);
    EXPECT_EQ(table_.queryRecCount(), 4);
    table_.setOrder(1);
    EXPECT_EQ(table_.queryRecCount(), 3);
}

TEST_F(XbaseTableTest, UniqueTagKeepsAKeyWhileAnyRecordHasIt) {
    createTags();
    table_.setOrder(3);
    ASSERT_TRUE(table_.seek("ALICE"));
    const uint32_t first = table_.recNo();
    EXPECT_EQ(first, 2u);
    EXPECT_TRUE(table_.deleteRecord());
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "bob", "carol"}));  // record 4 takes over
    ASSERT_TRUE(table_.seek("ALICE"));
    EXPECT_EQ(table_.recNo(), 4u);
    // Renaming moves the record between keys.
    EXPECT_TRUE(table_.replaceText("NAME", "dave"));
    EXPECT_EQ(Names(table_), (Names_t{"bob", "carol", "dave"}));
}

TEST_F(XbaseTableTest, ReplaceMovesTheRecordInItsOrder) {
    createTags();
    table_.setOrder(1);
    ASSERT_TRUE(table_.seek("CAROL"));
    EXPECT_TRUE(table_.replaceText("NAME", "aaron"));
    EXPECT_EQ(Names(table_), (Names_t{"aaron", "Alice", "Alice", "bob"}));
    // Skipping continues from the record's new place.
    ASSERT_TRUE(table_.seek("AARON"));
    ASSERT_TRUE(table_.skip(1));
    EXPECT_EQ(table_.fieldText("NAME"), "Alice");
}

TEST_F(XbaseTableTest, SeekFindsTheFirstKeyWithThePrefix) {
    createTags();
    table_.setOrder(1);
    struct {
        const char* key;
        bool found;
        uint32_t recno;
    } const ascending[] = {{"ALICE", true, 2}, {"AL", true, 2},      {"B", true, 3},
                           {"CAROL", true, 1}, {"ALICEX", false, 0}, {"Z", false, 0},
                           {"", true, 2}};
    for (const auto& c : ascending) {
        EXPECT_EQ(table_.seek(c.key), c.found) << c.key;
        EXPECT_EQ(table_.found(), c.found) << c.key;
        if (c.found)
            EXPECT_EQ(table_.recNo(), c.recno) << c.key;
        else
            EXPECT_TRUE(table_.eof()) << c.key;
    }
    table_.setOrder(2);  // descending DTOS(BORN)+CITY
    ASSERT_TRUE(table_.seek("19"));
    EXPECT_EQ(table_.fieldText("CITY"), "Tromso");  // the greatest key beginning with "19"
    ASSERT_TRUE(table_.seek("1975"));
    EXPECT_EQ(table_.fieldText("CITY"), "Bergen");
    EXPECT_FALSE(table_.seek("2000"));
    table_.setOrder(0);
    EXPECT_FALSE(table_.seek("ALICE"));
}

TEST_F(XbaseTableTest, FilterCountsAndNavigation) {
    createTags();
    table_.setOrder(1);
    EXPECT_EQ(table_.query("CITY = \"Oslo\"").value(), 2);
    EXPECT_EQ(table_.filter(), "CITY = \"Oslo\"");
    EXPECT_EQ(Names(table_), (Names_t{"bob", "carol"}));
    EXPECT_EQ(table_.queryRecCount(), 2);
    const auto bad = table_.query("CITY = ");
    EXPECT_FALSE(bad);
    EXPECT_TRUE(bad.message().contains("position"));
    EXPECT_EQ(table_.filter(), "CITY = \"Oslo\"");  // unchanged by the bad one
    EXPECT_FALSE(table_.query("NAME"));             // not logical
    EXPECT_EQ(table_.query("").value(), 4);
    EXPECT_EQ(table_.filter(), "");
}

TEST_F(XbaseTableTest, LocateForwardBackwardAndContinue) {
    createTags();
    table_.setOrder(1);  // Alice(2) Alice(4) bob(3) carol(1)
    EXPECT_EQ(table_.locate("ACTIVE .or. CITY = \"Tromso\"", true, false).value(), 4u);
    EXPECT_EQ(table_.locate("ACTIVE .or. CITY = \"Tromso\"", true, true).value(), 3u);
    EXPECT_EQ(table_.locate("ACTIVE .or. CITY = \"Tromso\"", true, true).value(), 1u);
    EXPECT_EQ(table_.locate("ACTIVE .or. CITY = \"Tromso\"", true, true).value(), 0u);
    EXPECT_EQ(table_.recNo(), 1u);  // not found: position unchanged
    EXPECT_EQ(table_.locate("ACTIVE", false, false).value(), 1u);
    EXPECT_EQ(table_.locate("ACTIVE", false, true).value(), 3u);
    EXPECT_EQ(table_.locate("ACTIVE", false, true).value(), 0u);
    const auto bad = table_.locate("ACTIVE .and.", true, false);
    EXPECT_FALSE(bad);
    EXPECT_FALSE(bad.message().isEmpty());
    table_.go(1);
    EXPECT_TRUE(table_.evalLogical("\"AR\"$UPPER(NAME)").value());
    EXPECT_FALSE(table_.evalLogical("\"ZZ\"$UPPER(NAME)").value());
}

TEST_F(XbaseTableTest, PackRemovesMarkedRecordsAndRebuildsTags) {
    createTags();
    std::vector<int> percents;
    table_.setProgress([&](int p) { percents.push_back(p); });
    table_.go(2);
    EXPECT_TRUE(table_.deleteRecord());
    table_.go(3);
    EXPECT_TRUE(table_.deleteRecord());
    ASSERT_TRUE(table_.pack());
    EXPECT_EQ(table_.recCount(), 2u);
    table_.setOrder(1);
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "carol"}));
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_TRUE(
        std::all_of(percents.begin(), percents.end(), [](int p) { return p >= 0 && p <= 100; }));
    EXPECT_NE(std::find(percents.begin(), percents.end(), 100), percents.end());
    EXPECT_FALSE(QFile::exists(path_ + ".pack"));
    reopen();
    EXPECT_EQ(table_.recCount(), 2u);
    table_.setOrder(table_.tagArea("UNAME"));
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "carol"}));
    // Shared mode cannot pack.
    reopen(OpenMode::Shared);
    EXPECT_FALSE(table_.pack());
}

TEST_F(XbaseTableTest, SecondOpenerGetsAClearFailure) {
    XbaseTable second;
    const Status exclusive = second.open(path_, OpenMode::Exclusive);
    EXPECT_FALSE(exclusive);
    EXPECT_TRUE(exclusive.message().contains("in use")) << exclusive.message().toStdString();
    EXPECT_FALSE(second.open(path_, OpenMode::Shared));
    reopen(OpenMode::Shared);
    EXPECT_TRUE(second.open(path_, OpenMode::ReadOnly));
    EXPECT_EQ(second.recCount(), 4u);
    EXPECT_FALSE(second.appendBlank());
    XbaseTable third;
    EXPECT_FALSE(third.open(path_, OpenMode::Exclusive));
}

TEST_F(XbaseTableTest, TornAppendIsRepairedOnOpen) {
    createTags();
    table_.close();
    // A crash after a record was written but before the header count was updated, plus a
    // torn half record after it.
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const QByteArray lastRecord = bytes.mid(bytes.size() - 1 - 45, 45);
    bytes.chop(1);  // end-of-file marker
    bytes += lastRecord;
    bytes += lastRecord.left(20);
    file.seek(0);
    file.write(bytes);
    file.close();
    ASSERT_TRUE(table_.open(path_, OpenMode::Exclusive));
    EXPECT_EQ(table_.recCount(), 5u);
    EXPECT_EQ(QFileInfo(path_).size(), 32 + 5 * 32 + 1 + 5 * 45 + 1);
    ASSERT_TRUE(table_.go(5));
    EXPECT_EQ(table_.fieldText("NAME"), "Alice");
}

// The record count in the header (bytes 4-7) as another program reads it.
uint32_t HeaderCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray head = file.read(8);
    return head.size() == 8 ? ReadLe32(head.constData() + 4) : 0;
}

TEST_F(XbaseTableTest, HeaderCountFollowsAppendsByTheModeTheTableIsHeldIn) {
    // Held exclusively, appends are counted at commit and at close; a crash in between is
    // repaired by the next open (TornAppendIsRepairedOnOpen).
    AddPerson(table_, "dave", "Molde");
    AddPerson(table_, "erin", "Bodo");
    EXPECT_EQ(table_.recCount(), 6u);
    ASSERT_TRUE(table_.commit());
    EXPECT_EQ(HeaderCount(path_), 6u);
    AddPerson(table_, "fay", "Hamar");
    table_.close();
    EXPECT_EQ(HeaderCount(path_), 7u);

    // Shared, other programs see every record as soon as it is appended.
    reopen(OpenMode::Shared);
    AddPerson(table_, "gus", "Skien");
    EXPECT_EQ(HeaderCount(path_), 8u);
    table_.close();
    ASSERT_TRUE(table_.open(path_, OpenMode::Exclusive));
    EXPECT_EQ(table_.recCount(), 8u);
    ASSERT_TRUE(table_.go(8));
    EXPECT_EQ(table_.fieldText("NAME"), "gus");
}

TEST_F(XbaseTableTest, DamagedIndexIsRebuiltFromTheTable) {
    createTags();
    table_.close();
    const QString cdx = XbaseTable::indexPathFor(path_);
    ASSERT_TRUE(cdx.endsWith("PEOPLE.CDX"));
    {
        // Left unflushed by a crash: the marker says so, the definitions survive.
        QFile file(cdx);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(488);
        file.write("CVUF", 4);
        file.seek(2560);  // and a damaged node (the first tag's root leaf)
        file.write(QByteArray(512, '\xEE'));
    }
    reopen();
    EXPECT_TRUE(table_.indexWasRebuilt());
    EXPECT_EQ(table_.tagCount(), 4);
    table_.setOrder(table_.tagArea("NAME"));
    EXPECT_EQ(Names(table_), (Names_t{"Alice", "Alice", "bob", "carol"}));
    table_.close();
    // Garbage throughout: as if the index were missing.
    {
        QFile file(cdx);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(3000, '\x07'));
    }
    reopen();
    EXPECT_TRUE(table_.indexWasRebuilt());
    EXPECT_EQ(table_.tagCount(), 0);
    EXPECT_FALSE(QFile::exists(cdx));
    EXPECT_EQ(table_.recCount(), 4u);
}

// An index written by a program whose UPPER() leaves accented letters as they are: its
// stored keys differ from ours, though the file carries this version's format mark. Walks
// move through the tag's own entries and end; held exclusively the index is rebuilt, shared
// or read-only the stale tag is reported once.
class StaleIndexTest : public ::testing::Test {
  protected:
    // Record numbers from 1; a "*" in front marks the record deleted.
    const std::vector<const char*> names_ = {"émile",  "bob",  "*zoé",   "andré", "Åsa",
                                             "Élodie", "carl", "*ørjan", "Zoë",   "ève"};
    void SetUp() override {
        path_ = dir_.filePath("STALE.DBF");
        ASSERT_TRUE(XbaseTable::create(path_, PeopleFields()));
        XbaseTable t;
        ASSERT_TRUE(t.open(path_, OpenMode::Exclusive));
        for (const char* n : names_) {
            const bool deleted = n[0] == '*';
            AddPerson(t, QString::fromUtf8(deleted ? n + 1 : n), "X");
            if (deleted) {
                EXPECT_TRUE(t.deleteRecord());
            }
        }
        ASSERT_TRUE(t.createTag({"NAME", "UPPER(NAME)", "", false, false}));
        ASSERT_TRUE(t.createTag({"CITY", "CITY", "", false, false}));
        t.close();
        // The other program's keys, written over our NAME tag.
        CdxFile cdx;
        ASSERT_TRUE(cdx.open(XbaseTable::indexPathFor(path_), false));
        std::vector<CdxEntry> entries;
        for (uint32_t r = 1; r <= names_.size(); ++r) entries.push_back({asciiKey(r), r, 0});
        std::sort(entries.begin(), entries.end(), [](const CdxEntry& a, const CdxEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        ASSERT_TRUE(cdx.addTag(cdx.tag("NAME")->info(), entries, {}));
        ASSERT_TRUE(cdx.currentFormat());
    }
    std::string asciiKey(uint32_t recno) const {
        const char* n = names_[recno - 1];
        std::string key = ToWindows1252(QString::fromUtf8(n[0] == '*' ? n + 1 : n));
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        key.resize(20, ' ');
        return key;
    }
    // Visible records in the order given by `keyOf`, deleted ones left out.
    template <typename KeyOf>
    std::vector<uint32_t> expected(KeyOf keyOf) const {
        std::vector<uint32_t> list;
        for (uint32_t r = 1; r <= names_.size(); ++r)
            if (names_[r - 1][0] != '*') list.push_back(r);
        std::stable_sort(list.begin(), list.end(),
                         [&](uint32_t a, uint32_t b) { return keyOf(a) < keyOf(b); });
        return list;
    }
    std::string ourKey(uint32_t recno) const {
        const char* n = names_[recno - 1];
        std::string key = UpperCase(ToWindows1252(QString::fromUtf8(n[0] == '*' ? n + 1 : n)));
        key.resize(20, ' ');
        return key;
    }
    // At most twice the table's size, so that a looping walk shows as a long list.
    static std::vector<uint32_t> walk(XbaseTable& t, bool forward) {
        std::vector<uint32_t> seen;
        for (bool ok = forward ? t.goTop() : t.goBottom(); ok && seen.size() < 20;
             ok = t.skip(forward ? 1 : -1))
            seen.push_back(t.recNo());
        return seen;
    }
    void open(XbaseTable& t, OpenMode mode) {
        ASSERT_TRUE(t.open(path_, mode));
        t.setDeletedHidden(true);
        t.setWarning([this](const QString& message) { warnings_ << message; });
        t.setOrder(t.tagArea("NAME"));
    }

    QTemporaryDir dir_;
    QString path_;
    QStringList warnings_;
};

TEST_F(StaleIndexTest, SharedOrReadOnlyWalksTheStoredOrderAndReportsOnce) {
    const auto stored = expected([this](uint32_t r) { return asciiKey(r); });
    auto backwards = stored;
    std::reverse(backwards.begin(), backwards.end());
    for (OpenMode mode : {OpenMode::Shared, OpenMode::ReadOnly}) {
        SCOPED_TRACE(mode == OpenMode::Shared ? "shared" : "read-only");
        warnings_.clear();
        XbaseTable t;
        open(t, mode);
        EXPECT_EQ(walk(t, true), stored);
        EXPECT_EQ(walk(t, false), backwards);
        // A seek lands in the stored order and the walk goes on from there to the end.
        ASSERT_TRUE(t.seek("BOB"));
        const std::vector<uint32_t> rest(std::find(stored.begin(), stored.end(), t.recNo()),
                                         stored.end());
        std::vector<uint32_t> fromSeek{t.recNo()};
        while (t.skip(1) && fromSeek.size() < 20) fromSeek.push_back(t.recNo());
        EXPECT_EQ(fromSeek, rest);
        // From a record reached by number (no position in the tag) too.
        ASSERT_TRUE(t.go(10));  // ève, stored as "èVE"
        std::vector<uint32_t> fromGo;
        while (t.skip(-1) && fromGo.size() < 20) fromGo.push_back(t.recNo());
        const auto at = std::find(backwards.begin(), backwards.end(), 10u);
        EXPECT_EQ(fromGo, std::vector<uint32_t>(at + 1, backwards.end()));
        EXPECT_EQ(t.staleTags(), std::vector<std::string>{"NAME"});
        ASSERT_EQ(warnings_.size(), 1);
        EXPECT_TRUE(warnings_[0].contains("NAME")) << warnings_[0].toStdString();
        EXPECT_FALSE(t.indexWasRebuilt());
    }
}

TEST_F(StaleIndexTest, HeldExclusivelyTheIndexIsRebuiltAndKeepsUpWithChanges) {
    XbaseTable t;
    open(t, OpenMode::Exclusive);
    const auto ours = expected([this](uint32_t r) { return ourKey(r); });
    EXPECT_EQ(walk(t, true), ours);
    EXPECT_TRUE(t.indexWasRebuilt());
    EXPECT_TRUE(warnings_.isEmpty());
    EXPECT_TRUE(t.staleTags().empty());
    ASSERT_TRUE(t.seek(ToWindows1252(QString::fromUtf8("ÉMILE"))));
    EXPECT_EQ(t.recNo(), 1u);
    t.close();
    XbaseTable again;
    open(again, OpenMode::Exclusive);
    EXPECT_FALSE(again.indexWasRebuilt());
    auto backwards = ours;
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(walk(again, false), backwards);
}

// A change to a record whose entry stands under another key finds no entry to move: held
// exclusively, the tag is rebuilt rather than left with the record twice.
TEST_F(StaleIndexTest, ChangingARecordOfAStaleTagLeavesItOnce) {
    XbaseTable t;
    open(t, OpenMode::Exclusive);
    ASSERT_TRUE(t.go(4));  // andré, stored as "ANDRé"
    ASSERT_TRUE(t.replaceText("NAME", "anders"));
    ASSERT_TRUE(t.commit());
    EXPECT_TRUE(t.indexWasRebuilt());
    const auto list = walk(t, true);
    EXPECT_EQ(list.size(), 8u);
    EXPECT_EQ(std::count(list.begin(), list.end(), 4u), 1);
    EXPECT_EQ(list.front(), 4u);
}

TEST(XbaseTableDamage, NodeFoundDamagedWhileInUseIsRebuilt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("BIG.DBF");
    {
        XbaseTable t;
        ASSERT_TRUE(XbaseTable::create(path, PeopleFields()));
        ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
        for (int i = 0; i < 300; ++i) AddPerson(t, QString("n%1").arg(i, 3, 10, QChar('0')), "X");
        ASSERT_TRUE(t.createTag({"NAME", "UPPER(NAME)", "", false, false}));
    }
    {
        // The first tag's leaves follow its header (pages from 2560); the second one is not
        // the root and is only read when navigation reaches it.
        QFile file(XbaseTable::indexPathFor(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(3072);
        file.write(QByteArray(512, '\xEE'));
    }
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::Exclusive}) {
        XbaseTable t;
        ASSERT_TRUE(t.open(path, mode));
        EXPECT_FALSE(t.indexWasRebuilt());
        t.setOrder(1);
        const auto names = Names(t);
        EXPECT_TRUE(t.indexWasRebuilt());
        ASSERT_EQ(names.size(), 300u);
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()) || mode == OpenMode::ReadOnly);
    }
    XbaseTable t;
    ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
    EXPECT_FALSE(t.indexWasRebuilt());
    EXPECT_EQ(t.tagCount(), 1);
}

// Leaves whose sibling chain loops (as after another program updated the file badly): the
// walk notices the keys going backwards, rebuilds the index and ends.
TEST(XbaseTableDamage, LoopingLeafChainIsDetectedAndRebuilt) {
    struct Case {
        const char* what;
        int from;  // leaf whose right pointer is bent; -1 the last leaf
        int to;
    };
    for (const Case& c : {Case{"back to the first leaf", -1, 0},
                          Case{"back to its predecessor", 1, 0}, Case{"to itself", 1, 1}}) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("LOOP.DBF");
        const int count = 2000;
        {
            XbaseTable t;
            ASSERT_TRUE(XbaseTable::create(path, PeopleFields()));
            ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
            for (int i = 0; i < count; ++i)
                AddPerson(t, QString("n%1").arg(i, 4, 10, QChar('0')), "X");
            ASSERT_TRUE(t.createTag({"NAME", "UPPER(NAME)", "", false, false}));
        }
        {
            // A bulk-built tag's leaves lie side by side from the page after its header.
            QFile file(XbaseTable::indexPathFor(path));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            const QByteArray bytes = file.readAll();
            std::vector<int> leaves;
            for (int at = 2560; at + 512 <= bytes.size() && bytes.at(at) == 2; at += 512)
                leaves.push_back(at);
            ASSERT_GE(leaves.size(), 3u);
            const int from = c.from < 0 ? leaves.back() : leaves[size_t(c.from)];
            const uint32_t to = uint32_t(leaves[size_t(c.to)]);
            char pointer[4];
            for (int i = 0; i < 4; ++i) pointer[i] = char(to >> (8 * i));
            file.seek(from + 8);
            file.write(pointer, 4);
        }
        XbaseTable t;
        ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
        t.setOrder(1);
        std::vector<std::string> names;
        for (bool ok = t.goTop(); ok && names.size() < size_t(3 * count); ok = t.skip(1))
            names.push_back(t.fieldText("NAME").toStdString());
        EXPECT_TRUE(t.indexWasRebuilt());
        ASSERT_EQ(names.size(), size_t(count));
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
        EXPECT_EQ(t.queryRecCount(), count);
    }
}

}  // namespace
}  // namespace corvane::xbase
