// Where imported pages land on the fax page, and how they are made black and white.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "sending/import/import_binarize.h"
#include "sending/import/import_geometry.h"

namespace corvane {
namespace {

TEST(ImportGeometry, PagesKeepTheirSizeWhenTheyFitAndTurnOnlyToComeOutLarger) {
    struct Row {
        const char* name;
        double width, height;  // inches, as shown
        bool rotate;
        int pixelsAcross, rows;
    };
    const Row rows[] = {
        // A4 fits across at its true size (8.27 in x 204 = 1687).
        {"A4", 8.27, 11.69, false, 1687, 2291},
        // Letter is 6 pixels too wide and comes out a touch smaller.
        {"Letter", 8.5, 11.0, false, 1728, 2149},
        // A4 landscape turned is as large as A4; untouched it would shrink to 72 %.
        {"A4 landscape", 11.69, 8.27, true, 1687, 2291},
        // A small landscape picture fits either way and stays as it is.
        {"small landscape", 4.0, 2.0, false, 816, 392},
        // A banner scaled across would shrink to 42 %; turned it keeps its size.
        {"banner", 20.0, 1.0, true, 204, 3920},
        // Very long pages are scaled down to the longest page allowed.
        {"scroll", 8.0, 400.0, false, 408, 19600},
        // Tall and wide: only the width decides while it fits the length limit.
        {"square", 10.0, 10.0, false, 1728, 1660},
    };
    for (const Row& r : rows) {
        const PagePlacement p = PlacePage(r.width, r.height);
        EXPECT_EQ(p.rotate, r.rotate) << r.name;
        EXPECT_EQ(p.width, r.pixelsAcross) << r.name;
        EXPECT_NEAR(p.height, r.rows, 1) << r.name;
        // Rows per inch stay in the fine ratio of 196 to 204.
        EXPECT_NEAR(p.linesPerInch / p.dotsPerInch, 196.0 / 204.0, 1e-9) << r.name;
    }
}

QImage GreyPage(int width, int height, int level) {
    QImage page(width, height, QImage::Format_Grayscale8);
    page.fill(level);
    return page;
}

int InkShare(const FaxRows& rows, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (rows.row(y)[x >> 3] & (0x80 >> (x & 7))) ++ink;
    return 100 * ink / (area.width() * area.height());
}

TEST(ImportBinarize, TextIsCutAndToneIsDitheredAndThePageIsCentred) {
    // Text drawn with smooth edges: no tone blocks, a clean cut.
    QImage text = GreyPage(800, 400, 255);
    {
        QPainter painter(&text);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font("Liberation Serif");
        font.setPixelSize(28);
        painter.setFont(font);
        for (int y = 40; y < 400; y += 36)
            painter.drawText(10, y, "The quick brown fox jumps over the lazy dog 0123456789");
    }
    EXPECT_EQ(ToneAreaShare(text), 0.0);
    const FaxRows cut = BinarizePage(text);
    const FaxRows forcedCut = BinarizePage(text, ToneHandling::Threshold);
    EXPECT_EQ(cut.bits, forcedCut.bits);

    // Mid grey is dithered to about half ink; the same grey cut at mid level would be all
    // white or all black.
    const QImage grey = GreyPage(800, 400, 128);
    EXPECT_GT(ToneAreaShare(grey), 0.99);
    const FaxRows dithered = BinarizePage(grey);
    const int offset = (1728 - 800) / 2;
    EXPECT_NEAR(InkShare(dithered, QRect(offset, 0, 800, 400)), 50, 2);
    // Nothing outside the centred picture.
    EXPECT_EQ(InkShare(dithered, QRect(0, 0, offset, 400)), 0);
    EXPECT_EQ(InkShare(dithered, QRect(offset + 800, 0, 1728 - offset - 800, 400)), 0);

    // Light and dark greys keep their lightness.
    EXPECT_NEAR(InkShare(BinarizePage(GreyPage(1728, 200, 192)), QRect(0, 0, 1728, 200)), 25, 2);
    EXPECT_NEAR(InkShare(BinarizePage(GreyPage(1728, 200, 64)), QRect(0, 0, 1728, 200)), 75, 2);
}

TEST(ImportBinarize, TextBesideAPhotographStaysClean) {
    // Left half a smooth gradient, right half black bars on white: only the left is dithered.
    QImage page = GreyPage(1728, 256, 255);
    for (int y = 0; y < 256; ++y) {
        uchar* line = page.scanLine(y);
        for (int x = 0; x < 800; ++x) line[x] = uchar(x * 255 / 800);
        for (int x = 1000; x < 1728; ++x) line[x] = (x / 10) % 2 ? 0 : 255;
    }
    const FaxRows rows = BinarizePage(page);
    for (int y = 0; y < 256; ++y)
        for (int x = 1000; x < 1728; ++x)
            ASSERT_EQ(bool(rows.row(y)[x >> 3] & (0x80 >> (x & 7))), (x / 10) % 2 == 1)
                << x << "," << y;
    EXPECT_NEAR(InkShare(rows, QRect(300, 0, 200, 256)), 50, 5);
}

}  // namespace
}  // namespace corvane
