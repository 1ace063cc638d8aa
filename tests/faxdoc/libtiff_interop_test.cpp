// Bit-exact interchange of T.4 one-dimensional data with libtiff, both ways: our coded
// lines decode in libtiff to the source raster, and libtiff's coded lines decode here.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "faxdoc/fax_unpacker.h"

namespace corvane {
namespace {

using testing::Raster;

// A TIFF holding `coded` as its single G3 1-D strip (fill order LSB-first).
void writeG3Wrapper(const QString& path, const Raster& r, const QByteArray& coded) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, r.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, int(r.rows.size()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, int(r.rows.size()));
    TIFFWriteRawStrip(tif, 0, const_cast<char*>(coded.constData()), coded.size());
    TIFFClose(tif);
}

// Rows of a one-bit TIFF as libtiff decodes them (1 = black for MinIsWhite files).
std::vector<QByteArray> libtiffRows(const QString& path) {
    std::vector<QByteArray> rows;
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return rows;
    uint32_t width = 0, height = 0;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    QByteArray row(TIFFScanlineSize(tif), '\0');
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, row.data(), y) < 0) break;
        QByteArray out = row.left((width + 7) / 8);
        if (photometric == PHOTOMETRIC_MINISBLACK)
            for (char& c : out) c = char(~c);
        rows.push_back(out);
    }
    TIFFClose(tif);
    return rows;
}

// libtiff codes the raster as G3 1-D, LSB-first; returns its raw strip.
QByteArray libtiffCoded(const QString& path, const Raster& r) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tif) return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, r.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, int(r.rows.size()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, int(r.rows.size()));
    for (size_t y = 0; y < r.rows.size(); ++y)
        TIFFWriteScanline(tif, const_cast<char*>(r.rows[y].constData()), uint32_t(y));
    TIFFClose(tif);
    tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    QByteArray raw(int(TIFFRawStripSize(tif, 0)), '\0');
    raw.resize(int(TIFFReadRawStrip(tif, 0, raw.data(), raw.size())));
    TIFFClose(tif);
    return raw;
}

std::vector<Raster> pages() {
    return {testing::TextLikeRaster(1728, 400, 21), testing::Checkerboard(1728, 64, 5),
            testing::RandomRaster(1728, 24, 0.5, 22), testing::TextLikeRaster(2048, 120, 23)};
}

TEST(LibtiffInterop, OurLinesDecodeInLibtiff) {
    QTemporaryDir dir;
    for (const Raster& r : pages()) {
        const QString path = dir.filePath("ours.tif");
        writeG3Wrapper(path, r, testing::CodedStream(r));
        EXPECT_EQ(testing::RowsDiffer(libtiffRows(path), r.rows), "") << "width " << r.width;
    }
}

TEST(LibtiffInterop, LibtiffLinesDecodeHere) {
    QTemporaryDir dir;
    for (const Raster& r : pages()) {
        const QByteArray coded = libtiffCoded(dir.filePath("theirs.tif"), r);
        ASSERT_FALSE(coded.isEmpty());
        const quint16 flags = kApfHighRes | (r.width == 2048 ? kApfWideWidth : 0);
        const QString apf = dir.filePath("theirs.apf");
        testing::WriteFile(apf, testing::BuildApf({testing::StreamPage(coded, flags)}));
        TFxFaxUnpacker unpacker;
        unpacker.setInFileName(apf);
        const QImage image = unpacker.UnpackPageToBitmap(1);
        EXPECT_EQ(testing::RowsDiffer(testing::ImageRows(image, r.rowBytes()), r.rows), "")
            << "width " << r.width;
        EXPECT_EQ(unpacker.lastBadCodes(), 0);
    }
}

// The command-line peers: fax2tiff reads our raw page data, tiffcp writes G3 1-D for us.
TEST(LibtiffInterop, CommandLinePeersAgree) {
    if (QStandardPaths::findExecutable("fax2tiff").isEmpty() ||
        QStandardPaths::findExecutable("tiffcp").isEmpty())
        GTEST_SKIP() << "libtiff tools not installed";
    QTemporaryDir dir;
    const Raster r = testing::TextLikeRaster(1728, 200, 31);
    // Without the end-of-page record: fax2tiff makes a row of every EOL it meets.
    testing::WriteFile(dir.filePath("page.g3"), testing::CodedStream(r, false));
    ASSERT_EQ(QProcess::execute("fax2tiff", {"-1", "-L", "-o", dir.filePath("fax2tiff.tif"),
                                             dir.filePath("page.g3")}),
              0);
    // fax2tiff also turns the closing fill bits into one more (repeated) row.
    std::vector<QByteArray> rows = libtiffRows(dir.filePath("fax2tiff.tif"));
    ASSERT_GE(rows.size(), r.rows.size());
    rows.resize(r.rows.size());
    EXPECT_EQ(testing::RowsDiffer(rows, r.rows), "");

    // An uncompressed TIFF of the raster, recoded by tiffcp as G3 1-D, LSB-first.
    const QString plain = dir.filePath("plain.tif");
    writeG3Wrapper(dir.filePath("ours.tif"), r, testing::CodedStream(r));
    ASSERT_EQ(QProcess::execute("tiffcp", {"-c", "none", dir.filePath("ours.tif"), plain}), 0);
    const QString g3 = dir.filePath("g3.tif");
    ASSERT_EQ(QProcess::execute("tiffcp", {"-c", "g3:1d", "-f", "lsb2msb", plain, g3}), 0);
    TIFF* tif = TIFFOpen(g3.toLocal8Bit().constData(), "r");
    ASSERT_NE(tif, nullptr);
    QByteArray coded;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
        QByteArray raw(int(TIFFRawStripSize(tif, s)), '\0');
        raw.resize(int(TIFFReadRawStrip(tif, s, raw.data(), raw.size())));
        coded += raw;
    }
    TIFFClose(tif);
    testing::WriteFile(dir.filePath("g3.apf"),
                       testing::BuildApf({testing::StreamPage(coded, kApfHighRes)}));
    TFxFaxUnpacker unpacker;
    unpacker.setInFileName(dir.filePath("g3.apf"));
    EXPECT_EQ(testing::RowsDiffer(testing::ImageRows(unpacker.UnpackPageToBitmap(1), r.rowBytes()),
                                  r.rows),
              "");
}

}  // namespace
}  // namespace corvane
