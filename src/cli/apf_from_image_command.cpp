// `corvane-cli apf from-image IMAGE OUT.apf [--fine] [--margin N]`: one fax page from a
// picture file (netpbm, BMP, anything Qt reads), through the same converter that writes
// cover pages. One-bit pictures
// keep their pixels; others are reduced with the converter's ordered threshold.

#include "cli/cli_commands.h"
#include "core/fax_errors.h"
#include "faxdoc/convert/fax_converter.h"
#include "faxdoc/convert/picture_file.h"

namespace corvane::cli {

namespace {

int usage() {
    err("usage: corvane-cli apf from-image IMAGE OUT.apf [--fine] [--margin N]\n"
        "  --fine      fine resolution (one picture row per fax line at 196 lines per inch)\n"
        "  --margin N  white pixels in front of every line (default 0)");
    return 2;
}

}  // namespace

int runApfFromImage(const QStringList& arguments) {
    QStringList args = arguments;
    if (!args.isEmpty() && args.first() == QLatin1String("from-image")) args.removeFirst();

    QStringList files;
    bool fine = false;
    int margin = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--fine")) {
            fine = true;
        } else if (arg == QLatin1String("--margin")) {
            bool ok = false;
            margin = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (!ok || margin < 0 || margin >= 1728) return usage();
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usage();
        } else {
            files << arg;
        }
    }
    if (files.size() != 2) return usage();

    const Result<QImage> picture = ReadPictureFile(files[0]);
    if (!picture.ok()) {
        err(picture.message());
        return 1;
    }
    const QImage& image = picture.value();

    TFxFaxConverter converter;
    converter.SetOptions(0);
    converter.SetResolution(fine ? frHigh : frNormal);
    converter.SetLeftMargin(margin);
    converter.SetOutFileName(files[1]);
    try {
        converter.ConvertBitmapToApf(image);
    } catch (const EFaxError& e) {
        err(converter.OutputFileName() + ": " + e.text());
        return 1;
    }
    out(QStringLiteral("%1: 1 page, %2 lines, %3 resolution")
            .arg(converter.OutputFileName())
            .arg(image.height())
            .arg(fine ? QStringLiteral("fine") : QStringLiteral("standard")));
    return 0;
}

}  // namespace corvane::cli
