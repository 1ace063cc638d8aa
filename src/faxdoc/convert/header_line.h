#pragma once
// The fax header line template: "$x" tokens replaced by the values of the page being sent.
// The default template is the setting's default, kDefaultHeaderTemplate in core/settings.h.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace corvane {

inline constexpr int kMaxHeaderLineLength = 255;

struct HeaderLineValues {
    QString stationId;  // $I, the user's own fax number
    QString sender;     // $F
    QString recipient;  // $R
    QString title;      // $S
    int page = 0;       // $P
    int pageCount = 0;  // $N
    // $D and $T: the texts when given, else `now` in the short date and time formats of
    // `locale`.
    QString dateText;
    QString timeText;
    QDateTime now = QDateTime::currentDateTime();
    QLocale locale = QLocale::system();
};

// Replaces each token of `templateText`. A token runs from "$" up to the next space or the
// end of the text; the letter after the "$" (either case) selects the replacement, the rest
// of the token is dropped, and an unknown letter or a lone "$" is removed. Replacements are
// not searched again, so a "$" typed into a name stays as it is. The text is kept to 255
// characters.
QString ExpandHeaderLine(const QString& templateText, const HeaderLineValues& values);

}  // namespace corvane
