#include "setup/logic/init_string_rules.h"

namespace corvane {

namespace {
const QString kS7 = QStringLiteral("S7=");
constexpr int kWindow = 6;  // "S7=" and up to three digits
}  // namespace

bool CarrierWaitAboveDefault(const QString& initString) {
    const qsizetype at = initString.toUpper().indexOf(kS7);
    if (at < 0) return false;
    QString window = initString.mid(at, kWindow);
    while (!window.isEmpty() && !window.back().isDigit()) window.chop(1);
    bool ok = false;
    const int seconds = window.mid(kS7.size(), 3).toInt(&ok);
    return ok && seconds > kShortCarrierWait;
}

QString RewriteCarrierWait(const QString& initString, bool longWait) {
    const QString from = longWait ? QStringLiteral("S7=90") : QStringLiteral("S7=120");
    const QString to = longWait ? QStringLiteral("S7=120") : QStringLiteral("S7=90");
    QString result = initString;
    const qsizetype at = result.indexOf(from);
    if (at >= 0) result.replace(at, from.size(), to);
    return result;
}

}  // namespace corvane
