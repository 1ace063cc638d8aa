#pragma once
// Moving phone book entries to and from CSV files with the header row "Name,Fax Number", for
// contacts kept in spreadsheets and address books.

#include <QString>
#include <QStringList>

#include "core/status.h"

namespace corvane {

class TFDM;

struct PhoneBookImportReport {
    int added = 0;
    int alreadyThere = 0;  // the same name and number were in the phone book
    QStringList skipped;   // "line N: ..." for each row that was not taken
};

// Adds every row of the file (a leading header row is recognised and skipped). A row with an
// empty or over-long name or number is reported by its line number and skipped; every other
// row is added. Fails only when the file cannot be read or parsed, or the phone book cannot
// be opened.
Result<PhoneBookImportReport> ImportPhoneBookCsv(TFDM& fdm, const QString& path);
// Writes every entry in name order, with the header row.
Status ExportPhoneBookCsv(TFDM& fdm, const QString& path);

}  // namespace corvane
