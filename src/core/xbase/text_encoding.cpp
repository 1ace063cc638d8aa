#include "core/xbase/text_encoding.h"

#include <algorithm>
#include <array>

namespace corvane::xbase {

namespace {

// Characters of bytes 0x80-0x9F. The five bytes the code page leaves unassigned map to the
// control characters of the same number, so that any byte read from a file is written back
// unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int encodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    const auto* at = std::find(kHighControls.begin(), kHighControls.end(), c);
    return at == kHighControls.end() ? -1 : int(0x80 + (at - kHighControls.begin()));
}

}  // namespace

char UpperByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') return char(b - 0x20);
    if (b < 0x80) return c;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return char(b - 0x20);
    switch (b) {
        case 0x9A:  // š
        case 0x9C:  // œ
        case 0x9E:  // ž
            return char(b - 0x10);
        case 0xFF:  // ÿ
            return char(0x9F);
        default:
            return c;
    }
}

std::string UpperCase(std::string bytes) {
    for (char& c : bytes) c = UpperByte(c);
    return bytes;
}

std::string LowerCase(std::string bytes) {
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
            c = char(b + 0x20);
        else if (b == 0x8A || b == 0x8C || b == 0x8E)
            c = char(b + 0x10);
        else if (b == 0x9F)
            c = char(0xFF);
    }
    return bytes;
}

std::string ToWindows1252(const QString& text, int* replaced) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    int unmapped = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int b = encodeChar(c);
        if (b < 0) {
            ++unmapped;
            b = '?';
            // A character outside the basic plane is one "?", not two.
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
        }
        bytes.push_back(char(b));
    }
    if (replaced) *replaced = unmapped;
    return bytes;
}

bool FitsWindows1252(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return encodeChar(c.unicode()) >= 0; });
}

QString FromWindows1252(const char* bytes, size_t length) {
    QString text(qsizetype(length), Qt::Uninitialized);
    QChar* out = text.data();
    for (size_t i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

}  // namespace corvane::xbase
