#include "setup/logic/header_sample.h"

#include "faxdoc/convert/header_line.h"

namespace corvane {

namespace {
int WholeOrOne(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : 1;
}
}  // namespace

QString HeaderSample(const QString& templateText, const HeaderTestValues& values,
                     const QDateTime& now, const QLocale& locale) {
    HeaderLineValues v;
    v.stationId = values.stationId;
    v.sender = values.sender;
    v.recipient = values.recipient;
    v.page = WholeOrOne(values.page);
    v.pageCount = WholeOrOne(values.totalPages);
    v.now = now;
    v.locale = locale;
    // The sample knows no subject: "$S" goes like any other unknown letter.
    v.title.clear();
    return ExpandHeaderLine(templateText, v).left(kHeaderSampleLength);
}

}  // namespace corvane
