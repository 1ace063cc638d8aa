// `corvane-cli cover ...`: lists the cover templates of the data folder, generates a cover
// file from one of them and draws a template's preview. The shipped templates are put into
// Covers/ first when it holds none, as the program does on its first start.

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "core/settings.h"
#include "covers/cover_generator.h"
#include "covers/cover_template_files.h"
#include "covers/cover_text.h"
#include "covers/shipped_templates.h"
#include "faxdoc/bmp_file.h"

namespace corvane::cli {

namespace {

int usage() {
    err("usage: corvane-cli cover list\n"
        "       corvane-cli cover render TEMPLATE [--data KEY=VALUE]... [--message-file FILE]\n"
        "                   [--urgent] [--for-review] [--please-comment] [--please-reply]\n"
        "                   [--please-recycle] OUT.apf [--png OUT.png]\n"
        "       corvane-cli cover preview TEMPLATE OUT.bmp\n"
        "  TEMPLATE  a template in Covers/ (qx0001.fct) or a path to a render file\n"
        "  KEY       Date, Time, Regarding, Recipient, RecipientFax, Sender, SenderCompany,\n"
        "            SenderFax, SenderVoice (Date and Time default to now)\n"
        "  --png     also writes the pages as pictures (OUT.png, OUT-2.png, ...)");
    return 2;
}

// The template's render file, found as given or in Covers/; empty (and a message) otherwise.
QString FindRenderFile(const QString& name) {
    const QString found = LocateTemplate(RenderFileNameFor(name));
    if (found.isEmpty()) err("corvane-cli: no cover template \"" + name + "\" (see cover list)");
    return found;
}

QString PagePictureName(const QString& png, int page) {
    if (page == 1) return png;
    const QFileInfo info(png);
    const QString folder = info.path() == "." ? QString() : info.path() + '/';
    return folder + info.completeBaseName() + QStringLiteral("-%1.").arg(page) + info.suffix();
}

int runList() {
    const auto entries = ListTemplates(CoversFolder());
    if (entries.empty()) out("(no templates in " + CoversFolder() + ")");
    for (const TemplateEntry& e : entries)
        out(QFileInfo(e.designPath).fileName() + "  " + e.description);
    return 0;
}

int runRender(const QStringList& args) {
    CoverData data;
    StampCoverData(data, QDateTime::currentDateTime());
    QStringList message;
    QString templateName, outFile, pngFile;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--data" && hasValue) {
            const QString pair = args[++i];
            const qsizetype eq = pair.indexOf('=');
            if (eq <= 0 || !data.setByName(pair.left(eq), pair.mid(eq + 1))) {
                err("corvane-cli: unknown cover field in \"" + pair + "\"");
                return usage();
            }
        } else if (arg == "--message-file" && hasValue) {
            QFile file(args[++i]);
            if (!file.open(QIODevice::ReadOnly)) {
                err("corvane-cli: " + file.fileName() + ": " + file.errorString());
                return 1;
            }
            message = SplitTextLines(QString::fromUtf8(file.readAll()));
        } else if (arg == "--png" && hasValue) {
            pngFile = args[++i];
        } else if (arg == "--urgent") {
            data.Urgent = true;
        } else if (arg == "--for-review") {
            data.ForReview = true;
        } else if (arg == "--please-comment") {
            data.PleaseComment = true;
        } else if (arg == "--please-reply") {
            data.PleaseReply = true;
        } else if (arg == "--please-recycle") {
            data.PleaseRecycle = true;
        } else if (arg.startsWith("--")) {
            return usage();
        } else if (templateName.isEmpty()) {
            templateName = arg;
        } else if (outFile.isEmpty()) {
            outFile = arg;
        } else {
            return usage();
        }
    }
    if (templateName.isEmpty() || outFile.isEmpty()) return usage();
    const QString renderFile = FindRenderFile(templateName);
    if (renderFile.isEmpty()) return 1;

    CoverGenerator generator;
    const Result<QString> written = generator.GenerateCover(outFile, renderFile, data, message);
    if (!written.ok()) {
        err("corvane-cli: " + written.message());
        return 1;
    }
    const int pages = static_cast<int>(generator.pages().size());
    out(QStringLiteral("%1: %2 page%3").arg(written.value()).arg(pages).arg(pages == 1 ? "" : "s"));
    if (!pngFile.isEmpty()) {
        for (int p = 1; p <= pages; ++p) {
            const QString name = PagePictureName(pngFile, p);
            if (!generator.pages()[p - 1].save(name, "PNG")) {
                err("corvane-cli: cannot write " + name);
                return 1;
            }
        }
    }
    if (!generator.warning().isEmpty()) {
        err("corvane-cli: " + generator.warning() + "; the cover holds what came before");
        return 1;
    }
    return 0;
}

int runPreview(const QStringList& args) {
    if (args.size() != 2) return usage();
    const QString renderFile = FindRenderFile(args[0]);
    if (renderFile.isEmpty()) return 1;
    CoverGenerator generator;
    const Result<QImage> preview = generator.RenderPreviewImage(renderFile);
    if (!preview.ok()) {
        err("corvane-cli: " + preview.message());
        return 1;
    }
    if (const Status written = WriteMonoBmp(preview.value(), args[1]); !written) {
        err("corvane-cli: " + args[1] + ": " + written.message());
        return 1;
    }
    if (!generator.warning().isEmpty()) {
        err("corvane-cli: " + generator.warning() + "; the preview holds what came before");
        return 1;
    }
    return 0;
}

}  // namespace

int runCoverCommand(const QStringList& args) {
    if (args.isEmpty()) return usage();
    LoadSettings();
    if (const Status installed = InstallShippedTemplates(); !installed.ok())
        err("corvane-cli: " + installed.message());
    const QString sub = args[0];
    if (sub == "list" && args.size() == 1) return runList();
    if (sub == "render") return runRender(args.mid(1));
    if (sub == "preview") return runPreview(args.mid(1));
    return usage();
}

}  // namespace corvane::cli
