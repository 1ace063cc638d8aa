#include "xbase/text_encoding.h"

namespace corvane::xbase {

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

}  // namespace corvane::xbase
