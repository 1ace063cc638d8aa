#pragma once
// xBase expressions: compiled once against a table's fields, evaluated per record.
//
// Understood: field names in any case; character, numeric, date and logical values; "+" and
// "-" (concatenation, arithmetic, date arithmetic), "*" "/"; comparisons "=" (on texts: the
// left side begins with the right side, so a longer right side is never equal), "==" (exact),
// "<>" "#" "!=" (each the negation of "="), "<" "<=" ">" ">=", "$" (contained in);
// .AND./AND, .OR./OR, .NOT./NOT/!; .T./.TRUE./.F./.FALSE.; literals in double or single quotes
// and numbers; parentheses; the functions DTOS DTOC CTOD UPPER LOWER ALLTRIM TRIM RTRIM LTRIM
// EMPTY DELETED RECNO DATE SUBSTR LEFT RIGHT STR VAL LEN IIF YEAR MONTH DAY (any case, and
// abbreviated to four letters or more). UPPER and LOWER change the accented letters of code
// page 1252 too. Types are checked when compiling, so evaluation of a compiled expression
// cannot fail.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "xbase/field_def.h"
#include "xbase/value.h"

namespace corvane::xbase {

// The record an expression is evaluated on: the raw record bytes (deletion flag first) and
// its number.
struct RecordView {
    const std::string* bytes = nullptr;
    uint32_t recno = 0;
};

struct ExprNode;

class Expression {
  public:
    ~Expression();
    // Fails ("... at position N") when the text is malformed, names an unknown field or
    // function, or mixes types.
    static Result<std::unique_ptr<Expression>> compile(const std::string& text,
                                                       const std::vector<FieldDef>& fields);

    const std::string& text() const { return text_; }
    ValueType type() const;
    // Width of a character result as an index key (the declared widths of the fields it uses).
    int width() const;

    Value evaluate(const RecordView& record) const;
    bool evaluateLogical(const RecordView& record) const;  // false for non-logical expressions
    // The expression's value as index key bytes: character results padded or cut to width(),
    // logicals "T"/"F", numbers and dates as 8 sortable bytes.
    std::string key(const RecordView& record) const;
    int keyLength() const;

  private:
    Expression() = default;
    std::string text_;
    std::unique_ptr<ExprNode> root_;
};

// Index key bytes of a number: the IEEE double made to sort as unsigned bytes.
std::string NumericKey(double n);

}  // namespace corvane::xbase
