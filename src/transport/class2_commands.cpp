#include "transport/class2_commands.h"

#include <QStringList>

#include "core/fax_errors.h"

namespace corvane {

namespace {

constexpr int kMaxRemoteIdLength = 20;

const Class2CommandTable kClass2{
    "CLASS=2", "DIS", "LID", "DCC",  "CON", "DIS", "DCS",
    "TSI",     "CSI", "PTS", "FHNG", "K",   "BOR", false,
};
const Class2CommandTable kClass20{
    "CLASS=2.0", "IS", "LI", "CC", "CO", "IS", "CS", "TI", "CI", "PS", "FHS", "KS", "BO", true,
};

constexpr int kRates[] = {2400, 4800, 7200, 9600, 12000, 14400};

}  // namespace

const Class2CommandTable& Class2Commands(FaxClassKind kind) {
    return kind == FaxClassKind::Class20 ? kClass20 : kClass2;
}

QString BuiltInInitString(bool blindDial, bool detectBusy) {
    // X4: dial tone and busy detection; X3: busy only; X2: dial tone only; X1: neither.
    const char x = detectBusy ? (blindDial ? '3' : '4') : (blindDial ? '1' : '2');
    return QStringLiteral("ATE0Q0V1X%1S0=0S2=43").arg(QChar(x));
}

QChar RateCode(int bps) {
    for (int i = 0; i < 6; ++i)
        if (kRates[i] == bps) return QChar('0' + i);
    return QChar('3');
}

int RateFromCode(int code) {
    return code >= 0 && code < 6 ? kRates[code] : 0;
}

FaxSessionParams ParseSessionParams(const QString& values) {
    FaxSessionParams p;
    const QStringList items = values.split(',');
    if (items.size() < 3) return p;
    bool okVr = false, okBr = false, okWd = false;
    const int vr = items[0].trimmed().toInt(&okVr);
    const int br = items[1].trimmed().toInt(&okBr);
    const int wd = items[2].trimmed().toInt(&okWd);
    if (!okVr || !okBr || !okWd) return p;
    p.valid = true;
    p.fine = vr != 0;
    p.bps = RateFromCode(br);
    p.wide = wd != 0;
    if (items.size() > 5) p.ecm = items[5].trimmed().toInt() != 0;
    return p;
}

QString ReplyValue(const QString& line) {
    const int colon = line.indexOf(':');
    return colon < 0 ? QString() : line.mid(colon + 1).trimmed();
}

QString QuotedId(const QString& line) {
    const QString value = ReplyValue(line);
    const int open = value.indexOf('"');
    const int close = open < 0 ? -1 : value.indexOf('"', open + 1);
    const QString id =
        open < 0 ? value : value.mid(open + 1, (close < 0 ? value.size() : close) - open - 1);
    return id.trimmed().left(kMaxRemoteIdLength);
}

int ParseHangupCode(const QString& line, bool hex) {
    const QString value = ReplyValue(line);
    bool ok = false;
    const int code = value.toInt(&ok, hex ? 16 : 10);
    return ok && code >= 0 ? code : -1;
}

int SendHangupError(int code) {
    constexpr int kRemoteCannotReceive = 21;
    constexpr int kDcsWithoutAnswer = 25;  // no CFR to three DCS: training never passed
    constexpr int kTrainingFailed = 27;    // failure to train at 2400 or the minimum speed
    if (code == kRemoteCannotReceive) return ecFaxIncompatible;
    if (code == kDcsWithoutAnswer || code == kTrainingFailed) return ecFaxTrainFail;
    if (code >= 1 && code <= 19) return ecFaxNoFaxConnect;  // call placement, phase A
    if (code >= 50 && code <= 69) return ecFaxPageError;    // post-page exchange
    return ecFaxSessionError;
}

int DecimalHangupCode(int code, bool hex) {
    return hex && code >= 0 ? (code >> 4) * 10 + (code & 0x0F) : code;
}

int FirstReplyNumber(const QString& line) {
    const QString first = ReplyValue(line).section(',', 0, 0).trimmed();
    bool ok = false;
    const int n = first.toInt(&ok);
    return ok ? n : -1;
}

FaxClassKind FaxClassFromSetting(int stored) {
    switch (stored) {
        case 1:
            return FaxClassKind::Class1;
        case 2:
            return FaxClassKind::Class2;
        case 3:
            return FaxClassKind::Class20;
        default:
            return FaxClassKind::Detect;
    }
}

}  // namespace corvane
