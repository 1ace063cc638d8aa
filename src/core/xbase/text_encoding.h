#pragma once
// Text as the tables store it: one byte per character in Windows code page 1252 (the code page
// the table header declares), and the letter-case rules of that code page, which UPPER(),
// LOWER(), index keys and names all share.

#include <QString>
#include <string>

namespace corvane::xbase {

// Upper-cases a to z and the accented letters of code page 1252 (à-þ except ÷, and š œ ž ÿ).
char UpperByte(char c);
std::string UpperCase(std::string bytes);
// The inverse mapping of UpperCase (A-Z, À-Þ except ×, Š Œ Ž Ÿ).
std::string LowerCase(std::string bytes);

// Encodes text for a character field. A character without a code page 1252 form becomes "?";
// `replaced`, when given, receives how many did.
std::string ToWindows1252(const QString& text, int* replaced = nullptr);
// Whether every character of `text` has a code page 1252 form.
bool FitsWindows1252(const QString& text);
QString FromWindows1252(const char* bytes, size_t length);
inline QString FromWindows1252(const std::string& bytes) {
    return FromWindows1252(bytes.data(), bytes.size());
}

}  // namespace corvane::xbase
