#include "sending/import/document_import.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <memory>

#include "core/fax_errors.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/t4_encoder.h"
#include "sending/import/import_geometry.h"
#include "sending/import/import_source.h"

namespace corvane {

namespace {

constexpr int kSniffBytes = 1024;

QString CannotAttach(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot attach \"%1\": %2").arg(QFileInfo(path).fileName(), reason);
}

bool StartsTiff(const QByteArray& head) {
    return head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)) ||
           head.startsWith(QByteArray("II+\0", 4)) || head.startsWith(QByteArray("MM\0+", 4));
}

}  // namespace

Result<DocumentKind> DetectDocumentKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Error(
            CannotAttach(path, "the file cannot be opened (" + file.errorString() + ")"));
    const QByteArray head = file.read(kSniffBytes);
    if (head.isEmpty()) return Status::Error(CannotAttach(path, "the file is empty"));
    // PDF allows junk before its signature; so does PostScript from some print drivers (a
    // PJL preamble), and DOS EPS files start with a binary header.
    if (head.contains("%PDF-")) return DocumentKind::Pdf;
    if (head.startsWith("%!") || head.startsWith(QByteArray("\xC5\xD0\xD3\xC6", 4)) ||
        head.contains("\n%!PS"))
        return DocumentKind::PostScript;
    if (StartsTiff(head)) return DocumentKind::Tiff;
    return DocumentKind::Picture;
}

QString ImportFileFilter() {
    return QStringLiteral(
        "Documents and pictures (*.pdf *.ps *.eps *.tif *.tiff *.png *.jpg *.jpeg *.bmp *.pbm "
        "*.pgm *.ppm *.gif);;PDF documents (*.pdf);;PostScript (*.ps *.eps);;TIFF (*.tif "
        "*.tiff);;Pictures (*.png *.jpg *.jpeg *.bmp *.pbm *.pgm *.ppm *.gif);;All files (*)");
}

bool DocumentImport::keepGoing(const ImportProgress& progress) {
    if (cancelled_) return false;
    if (onProgress_ && !onProgress_(progress)) cancelled_ = true;
    return !cancelled_;
}

Result<int> DocumentImport::Import(const QStringList& sources, const QString& target) {
    cancelled_ = false;
    if (sources.isEmpty()) return Status::Error("No file to attach");
    const Status cancelledStatus = Status::Error("Attaching was cancelled");
    // Written beside the target and renamed over it once complete.
    const QString partial = target + QStringLiteral(".part");
    ApfWriter writer;
    try {
        writer.CreateApfFile(partial);
        std::array<uchar, kMaxCompressedLineBytes> coded{};
        ImportProgress progress;
        progress.files = int(sources.size());
        for (const QString& path : sources) {
            ++progress.file;
            progress.fileName = QFileInfo(path).fileName();
            progress.page = progress.pages = 0;
            if (!keepGoing(progress)) {
                writer.AbandonApfFile();
                return cancelledStatus;
            }
            const Result<DocumentKind> kind = DetectDocumentKind(path);
            if (!kind.ok()) {
                writer.AbandonApfFile();
                return kind.status();
            }
            Result<std::unique_ptr<ImportSource>> source = Status::Error(QString());
            switch (kind.value()) {
                case DocumentKind::Pdf:
                    source = OpenPdfSource(path);
                    break;
                case DocumentKind::PostScript:
                    source = OpenPostScriptSource(path, [&] { return keepGoing(progress); });
                    break;
                case DocumentKind::Tiff:
                    source = OpenTiffSource(path);
                    break;
                case DocumentKind::Picture:
                    source = OpenPictureSource(path);
                    break;
            }
            if (cancelled_) {
                writer.AbandonApfFile();
                return cancelledStatus;
            }
            if (!source.ok()) {
                writer.AbandonApfFile();
                return Status::Error(CannotAttach(path, source.message()));
            }
            ImportSource& pages = *source.value();
            progress.pages = pages.pageCount();
            for (int i = 0; i < progress.pages; ++i) {
                progress.page = i + 1;
                if (!keepGoing(progress)) {
                    writer.AbandonApfFile();
                    return cancelledStatus;
                }
                const Result<QImage> grey = pages.page(i);
                if (!grey.ok()) {
                    writer.AbandonApfFile();
                    return Status::Error(CannotAttach(path, grey.message()));
                }
                const FaxRows rows = BinarizePage(grey.value(), tone_);
                writer.StartPage(kApfHighRes);
                for (int y = 0; y < rows.height; ++y) {
                    const int count =
                        CompressRasterLine(rows.row(y), kImportPageWidth, 0, coded.data());
                    writer.WriteLineRecord(reinterpret_cast<const char*>(coded.data()), count);
                }
                writer.FinishPage();
            }
        }
        const int written = writer.PageCount();
        writer.CloseApfFile(QString());
        QFile::remove(target);
        if (!QFile::rename(partial, target)) {
            QFile::remove(partial);
            return Status::Error("Cannot write " + target);
        }
        return written;
    } catch (const EFaxError& e) {
        writer.AbandonApfFile();
        return Status::Error("Cannot write " + target + ": " + e.text());
    }
}

}  // namespace corvane
