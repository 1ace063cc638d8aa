#include <gtest/gtest.h>

#include "viewing/logic/mono_shrink.h"

namespace corvane {
namespace {

// A one-bit image with a scattered pattern of ink (colour 0) that differs in every block.
QImage Speckled(int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, (x * 7 + y * 13 + x * y) % 5 ? 1 : 0);
    return image;
}

TEST(ShrinkMonoPage, EveryShownPixelIsTheBlendOfItsBlock) {
    struct Case {
        int width, height;
        QSize size;
    };
    const Case cases[] = {
        {24, 12, {12, 6}},   // half, as the viewer's default zoom
        {24, 12, {6, 3}},    // a quarter
        {24, 12, {12, 12}},  // narrower only
        {24, 12, {3, 6}},    // whole bytes into one pixel, two rows
        {20, 10, {10, 5}},   // a width that ends in a part byte
    };
    const QRgb ink = qRgb(0, 0, 200), paper = qRgb(255, 255, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1x%2 to %3x%4")
                         .arg(c.width)
                         .arg(c.height)
                         .arg(c.size.width())
                         .arg(c.size.height())
                         .toStdString());
        const QImage page = Speckled(c.width, c.height);
        ASSERT_TRUE(CanShrinkMonoPage(page, c.size));
        const QImage shown = ShrinkMonoPage(page, c.size, ink, paper);
        ASSERT_EQ(shown.size(), c.size);
        const int fx = c.width / c.size.width(), fy = c.height / c.size.height();
        for (int y = 0; y < c.size.height(); ++y) {
            for (int x = 0; x < c.size.width(); ++x) {
                int inked = 0;
                for (int dy = 0; dy < fy; ++dy)
                    for (int dx = 0; dx < fx; ++dx)
                        inked += page.pixelIndex(x * fx + dx, y * fy + dy) == 0;
                const int n = fx * fy;
                auto mix = [&](int a, int b) { return (a * inked + b * (n - inked) + n / 2) / n; };
                const QRgb expected =
                    qRgb(mix(qRed(ink), qRed(paper)), mix(qGreen(ink), qGreen(paper)),
                         mix(qBlue(ink), qBlue(paper)));
                ASSERT_EQ(shown.pixel(x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(ShrinkMonoPage, OnlyWholeFactorsOfOneBitPagesAreTakenOn) {
    const QImage fine = Speckled(1728, 2156);
    EXPECT_TRUE(CanShrinkMonoPage(fine, {864, 1078}));
    EXPECT_TRUE(CanShrinkMonoPage(fine, {432, 539}));
    EXPECT_FALSE(CanShrinkMonoPage(fine, {1296, 1617}));  // three quarters
    EXPECT_FALSE(CanShrinkMonoPage(fine, {1728, 2156}));  // nothing to shrink
    EXPECT_FALSE(CanShrinkMonoPage(fine, {576, 1078}));   // a third across
    EXPECT_FALSE(CanShrinkMonoPage(fine, {0, 0}));
    EXPECT_FALSE(CanShrinkMonoPage(fine.convertToFormat(QImage::Format_Grayscale8), {864, 1078}));
}

}  // namespace
}  // namespace corvane
