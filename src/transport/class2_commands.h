#pragma once
// The command and reply names of the Class 2 and Class 2.0 command sets, the built-in init
// string, rate and width codes, and the parsing of the modem's parameter and hang-up reports.

#include <QString>

namespace corvane {

// Ordinals as the FaxClass property stores them.
enum class FaxClassKind { None = 0, Detect = 1, Class1 = 2, Class2 = 3, Class20 = 4 };

// The class as QX.INI stores it (FaxClass, FaxClassReceive: 0 automatic, 1 Class 1, 2 Class 2,
// 3 Class 2.0); anything else is automatic.
FaxClassKind FaxClassFromSetting(int stored);

// A command is "AT+F" + name, a reply "+F" + name; the hang-up report name is stored whole.
struct Class2CommandTable {
    QString selectClass;  // CLASS=2 | CLASS=2.0
    QString callParams;   // DIS | IS
    QString localId;      // LID | LI
    QString receiveCaps;  // DCC | CC
    QString connection;   // CON | CO
    QString remoteCaps;   // DIS | IS
    QString negotiated;   // DCS | CS
    QString transmitId;   // TSI | TI
    QString calledId;     // CSI | CI
    QString pageStatus;   // PTS | PS
    QString hangup;       // FHNG | FHS
    QString terminate;    // K | KS: ends a session at once
    QString bitOrder;     // BOR | BO: bit order of page data
    bool hexHangupCodes;  // +FHS reports two hex digits, +FHNG decimal
};

const Class2CommandTable& Class2Commands(FaxClassKind kind);

// "ATE0Q0V1X4S0=0S2=43" with the X code chosen from the two dialling options.
QString BuiltInInitString(bool blindDial, bool detectBusy);

// 2400 "0" ... 14400 "5"; any other rate "3".
QChar RateCode(int bps);
int RateFromCode(int code);

// A +FDIS/+FDCS/+FIS/+FCS style report: "vr,br,wd,ln,df,ec,bf,st" (the part after ':').
struct FaxSessionParams {
    bool valid = false;
    bool fine = false;
    int bps = 0;
    bool wide = false;  // 2048 dots or wider
    bool ecm = false;
};
FaxSessionParams ParseSessionParams(const QString& values);

// The text after the first ':' of a reply line, trimmed.
QString ReplyValue(const QString& line);
// The quoted text of an id report, at most 20 characters; the bare value when unquoted.
QString QuotedId(const QString& line);
// The hang-up code of a report line: decimal for +FHNG, two hex digits for +FHS. -1 when the
// line holds no readable code.
int ParseHangupCode(const QString& line, bool hex);
// The engine's error for a hang-up a sending modem reports before the pages went: what the
// user can do something about (a remote that cannot take the fax, a line too poor to train,
// no fax at the far end) rather than a bad response. Codes as T.32 groups them by phase.
int SendHangupError(int hangupCode);
// A hang-up code as Class 2 numbers it: +FHS writes the same two digits in hex ("A0" is 100).
int DecimalHangupCode(int code, bool hex);
// The first value of a page status report ("+FPTS:1,..." gives 1); -1 when none.
int FirstReplyNumber(const QString& line);

}  // namespace corvane
