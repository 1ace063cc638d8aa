#include "core/locale_formats.h"

#include <QRegularExpression>

namespace corvane {

namespace {

// Qt's date patterns use "M" for months; ours use "m" (minutes never appear in a date).
QString toDayMonthPattern(const QString& qtPattern) {
    QString out = qtPattern;
    out.replace('M', 'm');
    return out;
}

QString firstSeparator(const QString& pattern, const QString& letters, const QString& fallback) {
    for (QChar c : pattern)
        if (!letters.contains(c) && !c.isSpace() && c != '\'') return QString(c);
    return fallback;
}

}  // namespace

QString BuildTimeFormat(bool leadingZeroHours, bool twelveHourClock, bool withSeconds) {
    QString f = leadingZeroHours ? QStringLiteral("hh") : QStringLiteral("h");
    f += withSeconds ? QStringLiteral(":mm:ss") : QStringLiteral(":mm");
    if (twelveHourClock) f += QStringLiteral(" AMPM");
    return f;
}

LocaleFormats ReadLocaleFormats(const QLocale& locale) {
    LocaleFormats f;
    if (locale.language() == QLocale::C) return f;

    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    if (!shortDate.isEmpty()) f.shortDate = toDayMonthPattern(shortDate);
    if (!longDate.isEmpty()) f.longDate = toDayMonthPattern(longDate);
    f.dateSeparator = firstSeparator(shortDate, QStringLiteral("dMy"), f.dateSeparator);

    const QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.isEmpty()) {
        f.timeSeparator = firstSeparator(time, QStringLiteral("hHmsaApt"), f.timeSeparator);
        const bool twelveHour = time.contains('a', Qt::CaseInsensitive);
        const bool leadingZero = time.contains(QRegularExpression(QStringLiteral("hh|HH")));
        f.shortTime = BuildTimeFormat(leadingZero, twelveHour, false);
        f.longTime = BuildTimeFormat(leadingZero, twelveHour, true);
    }
    if (!locale.amText().isEmpty()) f.amString = locale.amText();
    if (!locale.pmText().isEmpty()) f.pmString = locale.pmText();
    return f;
}

LocaleFormats& GlobalLocaleFormats() {
    static LocaleFormats formats;
    return formats;
}

}  // namespace corvane
