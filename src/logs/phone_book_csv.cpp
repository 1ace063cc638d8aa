#include "logs/phone_book_csv.h"

#include "core/csv_file.h"
#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"

namespace corvane {

namespace {

const QStringList kHeader = {"Name", "Fax Number"};

bool isHeader(const QStringList& fields) {
    return fields.size() >= 2 &&
           fields[0].trimmed().compare(kHeader[0], Qt::CaseInsensitive) == 0 &&
           fields[1].trimmed().compare(kHeader[1], Qt::CaseInsensitive) == 0;
}

bool isBlank(const QStringList& fields) {
    for (const QString& f : fields)
        if (!f.trimmed().isEmpty()) return false;
    return true;
}

QString problemOf(const QString& name, const QString& number) {
    if (name.isEmpty()) return "the name is empty";
    if (number.isEmpty()) return "the fax number is empty";
    if (name.size() > kPhoneBookNameWidth)
        return QString("the name is longer than %1 characters").arg(kPhoneBookNameWidth);
    if (number.size() > kPhoneBookPhoneWidth)
        return QString("the fax number is longer than %1 characters").arg(kPhoneBookPhoneWidth);
    return {};
}

}  // namespace

Result<PhoneBookImportReport> ImportPhoneBookCsv(TFDM& fdm, const QString& path) {
    auto records = ReadCsvFile(path);
    if (!records) return records.status();
    PhoneBookImportReport report;
    bool first = true;
    for (const CsvRecord& r : records.value()) {
        const bool wasFirst = first;
        first = false;
        if (isBlank(r.fields) || (wasFirst && isHeader(r.fields))) continue;
        const QString name = r.fields.value(0).trimmed();
        const QString number = r.fields.value(1).trimmed();
        const QString problem = problemOf(name, number);
        if (!problem.isEmpty()) {
            report.skipped << QString("line %1: %2").arg(r.line).arg(problem);
            continue;
        }
        switch (fdm.AddPhoneBookEntry(name, number)) {
            case 0:
                ++report.added;
                break;
            case 2:
                ++report.alreadyThere;
                break;
            default:
                return Status::Error("Unable to open the phone book");
        }
    }
    return report;
}

Status ExportPhoneBookCsv(TFDM& fdm, const QString& path) {
    if (!fdm.OpenPhoneBook(false)) return Status::Error("Unable to open the phone book");
    std::vector<QStringList> rows{kHeader};
    xbase::XbaseTable& t = fdm.PhoneTable;
    for (bool ok = t.goTop(); ok && !t.eof(); ok = t.skip(1))
        rows.push_back({t.fieldText("NAME").trimmed(), t.fieldText("PHONE").trimmed()});
    fdm.ClosePhoneBook();
    return WriteCsvFile(path, rows);
}

}  // namespace corvane
