// TIFF files, fax or not, page by page through libtiff. Every page is read as RGBA, which
// covers every photometric, depth and compression libtiff knows; a bilevel page (a fax)
// keeps its pixels exactly when its width needs no scaling.

#include <tiffio.h>

#include <vector>

#include "sending/import/import_geometry.h"
#include "sending/import/import_source.h"

namespace corvane {

namespace {

// A larger page (a 600 dpi A3 scan is 70 million pixels) would take more memory to read than
// a fax page is worth.
constexpr quint64 kMaxTiffPixels = 64ull * 1024 * 1024;
constexpr float kCentimetresPerInch = 2.54f;

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// libtiff prints to stderr unless told otherwise; failures reach the user as messages.
void Quiet(const char*, const char*, va_list) {}

class TiffSource : public ImportSource {
  public:
    TiffSource(std::unique_ptr<TIFF, TiffCloser> tif, int pages)
        : tif_(std::move(tif)), pages_(pages) {}
    int pageCount() const override { return pages_; }

    Result<QImage> page(int index) override {
        const QString which = QStringLiteral("page %1 of the TIFF file").arg(index + 1);
        if (!TIFFSetDirectory(tif_.get(), tdir_t(index)))
            return Status::Error(which + " is damaged");
        uint32_t width = 0, height = 0;
        uint16_t bits = 1, samples = 1, unit = RESUNIT_INCH;
        float xres = 0, yres = 0;
        TIFFGetField(tif_.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif_.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tif_.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif_.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetFieldDefaulted(tif_.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFGetField(tif_.get(), TIFFTAG_XRESOLUTION, &xres);
        TIFFGetField(tif_.get(), TIFFTAG_YRESOLUTION, &yres);
        if (width == 0 || height == 0) return Status::Error(which + " is empty");
        if (quint64(width) * height > kMaxTiffPixels) return Status::Error(which + " is too large");
        std::vector<uint32_t> rgba(size_t(width) * height);
        if (!TIFFReadRGBAImageOriented(tif_.get(), width, height, rgba.data(), ORIENTATION_TOPLEFT,
                                       0))
            return Status::Error(which + " is damaged");
        QImage grey(int(width), int(height), QImage::Format_Grayscale8);
        for (uint32_t y = 0; y < height; ++y) {
            uchar* row = grey.scanLine(int(y));
            const uint32_t* px = rgba.data() + size_t(y) * width;
            for (uint32_t x = 0; x < width; ++x) {
                // Transparent parts are paper.
                const int a = int(TIFFGetA(px[x]));
                const int g = (int(TIFFGetR(px[x])) * 299 + int(TIFFGetG(px[x])) * 587 +
                               int(TIFFGetB(px[x])) * 114) /
                              1000;
                row[x] = uchar((g * a + 255 * (255 - a)) / 255);
            }
        }
        if (unit == RESUNIT_CENTIMETER) {
            xres *= kCentimetresPerInch;
            yres *= kCentimetresPerInch;
        }
        // A page without a usable resolution is taken pixel for fax pixel.
        if (unit == RESUNIT_NONE || !(xres > 0) || !(yres > 0)) {
            xres = float(kFineDotsPerInch);
            yres = float(kFineLinesPerInch);
        }
        return PlacePicture(grey, xres, yres, bits == 1 && samples == 1);
    }

  private:
    std::unique_ptr<TIFF, TiffCloser> tif_;
    int pages_ = 0;
};

}  // namespace

Result<std::unique_ptr<ImportSource>> OpenTiffSource(const QString& path) {
    TIFFSetWarningHandler(Quiet);
    TIFFSetErrorHandler(Quiet);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.toLocal8Bit().constData(), "r"));
    if (!tif) return Status::Error("the TIFF file is damaged");
    const int pages = int(TIFFNumberOfDirectories(tif.get()));
    if (pages <= 0) return Status::Error("the document has no pages");
    return std::unique_ptr<ImportSource>(new TiffSource(std::move(tif), pages));
}

}  // namespace corvane
