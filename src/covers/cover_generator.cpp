#include "covers/cover_generator.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include "core/app_folders.h"
#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "core/settings.h"
#include "covers/cover_renderer.h"
#include "covers/mono_reduce.h"
#include "covers/template_file_io.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/bmp_file.h"
#include "faxdoc/convert/fax_converter.h"

namespace corvane {

namespace {

constexpr int kDotsPerMetre96 = 3780;

QString NewCoverFileName() {
    // When every number is taken the last one is reused.
    return GetUniqueSendFileName(QStringLiteral("COV"))
        .value_or(SendFolder() + QStringLiteral("COV99999.APF"));
}

}  // namespace

CoverOptions CoverOptions::FromSettings() {
    CoverOptions o;
    o.addHalfInchLeftMargin = GlobalSettings().AddHalfInchLeftMargin;
    o.useAlternateCoverGenMethod = GlobalSettings().UseAlternateCoverGenMethod;
    return o;
}

QImage NewCoverCanvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.setDotsPerMeterX(kDotsPerMetre96);
    canvas.setDotsPerMeterY(kDotsPerMetre96);
    canvas.fill(Qt::white);
    return canvas;
}

QString LocateTemplate(const QString& templatePath) {
    if (templatePath.isEmpty()) return {};
    if (QFileInfo(templatePath).isFile()) return templatePath;
    const QString inCovers = ResolveName(CoversFolder(), QFileInfo(templatePath).fileName());
    if (QFileInfo(inCovers).isFile()) return inCovers;
    return {};
}

CoverData PreviewCoverData() {
    CoverData d;
    StampCoverData(d, QDateTime::currentDateTime());
    d.Regarding = QStringLiteral("Regarding");
    d.Recipient = QStringLiteral("Recipient Name");
    d.RecipientFax = QStringLiteral("Recipient Fax #");
    d.Sender = QStringLiteral("Your Name");
    d.SenderCompany = QStringLiteral("Your Company");
    d.SenderFax = QStringLiteral("Your Fax #");
    d.SenderVoice = QStringLiteral("Your voice #");
    d.Urgent = true;
    return d;
}

QStringList PreviewMessage() {
    return {QStringLiteral("Fax Message goes here"), QStringLiteral("Fax Message goes here"),
            QStringLiteral("Fax Message goes here etc...")};
}

Result<QString> CoverGenerator::ConvertCoverBitmap(const QString& outputPath, QImage bitmap) {
    TFxFaxConverter converter;
    converter.SetOptions(coYield);
    converter.SetResolution(frHigh);
    converter.SetLeftMargin(0);
    converter.SetOutFileName(outputPath.isEmpty() ? NewCoverFileName() : outputPath);
    // A black last pixel keeps the page's full extent through the converter.
    if (bitmap.format() != QImage::Format_Mono) bitmap = ThresholdToMonochrome(bitmap);
    bitmap.setPixel(bitmap.width() - 1, bitmap.height() - 1, 0);
    if (!options_.useAlternateCoverGenMethod) {
        try {
            converter.ConvertBitmapToApf(bitmap);
            return converter.OutputFileName();
        } catch (const EFaxError&) {
            // Retried through a BMP file below.
        }
    }
    const QString bmpPath = AppPath(QStringLiteral("LastCover.bmp"));
    if (Status written = WriteMonoBmp(bitmap, bmpPath); !written) return written;
    try {
        const QString out = converter.OutFileName();
        converter.SetDocumentFile(bmpPath);
        converter.SetOutFileName(out);
        converter.SetInputDocumentType(idBmp);
        converter.ConvertDocumentToApf();
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
    return converter.OutputFileName();
}

Result<QString> CoverGenerator::GenerateCover(const QString& outputPath,
                                              const QString& templatePath, const CoverData& data,
                                              const QStringList& message) {
    pages_.clear();
    warning_.clear();
    const int margin = options_.addHalfInchLeftMargin ? kHalfInchMargin : 0;
    CoverRenderer renderer(data, message, margin);
    QImage canvas = NewCoverCanvas(kCoverPageWidth, kCoverPageHeight);
    {
        const QString found = LocateTemplate(templatePath);
        QPainter painter(&canvas);
        if (found.isEmpty()) {
            warning_ =
                QStringLiteral("%1: no such template; the cover page is blank").arg(templatePath);
        } else {
            Result<QByteArray> bytes = ReadTemplateFile(found);
            if (!bytes.ok()) {
                warning_ = bytes.message();
            } else {
                const Status drawn = renderer.RenderTemplate(painter, bytes.value(), 1);
                if (!drawn.ok()) warning_ = found + QStringLiteral(": ") + drawn.message();
            }
        }
    }
    pages_.push_back(ThresholdToMonochrome(canvas));
    while (renderer.HasContinuation()) {
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            renderer.RenderContinuation(painter);
        }
        pages_.push_back(ThresholdToMonochrome(canvas));
    }
    if (pages_.size() == 1) return ConvertCoverBitmap(outputPath, pages_[0]);

    const QString finalPath = outputPath.isEmpty() ? NewCoverFileName() : outputPath;
    QStringList temporary;
    Result<QString> result = Status::Error(QString());
    for (size_t i = 0; i < pages_.size(); ++i) {
        const QString part = AppPath(QStringLiteral("_temp%1.apf").arg(i + 1));
        Result<QString> converted = ConvertCoverBitmap(part, pages_[i]);
        if (!converted.ok()) {
            result = converted.status();
            break;
        }
        temporary << converted.value();
    }
    if (temporary.size() == static_cast<qsizetype>(pages_.size())) {
        if (JoinApfFileList(finalPath, temporary))
            result = finalPath;
        else
            result = Status::Error(
                QStringLiteral("Could not join the cover pages into %1").arg(finalPath));
    }
    for (const QString& part : temporary) QFile::remove(part);  // failures do not matter
    return result;
}

Result<QImage> CoverGenerator::RenderPreviewImage(const QString& renderPath) {
    warning_.clear();
    const int margin = options_.addHalfInchLeftMargin ? kHalfInchMargin : 0;
    CoverRenderer renderer(PreviewCoverData(), PreviewMessage(), margin);
    QImage canvas = NewCoverCanvas(kPreviewWidth, kPreviewHeight);
    Result<QByteArray> bytes = ReadTemplateFile(renderPath);
    if (!bytes.ok()) return bytes.status();
    {
        QPainter painter(&canvas);
        const Status drawn = renderer.RenderTemplate(painter, bytes.value(), 2);
        if (!drawn.ok()) warning_ = renderPath + QStringLiteral(": ") + drawn.message();
    }
    return ThresholdToMonochrome(canvas);
}

Status CoverGenerator::RenderPreview(const QString& renderPath) {
    Result<QImage> preview = RenderPreviewImage(renderPath);
    if (!preview.ok()) return preview.status();
    return WriteFileReplacing(CompanionPath(renderPath, QStringLiteral(".bmp")),
                              EncodeMonoBmp(preview.value()));
}

}  // namespace corvane
