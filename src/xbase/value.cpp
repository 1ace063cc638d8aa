#include "xbase/value.h"

#include <QDate>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corvane::xbase {

namespace {
bool allDigits(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] < '0' || p[i] > '9') return false;
    return true;
}
int number(const char* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
    return v;
}
}  // namespace

int32_t JulianFromDtos(const char* p) {
    if (!allDigits(p, 8)) return 0;
    const QDate d(number(p, 4), number(p + 4, 2), number(p + 6, 2));
    return d.isValid() ? int32_t(d.toJulianDay()) : 0;
}

std::string DtosFromJulian(int32_t julian) {
    if (julian <= 0) return std::string(8, ' ');
    const QDate d = QDate::fromJulianDay(julian);
    if (!d.isValid() || d.year() < 0 || d.year() > 9999) return std::string(8, ' ');
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year(), d.month(), d.day());
    return std::string(buf, 8);
}

std::string DtocFromJulian(int32_t julian) {
    const std::string s = DtosFromJulian(julian);
    if (s[0] == ' ') return "  /  /    ";
    return s.substr(4, 2) + "/" + s.substr(6, 2) + "/" + s.substr(0, 4);
}

int32_t JulianFromCtod(const std::string& text) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (digits[part] >= 4) return 0;
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits[part];
        } else if (c == '/' || c == '-' || c == '.') {
            if (++part > 2) return 0;
        } else if (c != ' ') {
            return 0;
        }
    }
    if (part != 2 || !digits[0] || !digits[1] || !digits[2]) return 0;
    int year = parts[2];
    if (digits[2] <= 2) year += 1900;
    const QDate d(year, parts[0], parts[1]);
    return d.isValid() ? int32_t(d.toJulianDay()) : 0;
}

int32_t JulianToday() {
    return int32_t(QDate::currentDate().toJulianDay());
}

std::string FormatNumber(double n, int width, int decimals) {
    if (width <= 0) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, n);
    std::string s(buf);
    if (int(s.size()) > width) return std::string(size_t(width), '*');
    return s;
}

Value FieldValue(const FieldDef& field, const char* p) {
    switch (field.type) {
        case 'D':
            return Value::date(JulianFromDtos(p));
        case 'L':
            return Value::boolean(p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y');
        case 'N':
        case 'F': {
            std::string s(p, size_t(field.width));
            return Value::numeric(std::strtod(s.c_str(), nullptr));
        }
        default:
            return Value::character(std::string(p, size_t(field.width)));
    }
}

}  // namespace corvane::xbase
