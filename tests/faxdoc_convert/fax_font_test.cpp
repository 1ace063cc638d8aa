#include "faxdoc/convert/fax_font.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include "core/fax_errors.h"
#include "faxdoc/convert/fax_font_charset.h"
#include "faxdoc/convert/fax_font_data.h"

namespace corvane {
namespace {

struct FontCase {
    const char* name;
    int bytesPerGlyph;
    int offset;
    int cellWidth;
    int rows;
    int bytesPerRow;
};
const FontCase kFonts[] = {
    {"small", kSmallFaxFontBytesPerGlyph, 0, 12, 8, 2},
    {"standard", kStandardFaxFontBytesPerGlyph, 4096, 20, 16, 3},
};

const unsigned char* StoredRow(const FontCase& font, int glyph, int row) {
    return kFaxFontBlock + font.offset + glyph * font.bytesPerGlyph + row * font.bytesPerRow;
}

int InkPixels(const FontCase& font, int glyph) {
    int ink = 0;
    for (int r = 0; r < font.rows; ++r)
        for (int b = 0; b < font.bytesPerRow; ++b)
            ink += __builtin_popcount(StoredRow(font, glyph, r)[b]);
    return ink;
}

TEST(FaxFontBlock, GlyphsStayInsideTheirCellsAndPrintableOnesHaveInk) {
    for (const FontCase& font : kFonts) {
        SCOPED_TRACE(font.name);
        for (int g = 0; g < 256; ++g) {
            for (int r = 0; r < font.rows; ++r) {
                // Bits beyond the cell width are 0.
                const unsigned char last = StoredRow(font, g, r)[font.bytesPerRow - 1];
                const int usedBits = font.cellWidth - 8 * (font.bytesPerRow - 1);
                EXPECT_EQ(last & (0xFF >> usedBits), 0) << "glyph " << g << " row " << r;
            }
            const char16_t ch = faxfont::CharacterOfGlyph(g);
            const bool printable = ch > 0x20 && ch != 0xA0 && ch != 0xAD;
            if (printable) {
                EXPECT_GT(InkPixels(font, g), 0) << "glyph " << g;
            }
            if (ch == 0 || ch == 0x20) {
                EXPECT_EQ(InkPixels(font, g), 0) << "glyph " << g;
            }
        }
        // Glyphs are not all alike: a few look-alikes must differ.
        for (const auto& [a, b] : {std::pair{'O', '0'}, {'l', '1'}, {'B', '8'}, {'S', '5'}}) {
            EXPECT_NE(QByteArray(reinterpret_cast<const char*>(StoredRow(font, a, 0)),
                                 font.bytesPerGlyph),
                      QByteArray(reinterpret_cast<const char*>(StoredRow(font, b, 0)),
                                 font.bytesPerGlyph))
                << a << " " << b;
        }
    }
}

TEST(FaxFontCharset, HeaderCharactersFindTheirGlyphs) {
    EXPECT_EQ(faxfont::GlyphOfCharacter(u'A'), 'A');
    EXPECT_EQ(faxfont::GlyphOfCharacter(u'\u00E9'), 0xE9);           // é, Latin-1
    EXPECT_EQ(faxfont::GlyphOfCharacter(u'\u20AC'), 0x80);           // euro sign, code page 1252
    EXPECT_EQ(faxfont::GlyphOfCharacter(u'\u2013'), 0x96);           // en dash
    EXPECT_FALSE(faxfont::GlyphOfCharacter(u'\u0085').has_value());  // C1 control
    EXPECT_FALSE(faxfont::GlyphOfCharacter(u'\u4E2D').has_value());
    for (int g = 0x20; g < 256; ++g) {
        const char16_t ch = faxfont::CharacterOfGlyph(g);
        if (ch != 0) {
            EXPECT_EQ(faxfont::GlyphOfCharacter(ch), g);
        }
    }
}

TEST(LoadFaxFont, CopiesGlyphsAndDoublesRowsForFinePages) {
    for (const FontCase& font : kFonts) {
        for (const bool fine : {false, true}) {
            SCOPED_TRACE(std::string(font.name) + (fine ? " fine" : " standard"));
            FaxFont loaded;
            loaded.LoadFaxFont(font.bytesPerGlyph, fine);
            EXPECT_EQ(loaded.CellWidth(), font.cellWidth);
            EXPECT_EQ(loaded.CellHeight(), fine ? 2 * font.rows : font.rows);
            EXPECT_EQ(loaded.BytesPerRow(), font.bytesPerRow);
            // The first and last glyphs matter most: the doubling runs in place.
            for (const int g : {0, 1, int{'A'}, int{'g'}, 127, 200, 254, 255}) {
                for (int row = 0; row < loaded.CellHeight(); ++row) {
                    const int stored = fine ? row / 2 : row;
                    EXPECT_EQ(0, std::memcmp(loaded.GlyphRow(static_cast<std::uint8_t>(g), row),
                                             StoredRow(font, g, stored),
                                             static_cast<size_t>(font.bytesPerRow)))
                        << "glyph " << g << " row " << row;
                }
            }
        }
    }
}

TEST(LoadFaxFont, BadBlockOrGlyphSizeIsReported) {
    const QByteArrayView block = FaxFont::BuiltInBlock();
    struct Case {
        int bytesPerGlyph;
        QByteArrayView block;
    };
    const Case cases[] = {
        {32, block},
        {0, block},
        {16, block.first(16383)},
        {48, QByteArrayView()},
    };
    for (const Case& c : cases) {
        FaxFont font;
        try {
            font.LoadFaxFont(c.bytesPerGlyph, false, c.block);
            ADD_FAILURE() << c.bytesPerGlyph << " bytes per glyph loaded";
        } catch (const EFaxError& e) {
            EXPECT_EQ(e.code(), ecFaxFontBad);
            EXPECT_EQ(e.text(), "FXFAX.FNT not found, or resource bad");
        }
    }
}

}  // namespace
}  // namespace corvane
