#pragma once
// Rasterises the expanded fax header line, row by row, for the send engine. A renderer lives
// for one send session and reloads its font at the start of every page, because the page's
// resolution decides the row doubling. Two kinds: the built-in fax font (12 x 8 cells) and a
// system font drawn into a work bitmap.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "faxdoc/convert/fax_font.h"

namespace corvane {

// Size of the raster line buffer handed to RenderTextRow.
inline constexpr int kHeaderRasterBufferSize = 4096;
// Header lines are always coded 1728 pixels wide behind a 50-pixel margin, wide pages too.
inline constexpr int kHeaderLineWidth = 1728;
inline constexpr int kHeaderLeftMargin = 50;
// Largest work bitmap a system font may need (bytes per row x height).
inline constexpr int kMaxHeaderBitmapBytes = 65536;

class HeaderLineRenderer {
  public:
    virtual ~HeaderLineRenderer() = default;
    // Prepares the font for the next page.
    virtual void LoadForPage(bool fine) = 0;
    // Raster rows of one header line with the loaded font.
    virtual int RowCount() const = 0;
    // ORs row `row` (1..RowCount()) of `text` into `raster` (kHeaderRasterBufferSize bytes,
    // cleared by the caller; bit 7 of byte 0 leftmost, 1 = black). Row 1 must come first.
    virtual void RenderTextRow(const QString& text, int row, std::uint8_t* raster) = 0;
};

// The small fax font, rows doubled on fine pages: 8 or 16 rows.
class FaxFontHeaderRenderer : public HeaderLineRenderer {
  public:
    void LoadFaxFont(int bytesPerGlyph, bool fine);
    void LoadForPage(bool fine) override { LoadFaxFont(kSmallFaxFontBytesPerGlyph, fine); }
    int RowCount() const override { return font_.CellHeight(); }
    // Characters follow each other cell by cell from the first pixel; the renderer does not
    // clip at the page edge (the coder does) but stops at the end of the buffer. Characters
    // the font lacks are shown as "?".
    void RenderTextRow(const QString& text, int row, std::uint8_t* raster) override;

  private:
    FaxFont font_;
};

// A system font drawn black on white into a work bitmap 1678 pixels (1728 minus the margin)
// wide and as high as the text "Wy". Fine pages use the font at twice its size and copy the
// rows; standard pages use it as given and double every pixel horizontally, so the text has
// the same size on paper.
class WindowsFontHeaderRenderer : public HeaderLineRenderer {
  public:
    explicit WindowsFontHeaderRenderer(const QFont& font = DefaultHeaderFont());

    // "MS Sans Serif", 13 pixels high. Registers the font substitutions first.
    static QFont DefaultHeaderFont();
    // Lets old font names from templates and settings find installed fonts.
    static void RegisterFontSubstitutions();

    // Throws EFaxError ecFontTooLarge when the work bitmap would exceed kMaxHeaderBitmapBytes.
    void SetHeaderWindowsFont(const QFont& font, bool fine);
    void LoadForPage(bool fine) override { SetHeaderWindowsFont(font_, fine); }
    int RowCount() const override { return height_; }
    void RenderTextRow(const QString& text, int row, std::uint8_t* raster) override;

    static int BitmapBytesPerRow();

  private:
    QFont font_;
    QFont pageFont_;
    bool fine_ = false;
    int height_ = 0;
    std::vector<std::uint8_t> rows_;  // the drawn text, ink = 1, BitmapBytesPerRow() per row
};

// The renderer the send engine uses: the fax font with `useFaxFont` ("UseAlternateHeaderFont"),
// otherwise the system font `font` (the default header font when not given).
std::unique_ptr<HeaderLineRenderer> MakeHeaderLineRenderer(bool useFaxFont);
std::unique_ptr<HeaderLineRenderer> MakeHeaderLineRenderer(bool useFaxFont, const QFont& font);

// Every raster row of `text` for one page, each kHeaderLineWidth / 8 bytes (the part the
// coder sees is the first 1678 pixels of each).
std::vector<QByteArray> RenderHeaderRows(HeaderLineRenderer& renderer, const QString& text);
// The same rows coded as line records (CompressRasterLine, 1728 pixels, margin 50).
std::vector<QByteArray> CodeHeaderLines(HeaderLineRenderer& renderer, const QString& text);

}  // namespace corvane
