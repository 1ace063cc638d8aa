// PDF pages drawn by Poppler straight at the fax resolution.

#include <poppler-qt6.h>

#include <QFile>

#include "sending/import/import_geometry.h"
#include "sending/import/import_source.h"

namespace corvane {

namespace {

constexpr double kPointsPerInch = 72.0;

class PdfSource : public ImportSource {
  public:
    explicit PdfSource(std::unique_ptr<Poppler::Document> document)
        : document_(std::move(document)) {
        // Anti-aliased edges give the threshold the true outline of each glyph to cut.
        document_->setRenderHint(Poppler::Document::Antialiasing);
        document_->setRenderHint(Poppler::Document::TextAntialiasing);
        document_->setPaperColor(Qt::white);
    }

    int pageCount() const override { return document_->numPages(); }

    Result<QImage> page(int index) override {
        const std::unique_ptr<Poppler::Page> page(document_->page(index));
        if (!page) return Status::Error(QStringLiteral("page %1 is damaged").arg(index + 1));
        // In points, as the page is shown (its own rotation applied).
        const QSizeF size = page->pageSizeF();
        if (!(size.width() > 0) || !(size.height() > 0))
            return Status::Error(QStringLiteral("page %1 has no size").arg(index + 1));
        const PagePlacement place =
            PlacePage(size.width() / kPointsPerInch, size.height() / kPointsPerInch);
        // Poppler's resolutions are those of the drawn picture, after turning.
        const QImage drawn = page->renderToImage(
            place.dotsPerInch, place.linesPerInch, 0, 0, place.width, place.height,
            place.rotate ? Poppler::Page::Rotate270 : Poppler::Page::Rotate0);
        if (drawn.isNull())
            return Status::Error(QStringLiteral("page %1 cannot be drawn").arg(index + 1));
        return drawn.convertToFormat(QImage::Format_Grayscale8);
    }

  private:
    std::unique_ptr<Poppler::Document> document_;
};

}  // namespace

Result<std::unique_ptr<ImportSource>> OpenPdfSource(const QString& path) {
    // Poppler reports what it repairs or refuses on stderr; failures reach the user as
    // messages instead.
    Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document) return Status::Error("the PDF file is damaged or incomplete");
    if (document->isLocked()) return Status::Error("the PDF file is protected by a password");
    if (document->numPages() <= 0) return Status::Error("the document has no pages");
    return std::unique_ptr<ImportSource>(new PdfSource(std::move(document)));
}

}  // namespace corvane
