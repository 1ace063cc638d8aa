#include "viewing/logic/tiff_pages.h"

#include <tiffio.h>

#include <QFile>
#include <vector>

#include "viewing/logic/fax_source.h"

namespace corvane {

namespace {

constexpr int kMaxFaxWidth = 2048;
constexpr float kFineLinesPerInch = 150;

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// libtiff prints its complaints to stderr unless told otherwise; failures are reported to
// the caller instead.
void quietHandler(const char*, const char*, va_list) {}

}  // namespace

bool LooksLikeTiff(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4);
}

Result<QList<TiffFaxPage>> ReadTiffFaxPages(const QString& path) {
    TIFFSetWarningHandler(quietHandler);
    TIFFSetErrorHandler(quietHandler);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.toLocal8Bit().constData(), "r"));
    if (!tif) return Status::Error("The file cannot be read as a TIFF file");
    QList<TiffFaxPage> pages;
    do {
        uint32_t width = 0, height = 0;
        uint16_t unit = RESUNIT_INCH;
        float yres = 0;
        TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres);
        if (unit == RESUNIT_CENTIMETER) yres *= 2.54f;
        if (width == 0 || width > kMaxFaxWidth || height == 0 || height > 65535)
            return Status::Error("The TIFF page is not a fax page");
        // RGBA keeps it simple for every photometric and bit depth the file may use.
        std::vector<uint32_t> raster(size_t(width) * height);
        if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT,
                                       0))
            return Status::Error("The TIFF page cannot be decoded");
        TiffFaxPage page;
        page.fine = yres <= 0 || yres > kFineLinesPerInch;
        page.image = QImage(int(width), int(height), QImage::Format_Mono);
        page.image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (uint32_t y = 0; y < height; ++y) {
            uchar* row = page.image.scanLine(int(y));
            std::fill(row, row + page.image.bytesPerLine(), 0);
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t px = raster[size_t(y) * width + x];
                const int grey = (TIFFGetR(px) + TIFFGetG(px) + TIFFGetB(px)) / 3;
                if (grey >= 128) row[x >> 3] |= uchar(0x80 >> (x & 7));
            }
        }
        pages << page;
    } while (TIFFReadDirectory(tif.get()));
    return pages;
}

Status ConvertTiffToFax(const QString& tiff, const QString& apf) {
    Result<QList<TiffFaxPage>> pages = ReadTiffFaxPages(tiff);
    if (!pages) return pages.status();
    return WriteFaxPages(pages.value(), apf);
}

}  // namespace corvane
