#include "receive_status_text.h"

#include "transport/fax_status_codes.h"

namespace corvane {

QString ReceiveStatusLogLine(int code, int page, const QString& remoteId) {
    switch (code) {
        case fsWaitingCall:
            return QStringLiteral("Waiting for call ");
        case fsNoConnect:
            return QStringLiteral("Call was not a fax call ");
        case fsAnswering:
            return QStringLiteral("Answering call ");
        case fsCallValidated:
            return QStringLiteral("Call validated as a fax call ");
        case fsGettingPage:
            return QStringLiteral("Receiving page %1").arg(page);
        case fsGettingEOP:
            return QStringLiteral("Page %1 received ").arg(page);
        case fsGettingEOD:
            return QStringLiteral("Waiting for more pages ");
        case fsGettingHangup:
            return QStringLiteral("Hanging up ");
        case fsGotHangup:
            return QStringLiteral("Faxmodem has disconnected or hung up ");
        case fsGettingParams:
            return QStringLiteral("Got session parameters");
        case fsGotStationId:
            return "Connected to " + remoteId.trimmed() + " ";
        case fsUserAbort:
            return QStringLiteral("Session cancelled by the user or by the remote device ");
        case fsFinished:
            return QStringLiteral("Finished ");
        default:
            return {};
    }
}

QString ReceiveStatusPanelText(const QString& engineText, const QString& remoteId, int page,
                               qint64 bytes) {
    QString text = engineText.trimmed();
    const QString upper = text.toUpper();
    if (upper.contains(QLatin1String("ABORT"))) return {};
    if (upper == QLatin1String("GOT CLASS 2 FHNG CODE")) text = QStringLiteral("Hangup successful");
    const bool pageData = text == QLatin1String("Getting page data");
    if (pageData) text = QStringLiteral("Receiving fax");
    const QString id = remoteId.trimmed();
    if (!id.isEmpty()) {
        text += " from: " + id;
        if (pageData) {
            if (page != 0) text += QStringLiteral(", page %1").arg(page);
            if (bytes > 0) text += QStringLiteral(" (%1 bytes)").arg(bytes);
        }
    }
    return text;
}

}  // namespace corvane
