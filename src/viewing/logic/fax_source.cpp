#include "viewing/logic/fax_source.h"

#include <QFile>
#include <QFileInfo>

#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/bmp_file.h"
#include "faxdoc/convert/fax_converter.h"
#include "faxdoc/fax_unpacker.h"
#include "faxdoc/mono_bitmap.h"
#include "faxdoc/pcx_writer.h"
#include "faxdoc/tiff_writer.h"
#include "viewing/logic/tiff_pages.h"

namespace corvane {

namespace {

// The unpacker reports a missing file only when it first reads; say so before.
void requireFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) ThrowOpenError(path);
}

Status statusOf(const EFaxError& e) {
    return Status::Error(e.text());
}

}  // namespace

int FaxPageCount(const QString& path) {
    requireFile(path);
    return ReadApfFileHeader(path).pageCount;
}

FaxPageInfo FaxPage(const QString& path, int page) {
    requireFile(path);
    const ApfPageHeader header = ReadApfPageHeader(path, page);
    return FaxPageInfo{header.isHighRes(), header.isWide()};
}

QImage DecodeFaxPage(const QString& path, int page, StandardPages standard) {
    requireFile(path);
    TFxFaxUnpacker unpacker;
    unpacker.setInFileName(path);
    unpacker.setOptions(0);
    unpacker.setAutoScaleMode(standard == StandardPages::DoubleHeight ? asDoubleHeight : asNone);
    QImage image = unpacker.UnpackPageToBitmap(page);
    if (image.isNull()) {
        const FaxPageInfo info = FaxPage(path, page);
        image = QImage(info.width(), 1, QImage::Format_Mono);
        image.setColorTable(PageColorTable());
        image.fill(1);
    }
    return image;
}

Status WriteBmpImage(const QImage& page, const QString& path) {
    return WriteMonoBmp(page, path);
}

Status WritePcxImage(const QImage& page, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Status::Error(file.errorString());
    try {
        WritePcx(file, page);
    } catch (const EFaxError& e) {
        file.close();
        file.remove();
        return statusOf(e);
    }
    return Status::Ok();
}

Status WriteDcxImages(const QList<QImage>& pages, const QString& path) {
    try {
        DcxWriter dcx;
        dcx.open(path);
        for (const QImage& page : pages) dcx.addPage(page);
        dcx.close();
    } catch (const EFaxError& e) {
        return statusOf(e);
    }
    return Status::Ok();
}

Status WriteTiffImages(const QList<QImage>& pages, const QString& path) {
    try {
        WriteTiffPages(pages, path);
    } catch (const EFaxError& e) {
        return statusOf(e);
    }
    return Status::Ok();
}

Status WriteFaxPages(const QList<TiffFaxPage>& pages, const QString& path) {
    if (pages.isEmpty()) return Status::Error("No pages to write");
    QStringList parts;
    auto removeParts = [&parts] {
        for (const QString& part : parts) QFile::remove(part);  // work files only
    };
    try {
        for (int i = 0; i < pages.size(); ++i) {
            const QString part = QString("%1.part%2.apf").arg(path).arg(i + 1);
            TFxFaxConverter converter;
            converter.SetOptions(0);
            converter.SetLeftMargin(0);
            converter.SetResolution(pages[i].fine ? frHigh : frNormal);
            converter.SetWidth(pages[i].image.width() > kFaxWidthNormal ? fwWide : fwNormal);
            converter.SetOutFileName(part);
            converter.ConvertBitmapToApf(pages[i].image);
            parts << part;
        }
        if (parts.size() == 1) {
            QFile::remove(path);
            if (!QFile::rename(parts[0], path)) {
                removeParts();
                return Status::Error("Cannot write " + path);
            }
            return Status::Ok();
        }
        JoinApfFiles(parts, path);
    } catch (const EFaxError& e) {
        removeParts();
        return statusOf(e);
    }
    removeParts();
    return Status::Ok();
}

bool JoinFaxFiles(const QString& destination, const QString& first, const QString& second) {
    try {
        return JoinTwoApfFiles(destination, first, second);
    } catch (const EFaxError&) {
        return false;
    }
}

CoverAndDocument CombineCoverAndDocument(const QString& cover, const QString& document) {
    const bool haveCover = !cover.isEmpty() && QFileInfo(cover).isFile();
    const bool haveDocument = !document.isEmpty() && QFileInfo(document).isFile();
    CoverAndDocument result;
    if (haveCover && haveDocument) {
        // Without a free work name there is nothing to show, as after a failed join.
        result.workFile = GetUniqueWorkFileName("Temp").value_or(QString());
        if (!result.workFile.isEmpty() && JoinFaxFiles(result.workFile, cover, document))
            result.file = result.workFile;
    } else if (haveDocument) {
        result.file = document;
    } else if (haveCover) {
        result.file = cover;
    }
    return result;
}

}  // namespace corvane
