#include "import_fixtures.h"

#include <tiffio.h>

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <iterator>
#include <random>

#include "faxdoc/apf_reader.h"
#include "faxdoc/fax_unpacker.h"

namespace corvane::testing {

namespace {

const char* const kWords[] = {
    "harbour", "lantern", "quiet",   "morning", "village", "copper", "garden",  "winter",
    "station", "letters", "orchard", "bridge",  "silver",  "market", "thunder", "meadow",
    "compass", "pocket",  "ribbon",  "window",  "candle",  "forest", "pillow",  "marble",
    "rescue",  "sunday",  "planet",  "button",  "kettle",  "island", "cabinet", "parcel"};

}  // namespace

QStringList BodyTextLines(int count) {
    QStringList lines;
    std::mt19937 random(7);
    for (int n = 0; n < count; ++n) {
        QStringList words;
        for (int w = 0; w < 10; ++w) words << kWords[random() % std::size(kWords)];
        lines << words.join(' ');
    }
    return lines;
}

void WriteTextPdf(const QString& path, int pages, const QPageSize& size,
                  QPageLayout::Orientation orientation, int points, int lines) {
    QPdfWriter pdf(path);
    pdf.setResolution(600);
    pdf.setPageLayout(QPageLayout(size, orientation, QMarginsF(20, 20, 20, 20)));
    QPainter painter(&pdf);
    QFont font("Liberation Serif");
    font.setPointSize(points);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    const QStringList text = BodyTextLines(lines);
    for (int p = 1; p <= pages; ++p) {
        if (p > 1) pdf.newPage();
        int y = lineHeight;
        painter.drawText(0, y, QStringLiteral("Page %1").arg(p));
        for (const QString& line : text) {
            y += lineHeight;
            painter.drawText(0, y, line);
        }
    }
}

void WriteMarkedPdf(const QString& path, QPageLayout::Orientation orientation) {
    QPdfWriter pdf(path);
    pdf.setResolution(72);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&pdf);
    painter.fillRect(QRect(72, 72, 72, 72), Qt::black);
}

void WritePostScript(const QString& path, int pages) {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(pages) +
                    "\n<< /PageSize [612 792] >> setpagedevice\n"
                    "/Times-Roman findfont 12 scalefont setfont\n";
    for (int p = 1; p <= pages; ++p) {
        ps += "72 720 moveto (Page " + QByteArray::number(p) + ") show\n";
        int y = 700;
        for (const QString& line : BodyTextLines(20)) {
            ps += "72 " + QByteArray::number(y) + " moveto (" + line.toLatin1() + ") show\n";
            y -= 16;
        }
        ps += "showpage\n";
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(ps);
}

void WriteEps(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n"
        "newpath 72 36 30 0 360 arc fill\n");
}

void WriteFaxTiff(const QString& path, const QImage& mono, bool fine) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(mono.width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(mono.height()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, fine ? 196.0f : 98.0f);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(mono.height()));
    // Colour 1 of the picture is black, as MINISWHITE stores it.
    const QImage picture = mono.convertToFormat(QImage::Format_Mono);
    const bool oneIsBlack = qGray(picture.color(1)) < 128;
    QByteArray row(picture.bytesPerLine(), 0);
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* line = picture.constScanLine(y);
        for (int i = 0; i < row.size(); ++i) row[i] = char(oneIsBlack ? line[i] : ~line[i]);
        TIFFWriteScanline(tif, row.data(), uint32_t(y), 0);
    }
    TIFFClose(tif);
}

void WriteGreyTiff(const QString& path, int pages, int width, int height, int dpi) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    const QImage picture = GradientPicture(width, height);
    for (int p = 0; p < pages; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(dpi));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(dpi));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(16));
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(p), uint16_t(pages));
        for (int y = 0; y < height; ++y)
            TIFFWriteScanline(tif, const_cast<uchar*>(picture.constScanLine(y)), uint32_t(y), 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

void WritePbm(const QString& path, const QImage& mono) {
    const QImage picture = mono.convertToFormat(QImage::Format_Mono);
    const bool oneIsBlack = qGray(picture.color(1)) < 128;
    QByteArray bytes = "P4\n" + QByteArray::number(picture.width()) + " " +
                       QByteArray::number(picture.height()) + "\n";
    const int rowBytes = (picture.width() + 7) / 8;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* line = picture.constScanLine(y);
        for (int i = 0; i < rowBytes; ++i) bytes += char(oneIsBlack ? line[i] : ~line[i]);
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

QImage PatternPicture(int width, int height, int seed) {
    QImage picture(width, height, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    std::mt19937 random{unsigned(seed)};
    for (int block = 0; block < 200; ++block) {
        const int x = int(random() % unsigned(width));
        const int y = int(random() % unsigned(height));
        const int w = 1 + int(random() % 120);
        const int h = 1 + int(random() % 12);
        for (int yy = y; yy < std::min(height, y + h); ++yy)
            for (int xx = x; xx < std::min(width, x + w); ++xx) picture.setPixel(xx, yy, 1);
    }
    return picture;
}

QImage GradientPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < width; ++x) line[x] = uchar(255 * x / std::max(1, width - 1));
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(60, 60, 60));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(width / 2, height / 2), width / 6, height / 6);
    return picture;
}

std::vector<QImage> DecodePages(const QString& apf, std::vector<bool>* fine, int* badCodes) {
    TFxFaxUnpacker unpacker;
    unpacker.setOptions(0);
    unpacker.setAutoScaleMode(asNone);
    unpacker.setInFileName(apf);
    std::vector<QImage> pages;
    if (badCodes) *badCodes = 0;
    const int count = unpacker.NumPages();
    for (int p = 1; p <= count; ++p) {
        pages.push_back(unpacker.UnpackPageToBitmap(p));
        if (badCodes) *badCodes += unpacker.lastBadCodes();
        if (fine) fine->push_back(ReadApfPageHeader(apf, p).isHighRes());
    }
    return pages;
}

int InkIn(const QImage& page, const QRect& area) {
    const QRect r = area.intersected(page.rect());
    int ink = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(page.pixel(x, y)) < 128) ++ink;
    return ink;
}

}  // namespace corvane::testing
