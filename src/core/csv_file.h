#pragma once
// Comma-separated files as spreadsheet programs write them (RFC 4180): fields separated by
// commas, quoted with double quotes when they hold commas, quotes or line breaks, a quote
// inside a quoted field doubled; CRLF or LF between records.
//
// Reading accepts UTF-8 with or without a byte-order mark and, when the bytes are not valid
// UTF-8, Windows-1252 (what older spreadsheet programs save). Writing produces UTF-8 with a
// byte-order mark (so spreadsheet programs recognise it) and CRLF line ends.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/status.h"

namespace corvane {

struct CsvRecord {
    int line = 0;  // line number (from 1) where the record starts
    QStringList fields;
};

// Decodes the bytes of a text file: UTF-8 (a BOM is dropped) or else Windows-1252.
QString DecodeCsvText(const QByteArray& bytes);
// Splits decoded text into records. Fails (naming the line) on a quoted field that never ends.
Result<std::vector<CsvRecord>> ParseCsv(const QString& text);
Result<std::vector<CsvRecord>> ReadCsvFile(const QString& path);

QString CsvLine(const QStringList& fields);  // without the line end
// Writes the records through a new file renamed into place.
Status WriteCsvFile(const QString& path, const std::vector<QStringList>& records);

}  // namespace corvane
