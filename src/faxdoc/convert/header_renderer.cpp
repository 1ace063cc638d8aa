#include "faxdoc/convert/header_renderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "core/fax_errors.h"
#include "faxdoc/convert/fax_font_charset.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {

namespace {

constexpr int kHeaderBitmapWidth = kHeaderLineWidth - kHeaderLeftMargin;  // 1678
constexpr int kBufferBits = kHeaderRasterBufferSize * 8;

// ORs the top `width` bits of `bits` (MSB first) into `raster` at bit position `at`.
void PutBits(std::uint8_t* raster, int at, const std::uint8_t* bits, int width) {
    for (int i = 0; i < width; ++i) {
        if (bits[i / 8] & (0x80 >> (i % 8))) raster[(at + i) / 8] |= 0x80 >> ((at + i) % 8);
    }
}

}  // namespace

// ---- fax font

void FaxFontHeaderRenderer::LoadFaxFont(int bytesPerGlyph, bool fine) {
    font_.LoadFaxFont(bytesPerGlyph, fine);
}

void FaxFontHeaderRenderer::RenderTextRow(const QString& text, int row, std::uint8_t* raster) {
    if (!font_.IsLoaded() || row < 1 || row > font_.CellHeight()) return;
    const int cell = font_.CellWidth();
    int at = 0;
    for (const QChar ch : text) {
        if (at + cell > kBufferBits) break;
        const std::uint8_t glyph = faxfont::GlyphOfCharacter(ch.unicode()).value_or('?');
        PutBits(raster, at, font_.GlyphRow(glyph, row - 1), cell);
        at += cell;
    }
}

// ---- system font

WindowsFontHeaderRenderer::WindowsFontHeaderRenderer(const QFont& font) : font_(font) {
    RegisterFontSubstitutions();
}

void WindowsFontHeaderRenderer::RegisterFontSubstitutions() {
    // fontconfig maps "Arial" and "Courier New" to Liberation fonts by itself but knows
    // nothing of the old bitmap UI font.
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitutions(
            QStringLiteral("MS Sans Serif"),
            {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    });
}

QFont WindowsFontHeaderRenderer::DefaultHeaderFont() {
    RegisterFontSubstitutions();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    return font;
}

int WindowsFontHeaderRenderer::BitmapBytesPerRow() {
    // Monochrome bitmap rows are padded to 16 bits.
    return (kHeaderBitmapWidth + 15) / 16 * 2;
}

void WindowsFontHeaderRenderer::SetHeaderWindowsFont(const QFont& font, bool fine) {
    font_ = font;
    pageFont_ = font;
    if (fine) {
        if (font.pixelSize() > 0) {
            pageFont_.setPixelSize(font.pixelSize() * 2);
        } else {
            pageFont_.setPointSizeF(font.pointSizeF() * 2);
        }
    }
    // Fax pages are black and white: grey edge pixels would turn into ragged strokes.
    pageFont_.setStyleStrategy(QFont::NoAntialias);

    // The height of "Wy" as a text extent: the font's full line height, whatever the glyphs.
    const QImage probe(1, 1, QImage::Format_Grayscale8);
    const int height = QFontMetrics(pageFont_, &probe).height();
    if (static_cast<qint64>(BitmapBytesPerRow()) * height > kMaxHeaderBitmapBytes) {
        throw EFaxError(ecFontTooLarge);
    }
    fine_ = fine;
    height_ = height;
    rows_.assign(static_cast<size_t>(BitmapBytesPerRow() * height_), 0);
}

void WindowsFontHeaderRenderer::RenderTextRow(const QString& text, int row, std::uint8_t* raster) {
    if (row < 1 || row > height_) return;
    const int bytesPerRow = BitmapBytesPerRow();
    if (row == 1) {
        QImage bitmap(kHeaderBitmapWidth, height_, QImage::Format_Grayscale8);
        bitmap.fill(255);
        QPainter painter(&bitmap);
        painter.setFont(pageFont_);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
        painter.end();
        std::fill(rows_.begin(), rows_.end(), 0);
        for (int y = 0; y < height_; ++y) {
            const uchar* line = bitmap.constScanLine(y);
            std::uint8_t* out = rows_.data() + y * bytesPerRow;
            for (int x = 0; x < kHeaderBitmapWidth; ++x) {
                if (line[x] < 128) out[x / 8] |= 0x80 >> (x % 8);
            }
        }
    }
    const std::uint8_t* source = rows_.data() + (row - 1) * bytesPerRow;
    if (fine_) {
        std::memcpy(raster, source, static_cast<size_t>(bytesPerRow));
        return;
    }
    // Standard pages: the left half of the row, every pixel twice.
    for (int x = 0; x < bytesPerRow / 2 * 8; ++x) {
        if (source[x / 8] & (0x80 >> (x % 8))) {
            raster[(2 * x) / 8] |= 0xC0 >> ((2 * x) % 8);
        }
    }
}

// ---- helpers

std::unique_ptr<HeaderLineRenderer> MakeHeaderLineRenderer(bool useFaxFont) {
    if (useFaxFont) return std::make_unique<FaxFontHeaderRenderer>();
    return std::make_unique<WindowsFontHeaderRenderer>();
}

std::unique_ptr<HeaderLineRenderer> MakeHeaderLineRenderer(bool useFaxFont, const QFont& font) {
    if (useFaxFont) return std::make_unique<FaxFontHeaderRenderer>();
    return std::make_unique<WindowsFontHeaderRenderer>(font);
}

std::vector<QByteArray> RenderHeaderRows(HeaderLineRenderer& renderer, const QString& text) {
    std::vector<QByteArray> rows;
    std::vector<std::uint8_t> raster(kHeaderRasterBufferSize);
    for (int row = 1; row <= renderer.RowCount(); ++row) {
        std::fill(raster.begin(), raster.end(), 0);
        renderer.RenderTextRow(text, row, raster.data());
        rows.emplace_back(reinterpret_cast<const char*>(raster.data()), kHeaderLineWidth / 8);
    }
    return rows;
}

std::vector<QByteArray> CodeHeaderLines(HeaderLineRenderer& renderer, const QString& text) {
    std::vector<QByteArray> lines;
    std::vector<std::uint8_t> raster(kHeaderRasterBufferSize);
    for (int row = 1; row <= renderer.RowCount(); ++row) {
        std::fill(raster.begin(), raster.end(), 0);
        renderer.RenderTextRow(text, row, raster.data());
        lines.push_back(CompressRasterLine(raster.data(), kHeaderLineWidth, kHeaderLeftMargin));
    }
    return lines;
}

}  // namespace corvane
