#pragma once
// Asking a modem on an open port one command and reading its reply lines, for the setup
// checks: the fax class query ("AT+FCLASS=?") and the identification commands.

#include <QString>
#include <QStringList>

namespace corvane {

class TFxComPort;

struct ModemQueryReply {
    QStringList lines;      // every reply line up to and with the final result; no echo
    bool complete = false;  // a final "OK" or "ERROR" came in time
    bool ok = false;        // the final result was "OK"

    // The informative lines: the reply without the final result.
    QStringList information() const;
};

// Sends `command` + CR after purging the input and reads lines until "OK" or "ERROR" or until
// `ticks` have passed. Port errors propagate (EFaxPortError).
ModemQueryReply QueryModem(TFxComPort& port, const QString& command, int ticks);

}  // namespace corvane
