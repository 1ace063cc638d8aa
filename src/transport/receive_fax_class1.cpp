// The Class 1 states of the receive machine: the engine answers with CSI and DIS, judges the
// sender's training check, confirms or refuses pages, all through the modem's HDLC and
// modulation commands (frames in t30_frames.h).

#include "core/fax_errors.h"
#include "transport/receive_fax.h"
#include "transport/send_page_data.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kTurnaroundMs = 200;
constexpr int kCarrierGoneMs = 20;
constexpr int kCollectTicks = 54;  // 3 s for the sender's frames
constexpr int kMaxCollectRetries = 5;
constexpr int kTrainingWaitTicks = 182;

const QString kTransmitFrames = QStringLiteral("AT+FTH=3");
const QString kReceiveFrames = QStringLiteral("AT+FRH=3");

bool IsLine(const QString& reply, const char* word) {
    return reply.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsConnect(const QString& reply) {
    return reply.startsWith(QLatin1String("CONNECT"), Qt::CaseInsensitive);
}

bool CarrierGone(const QString& reply) {
    return reply.contains(QLatin1String("RRIER"), Qt::CaseInsensitive);
}

}  // namespace

void TFxReceiveFax::onClass1Frame() {
    const T30Frame frame = takeClass1Frame();
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
            setStatus(fsGettingParams, true);
            break;
        }
        case fcfDcn:
            // The sender broke the call off: this call failed, the receiver is not cancelled.
            if (state_ != rf1WaitDCN) abortWith(ecFaxSessionError);
            break;
        default:
            break;
    }
}

void TFxReceiveFax::stClass1Timeout() {
    switch (state_) {
        case rf1SendCSI:
            if (class1_.retries > 0)
                state_ = rf1CollRtry1;
            else
                abortWith(ecFatalTimeout);
            return;
        case rf1CollFrms:
        case rf1CollRtry2:
            state_ = state_ == rf1CollFrms ? rf1CollRtry1 : rf1SendCSI;
            if (state_ == rf1SendCSI) sendClass1Command(kTransmitFrames);
            return;
        case rf1WaitDCN:
            state_ = rfComplete;
            return;
        default:
            abortWith(ecFatalTimeout);
            return;
    }
}

int TFxReceiveFax::class1ErrorReply() {
    const bool inCall = state_ != rf1Init1 && state_ != rfWaiting;
    if (!inCall || line().carrier()) return ecFaxBadResponse;
    // The sender hung up: before its DCS no fax call was made, after it the fax failed.
    return session_.valid ? ecFaxSessionError : ecFaxNoFaxConnect;
}

void TFxReceiveFax::class1SendIds() {
    sendFrame(fcfCsi, IdFif(StationID.toUpper().left(kStationIdLength)), false);
}

void TFxReceiveFax::stClass1Reply(const QString& reply) {
    switch (state_) {
        case rf1Init1:
            if (IsLine(reply, "RING")) return;
            if (!IsLine(reply, "OK")) {
                abortWith(ecFaxInitError);
                return;
            }
            line().disarmTimer(FaxTimer::Reply);
            setStatus(fsWaitingCall);
            state_ = rfWaiting;
            return;
        case rf1SendCSI:
            if (!IsConnect(reply)) return;
            class1SendIds();
            state_ = rf1SendDIS;
            return;
        case rf1SendDIS:
            if (IsConnect(reply)) {
                sendFrame(fcfDis, DisFif(class1_.rateIndex), true);
                return;
            }
            if (!IsLine(reply, "OK")) return;
            line().pause(kTurnaroundMs);
            sendClass1Command(kReceiveFrames, kTurnaroundMs, kCollectTicks);
            state_ = rf1CollFrms;
            return;
        case rf1CollRtry1:
            if (++class1_.retries > kMaxCollectRetries) {
                abortWith(ecFaxNoFaxConnect);
                return;
            }
            lastCommand_ = QStringLiteral("AT");
            sendCommand(lastCommand_);
            state_ = rf1CollRtry2;
            return;
        case rf1CollRtry2:
            sendClass1Command(kTransmitFrames);
            state_ = rf1SendCSI;
            return;
        case rf1StrtTrn:
            if (IsConnect(reply)) {
                class1_.trainBytes = class1_.trainNonZero = 0;
                class1_.frameDle = false;
                line().armTimer(FaxTimer::Second, kTrainingWaitTicks);
                state_ = rf1CollTrn;
            } else if (reply.contains(QLatin1String("ERROR")) || CarrierGone(reply)) {
                // No training check in the modulation asked for: a failed training.
                sendClass1Command(kTransmitFrames);
                state_ = rf1Retrain;
            }
            return;
        case rf1Retrain:
            if (IsConnect(reply)) {
                sendFrame(fcfFtt, {}, true);
                if (class1_.rateIndex <= kMinRateIndex) abortWith(ecFaxTrainFail);
            } else if (IsLine(reply, "OK")) {
                sendClass1Command(kReceiveFrames, 0, kCollectTicks);
                state_ = rf1CollFrms;
            }
            return;
        case rf1FinTrn:
            if (!CarrierGone(reply)) return;
            sendClass1Command(kTransmitFrames, kCarrierGoneMs);
            state_ = rf1SendCFR;
            return;
        case rf1SendCFR:
            if (IsConnect(reply)) {
                sendFrame(fcfCfr, {}, true);
                return;
            }
            if (!IsLine(reply, "OK")) return;
            sendClass1Command(QLatin1String("AT+FRM=") + class1_.pageCode(), 0, kPageDataWaitTicks);
            if (!writer_.IsOpen()) {
                const bool accepted = !OnFaxAccept || OnFaxAccept(remoteId_);
                if (!accepted) {
                    setError(ecFileRejected);
                    hangUp();
                    log(lfaxReceiveSkip);
                    state_ = rfAbort;
                    return;
                }
                if (!createFile()) return;
            }
            state_ = rf1WtPgCnnct;
            return;
        case rf1WtPgCnnct:
            if (reply.contains(QLatin1String("FCERROR"))) {
                // V.21 frames where the page belonged: the sender missed our CFR and repeats
                // its DCS. Listen for it and answer the new training.
                sendClass1Command(kReceiveFrames, 0, kCollectTicks);
                state_ = rf1CollFrms;
                return;
            }
            if (reply.contains(QLatin1String("ERROR"))) {
                abortWith(ecFaxBadResponse);
                return;
            }
            if (!IsConnect(reply)) return;
            setStatus(fsGettingParams);
            state_ = rfStartPage;
            return;
        case rf1FinPage:
            if (!CarrierGone(reply)) return;
            sendClass1Command(kReceiveFrames);
            state_ = rf1WaitEOP;
            return;
        case rf1WtHngp:
            if (!IsLine(reply, "OK")) return;
            setStatus(fsGotHangup);
            state_ = rfComplete;
            return;
        default:
            return;
    }
}

void TFxReceiveFax::stClass1CollFrms(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.frameOpen = true;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        // A frame with a bad check sum: the sender repeats its command.
        sendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        class1_.retries = 0;
        sendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    if (class1_.lastFcf != fcfDcs) {
        // A final frame that asks for nothing we answer here: keep listening.
        sendClass1Command(kReceiveFrames, 0, kCollectTicks);
        return;
    }
    sendClass1Command(QLatin1String("AT+FRM=") + class1_.trainCode());
    class1_.retries = 0;
    line().armTimer(FaxTimer::Second, kTrainingWaitTicks);
    state_ = rf1StrtTrn;
}

// Counts the training check's bytes up to DLE ETX; fewer than one in ten not zero passes.
void TFxReceiveFax::stClass1CollTrn(FaxLineEvent event) {
    if (event == FaxLineEvent::SecondTimer || event == FaxLineEvent::ReplyTimer) {
        abortWith(ecFatalTimeout);
        return;
    }
    if (event != FaxLineEvent::Data) return;
    const QByteArray bytes = line().read(line().bytesWaiting());
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (class1_.frameDle) {
            class1_.frameDle = false;
            if (c == kEtx) {
                unread(bytes.mid(i + 1));
                line().disarmTimer(FaxTimer::Second);
                line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
                if (TrainingAccepted(class1_.trainNonZero, class1_.trainBytes)) {
                    state_ = rf1FinTrn;
                } else {
                    sendClass1Command(kTransmitFrames);
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

void TFxReceiveFax::stClass1WaitEOP(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.frameOpen = true;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        // A damaged post-page command: the sender repeats it.
        sendClass1Command(kReceiveFrames);
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        sendClass1Command(kReceiveFrames);
        return;
    }
    const std::uint8_t fcf = class1_.lastFcf;
    if (fcf != fcfMps && fcf != fcfEom && fcf != fcfEop) {
        sendClass1Command(kReceiveFrames);
        return;
    }
    morePages_ = fcf == fcfMps || fcf == fcfEom;
    newParams_ = fcf == fcfEom;
    setStatus(fsGettingEOP, true);
    state_ = rf1WritePage;
}

void TFxReceiveFax::stClass1WritePage() {
    // The page is kept when it decodes; one that does not is refused with RTN, and the
    // sender trains again and sends it once more.
    pageRefused_ = false;
    if (page_.size() > 0) {
        const ReceivedPageCheck check = PutIntoFileOrder(page_.data());
        if (check.decodable) {
            keepPage();
            if (state_ == rfAbort) return;
        } else {
            ++badPages_;
            pageRefused_ = true;
            --currentPage_;
        }
    }
    page_.reset();
    sendClass1Command(kTransmitFrames);
    setStatus(fsGettingEOD, true);
    state_ = rf1SendMCF;
}

void TFxReceiveFax::stClass1SendMCF(const QString& reply) {
    if (IsConnect(reply)) {
        if (pageRefused_) {
            sendFrame(fcfRtn, {}, true);
            return;
        }
        sendFrame(fcfMcf, {}, true);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    if (pageRefused_) {
        // A new DCS and training check come before the page again.
        sendClass1Command(kReceiveFrames, 0, kCollectTicks);
        state_ = rf1CollFrms;
        return;
    }
    if (morePages_ && !newParams_) {
        sendClass1Command(QLatin1String("AT+FRM=") + class1_.pageCode(), 0, kPageDataWaitTicks);
        state_ = rf1WtPgCnnct;
        return;
    }
    if (morePages_) {
        // After EOM the call goes back to phase B: CSI and DIS as a new transmission, then
        // the sender's DCS for the pages that follow.
        class1_.retries = 0;
        sendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = rf1SendCSI;
        return;
    }
    sendClass1Command(kReceiveFrames, kTurnaroundMs);
    closeFile();
    if (state_ == rfAbort) return;
    log(lfaxReceiveOk);
    setStatus(fsGettingHangup);
    state_ = rf1WaitDCN;
}

void TFxReceiveFax::stClass1WaitDCN(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.frameOpen = true;
        return;
    }
    if (reply.contains(QLatin1String("ERROR")) || CarrierGone(reply)) {
        // The fax is safe on disk; whatever ends the call now ends it.
        lastCommand_ = QStringLiteral("ATH");
        sendCommand(lastCommand_);
        state_ = rf1WtHngp;
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        sendClass1Command(kReceiveFrames);
        return;
    }
    lastCommand_ = QStringLiteral("ATH");
    sendCommand(lastCommand_);
    state_ = rf1WtHngp;
}

}  // namespace corvane
