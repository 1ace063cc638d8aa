#include "core/xbase/expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace corvane::xbase {

namespace {

enum class Op {
    Literal,
    Field,
    Deleted,
    Recno,
    Today,
    And,
    Or,
    Not,
    Add,
    Sub,
    Mul,
    Div,
    Neg,
    Eq,
    ExactEq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Contains,
    Dtos,
    Dtoc,
    Ctod,
    Upper,
    Lower,
    AllTrim,
    RTrim,
    LTrim,
    Empty,
    Substr,
    Left,
    Right,
    Str,
    Val,
    Len,
    Iif,
    Year,
    Month,
    Day,
};

struct FunctionSpec {
    const char* name;
    Op op;
    int minArgs;
    int maxArgs;
};

constexpr FunctionSpec kFunctions[] = {
    {"DTOS", Op::Dtos, 1, 1},   {"DTOC", Op::Dtoc, 1, 1},       {"CTOD", Op::Ctod, 1, 1},
    {"UPPER", Op::Upper, 1, 1}, {"LOWER", Op::Lower, 1, 1},     {"ALLTRIM", Op::AllTrim, 1, 1},
    {"TRIM", Op::RTrim, 1, 1},  {"RTRIM", Op::RTrim, 1, 1},     {"LTRIM", Op::LTrim, 1, 1},
    {"EMPTY", Op::Empty, 1, 1}, {"DELETED", Op::Deleted, 0, 0}, {"RECNO", Op::Recno, 0, 0},
    {"DATE", Op::Today, 0, 0},  {"SUBSTR", Op::Substr, 2, 3},   {"LEFT", Op::Left, 2, 2},
    {"RIGHT", Op::Right, 2, 2}, {"STR", Op::Str, 1, 3},         {"VAL", Op::Val, 1, 1},
    {"LEN", Op::Len, 1, 1},     {"IIF", Op::Iif, 3, 3},         {"YEAR", Op::Year, 1, 1},
    {"MONTH", Op::Month, 1, 1}, {"DAY", Op::Day, 1, 1},
};

constexpr int kMaxDepth = 200;
constexpr int kMaxWidth = 65535;

struct CompileError : std::runtime_error {
    CompileError(const std::string& what, size_t pos) : std::runtime_error(what), position(pos) {}
    size_t position;
};

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

const char* typeName(ValueType t) {
    switch (t) {
        case ValueType::Character:
            return "character";
        case ValueType::Numeric:
            return "numeric";
        case ValueType::Date:
            return "date";
        case ValueType::Logical:
            return "logical";
    }
    return "?";
}

}  // namespace

struct ExprNode {
    Op op = Op::Literal;
    ValueType type = ValueType::Logical;
    int width = 0;
    Value literal;
    const FieldDef* field = nullptr;
    std::vector<std::unique_ptr<ExprNode>> args;
};

namespace {

enum class Tok { End, Ident, Number, String, LParen, RParen, Comma, Op, Dotted };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifier/operator/dotted keyword upper-cased; string contents raw
    size_t pos = 0;    // 1-based position in the text
};

class Parser {
  public:
    Parser(const std::string& text, const std::vector<FieldDef>& fields)
        : text_(text), fields_(fields) {
        next();
    }

    std::unique_ptr<ExprNode> parseAll() {
        auto node = parseOr();
        if (tok_.kind != Tok::End) fail("unexpected \"" + tokenText() + "\"");
        return node;
    }

  private:
    [[noreturn]] void fail(const std::string& what) const { throw CompileError(what, tok_.pos); }
    [[noreturn]] void failAt(const std::string& what, size_t pos) const {
        throw CompileError(what, pos);
    }

    std::string tokenText() const {
        if (tok_.kind == Tok::End) return "end of expression";
        if (tok_.kind == Tok::String) return "\"" + tok_.text + "\"";
        return tok_.text;
    }

    void next() {
        while (i_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[i_]))) ++i_;
        tok_ = Token{};
        tok_.pos = i_ + 1;
        if (i_ >= text_.size()) return;
        const char c = text_[i_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i_;
            while (j < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[j])) || text_[j] == '_'))
                ++j;
            tok_.kind = Tok::Ident;
            tok_.text = upper(text_.substr(i_, j - i_));
            i_ = j;
            if (tok_.text == "AND" || tok_.text == "OR" || tok_.text == "NOT")
                tok_.kind = Tok::Dotted;
            return;
        }
        if (c == '.' && i_ + 1 < text_.size() &&
            std::isalpha(static_cast<unsigned char>(text_[i_ + 1]))) {
            size_t j = i_ + 1;
            while (j < text_.size() && std::isalpha(static_cast<unsigned char>(text_[j]))) ++j;
            if (j >= text_.size() || text_[j] != '.') failAt("unterminated dotted keyword", i_ + 1);
            tok_.kind = Tok::Dotted;
            tok_.text = upper(text_.substr(i_ + 1, j - i_ - 1));
            static const char* known[] = {"AND", "OR", "NOT", "T", "F", "TRUE", "FALSE", "Y", "N"};
            if (std::none_of(std::begin(known), std::end(known),
                             [&](const char* k) { return tok_.text == k; }))
                failAt("unknown keyword \"." + tok_.text + ".\"", i_ + 1);
            i_ = j + 1;
            return;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            size_t j = i_;
            while (j < text_.size() &&
                   (std::isdigit(static_cast<unsigned char>(text_[j])) || text_[j] == '.'))
                ++j;
            tok_.kind = Tok::Number;
            tok_.text = text_.substr(i_, j - i_);
            if (std::count(tok_.text.begin(), tok_.text.end(), '.') > 1 || tok_.text == ".")
                failAt("malformed number", i_ + 1);
            i_ = j;
            return;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = text_.find(close, i_ + 1);
            if (end == std::string::npos) failAt("unterminated text literal", i_ + 1);
            tok_.kind = Tok::String;
            tok_.text = text_.substr(i_ + 1, end - i_ - 1);
            i_ = end + 1;
            return;
        }
        if (c == '(' || c == ')' || c == ',') {
            tok_.kind = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : Tok::Comma;
            tok_.text = std::string(1, c);
            ++i_;
            return;
        }
        static const char* ops[] = {"==", "<>", "<=", ">=", "!=", "=", "<", ">",
                                    "#",  "$",  "+",  "-",  "*",  "/", "!"};
        for (const char* op : ops) {
            const size_t n = std::strlen(op);
            if (text_.compare(i_, n, op) == 0) {
                tok_.kind = Tok::Op;
                tok_.text = op;
                i_ += n;
                return;
            }
        }
        failAt(std::string("unexpected character '") + c + "'", i_ + 1);
    }

    bool isDotted(const char* word) const { return tok_.kind == Tok::Dotted && tok_.text == word; }
    bool isOp(const char* op) const { return tok_.kind == Tok::Op && tok_.text == op; }

    void enter() {
        if (++depth_ > kMaxDepth) fail("expression nested too deeply");
    }

    static std::unique_ptr<ExprNode> make(Op op, ValueType type, int width) {
        auto n = std::make_unique<ExprNode>();
        n->op = op;
        n->type = type;
        n->width = std::min(width, kMaxWidth);
        return n;
    }

    void expect(const ExprNode& n, ValueType t, const std::string& where, size_t pos) const {
        if (n.type != t)
            failAt(where + " needs a " + typeName(t) + " value, not " + typeName(n.type), pos);
    }

    std::unique_ptr<ExprNode> parseOr() {
        enter();
        auto left = parseAnd();
        while (isDotted("OR")) {
            const size_t pos = tok_.pos;
            next();
            auto right = parseAnd();
            expect(*left, ValueType::Logical, "OR", pos);
            expect(*right, ValueType::Logical, "OR", pos);
            auto n = make(Op::Or, ValueType::Logical, 1);
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        --depth_;
        return left;
    }

    std::unique_ptr<ExprNode> parseAnd() {
        auto left = parseNot();
        while (isDotted("AND")) {
            const size_t pos = tok_.pos;
            next();
            auto right = parseNot();
            expect(*left, ValueType::Logical, "AND", pos);
            expect(*right, ValueType::Logical, "AND", pos);
            auto n = make(Op::And, ValueType::Logical, 1);
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseNot() {
        if (isDotted("NOT") || isOp("!")) {
            const size_t pos = tok_.pos;
            next();
            enter();
            auto operand = parseNot();
            --depth_;
            expect(*operand, ValueType::Logical, "NOT", pos);
            auto n = make(Op::Not, ValueType::Logical, 1);
            n->args.push_back(std::move(operand));
            return n;
        }
        return parseComparison();
    }

    std::unique_ptr<ExprNode> parseComparison() {
        auto left = parseAdditive();
        struct {
            const char* text;
            Op op;
        } static const table[] = {{"==", Op::ExactEq}, {"=", Op::Eq},  {"<>", Op::Ne},
                                  {"#", Op::Ne},       {"!=", Op::Ne}, {"<=", Op::Le},
                                  {">=", Op::Ge},      {"<", Op::Lt},  {">", Op::Gt},
                                  {"$", Op::Contains}};
        for (const auto& entry : table) {
            if (!isOp(entry.text)) continue;
            const size_t pos = tok_.pos;
            next();
            auto right = parseAdditive();
            if (entry.op == Op::Contains) {
                expect(*left, ValueType::Character, "$", pos);
                expect(*right, ValueType::Character, "$", pos);
            } else if (left->type != right->type) {
                failAt(std::string("cannot compare ") + typeName(left->type) + " with " +
                           typeName(right->type),
                       pos);
            }
            auto n = make(entry.op, ValueType::Logical, 1);
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            return n;
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseAdditive() {
        auto left = parseMultiplicative();
        while (isOp("+") || isOp("-")) {
            const bool plus = tok_.text == "+";
            const size_t pos = tok_.pos;
            next();
            auto right = parseMultiplicative();
            const ValueType l = left->type, r = right->type;
            ValueType result;
            int width = 0;
            if (l == ValueType::Character && r == ValueType::Character) {
                result = ValueType::Character;
                width = left->width + right->width;
            } else if (l == ValueType::Numeric && r == ValueType::Numeric) {
                result = ValueType::Numeric;
            } else if (l == ValueType::Date && r == ValueType::Numeric) {
                result = ValueType::Date;
            } else if (!plus && l == ValueType::Date && r == ValueType::Date) {
                result = ValueType::Numeric;
            } else {
                failAt(std::string("cannot ") + (plus ? "add " : "subtract ") + typeName(r) +
                           (plus ? " to " : " from ") + typeName(l),
                       pos);
            }
            auto n = make(plus ? Op::Add : Op::Sub, result, width);
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseMultiplicative() {
        auto left = parseUnary();
        while (isOp("*") || isOp("/")) {
            const Op op = tok_.text == "*" ? Op::Mul : Op::Div;
            const size_t pos = tok_.pos;
            next();
            auto right = parseUnary();
            expect(*left, ValueType::Numeric, "arithmetic", pos);
            expect(*right, ValueType::Numeric, "arithmetic", pos);
            auto n = make(op, ValueType::Numeric, 0);
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseUnary() {
        if (isOp("-") || isOp("+")) {
            const bool minus = tok_.text == "-";
            const size_t pos = tok_.pos;
            next();
            enter();
            auto operand = parseUnary();
            --depth_;
            expect(*operand, ValueType::Numeric, "sign", pos);
            if (!minus) return operand;
            auto n = make(Op::Neg, ValueType::Numeric, 0);
            n->args.push_back(std::move(operand));
            return n;
        }
        return parsePrimary();
    }

    std::unique_ptr<ExprNode> parsePrimary() {
        const Token t = tok_;
        switch (t.kind) {
            case Tok::LParen: {
                next();
                auto inner = parseOr();
                if (tok_.kind != Tok::RParen) fail("expected \")\" but found " + tokenText());
                next();
                return inner;
            }
            case Tok::String: {
                next();
                auto n = make(Op::Literal, ValueType::Character, int(t.text.size()));
                n->literal = Value::character(t.text);
                return n;
            }
            case Tok::Number: {
                next();
                auto n = make(Op::Literal, ValueType::Numeric, 0);
                n->literal = Value::numeric(std::strtod(t.text.c_str(), nullptr));
                return n;
            }
            case Tok::Dotted: {
                if (t.text == "AND" || t.text == "OR" || t.text == "NOT")
                    fail("expected a value but found " + t.text);
                next();
                auto n = make(Op::Literal, ValueType::Logical, 1);
                n->literal = Value::boolean(t.text == "T" || t.text == "TRUE" || t.text == "Y");
                return n;
            }
            case Tok::Ident: {
                next();
                if (tok_.kind == Tok::LParen) return parseCall(t);
                for (const FieldDef& f : fields_) {
                    if (f.name != t.text) continue;
                    ValueType type = ValueType::Character;
                    if (f.type == 'D')
                        type = ValueType::Date;
                    else if (f.type == 'L')
                        type = ValueType::Logical;
                    else if (f.type == 'N' || f.type == 'F')
                        type = ValueType::Numeric;
                    auto n = make(Op::Field, type, f.width);
                    n->field = &f;
                    return n;
                }
                failAt("unknown field \"" + t.text + "\"", t.pos);
            }
            default:
                fail("expected a value but found " + tokenText());
        }
    }

    const FunctionSpec* findFunction(const std::string& name) const {
        for (const auto& f : kFunctions)
            if (name == f.name) return &f;
        if (name.size() < 4) return nullptr;
        const FunctionSpec* match = nullptr;
        for (const auto& f : kFunctions) {
            if (std::strncmp(f.name, name.c_str(), name.size()) == 0) {
                if (match) return nullptr;  // ambiguous abbreviation
                match = &f;
            }
        }
        return match;
    }

    std::unique_ptr<ExprNode> parseCall(const Token& name) {
        const FunctionSpec* spec = findFunction(name.text);
        if (!spec) failAt("unknown function \"" + name.text + "(\"", name.pos);
        next();  // '('
        enter();
        std::vector<std::unique_ptr<ExprNode>> args;
        std::vector<size_t> positions;
        if (tok_.kind != Tok::RParen) {
            for (;;) {
                positions.push_back(tok_.pos);
                args.push_back(parseOr());
                if (tok_.kind == Tok::Comma) {
                    next();
                    continue;
                }
                break;
            }
        }
        if (tok_.kind != Tok::RParen) fail("expected \")\" but found " + tokenText());
        next();
        --depth_;
        if (int(args.size()) < spec->minArgs || int(args.size()) > spec->maxArgs)
            failAt(std::string(spec->name) + "( takes " + std::to_string(spec->minArgs) +
                       (spec->maxArgs != spec->minArgs ? " to " + std::to_string(spec->maxArgs)
                                                       : std::string()) +
                       " argument(s)",
                   name.pos);
        auto arg = [&](size_t i, ValueType t) {
            expect(*args[i], t, std::string(spec->name) + "(", positions[i]);
        };
        ValueType result = ValueType::Character;
        int width = 0;
        switch (spec->op) {
            case Op::Dtos:
                arg(0, ValueType::Date);
                width = 8;
                break;
            case Op::Dtoc:
                arg(0, ValueType::Date);
                width = 10;
                break;
            case Op::Ctod:
                arg(0, ValueType::Character);
                result = ValueType::Date;
                break;
            case Op::Upper:
            case Op::Lower:
            case Op::AllTrim:
            case Op::RTrim:
            case Op::LTrim:
                arg(0, ValueType::Character);
                width = args[0]->width;
                break;
            case Op::Empty:
                result = ValueType::Logical;
                width = 1;
                break;
            case Op::Deleted:
                result = ValueType::Logical;
                width = 1;
                break;
            case Op::Recno:
                result = ValueType::Numeric;
                break;
            case Op::Today:
                result = ValueType::Date;
                break;
            case Op::Substr:
                arg(0, ValueType::Character);
                arg(1, ValueType::Numeric);
                if (args.size() > 2) {
                    arg(2, ValueType::Numeric);
                    width = constantWidth(*args[2], args[0]->width);
                } else {
                    width = args[0]->width;
                }
                break;
            case Op::Left:
            case Op::Right:
                arg(0, ValueType::Character);
                arg(1, ValueType::Numeric);
                width = constantWidth(*args[1], args[0]->width);
                break;
            case Op::Str:
                arg(0, ValueType::Numeric);
                for (size_t i = 1; i < args.size(); ++i) arg(i, ValueType::Numeric);
                width = args.size() > 1 ? constantWidth(*args[1], 10) : 10;
                break;
            case Op::Val:
                arg(0, ValueType::Character);
                result = ValueType::Numeric;
                break;
            case Op::Len:
                arg(0, ValueType::Character);
                result = ValueType::Numeric;
                break;
            case Op::Iif:
                arg(0, ValueType::Logical);
                if (args[1]->type != args[2]->type)
                    failAt("IIF( needs two values of one type", positions[2]);
                result = args[1]->type;
                width = std::max(args[1]->width, args[2]->width);
                break;
            case Op::Year:
            case Op::Month:
            case Op::Day:
                arg(0, ValueType::Date);
                result = ValueType::Numeric;
                break;
            default:
                break;
        }
        auto n = make(spec->op, result, width);
        n->args = std::move(args);
        return n;
    }

    static int constantWidth(const ExprNode& n, int fallback) {
        if (n.op == Op::Literal && n.type == ValueType::Numeric)
            return int(std::clamp(n.literal.number, 0.0, double(kMaxWidth)));
        return fallback;
    }

    const std::string& text_;
    const std::vector<FieldDef>& fields_;
    size_t i_ = 0;
    Token tok_;
    int depth_ = 0;
};

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
        case Op::Eq: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Character) {
                // Prefix comparison: "ABC" = "AB" holds, as with SET EXACT OFF.
                if (b.text.size() > a.text.size())
                    return Value::boolean(compareText(a.text, b.text) == 0);
                return Value::boolean(a.text.compare(0, b.text.size(), b.text) == 0);
            }
            return Value::boolean(compareValues(a, b) == 0);
        }
        case Op::ExactEq: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Character) return Value::boolean(a.text == b.text);
            return Value::boolean(compareValues(a, b) == 0);
        }
        case Op::Ne: {
            Value a = arg(0), b = arg(1);
            if (a.type == ValueType::Character)
                return Value::boolean(a.text.compare(0, b.text.size(), b.text) != 0 ||
                                      b.text.size() > a.text.size());
            return Value::boolean(compareValues(a, b) != 0);
        }
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
        case Op::Upper: {
            Value v = arg(0);
            for (char& c : v.text) c = char(std::toupper(static_cast<unsigned char>(c)));
            return v;
        }
        case Op::Lower: {
            Value v = arg(0);
            for (char& c : v.text) c = char(std::tolower(static_cast<unsigned char>(c)));
            return v;
        }
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

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::compile(const std::string& text,
                                                const std::vector<FieldDef>& fields,
                                                std::string* error) {
    try {
        Parser parser(text, fields);
        auto root = parser.parseAll();
        std::unique_ptr<Expression> e(new Expression);
        e->text_ = text;
        e->root_ = std::move(root);
        return e;
    } catch (const CompileError& ex) {
        if (error) *error = std::string(ex.what()) + " at position " + std::to_string(ex.position);
        return nullptr;
    }
}

ValueType Expression::type() const {
    return root_->type;
}
int Expression::width() const {
    return root_->width;
}

Value Expression::evaluate(const RecordView& record) const {
    return eval(*root_, record);
}

bool Expression::evaluateLogical(const RecordView& record) const {
    if (root_->type != ValueType::Logical) return false;
    return eval(*root_, record).logical;
}

int Expression::keyLength() const {
    switch (root_->type) {
        case ValueType::Character:
            return root_->width;
        case ValueType::Logical:
            return 1;
        default:
            return 8;
    }
}

std::string NumericKey(double n) {
    uint64_t bits;
    std::memcpy(&bits, &n, sizeof bits);
    if (n == 0) bits = 0;  // -0 and +0 share one key
    if (bits & (uint64_t(1) << 63))
        bits = ~bits;
    else
        bits |= uint64_t(1) << 63;
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i) key[size_t(i)] = char((bits >> (56 - 8 * i)) & 0xFF);
    return key;
}

std::string Expression::key(const RecordView& record) const {
    const Value v = eval(*root_, record);
    switch (v.type) {
        case ValueType::Character: {
            std::string k = v.text;
            k.resize(size_t(root_->width), ' ');
            return k;
        }
        case ValueType::Logical:
            return v.logical ? "T" : "F";
        case ValueType::Numeric:
            return NumericKey(v.number);
        case ValueType::Date:
            return NumericKey(double(v.julian));
    }
    return {};
}

}  // namespace corvane::xbase
