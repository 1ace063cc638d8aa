#pragma once
// The tests of a modem's reply lines that both fax engines make.

#include <QString>

namespace corvane {

// The whole line is `word` (any case): "OK", "RING".
inline bool IsLine(const QString& reply, const char* word) {
    return reply.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// "CONNECT", with or without a rate after it.
inline bool IsConnect(const QString& reply) {
    return reply.startsWith(QLatin1String("CONNECT"), Qt::CaseInsensitive);
}

// "NO CARRIER", and the shorter spellings some modems use for it.
inline bool IsNoCarrier(const QString& reply) {
    return reply.contains(QLatin1String("RRIER"), Qt::CaseInsensitive);
}

}  // namespace corvane
