#pragma once
// What the fax status window shows while the engine sends, without the widgets: the call's
// fields taken from the engine's counters, the elapsed time of the connection, the retry
// wait that remains while a busy number waits to be dialled again, and the page progress.

#include <QString>
#include <QtGlobal>

#include "sending/send_session_engine.h"

namespace corvane {

class TFxSendFax;

inline const QString kFaxStatusCaption = QStringLiteral("Fax Status");

struct FaxStatusFields {
    QString phoneNumber;
    QString faxFile;
    QString coverFile;
    QString totalPages;
    QString dialAttempt;
    QString remoteId;
    QString connectBps;
    QString resolution;  // "standard" or "high"
    QString width;       // "1728" or "2048"
    QString errorControl;
    QString currentPage;  // "<cover page>" for page 0
    QString pageLength;
    QString bytesTransferred;
    QString elapsed;  // "mm:ss"
    QString status;
    int progressPercent = 0;
};

class FaxStatusFormState {
  public:
    explicit FaxStatusFormState(const SendRequest& request);

    // Takes the engine's state at `nowMs` (any millisecond clock): on every status event and
    // once a second, so that the elapsed time and the retry wait run on.
    void update(const TFxSendFax& fax, qint64 nowMs);
    const FaxStatusFields& fields() const { return fields_; }

  private:
    SendRequest request_;
    FaxStatusFields fields_;
    int lastStatus_ = 0;
    qint64 connectedMs_ = -1;  // the first 4840 or 4841
    qint64 endedMs_ = -1;      // 4842, 4843 or 4828 after that
    qint64 busyWaitMs_ = -1;   // when the current 4803 began
    bool dialed_ = false;
};

// "mm:ss" of whole minutes and seconds.
QString MinutesSeconds(qint64 ms);

}  // namespace corvane
