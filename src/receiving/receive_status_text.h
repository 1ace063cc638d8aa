#pragma once
// What receive mode makes of the engine's status reports: the log line of a status code and
// the text of the status panel.

#include <QString>

namespace corvane {

// The receive log's line for a status code ("Receiving page 2"), empty for codes that are
// not logged.
QString ReceiveStatusLogLine(int code, int page, const QString& remoteId);

// The status panel's text: the engine's text for the code with receive mode's changes
// ("Receiving fax from: ID, page 2 (5120 bytes)"); empty for an abort.
QString ReceiveStatusPanelText(const QString& engineText, const QString& remoteId, int page,
                               qint64 bytes);

}  // namespace corvane
