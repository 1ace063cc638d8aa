#include "covers/cover_data.h"

#include <QLocale>
#include <array>

#include "core/locale_formats.h"
#include "covers/cover_types.h"

namespace corvane {

namespace {

constexpr std::array<const char*, 9> kFieldNames = {"Date",          "Time",         "Regarding",
                                                    "Recipient",     "RecipientFax", "Sender",
                                                    "SenderCompany", "SenderFax",    "SenderVoice"};

QString* FieldSlot(CoverData& d, int index) {
    QString* fields[] = {&d.Date,   &d.Time,          &d.Regarding, &d.Recipient,  &d.RecipientFax,
                         &d.Sender, &d.SenderCompany, &d.SenderFax, &d.SenderVoice};
    return index >= 0 && index < 9 ? fields[index] : nullptr;
}

bool StartsWithAt(const QString& s, int at, const char* token) {
    return s.mid(at).startsWith(QLatin1String(token), Qt::CaseInsensitive);
}

}  // namespace

QString CoverData::field(int index) const {
    return index >= 0 && index < 9 ? *FieldSlot(const_cast<CoverData&>(*this), index) : QString();
}

bool CoverData::flag(int index) const {
    switch (index) {
        case 0:
            return Urgent;
        case 1:
            return ForReview;
        case 2:
            return PleaseComment;
        case 3:
            return PleaseReply;
        case 4:
            return PleaseRecycle;
        default:
            return false;
    }
}

bool CoverData::setByName(const QString& name, const QString& value) {
    for (int i = 0; i < 9; ++i) {
        if (name.compare(QLatin1String(kFieldNames[i]), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(kCoverFieldMenuCaptions[i]), Qt::CaseInsensitive) == 0) {
            *FieldSlot(*this, i) = value;
            return true;
        }
    }
    return false;
}

QString FormatDatePattern(const QDate& date, const QString& pattern) {
    const QLocale c = QLocale::c();
    QString out;
    for (int i = 0; i < pattern.size();) {
        auto take = [&](const char* token, const QString& text) {
            if (!StartsWithAt(pattern, i, token)) return false;
            out += text;
            i += static_cast<int>(qstrlen(token));
            return true;
        };
        if (take("yyyy", QString::number(date.year()).rightJustified(4, QLatin1Char('0'))) ||
            take("yy", QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0'))) ||
            take("mmmm", c.monthName(date.month(), QLocale::LongFormat)) ||
            take("mmm", c.monthName(date.month(), QLocale::ShortFormat)) ||
            take("mm", QString::number(date.month()).rightJustified(2, QLatin1Char('0'))) ||
            take("m", QString::number(date.month())) ||
            take("dddd", c.dayName(date.dayOfWeek(), QLocale::LongFormat)) ||
            take("ddd", c.dayName(date.dayOfWeek(), QLocale::ShortFormat)) ||
            take("dd", QString::number(date.day()).rightJustified(2, QLatin1Char('0'))) ||
            take("d", QString::number(date.day())))
            continue;
        out += pattern[i++];
    }
    return out;
}

QString FormatTimePattern(const QTime& time, const QString& pattern) {
    const bool twelve = pattern.contains(QLatin1String("AMPM"), Qt::CaseInsensitive);
    const LocaleFormats& f = GlobalLocaleFormats();
    int hour = time.hour();
    if (twelve) {
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    QString out;
    for (int i = 0; i < pattern.size();) {
        auto take = [&](const char* token, const QString& text) {
            if (!StartsWithAt(pattern, i, token)) return false;
            out += text;
            i += static_cast<int>(qstrlen(token));
            return true;
        };
        if (take("AMPM", time.hour() < 12 ? f.amString : f.pmString) ||
            take("hh", QString::number(hour).rightJustified(2, QLatin1Char('0'))) ||
            take("h", QString::number(hour)) ||
            take("mm", QString::number(time.minute()).rightJustified(2, QLatin1Char('0'))) ||
            take("nn", QString::number(time.minute()).rightJustified(2, QLatin1Char('0'))) ||
            take("ss", QString::number(time.second()).rightJustified(2, QLatin1Char('0'))))
            continue;
        out += pattern[i++];
    }
    return out;
}

void StampCoverData(CoverData& data, const QDateTime& when) {
    data.Date = FormatDatePattern(when.date(), GlobalLocaleFormats().longDate);
    data.Time = FormatTimePattern(when.time(), GlobalLocaleFormats().longTime);
}

}  // namespace corvane
