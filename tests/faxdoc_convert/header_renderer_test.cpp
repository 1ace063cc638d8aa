#include "faxdoc/convert/header_renderer.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstring>

#include "converted_apf.h"
#include "core/fax_errors.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {
namespace {

bool Bit(const std::uint8_t* raster, int x) {
    return (raster[x / 8] & (0x80 >> (x % 8))) != 0;
}
bool Bit(const QByteArray& row, int x) {
    return x / 8 < row.size() && Bit(reinterpret_cast<const std::uint8_t*>(row.constData()), x);
}

// Leftmost and rightmost ink column over all rows; (-1, -1) for none.
std::pair<int, int> InkExtent(const std::vector<QByteArray>& rows) {
    int first = -1;
    int last = -1;
    for (const QByteArray& row : rows) {
        for (int x = 0; x < row.size() * 8; ++x) {
            if (!Bit(row, x)) continue;
            if (first < 0 || x < first) first = x;
            last = std::max(last, x);
        }
    }
    return {first, last};
}

TEST(FaxFontHeader, RowCountsFollowTheResolution) {
    FaxFontHeaderRenderer renderer;
    renderer.LoadForPage(false);
    EXPECT_EQ(renderer.RowCount(), 8);
    renderer.LoadForPage(true);
    EXPECT_EQ(renderer.RowCount(), 16);
    EXPECT_EQ(CodeHeaderLines(renderer, "Page 1 of 1").size(), 16u);
}

TEST(FaxFontHeader, CharactersFollowEachOtherCellByCell) {
    FaxFontHeaderRenderer renderer;
    renderer.LoadForPage(true);
    FaxFont font;
    font.LoadFaxFont(kSmallFaxFontBytesPerGlyph, true);
    const QString text = QString::fromUtf8("A\u20ACz\u4E2D");  // the last has no glyph: "?"
    const std::uint8_t glyphs[] = {'A', 0x80, 'z', '?'};
    std::vector<std::uint8_t> raster(kHeaderRasterBufferSize);
    for (int row = 1; row <= 16; ++row) {
        std::fill(raster.begin(), raster.end(), 0);
        renderer.RenderTextRow(text, row, raster.data());
        for (int c = 0; c < 4; ++c) {
            const std::uint8_t* glyphRow = font.GlyphRow(glyphs[c], row - 1);
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(Bit(raster.data(), c * 12 + x), Bit(glyphRow, x))
                    << row << " " << c << " " << x;
        }
        for (int x = 48; x < kHeaderRasterBufferSize * 8; ++x) ASSERT_FALSE(Bit(raster.data(), x));
    }
}

TEST(FaxFontHeader, LongTextStopsAtTheBufferEnd) {
    FaxFontHeaderRenderer renderer;
    renderer.LoadForPage(false);
    std::vector<std::uint8_t> raster(kHeaderRasterBufferSize + 64, 0);
    for (int row = 1; row <= renderer.RowCount(); ++row)
        renderer.RenderTextRow(QString(4000, QChar(0xDB)), row, raster.data());
    for (size_t i = kHeaderRasterBufferSize; i < raster.size(); ++i) ASSERT_EQ(raster[i], 0) << i;
}

TEST(FaxFontHeader, CodedRowsStartBehindTheMarginAndAreCutAtThePageEdge) {
    FaxFontHeaderRenderer renderer;
    renderer.LoadForPage(false);
    // 150 cells of 12 pixels run past the 1678 pixels the page has behind the margin.
    const QString text(150, QChar(0xDB));  // a glyph with ink in its first column
    const auto rows = RenderHeaderRows(renderer, text);
    const auto coded = CodeHeaderLines(renderer, text);
    ASSERT_EQ(coded.size(), 8u);
    testing::ConvertedPage page;
    page.records = coded;
    page.records.push_back(MakeEndOfPage());  // a line is complete when the next EOL comes
    const auto lines = testing::DecodeWithCorvane(page);
    ASSERT_EQ(lines.size(), 8u);
    for (size_t y = 0; y < 8; ++y) {
        for (int x = 0; x < kHeaderLineWidth; ++x) {
            const bool expected = x >= kHeaderLeftMargin && Bit(rows[y], x - kHeaderLeftMargin);
            ASSERT_EQ(testing::Black(lines, x, static_cast<int>(y)), expected) << y << " " << x;
        }
    }
}

TEST(SystemFontHeader, MsSansSerifFindsAnInstalledSansFont) {
    const QFont font = WindowsFontHeaderRenderer::DefaultHeaderFont();
    EXPECT_EQ(font.pixelSize(), 13);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family == "Liberation Sans" || family == "DejaVu Sans") << family.toStdString();
}

TEST(SystemFontHeader, FineAndStandardPagesShowTheTextAtTheSameSize) {
    WindowsFontHeaderRenderer renderer;
    const QString text = "Sent by: Wy 12/10/26 Page 2 of 3";

    renderer.LoadForPage(false);
    const int standardRows = renderer.RowCount();
    const auto standard = RenderHeaderRows(renderer, text);
    renderer.LoadForPage(true);
    const int fineRows = renderer.RowCount();
    const auto fine = RenderHeaderRows(renderer, text);

    EXPECT_GE(standardRows, 13);
    EXPECT_LE(standardRows, 20);
    EXPECT_NEAR(fineRows, 2 * standardRows, 2);
    // Standard rows are made of doubled pixels: every ink run starts on an even column and
    // has an even length.
    for (const QByteArray& row : standard) {
        for (int x = 0; x < row.size() * 8; x += 2) ASSERT_EQ(Bit(row, x), Bit(row, x + 1)) << x;
    }
    // Drawn from the top left, about as wide on both pages.
    const auto [standardFirst, standardLast] = InkExtent(standard);
    const auto [fineFirst, fineLast] = InkExtent(fine);
    EXPECT_GE(standardFirst, 0);
    EXPECT_LT(standardFirst, 8);
    EXPECT_LT(fineFirst, 8);
    EXPECT_NEAR(standardLast, fineLast, fineLast / 8);
    EXPECT_GT(fineLast, 200);
}

TEST(SystemFontHeader, FontTooLargeForTheWorkBitmap) {
    // 210 bytes per row: 312 rows fit in 65536 bytes.
    EXPECT_EQ(WindowsFontHeaderRenderer::BitmapBytesPerRow(), 210);
    QFont font = WindowsFontHeaderRenderer::DefaultHeaderFont();
    font.setPixelSize(150);
    WindowsFontHeaderRenderer renderer(font);
    EXPECT_NO_THROW(renderer.LoadForPage(false));
    try {
        renderer.LoadForPage(true);  // 300 pixels: more than 312 rows with leading
        ADD_FAILURE() << "rows: " << renderer.RowCount();
    } catch (const EFaxError& e) {
        EXPECT_EQ(e.code(), ecFontTooLarge);
        EXPECT_EQ(e.text(), "Font selected for enhanced text converter too large");
    }
}

}  // namespace
}  // namespace corvane
