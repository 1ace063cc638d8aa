#include "sending/send_session_record.h"

#include <QFileInfo>

#include "core/app_folders.h"
#include "sending/send_session.h"
#include "xbase/xbase_table.h"

namespace corvane {

namespace {

// The full path of a file the record names, when it exists in SEND/.
QString ExistingSendFile(const QString& name) {
    if (name.trimmed().isEmpty()) return {};
    const QString path = ResolveName(SendFolder(), name.trimmed());
    return QFileInfo(path).isFile() ? path : QString();
}

}  // namespace

SendCommandCheck CheckSendCommand(bool inReceiveMode, bool incomingTabShowing, bool hasRecord) {
    if (inReceiveMode) return SendCommandCheck::InReceiveMode;
    if (incomingTabShowing) return SendCommandCheck::IncomingTab;
    if (!hasRecord) return SendCommandCheck::NoRecord;
    return SendCommandCheck::Go;
}

Result<OutgoingFaxToSend> ReadFaxToSend(const xbase::XbaseTable& table) {
    OutgoingFaxToSend fax;
    fax.recno = table.recNo();
    fax.recipient = table.fieldText("RECIPIENT");
    fax.subject = table.fieldText("SUBJECT");
    fax.phone = table.fieldText("PHONE");
    const QString document = ExistingSendFile(table.fieldText("FAXDOC"));
    const QString cover = ExistingSendFile(table.fieldText("FAXCOVER"));
    if (!document.isEmpty()) {
        fax.documentPath = document;
        fax.coverPath = cover;
    } else if (!cover.isEmpty()) {
        fax.documentPath = cover;
    } else {
        return Status::Error(kErrorOpeningFaxFile);
    }
    return fax;
}

Status StoreSendResult(xbase::XbaseTable& table, std::uint32_t recno, const QString& number,
                       const SendOutcome& outcome) {
    if (!table.go(recno)) return Status::Error(QStringLiteral("The fax's record is gone"));
    const QString result = outcome.resultText.trimmed();
    // The first write that fails says why; the record is committed only when all went in.
    Status stored = Status::Ok();
    auto keep = [&stored](Status written) {
        if (stored.ok() && !written.ok()) stored = std::move(written);
    };
    if (!result.isEmpty()) keep(table.replaceText("LASTRESULT", result));
    keep(table.replaceText("PHONE", number));
    if (outcome.sentOk) {
        keep(table.replaceDate("DATESENT", outcome.finishTime.date()));
        keep(table.replaceText("TIMESENT", outcome.finishTime.time().toString("hh:mm")));
    }
    if (stored.ok()) stored = table.commit();
    if (!stored.ok())
        return Status::Error(
            QStringLiteral("The result could not be stored in the outgoing log: ") +
            stored.message());
    return Status::Ok();
}

}  // namespace corvane
