#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "xbase/expression_node.h"
#include "xbase/text_encoding.h"

namespace corvane::xbase {

namespace {

std::string trimRight(const std::string& s) {
    size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}
std::string trimLeft(const std::string& s) {
    size_t start = s.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : s.substr(start);
}

int compareText(const std::string& a, const std::string& b) {
    // Shorter operand padded with blanks.
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
        const unsigned char cb = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return 0;
}

int compareValues(const Value& a, const Value& b) {
    switch (a.type) {
        case ValueType::Character:
            return compareText(a.text, b.text);
        case ValueType::Numeric:
            return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
        case ValueType::Date:
            return a.julian < b.julian ? -1 : a.julian > b.julian ? 1 : 0;
        case ValueType::Logical:
            return int(a.logical) - int(b.logical);
    }
    return 0;
}

// "=" on texts: the left side begins with the right side ("ABC" = "AB" holds, "AB" = "ABC"
// does not, nor does "ABC" = "ABC "): the comparison covers the length of the right side.
bool equal(const Value& a, const Value& b) {
    if (a.type != ValueType::Character) return compareValues(a, b) == 0;
    return b.text.size() <= a.text.size() && a.text.compare(0, b.text.size(), b.text) == 0;
}

size_t clampIndex(double d, size_t limit) {
    if (!(d > 0)) return 0;
    if (d >= double(limit)) return limit;
    return size_t(d);
}

Value eval(const ExprNode& n, const RecordView& r) {
    auto arg = [&](size_t i) { return eval(*n.args[i], r); };
    switch (n.op) {
        case Op::Literal:
            return n.literal;
        case Op::Field: {
            const std::string& bytes = *r.bytes;
            if (size_t(n.field->offset + n.field->width) > bytes.size()) {
                Value v;
                v.type = n.type;
                if (n.type == ValueType::Character) v.text.assign(size_t(n.field->width), ' ');
                return v;
            }
            return FieldValue(*n.field, bytes.data() + n.field->offset);
        }
        case Op::Deleted:
            return Value::boolean(!r.bytes->empty() && (*r.bytes)[0] == '*');
        case Op::Recno:
            return Value::numeric(r.recno);
        case Op::Today:
            return Value::date(JulianToday());
        case Op::And:
            return Value::boolean(arg(0).logical && arg(1).logical);
        case Op::Or:
            return Value::boolean(arg(0).logical || arg(1).logical);
        case Op::Not:
            return Value::boolean(!arg(0).logical);
        case Op::Add: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Character) return Value::character(a.text + b.text);
            if (a.type == ValueType::Date)
                return Value::date(a.julian ? a.julian + int32_t(b.number) : 0);
            return Value::numeric(a.number + b.number);
        }
        case Op::Sub: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Date && b.type == ValueType::Date)
                return Value::numeric(double(a.julian) - double(b.julian));
            if (a.type == ValueType::Date)
                return Value::date(a.julian ? a.julian - int32_t(b.number) : 0);
            return Value::numeric(a.number - b.number);
        }
        case Op::Mul:
            return Value::numeric(arg(0).number * arg(1).number);
        case Op::Div: {
            const double d = arg(1).number;
            return Value::numeric(d == 0 ? 0 : arg(0).number / d);
        }
        case Op::Neg:
            return Value::numeric(-arg(0).number);
        case Op::Eq:
            return Value::boolean(equal(arg(0), arg(1)));
        case Op::ExactEq: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Character) return Value::boolean(a.text == b.text);
            return Value::boolean(compareValues(a, b) == 0);
        }
        case Op::Ne:
            return Value::boolean(!equal(arg(0), arg(1)));
        case Op::Lt:
            return Value::boolean(compareValues(arg(0), arg(1)) < 0);
        case Op::Le:
            return Value::boolean(compareValues(arg(0), arg(1)) <= 0);
        case Op::Gt:
            return Value::boolean(compareValues(arg(0), arg(1)) > 0);
        case Op::Ge:
            return Value::boolean(compareValues(arg(0), arg(1)) >= 0);
        case Op::Contains: {
            const Value a = arg(0), b = arg(1);
            return Value::boolean(!a.text.empty() && b.text.find(a.text) != std::string::npos);
        }
        case Op::Dtos:
            return Value::character(DtosFromJulian(arg(0).julian));
        case Op::Dtoc:
            return Value::character(DtocFromJulian(arg(0).julian));
        case Op::Ctod:
            return Value::date(JulianFromCtod(arg(0).text));
        case Op::Upper:
            return Value::character(UpperCase(arg(0).text));
        case Op::Lower:
            return Value::character(LowerCase(arg(0).text));
        case Op::AllTrim:
            return Value::character(trimLeft(trimRight(arg(0).text)));
        case Op::RTrim:
            return Value::character(trimRight(arg(0).text));
        case Op::LTrim:
            return Value::character(trimLeft(arg(0).text));
        case Op::Empty: {
            const Value v = arg(0);
            switch (v.type) {
                case ValueType::Character:
                    return Value::boolean(v.text.find_first_not_of(" \t\r\n") == std::string::npos);
                case ValueType::Numeric:
                    return Value::boolean(v.number == 0);
                case ValueType::Date:
                    return Value::boolean(v.julian == 0);
                case ValueType::Logical:
                    return Value::boolean(!v.logical);
            }
            return Value::boolean(true);
        }
        case Op::Substr: {
            const std::string s = arg(0).text;
            const size_t start = clampIndex(arg(1).number, s.size() + 1);
            if (start == 0 || start > s.size()) return Value::character({});
            size_t count = s.size() - (start - 1);
            if (n.args.size() > 2) count = std::min(count, clampIndex(arg(2).number, s.size()));
            return Value::character(s.substr(start - 1, count));
        }
        case Op::Left: {
            const std::string s = arg(0).text;
            return Value::character(s.substr(0, clampIndex(arg(1).number, s.size())));
        }
        case Op::Right: {
            const std::string s = arg(0).text;
            const size_t count = clampIndex(arg(1).number, s.size());
            return Value::character(s.substr(s.size() - count));
        }
        case Op::Str: {
            const double v = arg(0).number;
            const int width = n.args.size() > 1 ? int(clampIndex(arg(1).number, 64)) : 10;
            const int decimals = n.args.size() > 2 ? int(clampIndex(arg(2).number, 16)) : 0;
            return Value::character(FormatNumber(v, width, decimals));
        }
        case Op::Val:
            return Value::numeric(std::strtod(arg(0).text.c_str(), nullptr));
        case Op::Len:
            return Value::numeric(double(arg(0).text.size()));
        case Op::Iif:
            return arg(0).logical ? arg(1) : arg(2);
        case Op::Year:
        case Op::Month:
        case Op::Day: {
            const std::string s = DtosFromJulian(arg(0).julian);
            if (s[0] == ' ') return Value::numeric(0);
            const int at = n.op == Op::Year ? 0 : n.op == Op::Month ? 4 : 6;
            return Value::numeric(
                std::atoi(s.substr(size_t(at), n.op == Op::Year ? 4 : 2).c_str()));
        }
    }
    return Value::boolean(false);
}

}  // namespace

Value EvaluateNode(const ExprNode& node, const RecordView& record) {
    return eval(node, record);
}

}  // namespace corvane::xbase
