#pragma once
// The compiled form of an expression, shared by the parser (which builds and type-checks it)
// and the evaluator (which runs it per record). Not part of the engine's interface.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/status.h"
#include "xbase/expression.h"

namespace corvane::xbase {

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

struct ExprNode {
    Op op = Op::Literal;
    ValueType type = ValueType::Logical;
    int width = 0;
    Value literal;
    const FieldDef* field = nullptr;
    std::vector<std::unique_ptr<ExprNode>> args;
};

// A malformed expression, with the 1-based position where reading stopped.
struct CompileError : std::runtime_error {
    CompileError(const std::string& what, size_t pos) : std::runtime_error(what), position(pos) {}
    size_t position;
};

// Builds the tree of `text`, checking names and types; throws CompileError.
std::unique_ptr<ExprNode> ParseExpression(const std::string& text,
                                          const std::vector<FieldDef>& fields);
// Evaluates a tree built by ParseExpression; cannot fail.
Value EvaluateNode(const ExprNode& node, const RecordView& record);

}  // namespace corvane::xbase
