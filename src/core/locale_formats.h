#pragma once
// Date and time formats read from the user's locale at start-up, in the day/month pattern
// letters the logs and cover pages use ("m/d/yy", "mmmm d, yyyy", "h:mm AMPM").

#include <QLocale>
#include <QString>

namespace corvane {

struct LocaleFormats {
    QString shortDate = QStringLiteral("m/d/yy");
    QString longDate = QStringLiteral("mmmm d, yyyy");
    QString dateSeparator = QStringLiteral("/");
    QString timeSeparator = QStringLiteral(":");
    QString amString = QStringLiteral("AM");
    QString pmString = QStringLiteral("PM");
    QString shortTime = QStringLiteral("h:mm AMPM");
    QString longTime = QStringLiteral("h:mm:ss AMPM");
};

// The formats of `locale`; the C locale, or anything that cannot be read, gives the defaults.
LocaleFormats ReadLocaleFormats(const QLocale& locale);

// Builds the time formats: "hh" or "h", then ":mm" (":mm:ss" for the long form), then " AMPM"
// for a 12-hour clock.
QString BuildTimeFormat(bool leadingZeroHours, bool twelveHourClock, bool withSeconds);

LocaleFormats& GlobalLocaleFormats();

}  // namespace corvane
