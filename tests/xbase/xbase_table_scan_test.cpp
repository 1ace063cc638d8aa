// Scans that pass over many records: filtered navigation, filter counts and locate in a table
// large enough that a scan in tag order switches from reading entry by entry to one pass in
// file order. The expected records come from a model of the table built in the test.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "fixtures/xbase_test_util.h"

namespace corvane::xbase {
namespace {

constexpr uint32_t kRecords = 1000;

// Record i: CODE = (i * 379) mod 1000 as four digits (every code once, in an order unrelated
// to the record numbers), KIND "A" for i mod 10 = 3 and "B" otherwise, NUM = i; every
// seventh record is marked deleted.
struct ModelRecord {
    uint32_t recno;
    std::string code;
    bool kindA;
    bool deleted;
};

ModelRecord Model(uint32_t i) {
    char code[8];
    std::snprintf(code, sizeof code, "%04u", i * 379 % 1000);
    return {i, code, i % 10 == 3, i % 7 == 0};
}

struct Order {
    const char* name;
    int tag;  // 0 record order, 1 CODE (deleted records left out), 2 CODEALL (descending)
};

struct Filter {
    const char* expression;
    std::function<bool(const ModelRecord&)> holds;
};

struct Condition {
    const char* expression;
    std::function<bool(const ModelRecord&)> holds;
};

class XbaseScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = dir_.filePath("SCAN.DBF");
        ASSERT_TRUE(XbaseTable::create(
            path_, {{"CODE", 'C', 4, 0, 0}, {"KIND", 'C', 1, 0, 0}, {"NUM", 'N', 5, 0, 0}}));
        ASSERT_TRUE(table_.open(path_, OpenMode::Exclusive));
        for (uint32_t i = 1; i <= kRecords; ++i) {
            const ModelRecord m = Model(i);
            EXPECT_TRUE(table_.appendBlank());
            EXPECT_TRUE(table_.replaceText("CODE", QString::fromStdString(m.code)));
            EXPECT_TRUE(table_.replaceText("KIND", m.kindA ? "A" : "B"));
            EXPECT_TRUE(table_.replaceNumber("NUM", i));
            if (m.deleted) {
                EXPECT_TRUE(table_.deleteRecord());
            }
        }
        ASSERT_TRUE(table_.commit());
        ASSERT_TRUE(table_.createTag({"CODE", "CODE", ".not. deleted()", false, false}));
        ASSERT_TRUE(table_.createTag({"CODEALL", "CODE", "", false, true}));
    }

    // The records of an order as the model has them, before visibility.
    static std::vector<ModelRecord> inOrder(int tag) {
        std::vector<ModelRecord> list;
        for (uint32_t i = 1; i <= kRecords; ++i)
            if (tag != 1 || !Model(i).deleted) list.push_back(Model(i));
        if (tag == 1)
            std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.code < b.code; });
        if (tag == 2)
            std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.code > b.code; });
        return list;
    }

    QTemporaryDir dir_;
    QString path_;
    XbaseTable table_;
};

TEST_F(XbaseScanTest, NavigationCountsAndLocateAgreeWithTheModelInEveryOrder) {
    const Order orders[] = {{"record order", 0}, {"CODE", 1}, {"CODEALL descending", 2}};
    const Filter filters[] = {
        {"", [](const ModelRecord&) { return true; }},
        {"KIND = \"A\"", [](const ModelRecord& m) { return m.kindA; }},
        // Four records, far down every order: goTop has to pass over most of the table.
        {"NUM > 995 .and. NUM < 1000",
         [](const ModelRecord& m) { return m.recno > 995 && m.recno < 1000; }},
    };
    const Condition conditions[] = {
        {"NUM = 997", [](const ModelRecord& m) { return m.recno == 997; }},
        {"NUM > 990", [](const ModelRecord& m) { return m.recno > 990; }},
        {"CODE = \"0005\" .or. CODE = \"0994\"",
         [](const ModelRecord& m) { return m.code == "0005" || m.code == "0994"; }},
        {"NUM = 5000", [](const ModelRecord&) { return false; }},
        {"DELETED()", [](const ModelRecord& m) { return m.deleted; }},
    };
    for (const Order& order : orders) {
        for (const bool hidden : {true, false}) {
            for (const Filter& filter : filters) {
                SCOPED_TRACE(std::string(order.name) + (hidden ? ", deleted hidden" : "") +
                             ", filter " + filter.expression);
                table_.setDeletedHidden(hidden);
                ASSERT_TRUE(table_.setOrder(order.tag));
                std::vector<uint32_t> visible;
                for (const ModelRecord& m : inOrder(order.tag))
                    if (!(hidden && m.deleted) && filter.holds(m)) visible.push_back(m.recno);

                ASSERT_EQ(table_.query(filter.expression).value(), int(visible.size()));
                EXPECT_EQ(table_.queryRecCount(), int(visible.size()));
                std::vector<uint32_t> walked;
                for (bool ok = table_.goTop(); ok; ok = table_.skip(1))
                    walked.push_back(table_.recNo());
                EXPECT_EQ(walked, visible);
                EXPECT_TRUE(table_.eof());
                std::vector<uint32_t> backwards;
                for (bool ok = table_.goBottom(); ok; ok = table_.skip(-1))
                    backwards.push_back(table_.recNo());
                std::reverse(backwards.begin(), backwards.end());
                EXPECT_EQ(backwards, visible);

                for (const Condition& c : conditions) {
                    SCOPED_TRACE(c.expression);
                    std::vector<uint32_t> expected;
                    for (uint32_t r : visible)
                        if (c.holds(Model(r))) expected.push_back(r);
                    // Find, then Find Next until nothing more is found.
                    std::vector<uint32_t> found;
                    table_.goTop();
                    for (auto r = table_.locate(c.expression, true, false).value(); r != 0;
                         r = table_.locate(c.expression, true, true).value()) {
                        ASSERT_EQ(table_.recNo(), r);
                        found.push_back(r);
                        ASSERT_LE(found.size(), expected.size());
                    }
                    EXPECT_EQ(found, expected);
                    // Not found: the position stays where the search started.
                    const uint32_t before = table_.recNo();
                    EXPECT_EQ(table_.locate(c.expression, true, true).value(), 0u);
                    EXPECT_EQ(table_.recNo(), before);
                    // Backwards from the bottom: the last match first.
                    EXPECT_EQ(table_.locate(c.expression, false, false).value(),
                              expected.empty() ? 0u : expected.back());
                }
            }
        }
    }
}

TEST_F(XbaseScanTest, LocateFromTheEndOfFileStaysThere) {
    table_.setDeletedHidden(true);
    ASSERT_TRUE(table_.setOrder(1));
    table_.goBottom();
    table_.skip(1);
    ASSERT_TRUE(table_.eof());
    EXPECT_EQ(table_.locate("NUM = 1", true, true).value(), 0u);
    EXPECT_TRUE(table_.eof());
    EXPECT_EQ(table_.recNo(), table_.recCount() + 1);
    // From the top the same search finds its record, wherever it stands in the order.
    EXPECT_EQ(table_.locate("NUM = 1", true, false).value(), 1u);
}

}  // namespace
}  // namespace corvane::xbase
