#include "core/csv_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace corvane {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes map to U+FFFD.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

}  // namespace

QString DecodeCsvText(const QByteArray& bytes) {
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(body.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(body);
    if (!utf8.hasError()) return text;
    return decodeCp1252(body);
}

Result<std::vector<CsvRecord>> ParseCsv(const QString& text) {
    std::vector<CsvRecord> records;
    CsvRecord record;
    QString field;
    int line = 1;
    int quoteLine = 0;
    bool inQuotes = false;
    bool fieldStarted = false;  // anything seen on the current record
    auto endField = [&] {
        record.fields << field;
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record = CsvRecord();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!fieldStarted) {
            record.line = line;
            fieldStarted = true;
        }
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"') {
            inQuotes = true;
            quoteLine = line;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord();
            ++line;
        } else {
            field += c;
        }
    }
    if (inQuotes)
        return Status::Error(
            QString("line %1: a quoted field is not closed before the end of the file")
                .arg(quoteLine));
    if (fieldStarted) endRecord();
    return records;
}

Result<std::vector<CsvRecord>> ReadCsvFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Error(QString("Cannot read %1: %2").arg(path, file.errorString()));
    return ParseCsv(DecodeCsvText(file.readAll()));
}

QString CsvLine(const QStringList& fields) {
    QStringList out;
    for (const QString& f : fields) {
        if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r') ||
            f.startsWith(' ') || f.endsWith(' ')) {
            QString quoted = f;
            quoted.replace('"', "\"\"");
            out << '"' + quoted + '"';
        } else {
            out << f;
        }
    }
    return out.join(',');
}

Status WriteCsvFile(const QString& path, const std::vector<QStringList>& records) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::Error(QString("Cannot write %1: %2").arg(path, file.errorString()));
    QByteArray bytes = "\xEF\xBB\xBF";
    for (const QStringList& r : records) bytes += CsvLine(r).toUtf8() + "\r\n";
    file.write(bytes);
    if (!file.commit())
        return Status::Error(QString("Cannot write %1: %2").arg(path, file.errorString()));
    return Status::Ok();
}

}  // namespace corvane
