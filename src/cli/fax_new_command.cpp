// `fax new ...` and `fax edit RECNO ...`: an outgoing fax made or changed as the editor window
// saves it (EditFaxSession), documents attached through the same import.

#include <QFile>
#include <optional>

#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "logs/fax_data_module.h"
#include "core/settings.h"
#include "core/windows1252.h"
#include "covers/cover_generator.h"
#include "covers/cover_template_files.h"
#include "covers/shipped_templates.h"
#include "sending/edit_logic/edit_fax_session.h"
#include "sending/import/document_import.h"

namespace corvane::cli {

namespace {

int usage() {
    err("usage: corvane-cli fax new --to NUMBER [--name NAME] [--subject S] [--notes N]\n"
        "           [--codes C] [--cover TEMPLATE] [--message-file FILE | --message TEXT]\n"
        "           [--urgent] [--for-review] [--please-comment] [--please-reply]\n"
        "           [--please-recycle] [FILE...]\n"
        "       corvane-cli fax edit RECNO [the same options] [--no-pages] [FILE...]\n"
        "  FILE      PDF, PostScript, TIFF, PNG, JPEG, BMP or PBM pages to attach (after the\n"
        "            fax's own pages when editing; --no-pages drops those first)\n"
        "  --name    the recipient's name; a new fax without one is addressed to NUMBER\n"
        "  --message \"\" removes the cover page; a fax needs a message, pages or both.\n"
        "  Prints the record number of the fax in the outgoing log.");
    return 2;
}

struct Changes {
    std::optional<QString> to, name, subject, notes, codes, cover, message;
    ImportanceFlags flags{};
    bool flagsGiven = false;
    bool dropPages = false;
    QStringList files;
};

// False on a usage error (already reported).
bool ParseChanges(const QStringList& args, Changes& c) {
    static const QStringList kFlagOptions{"--urgent", "--for-review", "--please-comment",
                                          "--please-reply", "--please-recycle"};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](std::optional<QString>& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--to")
            ok = value(c.to);
        else if (a == "--name")
            ok = value(c.name);
        else if (a == "--subject")
            ok = value(c.subject);
        else if (a == "--notes")
            ok = value(c.notes);
        else if (a == "--codes")
            ok = value(c.codes);
        else if (a == "--cover")
            ok = value(c.cover);
        else if (a == "--message") {
            if (c.message) return false;
            ok = value(c.message);
        } else if (a == "--message-file") {
            std::optional<QString> path;
            if (c.message || !value(path)) return false;
            QFile file(*path);
            if (!file.open(QIODevice::ReadOnly)) {
                err("corvane-cli fax: " + *path + ": " + file.errorString());
                return false;
            }
            c.message = DecodeUtf8OrWindows1252(file.readAll());
        } else if (kFlagOptions.contains(a)) {
            c.flags[size_t(kFlagOptions.indexOf(a))] = true;
            c.flagsGiven = true;
        } else if (a == "--no-pages") {
            c.dropPages = true;
        } else if (a.startsWith("--")) {
            return false;
        } else {
            c.files << a;
        }
        if (!ok) return false;
    }
    return true;
}

int Run(bool isNew, quint32 recno, const Changes& c) {
    LoadSettings();
    if (const Status installed = InstallShippedTemplates(); !installed.ok())
        err("corvane-cli: " + installed.message());
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    if (!isNew && !fdm.FaxTable.go(recno)) {
        err(QStringLiteral("corvane-cli fax: there is no outgoing fax %1").arg(recno));
        return 1;
    }
    if (!isNew && fdm.FaxTable.deleted()) {
        err(QStringLiteral("corvane-cli fax: outgoing fax %1 is deleted").arg(recno));
        return 1;
    }
    EditFaxSession session(fdm, isNew);
    if (const Status opened = session.open(); !opened.ok()) {
        err("corvane-cli fax: " + opened.message());
        return 1;
    }
    EditFaxFields& f = session.fields;
    if (c.to) f.RecipientFax = *c.to;
    if (c.name) f.Recipient = *c.name;
    // A fax made from the command line is addressed to its number when no name is given.
    if (isNew && !c.name) f.Recipient = f.RecipientFax;
    if (c.subject) f.Regarding = *c.subject;
    if (c.notes) f.Notes = *c.notes;
    if (c.codes) f.Codes = *c.codes;
    if (c.message) f.FaxMessage = *c.message;
    if (c.flagsGiven) f.flags = c.flags;
    if (c.cover) {
        const QString render = RenderFileNameFor(*c.cover);
        if (LocateTemplate(render).isEmpty()) {
            err("corvane-cli fax: no cover template \"" + *c.cover + "\" (see cover list)");
            return 1;
        }
        session.chooseTemplate(render);
    }
    if (c.dropPages && QFile::exists(session.workingDocument())) {
        QFile::remove(session.workingDocument());
        session.documentEdited();
    }
    if (!c.files.isEmpty()) {
        DocumentImport import;
        if (const Status attached = session.attachDocuments(c.files, import); !attached.ok()) {
            err("corvane-cli fax: " + attached.message());
            return 1;
        }
    }
    if (const auto refusal = session.validate()) {
        err("corvane-cli fax: " + refusal->message);
        return 1;
    }
    if (const Status saved = session.save(); !saved.ok()) {
        err("corvane-cli fax: " + saved.message());
        return 1;
    }
    if (isNew) {
        if (const Status s = SaveSettings(); !s.ok()) err("corvane-cli: " + s.message());
    }
    out(QString::number(session.recordNumber()));
    return 0;
}

}  // namespace

int runFaxNewOrEdit(const QStringList& args) {
    const bool isNew = args.value(0) == "new";
    Changes changes;
    quint32 recno = 0;
    QStringList rest = args.mid(1);
    if (!isNew) {
        bool ok = false;
        recno = rest.value(0).toUInt(&ok);
        if (!ok || recno == 0) return usage();
        rest.removeFirst();
    }
    if (!ParseChanges(rest, changes)) return usage();
    if (isNew && (!changes.to || changes.dropPages)) return usage();
    return Run(isNew, recno, changes);
}

}  // namespace corvane::cli
