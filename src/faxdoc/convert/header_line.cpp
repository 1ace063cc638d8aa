#include "faxdoc/convert/header_line.h"

namespace corvane {

namespace {

QString Replacement(QChar selector, const HeaderLineValues& values) {
    switch (selector.toUpper().unicode()) {
        case 'D':
            if (!values.dateText.isEmpty()) return values.dateText;
            return values.locale.toString(values.now.date(), QLocale::ShortFormat);
        case 'T':
            if (!values.timeText.isEmpty()) return values.timeText;
            return values.locale.toString(values.now.time(), QLocale::ShortFormat);
        case 'I':
            return values.stationId;
        case 'F':
            return values.sender;
        case 'R':
            return values.recipient;
        case 'S':
            return values.title;
        case 'P':
            return QString::number(values.page);
        case 'N':
            return QString::number(values.pageCount);
        default:
            return {};
    }
}

}  // namespace

QString ExpandHeaderLine(const QString& templateText, const HeaderLineValues& values) {
    QString text = templateText.left(kMaxHeaderLineLength);
    qsizetype searchFrom = 0;
    for (;;) {
        const qsizetype start = text.indexOf(QLatin1Char('$'), searchFrom);
        if (start < 0) break;
        qsizetype end = text.indexOf(QLatin1Char(' '), start);
        if (end < 0) end = text.size();
        const QChar selector = end - start > 1 ? text[start + 1] : QChar();
        const QString replacement = Replacement(selector, values);
        text.replace(start, end - start, replacement);
        text.truncate(kMaxHeaderLineLength);
        // Searching again from the start would find a "$" inside the replacement and could
        // expand forever ("$F" with a sender named "$F").
        searchFrom = start + replacement.size();
    }
    return text;
}

}  // namespace corvane
