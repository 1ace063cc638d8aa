#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"
#include "logs/rebuild_indexes.h"
#include "xbase/text_encoding.h"

namespace corvane::cli {

namespace {

using xbase::XbaseTable;

const char* const kUsage =
    "usage: corvane-cli log list out|in|pb [--tag TAG] [--filter EXPR]\n"
    "           one record a line: RECNO, then the fields in file order, tab-separated;\n"
    "           record order unless --tag names an index tag\n"
    "       corvane-cli log add out 'SUBJECT|RECIPIENT|PHONE|FAXDOC|FAXCOVER|NOTES|CODES'\n"
    "       corvane-cli log add in 'DATE(yyyymmdd)|TIME|FROM|PAGES|FAXFILE'\n"
    "       corvane-cli log delete out|in RECNO\n"
    "       corvane-cli log pack\n"
    "       corvane-cli log report ... | log cleanup ...   (each alone shows its usage)";

int usage() {
    err(kUsage);
    return 2;
}

QString fieldForOutput(const XbaseTable& t, const xbase::FieldDef& f) {
    switch (f.type) {
        case 'D': {
            const QDate d = t.fieldDate(f.name);
            return d.isValid() ? d.toString("yyyyMMdd") : QString();
        }
        case 'L':
            return t.fieldLogical(f.name) ? "T" : "F";
        default:
            return t.fieldText(f.name).trimmed();
    }
}

XbaseTable* logTable(TFDM& fdm, const QString& which) {
    if (which == "out") return &fdm.FaxTable;
    if (which == "in") return &fdm.RecTable;
    return nullptr;
}

int list(const QStringList& args) {
    const QString which = args.value(0);
    if (which != "out" && which != "in" && which != "pb") return usage();
    QString tag, filter;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--tag" && i + 1 < args.size())
            tag = args[++i];
        else if (args[i] == "--filter" && i + 1 < args.size())
            filter = args[++i];
        else
            return usage();
    }
    TFDM fdm;
    XbaseTable* table;
    if (which == "pb") {
        // Listing must not create the phone book.
        if (!QFileInfo::exists(ResolveName(AppFolder(), kPhoneBookTableName))) return 0;
        if (!fdm.OpenPhoneBook(false)) {
            err("corvane-cli: cannot open the phone book");
            return 1;
        }
        table = &fdm.PhoneTable;
        table->setOrder(0);
    } else {
        if (!fdm.OpenFaxLogs()) return 1;
        table = logTable(fdm, which);
    }
    table->setOrder(0);
    // A tag whose stored keys differ from the table's is rebuilt when the table is held
    // exclusively; otherwise the listing says so once.
    table->setWarning([](const QString& message) { err("corvane-cli: warning: " + message); });
    if (!tag.isEmpty()) {
        const int order = table->tagArea(tag.toStdString());
        if (order == 0) {
            err("corvane-cli: no index tag \"" + tag + "\"");
            return 1;
        }
        table->setOrder(order);
    }
    if (auto matches = table->query(ToWindows1252(filter)); !matches) {
        err("corvane-cli: bad filter: " + matches.message());
        return 1;
    }
    for (bool ok = table->goTop(); ok; ok = table->skip(1)) {
        QStringList line{QString::number(table->recNo())};
        for (const auto& f : table->fields()) line << fieldForOutput(*table, f);
        out(line.join('\t'));
    }
    return 0;
}

int add(const QStringList& args) {
    const QString which = args.value(0);
    if ((which != "out" && which != "in") || args.size() < 2) return usage();
    const QStringList parts = args.mid(1).join(' ').split('|');
    if (!FitsWindows1252(parts.join(QString()))) {
        err("corvane-cli: warning: characters the log tables cannot hold (code page 1252) are "
            "stored as \"?\"");
    }
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    Status written;
    if (which == "out") {
        if (parts.size() > 7) return usage();
        written =
            fdm.AppendOutgoingFax({parts.value(0), parts.value(1), parts.value(2), parts.value(3),
                                   parts.value(4), parts.value(5), parts.value(6)});
    } else {
        if (parts.size() > 5) return usage();
        const QDate date = QDate::fromString(parts.value(0).trimmed(), "yyyyMMdd");
        bool pagesOk = true;
        const int pages =
            parts.value(3).trimmed().isEmpty() ? 0 : parts.value(3).trimmed().toInt(&pagesOk);
        if (!date.isValid() || !pagesOk || pages < 0) {
            err("corvane-cli: DATE must be yyyymmdd and PAGES a number");
            return 2;
        }
        written =
            fdm.AppendReceivedFax({date, parts.value(1), parts.value(2), pages, parts.value(4)});
    }
    XbaseTable* table = logTable(fdm, which);
    if (!written) {
        err("corvane-cli: " + written.message());
        return 1;
    }
    out(QString::number(table->recNo()));
    return 0;
}

int remove(const QStringList& args) {
    const QString which = args.value(0);
    bool numberOk = false;
    const uint recno = args.value(1).toUInt(&numberOk);
    if ((which != "out" && which != "in") || args.size() != 2 || !numberOk) return usage();
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    XbaseTable* table = logTable(fdm, which);
    if (!table->go(recno) || table->deleted()) {
        err(QString("corvane-cli: no record %1").arg(recno));
        return 1;
    }
    Status deleted = table->deleteRecord();
    if (deleted) deleted = table->commit();
    if (!deleted) {
        err("corvane-cli: " + deleted.message());
        return 1;
    }
    return 0;
}

int pack(const QStringList& args) {
    if (!args.isEmpty()) return usage();
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    RebuildIndexes rebuild;
    rebuild.onStatus = [](const QString& text) { out(text); };
    return rebuild.run(fdm) ? 0 : 1;
}

}  // namespace

int runLogCommand(const QStringList& args) {
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    // Like the program's first start, a data folder that does not exist yet is made.
    QDir().mkpath(AppFolder());
    if (verb == "list") return list(rest);
    if (verb == "add") return add(rest);
    if (verb == "delete") return remove(rest);
    if (verb == "pack") return pack(rest);
    if (verb == "report" || verb == "cleanup") return runLogMaintenanceCommand(verb, rest);
    return usage();
}

}  // namespace corvane::cli
