#pragma once
// Date and time texts in the program's format-string notation: d dd ddd dddd, m mm mmm mmmm
// (minutes when they follow an hour), yy yyyy, h hh, n nn, s ss, AMPM, am/pm, a/p, "/" the
// date separator, ":" the time separator, and quoted literals.

#include <QDateTime>
#include <QString>

#include "core/locale_formats.h"

namespace corvane {


QString FormatDateTimeText(const QString& format, const QDateTime& when,
                           const LocaleFormats& formats = LocaleFormats());

}  // namespace corvane
