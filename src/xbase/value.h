#pragma once
// Values of xBase expressions and the conversions between them and DBF field bytes.
// Dates are Julian day numbers; 0 is the empty date, which sorts before every real date.

#include <cstdint>
#include <string>

#include "xbase/field_def.h"

namespace corvane::xbase {

enum class ValueType { Character, Numeric, Date, Logical };

struct Value {
    ValueType type = ValueType::Logical;
    std::string text;
    double number = 0;
    int32_t julian = 0;
    bool logical = false;

    static Value character(std::string s) {
        Value v;
        v.type = ValueType::Character;
        v.text = std::move(s);
        return v;
    }
    static Value numeric(double n) {
        Value v;
        v.type = ValueType::Numeric;
        v.number = n;
        return v;
    }
    static Value date(int32_t j) {
        Value v;
        v.type = ValueType::Date;
        v.julian = j;
        return v;
    }
    static Value boolean(bool b) {
        Value v;
        v.logical = b;
        return v;
    }
};

// Field bytes <-> values. Blank or unreadable dates give 0; blank logicals give false.
Value FieldValue(const FieldDef& field, const char* bytes);
int32_t JulianFromDtos(const char* yyyymmdd);         // 8 characters, 0 when blank or invalid
std::string DtosFromJulian(int32_t julian);           // "YYYYMMDD" or 8 blanks for 0
std::string DtocFromJulian(int32_t julian);           // "MM/DD/YYYY" or blanks
int32_t JulianFromCtod(const std::string& mmddyyyy);  // American order; 0 when invalid
int32_t JulianToday();
// Numeric field text, right-aligned in `width` with `decimals`; asterisks when too wide.
std::string FormatNumber(double n, int width, int decimals);

}  // namespace corvane::xbase
