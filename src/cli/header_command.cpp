// `corvane-cli header TEMPLATE --page P --pages N [--fine] [--fax-font] OUT.png`: renders the
// fax header line of one page as the send engine codes it, so a person can look at it. The
// picture is 1728 pixels wide, one picture row per fax line, with the 50-pixel margin.

#include <QGuiApplication>
#include <QImage>

#include "cli/cli_commands.h"
#include "core/fax_errors.h"
#include "faxdoc/convert/header_line.h"
#include "faxdoc/convert/header_renderer.h"

namespace corvane::cli {

namespace {

int usage() {
    err("usage: corvane-cli header TEMPLATE --page P --pages N [--fine] [--fax-font]\n"
        "                          [--sender TEXT] [--station TEXT] [--recipient TEXT] OUT.png\n"
        "  TEMPLATE    header text with $F $I $R $S $D $T $P $N\n"
        "  --fine      fine page (rows doubled)\n"
        "  --fax-font  the built-in fax font instead of the system font");
    return 2;
}

// Dots per metre of fax pixels: 204 dpi across, 98 or 196 lines per inch.
constexpr int kFaxDotsPerMetreX = 8031;
constexpr int kStandardLinesPerMetre = 3858;
constexpr int kFineLinesPerMetre = 7717;

}  // namespace

int runHeaderCommand(const QStringList& args) {
    HeaderLineValues values;
    QString templateText;
    QString outFile;
    bool haveTemplate = false;
    bool fine = false;
    bool faxFont = false;
    bool havePage = false;
    bool havePages = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto next = [&](QString& target) {
            if (i + 1 >= args.size()) return false;
            target = args[++i];
            return true;
        };
        auto nextNumber = [&](int& target) {
            QString text;
            bool ok = false;
            if (next(text)) target = text.toInt(&ok);
            return ok;
        };
        if (arg == QLatin1String("--fine")) {
            fine = true;
        } else if (arg == QLatin1String("--fax-font")) {
            faxFont = true;
        } else if (arg == QLatin1String("--page")) {
            if (!(havePage = nextNumber(values.page))) return usage();
        } else if (arg == QLatin1String("--pages")) {
            if (!(havePages = nextNumber(values.pageCount))) return usage();
        } else if (arg == QLatin1String("--sender")) {
            if (!next(values.sender)) return usage();
        } else if (arg == QLatin1String("--station")) {
            if (!next(values.stationId)) return usage();
        } else if (arg == QLatin1String("--recipient")) {
            if (!next(values.recipient)) return usage();
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usage();
        } else if (!haveTemplate) {
            templateText = arg;
            haveTemplate = true;
        } else if (outFile.isEmpty()) {
            outFile = arg;
        } else {
            return usage();
        }
    }
    if (!haveTemplate || outFile.isEmpty() || !havePage || !havePages) return usage();
    if (!faxFont && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        err("corvane-cli header: system fonts need a GUI application object; use --fax-font");
        return 1;
    }

    const QString text = ExpandHeaderLine(templateText, values);
    std::vector<QByteArray> rows;
    try {
        auto renderer = MakeHeaderLineRenderer(faxFont);
        renderer->LoadForPage(fine);
        rows = RenderHeaderRows(*renderer, text);
    } catch (const EFaxError& e) {
        err("corvane-cli header: " + e.text());
        return 1;
    }

    QImage image(kHeaderLineWidth, static_cast<int>(rows.size()), QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < image.height(); ++y) {
        const auto* raster =
            reinterpret_cast<const uchar*>(rows[static_cast<size_t>(y)].constData());
        uchar* line = image.scanLine(y);
        // The coder sends the margin and then the first 1678 raster pixels.
        for (int x = 0; x < kHeaderLineWidth - kHeaderLeftMargin; ++x) {
            if (raster[x / 8] & (0x80 >> (x % 8))) line[kHeaderLeftMargin + x] = 0;
        }
    }
    QImage mono = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    mono.setDotsPerMeterX(kFaxDotsPerMetreX);
    mono.setDotsPerMeterY(fine ? kFineLinesPerMetre : kStandardLinesPerMetre);
    if (!mono.save(outFile, "PNG")) {
        err("corvane-cli header: cannot write " + outFile);
        return 1;
    }
    out(text);
    out(QStringLiteral("%1 rows").arg(rows.size()));
    return 0;
}

}  // namespace corvane::cli
