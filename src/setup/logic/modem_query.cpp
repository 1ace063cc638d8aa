#include "setup/logic/modem_query.h"

#include "transport/fx_port.h"
#include "transport/ticks.h"

namespace corvane {

namespace {
constexpr int kPollMs = 5;
}  // namespace

QStringList ModemQueryReply::information() const {
    QStringList info = lines;
    if (complete && !info.isEmpty()) info.removeLast();
    return info;
}

ModemQueryReply QueryModem(TFxComPort& port, const QString& command, int ticks) {
    ModemQueryReply reply;
    port.PurgeInput();
    port.SendString(command + "\r");
    EventTimer timer;
    timer.set(ticks);
    QByteArray line;
    while (!timer.expired()) {
        if (!port.CharReady()) {
            DelayMs(kPollMs, false);
            continue;
        }
        const char c = port.GetChar();
        if (c != '\r' && c != '\n') {
            line.append(c);
            continue;
        }
        const QString text = QString::fromLatin1(line).trimmed();
        line.clear();
        if (text.isEmpty() || text.compare(command, Qt::CaseInsensitive) == 0) continue;
        reply.lines << text;
        if (text == QLatin1String("OK") || text.contains(QLatin1String("ERROR"))) {
            reply.complete = true;
            reply.ok = text == QLatin1String("OK");
            break;
        }
    }
    return reply;
}

}  // namespace corvane
