// One-bit Windows BMP files: written here, read back here and by netpbm.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "core/little_endian.h"
#include "faxdoc/bmp_file.h"

namespace corvane {
namespace {

QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, ((x * 7 + y * 3) % 5) ? 1 : 0);
    return image;
}

bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (qGray(a.pixel(x, y)) != qGray(b.pixel(x, y))) return false;
    return true;
}

QImage imageOf(const Result<QImage>& result) {
    return result.ok() ? result.value() : QImage();
}

TEST(BmpFile, WritesAndReadsOneBitImages) {
    for (const QSize size : {QSize(1728, 40), QSize(13, 5), QSize(1, 1)}) {
        const QImage image = pattern(size.width(), size.height());
        const QByteArray bmp = EncodeMonoBmp(image);
        const int stride = ((size.width() + 31) / 32) * 4;
        ASSERT_EQ(bmp.size(), 62 + stride * size.height());
        EXPECT_EQ(bmp.left(2), "BM");
        EXPECT_EQ(ReadLe16(bmp.constData() + 28), 1);  // bits per pixel
        const Result<QImage> decoded = DecodeBmp(bmp);
        ASSERT_TRUE(decoded.ok()) << decoded.message().toStdString();
        const QImage back = decoded.value();
        EXPECT_EQ(back.format(), QImage::Format_Mono);
        EXPECT_TRUE(samePixels(back, image)) << size.width();
        EXPECT_TRUE(samePixels(QImage::fromData(bmp, "BMP"), image)) << size.width();
    }
    // Inverted palettes and colour images are written black on white.
    QImage inverted = pattern(16, 4);
    inverted.invertPixels();
    inverted.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    EXPECT_TRUE(samePixels(imageOf(DecodeBmp(EncodeMonoBmp(inverted))), inverted));
    const QImage rgb = pattern(20, 3).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(samePixels(imageOf(DecodeBmp(EncodeMonoBmp(rgb))), rgb));
}

TEST(BmpFile, ReadsTopDownFilesAndRefusesDamagedOnes) {
    const QImage image = pattern(24, 6);
    QByteArray bmp = EncodeMonoBmp(image);
    // Turn the bottom-up file into a top-down one: negative height, rows reversed.
    QByteArray topDown = bmp.left(62);
    WriteLe32(topDown.data() + 22, static_cast<std::uint32_t>(-6));
    for (int y = 5; y >= 0; --y) topDown += bmp.mid(62 + y * 4, 4);
    EXPECT_TRUE(samePixels(imageOf(DecodeBmp(topDown)), image));

    const Result<QImage> cut = DecodeBmp(bmp.left(70));
    EXPECT_FALSE(cut.ok());
    EXPECT_EQ(cut.message(), "BMP pixel data cut short");
    QByteArray huge = bmp;
    WriteLe32(huge.data() + 18, static_cast<std::uint32_t>(0x7FFFFFFF));
    EXPECT_FALSE(DecodeBmp(huge).ok());
    EXPECT_FALSE(DecodeBmp("BMxx").ok());
    // Other depths go through Qt's reader.
    QByteArray color;
    QBuffer buffer(&color);
    buffer.open(QIODevice::WriteOnly);
    pattern(9, 9).convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    EXPECT_TRUE(samePixels(imageOf(DecodeBmp(color)), pattern(9, 9)));
}

TEST(BmpFile, NetpbmReadsTheFiles) {
    if (QStandardPaths::findExecutable("bmptopnm").isEmpty()) GTEST_SKIP() << "netpbm missing";
    QTemporaryDir dir;
    const QImage image = pattern(1728, 30);
    ASSERT_TRUE(WriteMonoBmp(image, dir.filePath("p.bmp")).ok());
    QProcess p;
    p.start("sh", {"-c", "bmptopnm \"$0\" | pnmtopng", dir.filePath("p.bmp")});
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(samePixels(QImage::fromData(p.readAllStandardOutput(), "PNG"), image));
}

}  // namespace
}  // namespace corvane
