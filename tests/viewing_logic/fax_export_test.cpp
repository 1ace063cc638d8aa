// Export of faxes to TIFF, DCX, PCX, BMP and PDF, every file read back by an independent
// reader (libtiff, netpbm, poppler) and compared whole: size, every row, resolution.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include "apf_fixtures.h"
#include "faxdoc/apf_format.h"
#include "peer_tools.h"
#include "viewing/logic/fax_export.h"
#include "viewing/logic/fax_source.h"
#include "viewing/logic/tiff_pages.h"

namespace corvane {
namespace {

using testing::Raster;

// Rows of `raster` as an export shows them: standard pages with every line twice.
std::vector<QByteArray> expectedRows(const Raster& raster, bool doubled) {
    std::vector<QByteArray> rows;
    for (const QByteArray& row : raster.rows) {
        rows.push_back(row);
        if (doubled) rows.push_back(row);
    }
    return rows;
}

struct TiffPage {
    int width = 0;
    std::vector<QByteArray> rows;
    float xres = 0, yres = 0;
};

std::vector<TiffPage> libtiffPages(const QString& path) {
    std::vector<TiffPage> pages;
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return pages;
    do {
        TiffPage page;
        uint32_t width = 0, height = 0;
        uint16_t photometric = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &page.xres);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &page.yres);
        page.width = int(width);
        QByteArray line(TIFFScanlineSize(tif), '\0');
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif, line.data(), y) < 0) break;
            QByteArray row = line.left(int(width) / 8);
            // 1 = black in the comparison rows.
            if (photometric == PHOTOMETRIC_MINISBLACK)
                for (char& c : row) c = char(~c);
            page.rows.push_back(row);
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

struct ExportFixture : ::testing::Test {
    QTemporaryDir dir;
    // Three pages: fine text, standard text (shorter), fine checkerboard.
    Raster fineText = testing::TextLikeRaster(1728, 220, 5);
    Raster standardText = testing::TextLikeRaster(1728, 130, 8);
    Raster board = testing::Checkerboard(1728, 90, 24);
    QString fax;

    void SetUp() override {
        fax = file("fax.apf");
        testing::WriteFile(fax, testing::BuildApf({testing::RecordPage(fineText, kApfHighRes),
                                                   testing::RecordPage(standardText),
                                                   testing::RecordPage(board, kApfHighRes)}));
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    std::vector<QByteArray> expected(int page) const {
        if (page == 1) return expectedRows(fineText, false);
        if (page == 2) return expectedRows(standardText, true);
        return expectedRows(board, false);
    }
};

TEST_F(ExportFixture, AllPagesToOneTiffReadByLibtiffRowForRow) {
    const QString tif = file("all.tif");
    const Status done = ExportFax(fax, tif, ExportFormat::Tiff, 0);
    ASSERT_TRUE(done) << done.message().toStdString();
    const std::vector<TiffPage> pages = libtiffPages(tif);
    ASSERT_EQ(pages.size(), 3u);
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(pages[p - 1].width, 1728);
        EXPECT_EQ(testing::RowsDiffer(pages[p - 1].rows, expected(p)), "");
        // Square pixels: the doubled standard page has the resolution of a fine one.
        EXPECT_NEAR(pages[p - 1].xres, 204, 0.5);
        EXPECT_NEAR(pages[p - 1].yres, 196, 0.5);
    }
    if (testing::HaveTool("tiffinfo")) {
        const QByteArray info = testing::RunTool("tiffinfo", {tif});
        EXPECT_EQ(info.count("Image Width: 1728"), 3) << info.toStdString();
    }
    // No work file is left beside the target.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(ExportFixture, TiffPageRangeIsClampedToTheFax) {
    struct Case {
        int first, last;
        std::vector<int> pages;
    } cases[] = {{0, 0, {1, 2, 3}}, {2, 2, {2}}, {2, 99, {2, 3}}, {3, 0, {3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1..%2").arg(c.first).arg(c.last).toStdString());
        const QString tif = file("range.tif");
        ASSERT_TRUE(ExportTiffPages(fax, tif, c.first, c.last));
        const std::vector<TiffPage> pages = libtiffPages(tif);
        ASSERT_EQ(pages.size(), c.pages.size());
        for (size_t i = 0; i < pages.size(); ++i)
            EXPECT_EQ(testing::RowsDiffer(pages[i].rows, expected(c.pages[i])), "");
    }
}

TEST_F(ExportFixture, SinglePageFormatsReadByNetpbm) {
    if (!testing::HaveTool("pcxtoppm") || !testing::HaveTool("bmptopnm"))
        GTEST_SKIP() << "netpbm is not installed";
    struct Case {
        ExportFormat format;
        const char* name;
        const char* reader;
        int page;
    } cases[] = {{ExportFormat::Pcx, "p.pcx", "pcxtoppm", 2},
                 {ExportFormat::Bmp, "p.bmp", "bmptopnm", 2},
                 {ExportFormat::Pcx, "q.pcx", "pcxtoppm", 1},
                 {ExportFormat::Bmp, "q.bmp", "bmptopnm", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = file(c.name);
        const Status done = ExportFax(fax, out, c.format, c.page);
        ASSERT_TRUE(done) << done.message().toStdString();
        QString error;
        const testing::PnmRaster image =
            testing::ReadPnm(testing::RunTool(c.reader, {out}, {}, &error));
        ASSERT_EQ(image.width, 1728) << error.toStdString();
        EXPECT_EQ(testing::RowsDiffer(image.rows, expected(c.page)), "");
    }
}

TEST_F(ExportFixture, DcxPagesReadByNetpbm) {
    if (!testing::HaveTool("pcxtoppm")) GTEST_SKIP() << "netpbm is not installed";
    const QString dcx = file("all.dcx");
    ASSERT_TRUE(ExportFax(fax, dcx, ExportFormat::Dcx, 0));
    QFile in(dcx);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    ASSERT_EQ(qFromLittleEndian<quint32>(bytes.constData()), 0x3ADE68B1u);
    std::vector<quint32> offsets;
    for (int i = 1; i < 1025; ++i) {
        const quint32 at = qFromLittleEndian<quint32>(bytes.constData() + 4 * i);
        if (at == 0) break;
        offsets.push_back(at);
    }
    ASSERT_EQ(offsets.size(), 3u);
    offsets.push_back(quint32(bytes.size()));
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        const QByteArray pcx = bytes.mid(offsets[p - 1], offsets[p] - offsets[p - 1]);
        const testing::PnmRaster image = testing::ReadPnm(testing::RunTool("pcxtoppm", {}, pcx));
        EXPECT_EQ(testing::RowsDiffer(image.rows, expected(p)), "");
    }
}

// pdfinfo's "Page    N size: W x H pts" lines.
std::vector<QSizeF> pdfPageSizes(const QString& pdf) {
    const QString info = testing::RunTool("pdfinfo", {"-f", "1", "-l", "999", pdf});
    std::vector<QSizeF> sizes;
    static const QRegularExpression line(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = line.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

TEST_F(ExportFixture, PdfPagesHaveTheFaxSizeAndGiveBackTheBitmaps) {
    if (!testing::HaveTool("pdfinfo") || !testing::HaveTool("pdfimages"))
        GTEST_SKIP() << "poppler-utils is not installed";
    const QString pdf = file("fax.pdf");
    const Status done = ExportFax(fax, pdf, ExportFormat::Pdf, 0);
    ASSERT_TRUE(done) << done.message().toStdString();

    // 1728 dots at 204 dpi across; fine pages at 196, standard at 98 lines per inch down.
    const std::vector<QSizeF> sizes = pdfPageSizes(pdf);
    const double heights[] = {220.0 / 196, 130.0 / 98, 90.0 / 196};
    ASSERT_EQ(sizes.size(), 3u);
    for (int p = 0; p < 3; ++p) {
        EXPECT_NEAR(sizes[p].width(), 1728.0 / 204 * 72, 0.5) << p + 1;
        EXPECT_NEAR(sizes[p].height(), heights[p] * 72, 0.5) << p + 1;
    }

    // One 1-bit image per page, compressed, that comes back bit for bit.
    const QString list = testing::RunTool("pdfimages", {"-list", pdf});
    EXPECT_EQ(list.count(QRegularExpression(R"(image\s+1728\s+\d+\s+gray\s+1\s+1\s+image)")), 3)
        << list.toStdString();
    const QString prefix = dir.filePath("img");
    testing::RunTool("pdfimages", {pdf, prefix});
    const std::vector<QByteArray> asCoded[] = {expectedRows(fineText, false),
                                               expectedRows(standardText, false),
                                               expectedRows(board, false)};
    for (int p = 0; p < 3; ++p) {
        QFile pbm(prefix + QString("-%1.pbm").arg(p, 3, 10, QChar('0')));
        ASSERT_TRUE(pbm.open(QIODevice::ReadOnly)) << pbm.fileName().toStdString();
        const testing::PnmRaster image = testing::ReadPnm(pbm.readAll());
        EXPECT_EQ(image.width, 1728);
        EXPECT_EQ(testing::RowsDiffer(image.rows, asCoded[p]), "") << "page " << p + 1;
    }
}

TEST_F(ExportFixture, FailuresLeaveNoFileBehind) {
    const QString missingFax = file("none.apf");
    const QString notApf = file("text.apf");
    testing::WriteFile(notApf, "just some text, not a fax at all, long enough for a header......");
    struct Case {
        const char* what;
        QString fax;
        QString target;
        ExportFormat format;
        int page;
        QString message;
    } cases[] = {
        {"missing fax", missingFax, file("a.pdf"), ExportFormat::Pdf, 0, "File not found"},
        {"not a fax", notApf, file("b.tif"), ExportFormat::Tiff, 0, "File is not an APF file"},
        {"page beyond the end", fax, file("c.bmp"), ExportFormat::Bmp, 4, "The fax has no page 4"},
        {"missing folder", fax, file("nowhere/d.pdf"), ExportFormat::Pdf, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Status done = ExportFax(c.fax, c.target, c.format, c.page);
        EXPECT_FALSE(done);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(done.message(), c.message);
        }
        EXPECT_FALSE(QFile::exists(c.target));
    }
}

TEST_F(ExportFixture, CancelledExportKeepsAnEarlierFile) {
    int files = 1;
    for (ExportFormat format : {ExportFormat::Pdf, ExportFormat::Tiff}) {
        ++files;
        const QString target = file("keep." + ExportFormatExtension(format).toLower());
        testing::WriteFile(target, "earlier");
        const Status done =
            ExportFax(fax, target, format, 0, [](int done, int) { return done < 2; });
        EXPECT_FALSE(done);
        EXPECT_EQ(testing::ReadFile(target), QByteArray("earlier"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), files) << "a work file remains";
    }
}

#ifdef CORVANE_CLI_PATH
TEST_F(ExportFixture, CommandLineWritesPdf) {
    if (!testing::HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
    const QString pdf = file("cli.pdf");
    QString error;
    const QByteArray out =
        testing::RunTool(CORVANE_CLI_PATH, {"apf", "export", fax, pdf, "--page", "2"}, {}, &error);
    EXPECT_EQ(out.trimmed(), pdf.toUtf8()) << error.toStdString();
    const std::vector<QSizeF> sizes = pdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_NEAR(sizes[0].height(), 130.0 / 98 * 72, 0.5);
}
#endif

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// A TIFF fax from another program (libtiff's tiffcp re-coding our export as CCITT G4) comes
// back page for page, standard pages at their coded resolution.
TEST_F(ExportFixture, TiffFaxFromAnotherProgramConvertsBackToTheSamePages) {
    if (!testing::HaveTool("tiffcp")) GTEST_SKIP() << "libtiff-tools is not installed";
    const QString ours = file("ours.tif");
    ASSERT_TRUE(ExportTiffPages(fax, ours, 0, 0));
    const QString g4 = file("g4.tif");
    QString error;
    testing::RunTool("tiffcp", {"-c", "g4", ours, g4}, {}, &error);
    ASSERT_TRUE(LooksLikeTiff(g4)) << error.toStdString();
    ASSERT_FALSE(LooksLikeTiff(fax));

    const QString back = file("back.apf");
    const Status converted = ConvertTiffToFax(g4, back);
    ASSERT_TRUE(converted) << converted.message().toStdString();
    ASSERT_EQ(FaxPageCount(back), 3);
    for (int p = 1; p <= 3; ++p) {
        const QImage page = DecodeFaxPage(back, p, StandardPages::DoubleHeight);
        EXPECT_TRUE(FaxPage(back, p).fine) << p;  // the export doubled the standard page
        EXPECT_EQ(testing::RowsDiffer(testing::ImageRows(page, 216), expected(p)), "") << p;
    }
    EXPECT_FALSE(ConvertTiffToFax(fax, file("bad.apf")));
    EXPECT_FALSE(QFile::exists(file("bad.apf")));
}

}  // namespace
}  // namespace corvane
