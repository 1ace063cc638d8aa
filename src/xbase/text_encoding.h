#pragma once
// Text as the tables store it: one byte per character in Windows code page 1252 (the code page
// the table header declares; core/windows1252.h converts), and the letter-case rules of that
// code page, which UPPER(), LOWER(), index keys and names all share.

#include <string>

// The code page conversions themselves are shared with the settings file.
#include "core/windows1252.h"

namespace corvane::xbase {

// Upper-cases a to z and the accented letters of code page 1252 (à-þ except ÷, and š œ ž ÿ).
char UpperByte(char c);
std::string UpperCase(std::string bytes);
// The inverse mapping of UpperCase (A-Z, À-Þ except ×, Š Œ Ž Ÿ).
std::string LowerCase(std::string bytes);

}  // namespace corvane::xbase
