#include "viewing/logic/fax_export.h"

#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "viewing/logic/fax_source.h"

namespace corvane {

namespace {

const QString kCancelled = QStringLiteral("Export cancelled");

struct PageRange {
    int first = 1;
    int last = 0;
};

PageRange clampRange(int first, int last, int pageCount) {
    PageRange range{first < 1 ? 1 : first, last};
    if (range.last < 1 || range.last > pageCount) range.last = pageCount;
    return range;
}

// Pages first..last decoded with square pixels, for the multi-page raster formats.
Result<QList<QImage>> decodeRange(const QString& fax, PageRange range,
                                  const ExportProgress& progress) {
    QList<QImage> pages;
    for (int page = range.first; page <= range.last; ++page) {
        pages << DecodeFaxPage(fax, page, StandardPages::DoubleHeight);
        if (progress && !progress(page - range.first + 1, range.last - range.first + 1))
            return Status::Error(kCancelled);
    }
    return pages;
}

Status requirePages(const PageRange& range) {
    if (range.last < range.first) return Status::Error("The fax has no pages to export");
    return Status::Ok();
}

}  // namespace

QString ExportFormatText(ExportFormat format) {
    switch (format) {
        case ExportFormat::Tiff:
            return "TIFF";
        case ExportFormat::Bmp:
            return "BMP";
        case ExportFormat::Pcx:
            return "PCX";
        case ExportFormat::Dcx:
            return "DCX";
        case ExportFormat::Pdf:
            return "PDF";
    }
    return "TIFF";
}

QString ExportFormatExtension(ExportFormat format) {
    return ExportFormatText(format).left(3);
}

bool IsSinglePageFormat(ExportFormat format) {
    return format == ExportFormat::Bmp || format == ExportFormat::Pcx;
}

ExportFormat ExportFormatFromSetting(int value) {
    if (value >= 1 && value <= 5) return ExportFormat(value);
    return ExportFormat::Tiff;
}

std::optional<ExportFormat> ExportFormatForFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "tif" || suffix == "tiff") return ExportFormat::Tiff;
    if (suffix == "bmp") return ExportFormat::Bmp;
    if (suffix == "pcx") return ExportFormat::Pcx;
    if (suffix == "dcx") return ExportFormat::Dcx;
    if (suffix == "pdf") return ExportFormat::Pdf;
    return std::nullopt;
}

Status ExportFax(const QString& fax, const QString& target, ExportFormat format, int page,
                 const ExportProgress& progress) {
    try {
        if (IsSinglePageFormat(format)) {
            const int n = FaxPageCount(fax);
            const int wanted = page < 1 ? 1 : page;
            if (wanted > n) return Status::Error(QString("The fax has no page %1").arg(wanted));
            const QImage image = DecodeFaxPage(fax, wanted, StandardPages::DoubleHeight);
            const Status written = format == ExportFormat::Bmp ? WriteBmpImage(image, target)
                                                               : WritePcxImage(image, target);
            if (written && progress) progress(1, 1);
            return written;
        }
        const int first = page < 1 ? 1 : page;
        const int last = page < 1 ? 0 : page;
        if (format == ExportFormat::Tiff)
            return ExportTiffPages(fax, target, first, last, progress);
        if (format == ExportFormat::Pdf) return ExportPdfPages(fax, target, first, last, progress);
        const PageRange range = clampRange(first, last, FaxPageCount(fax));
        if (Status s = requirePages(range); !s) return s;
        Result<QList<QImage>> pages = decodeRange(fax, range, progress);
        if (!pages) return pages.status();
        return WriteDcxImages(pages.value(), target);
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
}

Status ExportTiffPages(const QString& fax, const QString& target, int first, int last,
                       const ExportProgress& progress) {
    try {
        const PageRange range = clampRange(first, last, FaxPageCount(fax));
        if (Status s = requirePages(range); !s) return s;
        Result<QList<QImage>> pages = decodeRange(fax, range, progress);
        if (!pages) return pages.status();
        return WriteTiffImages(pages.value(), target);
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
}

Status ExportPdfPages(const QString& fax, const QString& target, int first, int last,
                      const ExportProgress& progress) {
    try {
        const PageRange range = clampRange(first, last, FaxPageCount(fax));
        if (Status s = requirePages(range); !s) return s;
        // Written beside the target and renamed over it only when every page is in.
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly)) return Status::Error(file.errorString());
        QPdfWriter writer(&file);
        writer.setCreator("Corvane");
        writer.setTitle(QFileInfo(fax).fileName());
        writer.setResolution(1200);
        QPainter painter;
        for (int page = range.first; page <= range.last; ++page) {
            const FaxPageInfo info = FaxPage(fax, page);
            const QImage image = DecodeFaxPage(fax, page, StandardPages::AsCoded);
            const QSizeF inches(double(image.width()) / kFaxDotsPerInchAcross,
                                double(image.height()) / info.linesPerInch());
            const QPageLayout layout(
                QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch),
                QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
            writer.setPageLayout(layout);
            if (page == range.first) {
                if (!painter.begin(&writer)) return Status::Error("Cannot write the PDF file");
            } else if (!writer.newPage()) {
                return Status::Error("Cannot write the PDF file");
            }
            // The bitmap goes into the file as it is (one bit per pixel); the page's size
            // alone gives it its physical dimensions.
            painter.drawImage(QRectF(0, 0, writer.width(), writer.height()), image);
            if (progress && !progress(page - range.first + 1, range.last - range.first + 1)) {
                painter.end();
                file.cancelWriting();
                return Status::Error(kCancelled);
            }
        }
        painter.end();
        if (!file.commit()) return Status::Error(file.errorString());
        return Status::Ok();
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
}

}  // namespace corvane
