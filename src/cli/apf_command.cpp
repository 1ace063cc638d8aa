// `corvane-cli apf ...`: looks into APF fax files and rearranges their pages.

#include <QFileInfo>

#include "cli/cli_commands.h"
#include "core/fax_errors.h"
#include "faxdoc/apf_page_data.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/bmp_file.h"
#include "faxdoc/fax_unpacker.h"
#include "faxdoc/t4_decoder.h"
#include "faxdoc/tiff_writer.h"

namespace corvane::cli {

namespace {

int usage() {
    err("usage: corvane-cli apf info FILE\n"
        "       corvane-cli apf export FILE OUT [--page N]   (.tif .pcx .dcx .bmp .pdf; without a "
        "page:\n"
        "                                       all pages into .tif .dcx .pdf, page 1 otherwise)\n"
        "       corvane-cli apf join OUT IN...\n"
        "       corvane-cli apf extract IN OUT FIRST LAST  (LAST -1: to the last page)\n"
        "       corvane-cli apf trim FILE\n"
        "       corvane-cli apf from-image IMAGE OUT.apf [--fine] [--margin N]");
    return 2;
}

bool toInt(const QString& text, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

QString flagsText(quint16 flags) {
    QStringList parts;
    parts << ((flags & kApfHighRes) ? "fine" : "standard");
    parts << ((flags & kApfWideWidth) ? "2048" : "1728");
    parts << ((flags & kApfLineRecords) ? "line-records" : "stream");
    return parts.join(' ');
}

int info(const QStringList& args) {
    if (args.size() != 1) return usage();
    const QString path = args[0];
    const ApfFileHeader header = ReadApfFileHeader(path);
    out(QString("pages: %1").arg(header.pageCount));
    out(QString("station: \"%1\"").arg(header.stationId()));
    // One walk along the chain, so that a hostile page count cannot make this quadratic.
    struct CountOnly : T4LineSink {
        void acceptLine(const uchar*, int) override {}
    } sink;
    T4Decoder decoder(sink);
    ApfPageDataReader reader;
    for (int page = 1; page <= header.pageCount; ++page) {
        try {
            if (page == 1)
                reader.open(path, 1);
            else
                reader.nextPage();
        } catch (const EFaxError& e) {
            out(QString("page %1: %2").arg(page).arg(e.text()));
            return 1;
        }
        const ApfPageHeader ph = reader.pageHeader();
        decoder.reset();
        QString decoded;
        try {
            DecodeApfPageData(reader, decoder);
            decoded = QString("%1 lines, %2 bad codes")
                          .arg(decoder.acceptedLines())
                          .arg(decoder.badCodes());
        } catch (const EFaxError& e) {
            decoded = QString("%1 after %2 lines").arg(e.text()).arg(decoder.acceptedLines());
        }
        out(QString("page %1: flags 0x%2 (%3), image length %4, %5")
                .arg(page)
                .arg(ph.imageFlags, 4, 16, QChar('0'))
                .arg(flagsText(ph.imageFlags))
                .arg(ph.imageLength)
                .arg(decoded));
    }
    return 0;
}

int exportFile(QStringList args) {
    int page = 0;
    const int pageOption = args.indexOf("--page");
    if (pageOption >= 0) {
        if (pageOption + 1 >= args.size() || !toInt(args[pageOption + 1], &page) || page < 1)
            return usage();
        args.remove(pageOption, 2);
    }
    if (args.size() != 2) return usage();
    const QString in = args[0];
    const QString target = args[1];
    const QString extension = QFileInfo(target).suffix().toLower();
    if (extension == "pdf") return runApfExportPdf(in, target, page);
    TFxFaxUnpacker unpacker;
    unpacker.setInFileName(in);
    unpacker.setOutFileName(target);
    unpacker.setOptions(0);
    // Square pixels in the exported image: standard pages are shown at double height.
    unpacker.setAutoScaleMode(asDoubleHeight);
    const int exportPage = page > 0 ? page : 1;
    if (extension == "dcx") {
        page > 0 ? unpacker.UnpackPageToDcx(page) : unpacker.UnpackFileToDcx();
    } else if (extension == "pcx") {
        unpacker.UnpackPageToPcx(exportPage);
    } else if (extension == "tif" || extension == "tiff") {
        // A complete multi-page file (the unpacker's own TIFF is a building block for the
        // export window and may lack a valid next-directory offset).
        QList<QImage> images;
        const int first = page > 0 ? page : 1;
        const int last = page > 0 ? page : unpacker.NumPages();
        for (int p = first; p <= last; ++p) {
            QImage image = unpacker.UnpackPageToBitmap(p);
            if (image.isNull()) {
                image = QImage(kFaxWidthNormal, 1, QImage::Format_Mono);
                image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
                image.fill(1);
            }
            images << image;
        }
        WriteTiffPages(images, target);
    } else if (extension == "bmp") {
        const QImage image = unpacker.UnpackPageToBitmap(exportPage);
        if (image.isNull()) {
            err("corvane-cli apf export: the page has no lines");
            return 1;
        }
        if (const Status written = WriteMonoBmp(image, target); !written) {
            err("corvane-cli apf export: " + written.message());
            return 1;
        }
    } else {
        err("corvane-cli apf export: unknown output type \"" + extension + "\"");
        return 2;
    }
    out(target);
    return 0;
}

int join(const QStringList& args) {
    if (args.size() < 2) return usage();
    JoinApfFiles(args.mid(1), args[0]);
    out(QString("%1: %2 pages").arg(args[0]).arg(GetApfPageCount(args[0])));
    return 0;
}

int extract(const QStringList& args) {
    int first = 0, last = 0;
    if (args.size() != 4 || !toInt(args[2], &first) || !toInt(args[3], &last)) return usage();
    if (!ExtractApfPages(args[0], args[1], first, last)) {
        err("corvane-cli apf extract: cannot extract those pages");
        return 1;
    }
    out(QString("%1: %2 pages").arg(args[1]).arg(GetApfPageCount(args[1])));
    return 0;
}

int trim(const QStringList& args) {
    if (args.size() != 1) return usage();
    int total = 0;
    CountDecodablePages(args[0], &total);
    const int kept = TrimToDecodablePages(args[0], false);
    out(QString("%1: %2 of %3 pages kept").arg(args[0]).arg(kept).arg(total));
    return kept > 0 ? 0 : 1;
}

}  // namespace

int runApfCommand(const QStringList& args) {
    if (args.isEmpty()) return usage();
    const QString sub = args[0];
    const QStringList rest = args.mid(1);
    try {
        if (sub == "info") return info(rest);
        if (sub == "export") return exportFile(rest);
        if (sub == "join") return join(rest);
        if (sub == "extract") return extract(rest);
        if (sub == "trim") return trim(rest);
        if (sub == "from-image") return runApfFromImage(rest);
    } catch (const EFaxError& e) {
        err("corvane-cli apf " + sub + ": " + e.text());
        return 1;
    }
    return usage();
}

}  // namespace corvane::cli
