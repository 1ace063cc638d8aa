#pragma once
// Port failures that the shared error table (core/fax_errors.h) has no entry for yet, with the
// text each is raised with. They belong in that table; until they are there, this is their one
// place.

#include <QString>

#include "core/fax_errors.h"

namespace corvane {

enum PortErrorCode : int {
    // The byte asked for is not there: the table's "Attempt to read beyond end of file".
    ecReadPastEnd = -100,
    // A dispatcher is started twice: a program fault, not a port someone else holds.
    ecDispatcherStarted = -2006,
    // A procedure handler closes its own port: the thread it runs on cannot wait for itself.
    ecCloseFromOwnHandler = -2007,
    // The driver does not offer the requested rate.
    ecUnsupportedBaud = -2009,
    // The driver refused the line settings (parity, data or stop bits).
    ecLineSettingsRefused = -2010,
};

inline const QString kDispatcherStartedText = QStringLiteral("Dispatcher already started");
inline const QString kCloseFromOwnHandlerText =
    QStringLiteral("A port cannot be closed from its own trigger handler");
inline QString UnsupportedBaudText(int baud) {
    return QStringLiteral("Unsupported port speed: %1 baud").arg(baud);
}
inline const QString kLineSettingsRefusedText =
    QStringLiteral("The port refused its line settings");

}  // namespace corvane
