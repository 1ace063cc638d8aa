// The unpacker: page decoding to bitmaps and lines, scaling and whitespace compression, the
// image files it writes, and its errors.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "core/little_endian.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/fax_unpacker.h"
#include "faxdoc/file_error_throwers.h"
#include "faxdoc/pcx_writer.h"
#include "faxdoc/t4_encoder.h"
#include "faxdoc/tiff_writer.h"

namespace corvane {
namespace {

using testing::BuildApf;
using testing::Raster;
using testing::WriteFile;

quint32 u32At(const QByteArray& bytes, int at) {
    if (at + 4 > bytes.size()) return 0;
    return ReadLe32(bytes.mid(at, 4).constData());
}

template <typename F>
QString errorText(F&& call) {
    try {
        call();
    } catch (const EFaxError& e) {
        return e.text();
    }
    return {};
}

QByteArray rasterRow(std::initializer_list<std::pair<int, int>> blackSpans) {
    QByteArray row(216, '\0');
    for (auto [from, to] : blackSpans)
        for (int x = from; x < to; ++x) row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
    return row;
}

struct Fixture : ::testing::Test {
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const std::vector<testing::FixturePage>& pages) {
        WriteFile(file(name), BuildApf(pages));
        return file(name);
    }
    static bool havePeer(const char* tool) {
        return !QStandardPaths::findExecutable(tool).isEmpty();
    }
};

using UnpackerTest = Fixture;

TEST_F(UnpackerTest, BitmapRowsFollowResolutionAndScaleMode) {
    const Raster text = testing::TextLikeRaster(1728, 120, 9);
    const QString standard = write("std.apf", {testing::RecordPage(text)});
    const QString fine = write("fine.apf", {testing::RecordPage(text, kApfHighRes)});
    struct Case {
        const char* name;
        QString path;
        TAutoScaleMode mode;
        int width, height;
    } cases[] = {
        {"standard, double height", standard, asDoubleHeight, 1728, 240},
        {"fine, double height", fine, asDoubleHeight, 1728, 120},
        {"standard, none", standard, asNone, 1728, 120},
        {"standard, half width", standard, asHalfWidth, 864, 120},
        {"fine, half width", fine, asHalfWidth, 1728, 120},
    };
    for (const Case& c : cases) {
        TFxFaxUnpacker u;
        u.setInFileName(c.path);
        u.setAutoScaleMode(c.mode);
        const QImage image = u.UnpackPageToBitmap(1);
        EXPECT_EQ(image.format(), QImage::Format_Mono) << c.name;
        EXPECT_EQ(image.size(), QSize(c.width, c.height)) << c.name;
    }
    TFxFaxUnpacker u;
    u.setInFileName(standard);
    const QImage doubled = u.UnpackPageToBitmap(1);
    const auto rows = testing::ImageRows(doubled, 216);
    for (size_t y = 0; y < text.rows.size(); ++y) {
        ASSERT_EQ(rows[2 * y], text.rows[y]) << y;
        ASSERT_EQ(rows[2 * y + 1], text.rows[y]) << y;
    }
    EXPECT_EQ(doubled.pixelColor(0, 0), QColor(Qt::white));

    // Half width: a pixel pair is black when either pixel is.
    Raster pairs;
    pairs.addRow(rasterRow({{1, 2}, {4, 6}, {1727, 1728}}));
    u.setInFileName(write("pairs.apf", {testing::RecordPage(pairs)}));
    u.setAutoScaleMode(asHalfWidth);
    const QByteArray half = testing::ImageRows(u.UnpackPageToBitmap(1), 108)[0];
    QByteArray expected(108, '\0');
    expected[0] = char(0xA0);  // pixels 0 (from 1) and 2 (from 4, 5)
    expected[107] = char(0x01);
    EXPECT_EQ(half.toHex(), expected.toHex());
}

TEST_F(UnpackerTest, DamagedPagesDecodeWhatTheyCan) {
    const Raster text = testing::TextLikeRaster(1728, 50, 4);
    // Garbage before the first EOL of a received page.
    QByteArray garbage = QByteArray::fromHex("ff13a7f0e1c2d3b4") + testing::CodedStream(text);
    // A received page cut inside its last line (ImageLength matches the bytes present).
    const QByteArray stream = testing::CodedStream(text, false);
    const QByteArray cut = stream.left(stream.size() - 5);
    // A line of 1727 pixels among good lines: dropped.
    QByteArray line1727 =
        QByteArray::fromHex("0080") + QByteArray::fromHex("3040");  // EOL, white 1664 + 63
    struct Case {
        const char* name;
        QByteArray data;
        int lines;
    } cases[] = {
        {"garbage before the first EOL", garbage, 50},
        {"truncated last line", cut, 49},
        {"1727-pixel line", testing::CodedStream(text, false) + line1727 + MakeEndOfPage(), 50},
    };
    for (const Case& c : cases) {
        TFxFaxUnpacker u;
        u.setInFileName(write("damaged.apf", {testing::StreamPage(c.data, kApfHighRes)}));
        const QImage image = u.UnpackPageToBitmap(1);
        ASSERT_EQ(image.height(), c.lines) << c.name;
        auto rows = testing::ImageRows(image, 216);
        rows.resize(std::min<size_t>(rows.size(), 49));
        std::vector<QByteArray> want(text.rows.begin(), text.rows.begin() + 49);
        EXPECT_EQ(testing::RowsDiffer(rows, want), "") << c.name;
    }
}

TEST_F(UnpackerTest, ConverterPagesDecodeToEveryLine) {
    const Raster page = testing::TextLikeRaster(1728, 2156, 12);
    TFxFaxUnpacker u;
    u.setInFileName(write("cover.apf", {testing::RecordPage(page, kApfHighRes)}));
    int lines = 0, starts = 0, ends = 0;
    u.OnOutputLine = [&](TFxFaxUnpacker&, bool starting, bool ending, const uchar*, int len,
                         int pageNum) {
        EXPECT_EQ(pageNum, 1);
        starts += starting;
        ends += ending;
        if (!starting && !ending) {
            EXPECT_EQ(len, 216);
            ++lines;
        }
    };
    u.UnpackPage(1);
    EXPECT_EQ(lines, 2156);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
}

TEST_F(UnpackerTest, WhitespaceCompression) {
    auto pageWithGap = [](int blank) {
        Raster r;
        r.addRow(rasterRow({{100, 200}}));
        r.addWhite(blank);
        r.addRow(rasterRow({{300, 400}}));
        r.addWhite(blank);
        return r;
    };
    struct Case {
        int blank, from, to;
        int rows;
    } cases[] = {
        {60, 50, 10, 1 + 10 + 1 + 10},  // long runs shrink, the trailing one too
        {30, 50, 10, 1 + 30 + 1 + 30},  // short runs stay
        {60, 10, 10, 1 + 10 + 1},       // From = To: nothing pending is handed on at the end
        {60, 0, 0, 1 + 60 + 1 + 60},    // off
    };
    for (const Case& c : cases) {
        TFxFaxUnpacker u;
        u.setInFileName(write("ws.apf", {testing::RecordPage(pageWithGap(c.blank), kApfHighRes)}));
        u.setWhitespaceCompression(true);
        u.setWhitespaceFrom(c.from);
        u.setWhitespaceTo(c.to);
        EXPECT_EQ(u.UnpackPageToBitmap(1).height(), c.rows) << c.blank << " " << c.from;
    }
    for (auto [from, to] : {std::pair{5, 10}, std::pair{0, 3}, std::pair{5, -1}}) {
        TFxFaxUnpacker u;
        u.setInFileName(write("ws.apf", {testing::RecordPage(pageWithGap(3))}));
        u.setWhitespaceCompression(true);
        u.setWhitespaceFrom(from);
        u.setWhitespaceTo(to);
        EXPECT_EQ(errorText([&] { u.UnpackPageToBitmap(1); }), "Bad argument passed to function");
    }
}

TEST_F(UnpackerTest, ScalingStretchesTheBitmap) {
    TFxFaxUnpacker u;
    u.setInFileName(write("s.apf", {testing::RecordPage(testing::Checkerboard(1728, 100, 8))}));
    u.setAutoScaleMode(asNone);
    u.setScaling(true);
    u.setVertMult(2);
    u.setHorizMult(1);
    u.setHorizDiv(2);
    u.setHorizDiv(0);  // ignored
    const QImage image = u.UnpackPageToBitmap(1);
    EXPECT_EQ(image.size(), QSize(864, 200));
    EXPECT_EQ(image.pixelIndex(0, 0), 1);   // white cell
    EXPECT_EQ(image.pixelIndex(4, 0), 0);   // source x 8: black
    EXPECT_EQ(image.pixelIndex(4, 15), 0);  // source row 7
    EXPECT_EQ(image.pixelIndex(4, 16), 1);  // source row 8
    int rows = 0;
    u.OnOutputLine = [&](TFxFaxUnpacker&, bool s, bool e, const uchar* data, int len, int) {
        if (s || e) return;
        EXPECT_EQ(len, 108);
        if (rows == 0) {
            EXPECT_EQ(data[0], 0x0F);  // ink = 1 on the line path
        }
        ++rows;
    };
    u.UnpackPage(1);
    EXPECT_EQ(rows, 200);
}

TEST_F(UnpackerTest, ErrorsCarryTheirTexts) {
    const QString good =
        write("good.apf", {testing::RecordPage(testing::Checkerboard(1728, 4, 8))});
    testing::FixturePage shortPage = testing::StreamPage(QByteArray(3000, '\0'));
    shortPage.imageLength = 50000;
    const QString cut = write("cut.apf", {shortPage});
    struct Case {
        const char* name;
        QString path;
        int page;
        const char* text;
    } cases[] = {
        {"empty name", "", 1, "File not found"},
        {"missing file", file("none.apf"), 1, "File not found"},
        {"page beyond the count", good, 2, "File is not an APF file"},
        {"data ending early", cut, 1, "File is not an APF file"},
    };
    for (const Case& c : cases) {
        TFxFaxUnpacker u;
        u.setInFileName(c.path);
        EXPECT_EQ(errorText([&] { u.UnpackPage(c.page); }), c.text) << c.name;
    }
    TFxFaxUnpacker u;
    u.setInFileName(write("empty.apf", {testing::StreamPage("")}));
    EXPECT_TRUE(u.UnpackPageToBitmap(1).isNull());
}

TEST_F(UnpackerTest, AbortEndsThePage) {
    TFxFaxUnpacker u;
    u.setInFileName(write("a.apf", {testing::RecordPage(testing::TextLikeRaster(1728, 500, 3))}));
    u.setAutoScaleMode(asNone);
    int lines = 0;
    u.OnOutputLine = [&](TFxFaxUnpacker& sender, bool s, bool e, const uchar*, int, int) {
        if (s || e) return;
        if (++lines == 20) sender.setOptions(sender.options() | uoAbort);
    };
    u.UnpackPage(1);
    EXPECT_EQ(lines, 20);
}

TEST_F(UnpackerTest, OutputNames) {
    const QString in =
        write("FAX0001.APF", {testing::RecordPage(testing::Checkerboard(1728, 4, 8))});
    TFxFaxUnpacker u;
    u.setInFileName(in);
    EXPECT_EQ(u.outFileName(), file("FAX0001"));
    u.UnpackPageToPcx(1);
    EXPECT_EQ(u.lastOutputFile(), file("FAX0001.PCX"));
    u.setOutFileName(file("named.pcx"));
    u.UnpackPageToPcx(1);
    EXPECT_EQ(u.lastOutputFile(), file("named.pcx"));
    u.setOutFileName("");
    u.UnpackPageToTiff(1);
    EXPECT_EQ(u.lastOutputFile(), file("FAX0001.TIF"));
    u.setInFileName(in.toLower());  // same name ignoring case: the output name stays
    EXPECT_EQ(u.outFileName(), "");
}

// Reads a one-bit TIFF with libtiff; rows with 1 = black.
std::vector<QByteArray> tiffRows(const QString& path, uint32_t* width = nullptr) {
    std::vector<QByteArray> rows;
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return rows;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    if (width) *width = w;
    QByteArray row(TIFFScanlineSize(tif), '\0');
    for (uint32_t y = 0; y < h && TIFFReadScanline(tif, row.data(), y) >= 0; ++y)
        rows.push_back(row.left(216));
    TIFFClose(tif);
    return rows;
}

TEST_F(UnpackerTest, TiffHasTheFixedHeaderAndOpensInLibtiff) {
    const Raster text = testing::TextLikeRaster(1728, 300, 6);
    TFxFaxUnpacker u;
    u.setInFileName(write("t.apf", {testing::RecordPage(text, kApfHighRes)}));
    u.UnpackPageToTiff(1);
    const QByteArray tiff = testing::ReadFile(u.lastOutputFile());
    ASSERT_GT(tiff.size(), 118);
    const char* b = tiff.constData();
    EXPECT_EQ(tiff.left(8), QByteArray::fromHex("49492a0008000000"));
    EXPECT_EQ(ReadLe16(b + 8), 9);
    const quint16 tags[] = {255, 256, 257, 258, 259, 262, 273, 278, 279};
    const quint32 values[] = {1, 1728, 300, 1, 32773, 0, 118, 300, quint32(tiff.size() - 118)};
    for (int i = 0; i < 9; ++i) {
        const char* e = b + 10 + 12 * i;
        EXPECT_EQ(ReadLe16(e), tags[i]);
        const bool isLong = tags[i] >= 273;
        EXPECT_EQ(ReadLe16(e + 2), isLong ? 4 : 3);
        EXPECT_EQ(isLong ? ReadLe32(e + 8) : ReadLe16(e + 8), values[i]) << tags[i];
    }
    // The four bytes after the directory (read as a next-directory offset) are zero.
    EXPECT_EQ(ReadLe32(b + 118), 0u);
    uint32_t width = 0;
    EXPECT_EQ(testing::RowsDiffer(tiffRows(u.lastOutputFile(), &width), text.rows), "");
    EXPECT_EQ(width, 1728u);
    if (havePeer("tiffinfo")) {
        QProcess info;
        info.start("tiffinfo", {"-D", u.lastOutputFile()});
        ASSERT_TRUE(info.waitForFinished());
        EXPECT_EQ(info.exitCode(), 0);
        EXPECT_EQ(info.readAllStandardError(), "");
        EXPECT_TRUE(info.readAllStandardOutput().contains("Image Width: 1728 Image Length: 300"));
    }
}

// Whatever ink the first row holds, the single-page TIFF is one clean directory in libtiff's
// tools; the 118-byte layout is kept whenever the first row starts with 16 white pixels.
TEST_F(UnpackerTest, TiffOfAnyFirstRowReadsCleanly) {
    if (!havePeer("tiffinfo")) GTEST_SKIP() << "tiffinfo not installed";
    struct Case {
        const char* name;
        QByteArray firstRow;
        quint32 stripOffset;
    } cases[] = {
        {"white start", rasterRow({{16, 40}}), 118},
        {"black first pixel", rasterRow({{0, 1}}), 122},
        {"black in the second byte", rasterRow({{9, 12}}), 122},
        {"all black", rasterRow({{0, 1728}}), 122},
    };
    for (const Case& c : cases) {
        Raster page;
        page.addRow(c.firstRow);
        page.addRow(rasterRow({{0, 5}, {700, 900}}));
        page.addWhite(3);
        TFxFaxUnpacker u;
        u.setInFileName(write("p.apf", {testing::RecordPage(page, kApfHighRes)}));
        u.setOutFileName(file("p.tif"));
        u.UnpackPageToTiff(1);
        const QByteArray tiff = testing::ReadFile(file("p.tif"));
        EXPECT_EQ(u32At(tiff, 10 + 12 * 6 + 8), c.stripOffset) << c.name;
        EXPECT_EQ(u32At(tiff, 10 + 12 * 8 + 8), quint32(tiff.size()) - c.stripOffset) << c.name;
        QProcess info;
        info.start("tiffinfo", {"-D", file("p.tif")});
        ASSERT_TRUE(info.waitForFinished());
        EXPECT_EQ(info.exitCode(), 0) << c.name;
        EXPECT_EQ(info.readAllStandardError(), "") << c.name;
        EXPECT_EQ(info.readAllStandardOutput().count("TIFF Directory"), 1) << c.name;
        EXPECT_EQ(testing::RowsDiffer(tiffRows(file("p.tif")), page.rows), "") << c.name;
    }
}

TEST(PackBits, CodesRunsAndLiterals) {
    struct Case {
        QByteArray row;
        QByteArray coded;
    } cases[] = {
        {QByteArray::fromHex("00000000"), QByteArray::fromHex("fd00")},
        {QByteArray::fromHex("0102"), QByteArray::fromHex("010102")},
        {QByteArray::fromHex("01020202"), QByteArray::fromHex("0001fe02")},
        {QByteArray(130, '\x7f'), QByteArray::fromHex("817fff7f")},
    };
    for (const Case& c : cases) {
        QByteArray out;
        PackBitsRow(reinterpret_cast<const uchar*>(c.row.constData()), c.row.size(), out);
        EXPECT_EQ(out.toHex(), c.coded.toHex());
    }
}

// pcxtoppm's view of a PCX file as rows of 1 = black.
std::vector<QByteArray> pcxRowsByNetpbm(const QString& pcx, int width) {
    QProcess p;
    p.setStandardInputFile(pcx);
    p.start("sh", {"-c", "pcxtoppm | ppmtopgm | pgmtopbm -threshold | pnmnoraw"});
    p.waitForFinished();
    // Plain PBM: "P1", width, height, then one digit per pixel (1 = black).
    const QList<QByteArray> tokens = p.readAllStandardOutput().simplified().split(' ');
    std::vector<QByteArray> rows;
    if (tokens.size() < 3 || tokens[0] != "P1" || tokens[1].toInt() != width) return rows;
    const int height = tokens[2].toInt();
    const QByteArray pixels = tokens.mid(3).join();
    if (pixels.size() != qsizetype(width) * height) return rows;
    for (int y = 0; y < height; ++y) {
        QByteArray row(width / 8, '\0');
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] == '1')
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        rows.push_back(row);
    }
    return rows;
}

TEST_F(UnpackerTest, PcxAndDcxOpenInNetpbm) {
    if (!havePeer("pcxtoppm") || !havePeer("pnmnoraw")) GTEST_SKIP() << "netpbm missing";
    const Raster one = testing::TextLikeRaster(1728, 40, 1);
    const Raster two = testing::Checkerboard(1728, 30, 16);
    TFxFaxUnpacker u;
    u.setInFileName(write(
        "d.apf", {testing::RecordPage(one, kApfHighRes), testing::RecordPage(two, kApfHighRes)}));
    u.UnpackPageToPcx(1);
    EXPECT_EQ(testing::RowsDiffer(pcxRowsByNetpbm(u.lastOutputFile(), 1728), one.rows), "");

    u.UnpackFileToDcx();
    const QByteArray dcx = testing::ReadFile(u.lastOutputFile());
    ASSERT_GT(dcx.size(), kDcxHeaderBytes);
    EXPECT_EQ(u32At(dcx, 0), kDcxMagic);
    const quint32 first = u32At(dcx, 4);
    const quint32 second = u32At(dcx, 8);
    EXPECT_EQ(first, quint32(kDcxHeaderBytes));
    EXPECT_EQ(u32At(dcx, 12), 0u);
    const Raster* pages[] = {&one, &two};
    const quint32 ends[] = {second, quint32(dcx.size())};
    const quint32 starts[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        WriteFile(file("page.pcx"), dcx.mid(starts[i], ends[i] - starts[i]));
        EXPECT_EQ(testing::RowsDiffer(pcxRowsByNetpbm(file("page.pcx"), 1728), pages[i]->rows), "")
            << "page " << i + 1;
    }
}

TEST_F(UnpackerTest, DcxBeyond1023PagesIsRefusedAndWritesNothing) {
    const testing::FixturePage blank = testing::RecordPage(testing::Checkerboard(1728, 1, 8));
    struct Case {
        int pages;
        bool fits;
    } cases[] = {{1023, true}, {1024, false}};
    for (const Case& c : cases) {
        TFxFaxUnpacker u;
        u.setInFileName(write("many.apf", std::vector<testing::FixturePage>(c.pages, blank)));
        WriteFile(file("many.dcx"), "earlier export");
        u.setOutFileName(file("many.dcx"));
        const QString error = errorText([&] { u.UnpackFileToDcx(); });
        const QByteArray dcx = testing::ReadFile(file("many.dcx"));
        if (c.fits) {
            EXPECT_EQ(error, "") << c.pages;
            EXPECT_NE(u32At(dcx, 4 * c.pages), 0u) << c.pages;  // the last page's offset
            EXPECT_EQ(u32At(dcx, 4 * c.pages + 4), 0u) << c.pages;
        } else {
            EXPECT_EQ(error, "A DCX file holds at most 1023 pages") << c.pages;
            EXPECT_EQ(dcx, "earlier export") << c.pages;
        }
    }
}

}  // namespace
}  // namespace corvane
