#include "xbase/expression.h"

#include <cstring>

#include "xbase/expression_node.h"
#include "xbase/xbase_status.h"

namespace corvane::xbase {

Expression::~Expression() = default;

Result<std::unique_ptr<Expression>> Expression::compile(const std::string& text,
                                                        const std::vector<FieldDef>& fields) {
    try {
        auto root = ParseExpression(text, fields);
        std::unique_ptr<Expression> e(new Expression);
        e->text_ = text;
        e->root_ = std::move(root);
        return e;
    } catch (const CompileError& ex) {
        return XbaseError(std::string(ex.what()) + " at position " + std::to_string(ex.position));
    }
}

ValueType Expression::type() const {
    return root_->type;
}
int Expression::width() const {
    return root_->width;
}

Value Expression::evaluate(const RecordView& record) const {
    return EvaluateNode(*root_, record);
}

bool Expression::evaluateLogical(const RecordView& record) const {
    if (root_->type != ValueType::Logical) return false;
    return EvaluateNode(*root_, record).logical;
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
    const Value v = EvaluateNode(*root_, record);
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
