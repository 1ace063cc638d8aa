#include "xbase/expression_lexer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

#include "xbase/expression_node.h"
#include "xbase/text_encoding.h"

namespace corvane::xbase {

ExpressionLexer::ExpressionLexer(const std::string& text) : text_(text) {
    advance();
}

void ExpressionLexer::failAt(const std::string& what, size_t pos) const {
    throw CompileError(what, pos);
}

void ExpressionLexer::advance() {
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
        tok_.text = UpperCase(text_.substr(i_, j - i_));
        i_ = j;
        if (tok_.text == "AND" || tok_.text == "OR" || tok_.text == "NOT") tok_.kind = Tok::Dotted;
        return;
    }
    if (c == '.' && i_ + 1 < text_.size() &&
        std::isalpha(static_cast<unsigned char>(text_[i_ + 1]))) {
        size_t j = i_ + 1;
        while (j < text_.size() && std::isalpha(static_cast<unsigned char>(text_[j]))) ++j;
        if (j >= text_.size() || text_[j] != '.') failAt("unterminated dotted keyword", i_ + 1);
        tok_.kind = Tok::Dotted;
        tok_.text = UpperCase(text_.substr(i_ + 1, j - i_ - 1));
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

}  // namespace corvane::xbase
