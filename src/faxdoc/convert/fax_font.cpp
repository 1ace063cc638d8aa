#include "faxdoc/convert/fax_font.h"

#include <cstring>

#include "core/fax_errors.h"
#include "faxdoc/convert/fax_font_data.h"

namespace corvane {

namespace {

struct FontLayout {
    int bytesPerGlyph;
    int offset;
    int cellWidth;
    int rows;
    int bytesPerRow;
};

constexpr FontLayout kSmallLayout{kSmallFaxFontBytesPerGlyph, 0, 12, 8, 2};
constexpr FontLayout kStandardLayout{kStandardFaxFontBytesPerGlyph, 4096, 20, 16, 3};
constexpr int kGlyphCount = 256;

}  // namespace

QByteArrayView FaxFont::BuiltInBlock() {
    return QByteArrayView(reinterpret_cast<const char*>(kFaxFontBlock), kFaxFontBlockSize);
}

void FaxFont::LoadFaxFont(int bytesPerGlyph, bool fine, QByteArrayView block,
                          const QString& fontFile) {
    const FontLayout* layout = nullptr;
    if (bytesPerGlyph == kSmallLayout.bytesPerGlyph) layout = &kSmallLayout;
    if (bytesPerGlyph == kStandardLayout.bytesPerGlyph) layout = &kStandardLayout;
    if (layout == nullptr || block.size() != static_cast<qsizetype>(kFaxFontBlockSize)) {
        // The table's text names the default font file; another file is named in its place.
        QString text = FaxErrorTextOr(ecFaxFontBad, QString());
        text.replace(QLatin1String(kDefaultFaxFontFile), fontFile);
        throw EFaxError(ecFaxFontBad, text);
    }

    const int glyphBytes = layout->bytesPerGlyph;
    std::memcpy(glyphs_.data(), block.data() + layout->offset,
                static_cast<size_t>(kGlyphCount * glyphBytes));
    cellWidth_ = layout->cellWidth;
    cellHeight_ = layout->rows;
    bytesPerRow_ = layout->bytesPerRow;
    bytesPerGlyph_ = glyphBytes;
    if (!fine) return;

    // In place from the last glyph down: glyph g moves to 2g * size, which never overwrites
    // a glyph below g that has not been doubled yet. Within a glyph the rows go last to
    // first for the same reason.
    for (int g = kGlyphCount - 1; g >= 0; --g) {
        const std::uint8_t* source = glyphs_.data() + g * glyphBytes;
        std::uint8_t* target = glyphs_.data() + g * 2 * glyphBytes;
        for (int r = layout->rows - 1; r >= 0; --r) {
            std::uint8_t row[4];
            std::memcpy(row, source + r * bytesPerRow_, static_cast<size_t>(bytesPerRow_));
            std::memcpy(target + (2 * r) * bytesPerRow_, row, static_cast<size_t>(bytesPerRow_));
            std::memcpy(target + (2 * r + 1) * bytesPerRow_, row,
                        static_cast<size_t>(bytesPerRow_));
        }
    }
    cellHeight_ *= 2;
    bytesPerGlyph_ *= 2;
}

const std::uint8_t* FaxFont::GlyphRow(std::uint8_t glyph, int row) const {
    return glyphs_.data() + glyph * bytesPerGlyph_ + row * bytesPerRow_;
}

}  // namespace corvane
