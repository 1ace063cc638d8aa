#pragma once
// Which character each of the 256 fax-font glyphs shows. Codes 0xA0..0xFF and 0x20..0x7E are
// Latin-1, 0x80..0x9F are the printable characters that Windows code page 1252 puts there
// (curly quotes, dashes, the euro sign), which is what header texts typed on a desktop tend to
// hold. Control codes and the five unused 1252 positions have blank glyphs.
//
// Shared by the font generator (glyph index -> character to draw) and the header renderer
// (character of the header text -> glyph index).

#include <array>
#include <cstdint>
#include <optional>

namespace corvane::faxfont {

// Unicode code points of glyphs 0x80..0x9F; 0 where code page 1252 leaves a hole.
inline constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88..8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98..9F
};

// The character glyph `index` shows, or 0 for a blank glyph.
constexpr char16_t CharacterOfGlyph(int index) {
    if (index < 0x20 || index == 0x7F || index > 0xFF) return 0;
    if (index >= 0x80 && index <= 0x9F) return kCp1252High[index - 0x80];
    return static_cast<char16_t>(index);
}

// The glyph that shows `ch`, or nothing when the font has none.
constexpr std::optional<std::uint8_t> GlyphOfCharacter(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<std::uint8_t>(ch);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace corvane::faxfont
