// The Class 1 states of the receive machine: the engine answers with CSI and DIS, judges the
// sender's training check, confirms or refuses pages, all through the modem's HDLC and
// modulation commands (frames in t30_frames.h).

#include "core/fax_errors.h"
#include "transport/modem_replies.h"
#include "transport/receive_fax.h"
#include "transport/send_page_data.h"
#include "transport/t30_timers.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kTurnaroundMs = 200;
constexpr int kCarrierGoneMs = 20;
// The sender's command is awaited for T4 (after our DIS, and after our answer to a page).
constexpr int kCollectTicks = kT4Ticks;
constexpr int kMaxCollectRetries = 5;
constexpr int kTrainingWaitTicks = 182;

const QString kTransmitFrames = QStringLiteral("AT+FTH=3");
const QString kReceiveFrames = QStringLiteral("AT+FRH=3");

}  // namespace

void TFxReceiveFax::OnClass1Frame() {
    const T30Frame frame = TakeClass1Frame();
    if (!frame.valid) return;
    switch (frame.fcf) {
        case fcfCsi:
        case fcfTsi:
            break;  // the remote's id, taken with the frame
        case fcfDcs: {
            const DcsParams p = ParseDcs(frame.fif);
            class1_.rateIndex = p.rateIndex;
            class1_.v17 = p.v17;
            class1_.fine = p.fine;
            class1_.wide = p.wide;
            class1_.scanCode = p.scanCode;
            session_.valid = true;
            session_.bps = class1_.bps();
            session_.fine = p.fine;
            session_.wide = p.wide;
            SetStatus(fsGettingParams, true);
            break;
        }
        case fcfDcn:
            // The sender broke the call off: this call failed, the receiver is not cancelled.
            if (state_ != rf1WaitDCN) AbortWith(ecFaxSessionError);
            break;
        default:
            break;
    }
}

void TFxReceiveFax::St1SendCSITimeout() {
    if (class1_.retries > 0)
        state_ = rf1CollRtry1;
    else
        AbortWith(ecFatalTimeout);
}

void TFxReceiveFax::St1CollFrmsTimeout() {
    state_ = rf1CollRtry1;
}

void TFxReceiveFax::St1CollRtry2Timeout() {
    SendClass1Command(kTransmitFrames);
    state_ = rf1SendCSI;
}

void TFxReceiveFax::St1WaitDCNTimeout() {
    state_ = rfComplete;
}

int TFxReceiveFax::ErrorReplyCode() {
    if (!IsClass1()) return ecFaxBadResponse;
    const bool inCall = state_ != rf1Init1 && state_ != rfWaiting;
    if (!inCall || Line().carrier()) return ecFaxBadResponse;
    // The sender hung up: before its DCS no fax call was made, after it the fax failed.
    return session_.valid ? ecFaxSessionError : ecFaxNoFaxConnect;
}

void TFxReceiveFax::Class1SendIds() {
    SendFrame(fcfCsi, IdFif(StationID.toUpper().left(kStationIdLength)), false);
}

void TFxReceiveFax::St1Init1(const QString& reply) {
    if (IsLine(reply, "RING")) return;
    if (!IsLine(reply, "OK")) {
        AbortWith(ecFaxInitError);
        return;
    }
    Line().disarmTimer(FaxTimer::Reply);
    SetStatus(fsWaitingCall);
    state_ = rfWaiting;
}

void TFxReceiveFax::St1SendCSI(const QString& reply) {
    if (!IsConnect(reply)) return;
    Class1SendIds();
    state_ = rf1SendDIS;
}

void TFxReceiveFax::St1SendDIS(const QString& reply) {
    if (IsConnect(reply)) {
        SendFrame(fcfDis, DisFif(class1_.rateIndex), true);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    Line().pause(kTurnaroundMs);
    SendClass1Command(kReceiveFrames, kTurnaroundMs, kCollectTicks);
    state_ = rf1CollFrms;
}

void TFxReceiveFax::St1CollRtry1() {
    if (++class1_.retries > kMaxCollectRetries) {
        AbortWith(ecFaxNoFaxConnect);
        return;
    }
    lastCommand_ = QStringLiteral("AT");
    SendCommand(lastCommand_);
    state_ = rf1CollRtry2;
}

void TFxReceiveFax::St1CollRtry2(const QString&) {
    SendClass1Command(kTransmitFrames);
    state_ = rf1SendCSI;
}

void TFxReceiveFax::St1StrtTrn(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.trainBytes = class1_.trainNonZero = 0;
        class1_.frameDle = false;
        Line().armTimer(FaxTimer::Second, kTrainingWaitTicks);
        state_ = rf1CollTrn;
    } else if (reply.contains(QLatin1String("ERROR")) || IsNoCarrier(reply)) {
        // No training check in the modulation asked for: a failed training.
        SendClass1Command(kTransmitFrames);
        state_ = rf1Retrain;
    }
}

void TFxReceiveFax::St1Retrain(const QString& reply) {
    if (IsConnect(reply)) {
        SendFrame(fcfFtt, {}, true);
        if (class1_.rateIndex <= kMinRateIndex) AbortWith(ecFaxTrainFail);
    } else if (IsLine(reply, "OK")) {
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        state_ = rf1CollFrms;
    }
}

void TFxReceiveFax::St1FinTrn(const QString& reply) {
    if (!IsNoCarrier(reply)) return;
    SendClass1Command(kTransmitFrames, kCarrierGoneMs);
    state_ = rf1SendCFR;
}

void TFxReceiveFax::St1SendCFR(const QString& reply) {
    if (IsConnect(reply)) {
        SendFrame(fcfCfr, {}, true);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    SendClass1Command(QLatin1String("AT+FRM=") + class1_.pageCode(), 0, kPageDataWaitTicks);
    if (!writer_.IsOpen()) {
        const bool accepted = !OnFaxAccept || OnFaxAccept(remoteId_);
        if (!accepted) {
            SetError(ecFileRejected);
            HangUp();
            Log(lfaxReceiveSkip);
            state_ = rfAbort;
            return;
        }
        if (!CreateFile()) return;
    }
    state_ = rf1WtPgCnnct;
}

void TFxReceiveFax::St1WtPgCnnct(const QString& reply) {
    if (reply.contains(QLatin1String("FCERROR"))) {
        // V.21 frames where the page belonged: the sender missed our CFR and repeats
        // its DCS. Listen for it and answer the new training.
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        state_ = rf1CollFrms;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        AbortWith(ecFaxBadResponse);
        return;
    }
    if (!IsConnect(reply)) return;
    SetStatus(fsGettingParams);
    state_ = rfStartPage;
}

void TFxReceiveFax::St1FinPage(const QString& reply) {
    if (!IsNoCarrier(reply)) return;
    SendClass1Command(kReceiveFrames);
    state_ = rf1WaitEOP;
}

void TFxReceiveFax::St1WtHngp(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    SetStatus(fsGotHangup);
    state_ = rfComplete;
}

void TFxReceiveFax::St1CollFrms(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR"))) {
        // A frame with a bad check sum: the sender repeats its command.
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        class1_.retries = 0;
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    if (class1_.lastFcf != fcfDcs) {
        // A final frame that asks for nothing we answer here: keep listening.
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    SendClass1Command(QLatin1String("AT+FRM=") + class1_.trainCode());
    class1_.retries = 0;
    Line().armTimer(FaxTimer::Second, kTrainingWaitTicks);
    state_ = rf1StrtTrn;
}

// Counts the training check's bytes up to DLE ETX; fewer than one in ten not zero passes.
void TFxReceiveFax::St1CollTrn(FaxLineEvent event) {
    if (event == FaxLineEvent::SecondTimer || event == FaxLineEvent::ReplyTimer) {
        AbortWith(ecFatalTimeout);
        return;
    }
    if (event != FaxLineEvent::Data) return;
    const QByteArray bytes = Line().read(Line().bytesWaiting());
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (class1_.frameDle) {
            class1_.frameDle = false;
            if (c == kEtx) {
                Unread(bytes.mid(i + 1));
                Line().disarmTimer(FaxTimer::Second);
                Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
                if (TrainingAccepted(class1_.trainNonZero, class1_.trainBytes)) {
                    state_ = rf1FinTrn;
                } else {
                    SendClass1Command(kTransmitFrames);
                    state_ = rf1Retrain;
                }
                return;
            }
            ++class1_.trainBytes;  // DLE DLE is one byte, and not zero
            ++class1_.trainNonZero;
            continue;
        }
        if (c == kDle) {
            class1_.frameDle = true;
            continue;
        }
        ++class1_.trainBytes;
        if (c != 0) ++class1_.trainNonZero;
    }
}

void TFxReceiveFax::St1WaitEOP(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR"))) {
        // A damaged post-page command: the sender repeats it.
        SendClass1Command(kReceiveFrames);
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        SendClass1Command(kReceiveFrames);
        return;
    }
    const std::uint8_t fcf = class1_.lastFcf;
    if (fcf != fcfMps && fcf != fcfEom && fcf != fcfEop) {
        SendClass1Command(kReceiveFrames);
        return;
    }
    morePages_ = fcf == fcfMps || fcf == fcfEom;
    newParams_ = fcf == fcfEom;
    SetStatus(fsGettingEOP, true);
    state_ = rf1WritePage;
}

void TFxReceiveFax::St1WritePage() {
    // The page is kept when it decodes; one that does not is refused with RTN, and the
    // sender trains again and sends it once more.
    pageRefused_ = false;
    if (page_.size() > 0) {
        const ReceivedPageCheck check = PutIntoFileOrder(page_.data());
        if (check.decodable) {
            KeepPage();
            if (state_ == rfAbort) return;
        } else {
            ++badPages_;
            pageRefused_ = true;
            --currentPage_;
        }
    }
    page_.reset();
    SendClass1Command(kTransmitFrames);
    SetStatus(fsGettingEOD, true);
    state_ = rf1SendMCF;
}

void TFxReceiveFax::St1SendMCF(const QString& reply) {
    if (IsConnect(reply)) {
        if (pageRefused_) {
            SendFrame(fcfRtn, {}, true);
            return;
        }
        SendFrame(fcfMcf, {}, true);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    if (pageRefused_) {
        // A new DCS and training check come before the page again.
        SendClass1Command(kReceiveFrames, 0, kCollectTicks);
        state_ = rf1CollFrms;
        return;
    }
    if (morePages_ && !newParams_) {
        SendClass1Command(QLatin1String("AT+FRM=") + class1_.pageCode(), 0, kPageDataWaitTicks);
        state_ = rf1WtPgCnnct;
        return;
    }
    if (morePages_) {
        // After EOM the call goes back to phase B: CSI and DIS as a new transmission, then
        // the sender's DCS for the pages that follow.
        class1_.retries = 0;
        SendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = rf1SendCSI;
        return;
    }
    SendClass1Command(kReceiveFrames, kTurnaroundMs);
    CloseFile();
    if (state_ == rfAbort) return;
    Log(lfaxReceiveOk);
    SetStatus(fsGettingHangup);
    state_ = rf1WaitDCN;
}

void TFxReceiveFax::St1WaitDCN(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR")) || IsNoCarrier(reply)) {
        // The fax is safe on disk; whatever ends the call now ends it.
        lastCommand_ = QStringLiteral("ATH");
        SendCommand(lastCommand_);
        state_ = rf1WtHngp;
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        SendClass1Command(kReceiveFrames);
        return;
    }
    lastCommand_ = QStringLiteral("ATH");
    SendCommand(lastCommand_);
    state_ = rf1WtHngp;
}

}  // namespace corvane
