#pragma once
// The sample line of "Modify Fax Header Template": the template with its variables replaced by
// the dialog's test values, roughly what the fax header will look like.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace corvane {

inline constexpr int kHeaderSampleLength = 150;

struct HeaderTestValues {
    QString stationId = QStringLiteral("(213)-555-1212");
    QString sender = QStringLiteral("John Q. Public, Esq.");
    QString recipient = QStringLiteral("Samuel L. Peabody");
    QString page = QStringLiteral("1");
    QString totalPages = QStringLiteral("5");
};

// Each "$" starts a variable running to the next blank: $D date, $F sender, $I station id,
// $N total pages, $P page, $R recipient, $T time (either case); any other letter removes it.
// A page or total that is not a whole number counts as 1. Replaced text is not searched again,
// so a test value holding "$" shows as typed and the computation ends. At most 150
// characters.
QString HeaderSample(const QString& templateText, const HeaderTestValues& values,
                     const QDateTime& now = QDateTime::currentDateTime(),
                     const QLocale& locale = QLocale::system());

// "Ok" on a blank template asks first whether a fax without a header is meant.
inline const QString kBlankTemplateQuestion = QStringLiteral(
    "You have left the Fax Header Template blank. This will result in no fax header. Is this "
    "OK?");
inline const QString kBlankTemplateCaption = QStringLiteral("Blank Template");

}  // namespace corvane
