// corvane-cli log report ... and log cleanup ...: the log report to a PDF file and the log
// cleanup without windows, over the same classes the windows use.

#include <QDate>
#include <optional>

#include "cli/cli_commands.h"
#include "core/locale_formats.h"
#include "logs/fax_data_module.h"
#include "logs/rebuild_indexes.h"
#include "logwindow/logic/log_cleanup_scan.h"
#include "logwindow/logic/log_report.h"

namespace corvane::cli {

namespace {

const char* const kUsage =
    "usage: corvane-cli log report out|in [--selection all|unsent|sent|archived|non-archived]\n"
    "           [--after DATE | --before DATE | --month YYYY-MM] [--sort date|subject|recipient|"
    "codes|from]\n"
    "           [--shade] OUT.pdf            (DATE as YYYY-MM-DD)\n"
    "       corvane-cli log cleanup out|in --action archive|unarchive|delete\n"
    "           (--before DATE | --where FIELD=TEXT [--exact]) [--yes]\n"
    "           lists the matching faxes; with --yes applies the action to all of them\n"
    "           (FIELD: FROM for in, RECIPIENT or PHONE for out)";

int usage() {
    err(kUsage);
    return 2;
}

bool parseLog(const QString& which, LogKind& log) {
    if (which == "out")
        log = LogKind::Outgoing;
    else if (which == "in")
        log = LogKind::Incoming;
    else
        return false;
    return true;
}

// The index of `name` in `entries`, matched against the words after "Only"/"by" ("sent" is
// "Only Sent Faxes", "from" is "by From"); -1 when none.
int entryIndex(const QStringList& keys, const QString& name) {
    return int(keys.indexOf(name.toLower()));
}

int report(const QStringList& args) {
    ReportChoices c;
    c.shade = false;
    if (!parseLog(args.value(0), c.log)) return usage();
    QString target;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--selection" && hasValue) {
            const QStringList keys = c.log == LogKind::Outgoing
                                         ? QStringList{"all", "unsent", "sent", "archived"}
                                         : QStringList{"all", "non-archived", "archived"};
            const int n = entryIndex(keys, args[++i]);
            if (n < 0) return usage();
            (c.log == LogKind::Outgoing ? c.selectionOut : c.selectionIn) = n;
        } else if ((a == "--after" || a == "--before") && hasValue) {
            c.range = a == "--after" ? ReportRange::After : ReportRange::Before;
            c.date = QDate::fromString(args[++i], "yyyy-MM-dd");
            if (!c.date.isValid()) return usage();
        } else if (a == "--month" && hasValue) {
            c.range = ReportRange::Month;
            c.date = QDate::fromString(args[++i] + "-01", "yyyy-MM-dd");
            if (!c.date.isValid()) return usage();
        } else if (a == "--sort" && hasValue) {
            const QStringList keys = c.log == LogKind::Outgoing
                                         ? QStringList{"date", "subject", "recipient", "codes"}
                                         : QStringList{"date", "from"};
            c.sort = entryIndex(keys, args[++i]);
            if (c.sort < 0) return usage();
        } else if (a == "--shade") {
            c.shade = true;
        } else if (!a.startsWith("--") && target.isEmpty()) {
            target = a;
        } else {
            return usage();
        }
    }
    if (target.isEmpty()) return usage();
    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    xbase::XbaseTable& table = c.log == LogKind::Outgoing ? fdm.FaxTable : fdm.RecTable;
    LogReport report(table, c.log, BuildReportQuery(c, GlobalLocaleFormats()), c.shade,
                     QDate::currentDate(), GlobalLocaleFormats());
    if (const Status s = report.select(); !s.ok()) {
        err("corvane-cli: " + s.message());
        return 1;
    }
    PdfFileOutput pdf(target);
    ReportEngine engine(pdf);
    if (const Status s = report.print(engine); !s.ok()) {
        err("corvane-cli: " + s.message());
        return 1;
    }
    out(QString("%1 faxes, %2 pages: %3")
            .arg(report.recordCount())
            .arg(engine.pagesDone())
            .arg(target));
    return 0;
}

int cleanup(const QStringList& args) {
    LogKind log;
    if (!parseLog(args.value(0), log)) return usage();
    std::optional<CleanupAction> action;
    QString condition, field, text;
    bool date = false, exact = false, yes = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--action" && hasValue) {
            const QString name = args[++i];
            if (name == "archive")
                action = CleanupAction::Archive;
            else if (name == "unarchive")
                action = CleanupAction::Unarchive;
            else if (name == "delete")
                action = CleanupAction::Delete;
            else
                return usage();
        } else if (a == "--before" && hasValue && condition.isEmpty() && field.isEmpty()) {
            const QDate d = QDate::fromString(args[++i], "yyyy-MM-dd");
            if (!d.isValid()) return usage();
            condition = DateConditionExpression(log, d);
            date = true;
        } else if (a == "--where" && hasValue && condition.isEmpty() && field.isEmpty()) {
            const QString where = args[++i];
            const qsizetype eq = where.indexOf('=');
            if (eq <= 0) return usage();
            field = where.left(eq).toUpper();
            text = where.mid(eq + 1);
            const QStringList fields =
                log == LogKind::Outgoing ? QStringList{"RECIPIENT", "PHONE"} : QStringList{"FROM"};
            if (!fields.contains(field)) return usage();
            if (text.trimmed().isEmpty()) {
                err("corvane-cli: Please enter a value");
                return 2;
            }
        } else if (a == "--exact") {
            exact = true;
        } else if (a == "--yes") {
            yes = true;
        } else {
            return usage();
        }
    }
    if (!action || (condition.isEmpty() && field.isEmpty())) return usage();
    if (!field.isEmpty()) condition = TextConditionExpression(field, text, exact);

    TFDM fdm;
    if (!fdm.OpenFaxLogs()) return 1;
    xbase::XbaseTable& table = log == LogKind::Outgoing ? fdm.FaxTable : fdm.RecTable;
    CleanupScan listing(table, log, *action, condition, date);
    if (const Status s = listing.begin(); !s.ok()) {
        err("corvane-cli: " + s.message());
        return 1;
    }
    while (listing.nextMatch()) {
        const ReportRecord r = ReadReportRecord(log, table);
        out(QString("%1\t%2\t%3\t%4").arg(table.recNo()).arg(r.when, r.party, r.about));
        listing.choose(ReviewChoice::Skip);
    }
    listing.finish();
    const QString verb = CleanupActionName(*action).toLower();
    if (!yes) {
        out(QString("%1 matches; nothing changed (add --yes to %2 them)")
                .arg(listing.matchNumber())
                .arg(verb));
        return 0;
    }
    CleanupScan scan(table, log, *action, condition, date);
    (void)scan.begin();  // the same expression was valid a moment ago
    if (scan.nextMatch()) scan.choose(ReviewChoice::RemainingMatches);
    scan.finish();
    out(scan.summary());
    if (!scan.error().isEmpty()) {
        err("corvane-cli: " + scan.error());
        return 1;
    }
    if (scan.anyDeleted()) {
        // As the window does after a cleanup that deleted: the records leave the files.
        RebuildIndexes rebuild;
        if (!rebuild.run(fdm)) {
            err("corvane-cli: the indexes could not be rebuilt");
            return 1;
        }
    }
    return 0;
}

}  // namespace

int runLogMaintenanceCommand(const QString& verb, const QStringList& args) {
    if (verb == "report") return report(args);
    if (verb == "cleanup") return cleanup(args);
    return usage();
}

}  // namespace corvane::cli
