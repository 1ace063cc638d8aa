#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "xbase/expression_lexer.h"
#include "xbase/expression_node.h"

namespace corvane::xbase {

namespace {

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

// Recursive descent, one function per precedence level; every node gets its result type
// (and, for text, its width) here, so that evaluation needs no checks.
class Parser {
  public:
    Parser(const std::string& text, const std::vector<FieldDef>& fields)
        : lexer_(text), fields_(fields) {}

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

    void next() { lexer_.advance(); }

    std::string tokenText() const {
        if (tok_.kind == Tok::End) return "end of expression";
        if (tok_.kind == Tok::String) return "\"" + tok_.text + "\"";
        return tok_.text;
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

    ExpressionLexer lexer_;
    const Token& tok_ = lexer_.current();
    const std::vector<FieldDef>& fields_;
    int depth_ = 0;
};

}  // namespace

std::unique_ptr<ExprNode> ParseExpression(const std::string& text,
                                          const std::vector<FieldDef>& fields) {
    return Parser(text, fields).parseAll();
}

}  // namespace corvane::xbase
