// `corvane-cli phonebook import|export FILE.csv`: the phone book to and from CSV files with
// the header row "Name,Fax Number".

#include "cli/cli_commands.h"
#include "logs/fax_data_module.h"
#include "logs/phone_book_csv.h"

namespace corvane::cli {

int runPhoneBookCommand(const QStringList& args) {
    if (args.size() != 2 || (args[0] != "import" && args[0] != "export")) {
        err("usage: corvane-cli phonebook import FILE.csv   (adds the rows of a CSV file)\n"
            "       corvane-cli phonebook export FILE.csv   (writes every entry)");
        return 2;
    }
    TFDM fdm;
    if (args[0] == "export") {
        const Status status = ExportPhoneBookCsv(fdm, args[1]);
        if (!status) {
            err("corvane-cli: " + status.message());
            return 1;
        }
        return 0;
    }
    const auto report = ImportPhoneBookCsv(fdm, args[1]);
    if (!report) {
        err("corvane-cli: " + report.message());
        return 1;
    }
    for (const QString& line : report.value().skipped) err("skipped " + line);
    out(QString("%1 entries added, %2 already in the phone book, %3 skipped")
            .arg(report.value().added)
            .arg(report.value().alreadyThere)
            .arg(report.value().skipped.size()));
    return 0;
}

}  // namespace corvane::cli
