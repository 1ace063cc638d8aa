#pragma once
// Reading and rewriting the carrier wait (register S7) of an init string: a modem that hangs
// up before the other side answers, or on long international calls, needs more than the 90
// seconds the suggested strings set.

#include <QString>

namespace corvane {

inline constexpr int kShortCarrierWait = 90;

// True when the first "S7=" (any case) sets more than 90 seconds. The value is read from the
// characters after "S7=" (at most three, trailing non-digits dropped); no "S7=", or no
// number there, is false.
bool CarrierWaitAboveDefault(const QString& initString);

// With `longWait` the first "S7=90" becomes "S7=120"; without it the first "S7=120" becomes
// "S7=90". Exact case; anything else is returned unchanged. For sending init strings only.
QString RewriteCarrierWait(const QString& initString, bool longWait);

}  // namespace corvane
