#pragma once
// The outgoing record's side of a send: the checks of the Send command with their messages,
// the fax files a record names, and the result written back into the record once the send
// window has closed. The main window and corvane-cli both go through these.

#include <QString>
#include <cstdint>

#include "core/status.h"

namespace corvane {

namespace xbase {
class XbaseTable;
}
struct SendOutcome;

inline const QString kSendInReceiveModeMessage = QStringLiteral(
    "You are in Fax Receive mode. You cannot send\rwhile in Fax Receive mode. Click the Stop "
    "button to end\rFax Receive mode");
inline const QString kSwitchToOutgoingMessage =
    QStringLiteral("Please switch to the Outgoing Faxes tab\rand highlight a fax to send");
inline const QString kErrorOpeningFaxFile = QStringLiteral("Error opening fax file");

// Where the Send command stands before the send window opens.
enum class SendCommandCheck { Go, InReceiveMode, IncomingTab, NoRecord };
SendCommandCheck CheckSendCommand(bool inReceiveMode, bool incomingTabShowing, bool hasRecord);

// What the send window starts from: the current outgoing record.
struct OutgoingFaxToSend {
    std::uint32_t recno = 0;
    QString recipient;
    QString subject;
    QString phone;
    QString documentPath;  // the document, or the cover when there is no document
    QString coverPath;     // empty unless both files exist
};

// Reads the current record of the outgoing log. Fails with "Error opening fax file" when
// neither of its files exists in SEND/.
Result<OutgoingFaxToSend> ReadFaxToSend(const xbase::XbaseTable& table);

// Writes the send's result into record `recno`: LASTRESULT (only when there is a result
// text), PHONE (the number as it stood in the send window), and after a sent fax DATESENT
// (the finish date) and TIMESENT (the finish time as "hh:mm").
Status StoreSendResult(xbase::XbaseTable& table, std::uint32_t recno, const QString& number,
                       const SendOutcome& outcome);

}  // namespace corvane
