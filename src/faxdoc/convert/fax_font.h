#pragma once
// The fax font as loaded for one page: 256 fixed-cell glyphs copied out of the font block
// (fax_font_data.h) into a glyph buffer. Fine-resolution pages get every glyph row twice, so
// the text keeps its height on paper.

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

namespace corvane {

inline constexpr int kSmallFaxFontBytesPerGlyph = 16;     // 12 x 8 cells
inline constexpr int kStandardFaxFontBytesPerGlyph = 48;  // 20 x 16 cells
// The name the font's error text gives when no other font file is named.
inline constexpr const char* kDefaultFaxFontFile = "FXFAX.FNT";

class FaxFont {
  public:
    // The compiled-in block.
    static QByteArrayView BuiltInBlock();

    // Copies the 256 glyphs of the font with `bytesPerGlyph` (16: small, 48: standard) from
    // `block` and doubles their rows when `fine`. Throws EFaxError ecFaxFontBad (naming `fontFile`)
    // when the block is not a 16384-byte font block or the glyph size is neither of the two.
    void LoadFaxFont(int bytesPerGlyph, bool fine, QByteArrayView block = BuiltInBlock(),
                     const QString& fontFile = QLatin1String(kDefaultFaxFontFile));

    bool IsLoaded() const { return cellHeight_ > 0; }
    int CellWidth() const { return cellWidth_; }
    // Rows per glyph as loaded (doubled on fine pages).
    int CellHeight() const { return cellHeight_; }
    int BytesPerRow() const { return bytesPerRow_; }
    // Row `row` (0-based, < CellHeight()) of `glyph`: BytesPerRow() bytes, bit 7 leftmost.
    const std::uint8_t* GlyphRow(std::uint8_t glyph, int row) const;

  private:
    static constexpr int kGlyphBufferSize = 24576;
    std::array<std::uint8_t, kGlyphBufferSize> glyphs_{};
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    int bytesPerRow_ = 0;
    int bytesPerGlyph_ = 0;
};

}  // namespace corvane
