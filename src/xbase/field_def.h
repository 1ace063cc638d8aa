#pragma once
// A table column as DBF stores it: name (at most 10 characters), type letter, width and
// decimals. `offset` is the byte position inside a record (after the deletion flag byte).

#include <string>

namespace corvane::xbase {

struct FieldDef {
    std::string name;
    char type = 'C';  // 'C' character, 'D' date, 'N' numeric, 'L' logical; others read raw
    int width = 1;
    int decimals = 0;
    int offset = 0;
};

}  // namespace corvane::xbase
