#include "logs/date_time_text.h"

namespace corvane {

QString FormatDateTimeText(const QString& format, const QDateTime& when,
                           const LocaleFormats& formats) {
    const QDate date = when.date();
    const QTime time = when.time();
    const bool twelveHour = format.contains("AMPM", Qt::CaseInsensitive) ||
                            format.contains("am/pm", Qt::CaseInsensitive) ||
                            format.contains("a/p", Qt::CaseInsensitive);
    QString out;
    bool afterHour = false;
    int i = 0;
    auto run = [&](QChar c) {
        int n = 0;
        while (i + n < format.size() && format[i + n].toLower() == c) ++n;
        return n;
    };
    auto two = [](int v) { return QString("%1").arg(v, 2, 10, QChar('0')); };
    while (i < format.size()) {
        const QChar c = format[i];
        const QChar lc = c.toLower();
        if (c == '"' || c == '\'') {
            const int end = format.indexOf(c, i + 1);
            const int stop = end < 0 ? format.size() : end;
            out += format.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (format.mid(i, 4).compare("AMPM", Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? formats.amString : formats.pmString;
            i += 4;
            continue;
        }
        if (format.mid(i, 5).compare("am/pm", Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? "am" : "pm";
            i += 5;
            continue;
        }
        if (format.mid(i, 3).compare("a/p", Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? "a" : "p";
            i += 3;
            continue;
        }
        int n = 0;
        if (lc == 'd') {
            n = run('d');
            if (n == 1)
                out += QString::number(date.day());
            else if (n == 2)
                out += two(date.day());
            else if (n == 3)
                out += QLocale::c().dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += QLocale::c().dayName(date.dayOfWeek(), QLocale::LongFormat);
        } else if (lc == 'm') {
            n = run('m');
            if (afterHour && n <= 2) {
                out += n == 1 ? QString::number(time.minute()) : two(time.minute());
                afterHour = false;
            } else if (n == 1)
                out += QString::number(date.month());
            else if (n == 2)
                out += two(date.month());
            else if (n == 3)
                out += QLocale::c().monthName(date.month(), QLocale::ShortFormat);
            else
                out += QLocale::c().monthName(date.month(), QLocale::LongFormat);
        } else if (lc == 'y') {
            n = run('y');
            out +=
                n <= 2 ? two(date.year() % 100) : QString("%1").arg(date.year(), 4, 10, QChar('0'));
        } else if (lc == 'h') {
            n = run('h');
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            out += n == 1 ? QString::number(hour) : two(hour);
            afterHour = true;
            i += n;
            continue;
        } else if (lc == 'n') {
            n = run('n');
            out += n == 1 ? QString::number(time.minute()) : two(time.minute());
        } else if (lc == 's') {
            n = run('s');
            out += n == 1 ? QString::number(time.second()) : two(time.second());
        } else if (c == '/') {
            n = 1;
            out += formats.dateSeparator;
        } else if (c == ':') {
            n = 1;
            out += formats.timeSeparator;
        } else {
            n = 1;
            out += c;
        }
        if (lc != ':' && lc != ' ') afterHour = afterHour && (lc == 'm');
        i += n;
    }
    return out;
}

}  // namespace corvane
