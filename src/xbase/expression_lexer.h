#pragma once
// Splits expression text into tokens: names, numbers, quoted texts, dotted keywords
// (.AND. .T. ...), operators and parentheses. Throws CompileError on a character that
// cannot start a token.

#include <cstddef>
#include <string>

namespace corvane::xbase {

enum class Tok { End, Ident, Number, String, LParen, RParen, Comma, Op, Dotted };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifier/operator/dotted keyword upper-cased; string contents raw
    size_t pos = 0;    // 1-based position in the text
};

class ExpressionLexer {
  public:
    // Reads the first token.
    explicit ExpressionLexer(const std::string& text);
    const Token& current() const { return tok_; }
    void advance();

  private:
    [[noreturn]] void failAt(const std::string& what, size_t pos) const;

    const std::string& text_;
    size_t i_ = 0;
    Token tok_;
};

}  // namespace corvane::xbase
