// Expressions evaluated on one record of a small outgoing-log-like layout.

#include <gtest/gtest.h>

#include "xbase/expression.h"
#include "xbase/text_encoding.h"

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
        auto compiled = Expression::compile(c.expression, fields);
        ASSERT_TRUE(compiled) << c.expression << ": " << compiled.message().toStdString();
        const auto& e = compiled.value();
        EXPECT_EQ(e->evaluateLogical(RecordView{c.record, 1}), c.expected) << c.expression;
    }
}

// "=" holds when the left text begins with the right one, so a longer right side never
// matches; "<>", "#" and "!=" are its negation whatever the operand order; "==" is exact.
TEST(Expression, TextComparisonsWithBothOperandOrdersAndLengths) {
    struct Case {
        const char* left;
        const char* right;
        bool equal;  // "="
        bool exact;  // "=="
    };
    const Case cases[] = {
        {"TRIM(SUBJECT)", "\"Invoice 7\"", true, true},
        {"TRIM(SUBJECT)", "\"Invoice 7 \"", false, false},  // right longer
        {"\"Invoice 7 \"", "TRIM(SUBJECT)", true, false},   // left longer
        {"TRIM(SUBJECT)", "\"Invoice\"", true, false},
        {"\"Invoice\"", "TRIM(SUBJECT)", false, false},
        {"TRIM(SUBJECT)", "\"\"", true, false},
        {"\"\"", "TRIM(SUBJECT)", false, false},
        {"TRIM(SUBJECT)", "\"Invoice 8\"", false, false},
    };
    const auto fields = layout();
    const RecordView view{&kRecord, 1};
    for (const Case& c : cases) {
        const std::string pair = std::string(c.left) + " ? " + c.right;
        auto holds = [&](const char* op) {
            auto e = Expression::compile(std::string(c.left) + op + c.right, fields);
            EXPECT_TRUE(e) << pair << ": " << e.message().toStdString();
            return e && e.value()->evaluateLogical(view);
        };
        EXPECT_EQ(holds(" = "), c.equal) << pair;
        for (const char* negation : {" <> ", " # ", " != "})
            EXPECT_EQ(holds(negation), !c.equal) << pair << negation;
        EXPECT_EQ(holds(" == "), c.exact) << pair;
    }
}

// UPPER() and LOWER() follow code page 1252, also for the letters beyond a to z.
TEST(Expression, UpperAndLowerCoverTheAccentedLettersOfTheCodePage) {
    const std::vector<FieldDef> none;
    const std::string blank = " ";
    auto evaluate = [&](const char* function, const QString& text) {
        const std::string literal = "\"" + ToWindows1252(text) + "\"";
        auto e = Expression::compile(std::string(function) + "(" + literal + ")", none);
        EXPECT_TRUE(e) << e.message().toStdString();
        return e ? FromWindows1252(e.value()->evaluate(RecordView{&blank, 1}).text) : QString();
    };
    const QString lower = QString::fromUtf8("müller àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ šœžÿ ß ÷ µ");
    const QString upper = QString::fromUtf8("MÜLLER ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ ŠŒŽŸ ß ÷ µ");
    EXPECT_EQ(evaluate("UPPER", lower).toStdString(), upper.toStdString());
    EXPECT_EQ(evaluate("LOWER", upper).toStdString(),
              QString::fromUtf8("müller àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ šœžÿ ß ÷ µ").toStdString());
    EXPECT_EQ(evaluate("UPPER", QString::fromUtf8("×")).toStdString(), "×");
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
        auto compiled = Expression::compile(c.expression, fields);
        ASSERT_TRUE(compiled) << c.expression;
        const auto& e = compiled.value();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->key(RecordView{&kRecord, 1}), c.key) << c.expression;
        EXPECT_EQ(e->keyLength(), int(c.key.size()));
    }
    auto blankKey = Expression::compile("DTOS(DATESENT)+TIMESENT", fields).value();
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
        auto e = Expression::compile(c.expression, fields);
        EXPECT_FALSE(e) << c.expression;
        const std::string error = e.message().toStdString();
        EXPECT_NE(error.find(c.position), std::string::npos) << c.expression << " -> " << error;
    }
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep(100000, '(');
    auto e = Expression::compile(deep + "1", fields);
    EXPECT_FALSE(e);
    EXPECT_TRUE(e.message().contains("deeply"));
}

}  // namespace
}  // namespace corvane::xbase
