// Pictures (PNG, JPEG, BMP, netpbm and whatever else the picture reader takes) as one page
// each, and the placing of any raster picture on the fax page.

#include <QPainter>
#include <QTransform>
#include <utility>

#include "faxdoc/convert/picture_file.h"
#include "sending/import/import_geometry.h"
#include "sending/import/import_source.h"

namespace corvane {

namespace {

constexpr double kInchesPerMeter = 39.37007874;
// Resolutions outside this range are not a scanner's or a camera's; such a file is taken as
// one picture pixel per fax pixel.
constexpr double kLowestDotsPerInch = 50;
constexpr double kHighestDotsPerInch = 2400;

// The resolution the file recorded, or 0. An image that recorded none carries Qt's default,
// which is indistinguishable from a file that recorded exactly that; both are treated alike.
double RecordedDotsPerInch(int dotsPerMeter, int defaultDotsPerMeter) {
    if (dotsPerMeter <= 0 || dotsPerMeter == defaultDotsPerMeter) return 0;
    const double dpi = dotsPerMeter / kInchesPerMeter;
    return dpi >= kLowestDotsPerInch && dpi <= kHighestDotsPerInch ? dpi : 0;
}

QImage ToGrey(const QImage& picture) {
    if (picture.format() == QImage::Format_Grayscale8) return picture;
    if (!picture.hasAlphaChannel()) return picture.convertToFormat(QImage::Format_Grayscale8);
    // Transparent parts are paper.
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    painter.end();
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

bool IsBilevel(const QImage& picture) {
    return picture.depth() == 1;
}

class PictureSource : public ImportSource {
  public:
    explicit PictureSource(QImage picture) : picture_(std::move(picture)) {}
    int pageCount() const override { return 1; }
    Result<QImage> page(int) override {
        const int defaultDpm = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
        double dpiX = RecordedDotsPerInch(picture_.dotsPerMeterX(), defaultDpm);
        double dpiY = RecordedDotsPerInch(picture_.dotsPerMeterY(), defaultDpm);
        if (dpiX == 0 || dpiY == 0) {
            dpiX = kFineDotsPerInch;
            dpiY = kFineLinesPerInch;
        }
        return PlacePicture(picture_, dpiX, dpiY, IsBilevel(picture_));
    }

  private:
    QImage picture_;
};

}  // namespace

QImage PlacePicture(const QImage& picture, double dotsPerInchX, double dotsPerInchY, bool bilevel) {
    const PagePlacement place =
        PlacePage(picture.width() / dotsPerInchX, picture.height() / dotsPerInchY);
    QImage grey = ToGrey(picture);
    if (place.rotate) grey = grey.transformed(QTransform().rotate(-90));
    if (grey.width() == place.width && grey.height() == place.height) return grey;
    const Qt::TransformationMode mode =
        bilevel && grey.width() == place.width ? Qt::FastTransformation : Qt::SmoothTransformation;
    return grey.scaled(place.width, place.height, Qt::IgnoreAspectRatio, mode)
        .convertToFormat(QImage::Format_Grayscale8);
}

Result<std::unique_ptr<ImportSource>> OpenPictureSource(const QString& path) {
    Result<QImage> picture = ReadPictureFile(path);
    if (!picture.ok()) {
        // The reader's message starts with the path; the importer names the file itself.
        QString reason = picture.message();
        if (reason.startsWith(path + ": ")) reason = reason.mid(path.size() + 2);
        return Status::Error("the picture cannot be read (" + reason + ")");
    }
    if (picture.value().isNull() || picture.value().width() <= 0 || picture.value().height() <= 0)
        return Status::Error("the picture is empty");
    return std::unique_ptr<ImportSource>(new PictureSource(std::move(picture).value()));
}

}  // namespace corvane
