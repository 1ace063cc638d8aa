#include "sending/fax_status_form_state.h"

#include <QFileInfo>
#include <algorithm>

#include "transport/send_fax.h"

namespace corvane {

QString MinutesSeconds(qint64 ms) {
    const qint64 seconds = std::max<qint64>(ms, 0) / 1000;
    return QString::asprintf("%.2d:%.2d", int(seconds / 60), int(seconds % 60));
}

FaxStatusFormState::FaxStatusFormState(const SendRequest& request) : request_(request) {
    fields_.elapsed = MinutesSeconds(0);
}

void FaxStatusFormState::update(const TFxSendFax& fax, qint64 nowMs) {
    const int status = fax.FaxStatus();
    if (status != lastStatus_) {
        if ((status == fsGettingParams || status == fsGotStationId) && connectedMs_ < 0)
            connectedMs_ = nowMs;
        if ((status == fsUserAbort || status == fsFinished || status == fsGotHangup) &&
            connectedMs_ >= 0 && endedMs_ < 0)
            endedMs_ = nowMs;
        if (status == fsBusyWait) busyWaitMs_ = nowMs;
        if (status == fsDialing) dialed_ = true;
        lastStatus_ = status;
    }
    FaxStatusFields& f = fields_;
    f.phoneNumber = fax.DialPrefix + fax.PhoneNumber;
    f.faxFile = QFileInfo(request_.documentPath).fileName();
    f.coverFile = QFileInfo(request_.coverPath).fileName();
    f.totalPages = fax.TotalPages() > 0 ? QString::number(fax.TotalPages()) : QString();
    // The engine counts the attempts that failed; the one under way is the next.
    f.dialAttempt = dialed_ ? QString::number(fax.DialAttempt() + 1) : QString();
    f.remoteId = fax.RemoteID();
    f.connectBps = fax.ConnectBPS() > 0 ? QString::number(fax.ConnectBPS()) : QString();
    const bool connected = connectedMs_ >= 0;
    f.resolution = connected ? (fax.HighRes() ? QStringLiteral("high") : QStringLiteral("standard"))
                             : QString();
    f.width =
        connected ? (fax.WideWidth() ? QStringLiteral("2048") : QStringLiteral("1728")) : QString();
    f.errorControl = connected
                         ? (fax.ErrorCorrection() ? QStringLiteral("on") : QStringLiteral("off"))
                         : QString();
    f.currentPage = fax.CurrentPage() == 0 ? QStringLiteral("<cover page>")
                                           : QString::number(fax.CurrentPage());
    f.pageLength = QString::number(fax.PageLength());
    f.bytesTransferred = QString::number(fax.BytesTransferred());
    if (!connected)
        f.elapsed = MinutesSeconds(0);
    else
        f.elapsed = MinutesSeconds((endedMs_ >= 0 ? endedMs_ : nowMs) - connectedMs_);
    f.status = TFxSendFax::CodeText(status);
    if (status == fsBusyWait && busyWaitMs_ >= 0) {
        const qint64 left = qint64(fax.DialRetryWait) * 1000 - (nowMs - busyWaitMs_);
        f.status += QStringLiteral(" %1").arg(std::max<qint64>(left, 0) / 1000);
    }
    f.progressPercent =
        fax.PageLength() > 0
            ? int(std::clamp<qint64>(fax.BytesTransferred() * 100 / fax.PageLength(), 0, 100))
            : 0;
}

}  // namespace corvane
