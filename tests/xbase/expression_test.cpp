// Expressions evaluated on one record of a small outgoing-log-like layout.

#include <gtest/gtest.h>

#include "core/xbase/expression.h"

namespace corvane::xbase {
namespace {

std::vector<FieldDef> layout() {
    std::vector<FieldDef> fields = {{"SUBJECT", 'C', 10, 0, 0},
                                    {"DATESENT", 'D', 8, 0, 0},
                                    {"TIMESENT", 'C', 5, 0, 0},
                                    {"PAGES", 'N', 2, 0, 0},
                                    {"ARCHIVED", 'L', 1, 0, 0}};
    int offset = 1;
    for (FieldDef& f : fields) {
        f.offset = offset;
        offset += f.width;
    }
    return fields;
}

// deletion flag + SUBJECT(10) + DATESENT(8) + TIMESENT(5) + PAGES(2) + ARCHIVED(1)
const std::string kRecord = std::string(" ") + "Invoice 7 " + "20240315" + "09:30" + " 3" + "F";
const std::string kBlank(27, ' ');
const std::string kDeleted = "*" + kRecord.substr(1);

struct LogicalCase {
    const char* expression;
    const std::string* record;
    bool expected;
};

TEST(Expression, LogicalResultsOnARecord) {
    const LogicalCase cases[] = {
        {"\"INV\"$UPPER(SUBJECT)", &kRecord, true},
        {"\"inv\"$subject", &kRecord, false},
        {"empty(DATESENT) and not archived", &kRecord, false},
        {"empty(DATESENT) and not archived", &kBlank, true},
        {"(.not. empty(DATESENT)) and not archived", &kRecord, true},
        {".not. EMPTY(DateSent)", &kBlank, false},
        {"DATESENT<CTOD(\"03/16/2024\")", &kRecord, true},
        {"DATESENT<CTOD(\"03/15/2024\")", &kRecord, false},
        {"(DATESENT >= CTOD(\"03/01/2024\")) .AND. (DATESENT <= CTOD(\"03/31/2024\"))", &kRecord,
         true},
        {"DATESENT<CTOD(\"01/01/1990\")", &kBlank, true},  // the empty date sorts first
        {"ALLTRIM(UPPER(SUBJECT))==\"INVOICE 7\"", &kRecord, true},
        {"ALLTRIM(UPPER(SUBJECT))==\"INVOICE\"", &kRecord, false},
        {"SUBJECT = \"Inv\"", &kRecord, true},  // prefix comparison
        {"SUBJECT == \"Inv\"", &kRecord, false},
        {"DTOS(DATESENT)+TIMESENT > \"20240315\"", &kRecord, true},
        {"DTOS(DATESENT)+TIMESENT <= \"20240315\"", &kRecord, false},
        {"PAGES > 2 .and. PAGES < 4", &kRecord, true},
        {"deleted()", &kDeleted, true},
        {".not. deleted()", &kDeleted, false},
        {".NOT. DELETED()", &kRecord, true},
        {".true.", &kBlank, true},
        {"archived", &kRecord, false},
        {"ARCHIVED .or. .t.", &kRecord, true},
        {"!archived", &kRecord, true},
        {"ALLT(SUBJECT) = \"Invoice 7\"", &kRecord, true},  // four-letter abbreviation
        {"'Invoice' $ SUBJECT", &kRecord, true},
    };
    const auto fields = layout();
    for (const auto& c : cases) {
        std::string error;
        auto e = Expression::compile(c.expression, fields, &error);
        ASSERT_TRUE(e) << c.expression << ": " << error;
        EXPECT_EQ(e->evaluateLogical(RecordView{c.record, 1}), c.expected) << c.expression;
    }
}

TEST(Expression, KeysHaveTheDeclaredWidth) {
    const auto fields = layout();
    struct {
        const char* expression;
        std::string key;
    } const cases[] = {
        {"DTOS(DATESENT)+TIMESENT", "2024031509:30"},
        {"UPPER(SUBJECT)", "INVOICE 7 "},
        {"ARCHIVED", "F"},
        {"ALLTRIM(SUBJECT)", "Invoice 7 "},
    };
    for (const auto& c : cases) {
        auto e = Expression::compile(c.expression, fields, nullptr);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->key(RecordView{&kRecord, 1}), c.key) << c.expression;
        EXPECT_EQ(e->keyLength(), int(c.key.size()));
    }
    auto blankKey = Expression::compile("DTOS(DATESENT)+TIMESENT", fields, nullptr);
    EXPECT_EQ(blankKey->key(RecordView{&kBlank, 1}), std::string(13, ' '));
    // Numeric keys sort as bytes in numeric order.
    EXPECT_LT(NumericKey(-5), NumericKey(-1));
    EXPECT_LT(NumericKey(-1), NumericKey(0));
    EXPECT_LT(NumericKey(0), NumericKey(2.5));
    EXPECT_LT(NumericKey(2.5), NumericKey(100));
}

TEST(Expression, MalformedTextIsAnErrorWithAPosition) {
    const auto fields = layout();
    struct {
        const char* expression;
        const char* position;
    } const cases[] = {
        {"UPPER(SUBJECT", "position 14"},
        {"\"abc", "position 1"},
        {"NOSUCH = 1", "position 1"},
        {"SUBJECT = 1", "position 9"},
        {"FOO(SUBJECT)", "position 1"},
        {"archived .and.", "position 15"},
        {"SUBJECT $", "position 10"},
        {".maybe.", "position 1"},
        {"1..2", "position 1"},
        {"", "position 1"},
        {"UPPER(SUBJECT, SUBJECT)", "position 1"},
        {"a)", "position 1"},
        {"SUBJECT @ 1", "position 9"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Expression::compile(c.expression, fields, &error)) << c.expression;
        EXPECT_NE(error.find(c.position), std::string::npos) << c.expression << " -> " << error;
    }
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep(100000, '(');
    std::string error;
    EXPECT_FALSE(Expression::compile(deep + "1", fields, &error));
    EXPECT_NE(error.find("deeply"), std::string::npos);
}

}  // namespace
}  // namespace corvane::xbase
