#include "printer/backend_job.h"

namespace corvane {

QMap<QString, QString> ParseCupsOptions(const QString& options) {
    QMap<QString, QString> out;
    int i = 0;
    const int n = int(options.size());
    auto skipBlanks = [&] {
        while (i < n && options[i].isSpace()) ++i;
    };
    skipBlanks();
    while (i < n) {
        QString name;
        while (i < n && !options[i].isSpace() && options[i] != '=') name += options[i++];
        QString value;
        bool hasValue = false;
        if (i < n && options[i] == '=') {
            hasValue = true;
            ++i;
            QChar quote;
            while (i < n) {
                const QChar c = options[i];
                if (quote.isNull() && c.isSpace()) break;
                ++i;
                if (c == '\\' && i < n) {
                    value += options[i++];
                } else if (quote.isNull() && (c == '\'' || c == '"')) {
                    quote = c;
                } else if (!quote.isNull() && c == quote) {
                    quote = QChar();
                } else {
                    value += c;
                }
            }
        }
        if (!name.isEmpty()) {
            if (hasValue)
                out.insert(name, value);
            else if (name.startsWith("no") && name.size() > 2)
                out.insert(name.mid(2), QStringLiteral("false"));
            else
                out.insert(name, QStringLiteral("true"));
        }
        skipBlanks();
    }
    return out;
}

QString OneLine(const QString& value) {
    QString line = value;
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = ' ';
    return line;
}

Result<BackendJob> ParseBackendArguments(const QStringList& args) {
    if (args.size() != 5 && args.size() != 6)
        return Status::Error("usage: corvane-fax job-id user title copies options [file]");
    BackendJob job;
    job.jobId = args[0];
    job.user = args[1];
    job.title = OneLine(args[2]);
    job.file = args.value(5);
    const QMap<QString, QString> options = ParseCupsOptions(args[4]);
    job.faxNumber = OneLine(options.value("fax-number"));
    job.recipient = OneLine(options.value("fax-to"));
    job.appendTo = OneLine(options.value("append-to")).trimmed();
    if (job.appendTo.contains('/') || job.appendTo == "." || job.appendTo == "..")
        return Status::Error(
            "append-to must name a fax file of your SEND folder, without a "
            "folder: \"" +
            job.appendTo + "\"");
    return job;
}

}  // namespace corvane
