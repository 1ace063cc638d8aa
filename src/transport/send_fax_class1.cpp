// The Class 1 states of the send machine: the engine itself conducts the T.30 procedure
// through the modem's HDLC and modulation commands (frames in t30_frames.h).

#include <algorithm>

#include "core/fax_errors.h"
#include "transport/send_fax.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kTurnaroundMs = 200;  // after our frames, before listening for the answer
// Before the post-page command: right after the page T.30 wants it within about 75 ms (the
// command pause makes up the rest); a command sent again waits for the modem to settle after
// the listening it broke off.
constexpr int kPostPageGapMs = 35;
constexpr int kPostPageRetryWaitMs = 500;
constexpr int kMcfWaitTicks = 54;  // 3 s for the answer to a post-page command
constexpr int kHangupWaitTicks = 26;
constexpr int kMaxPostPageTries = 5;
constexpr int kMaxResends = 2;
// The remote gets three DCS and training checks to answer; its CFR (or FTT) is awaited for
// T4 after each.
constexpr int kMaxDcsTries = 3;
constexpr int kCfrWaitTicks = 54;

const QString kTransmitFrames = QStringLiteral("AT+FTH=3");
const QString kReceiveFrames = QStringLiteral("AT+FRH=3");

bool IsLine(const QString& reply, const char* word) {
    return reply.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsConnect(const QString& reply) {
    return reply.startsWith(QLatin1String("CONNECT"), Qt::CaseInsensitive);
}

bool IsNoCarrier(const QString& reply) {
    return reply.contains(QLatin1String("RRIER"), Qt::CaseInsensitive);
}

}  // namespace

bool TFxSendFax::receivesFrames(TFaxSendState s) const {
    return s == tf1Connect || s == tf1WaitCFR || s == tf1WaitMCF;
}

void TFxSendFax::onClass1Frame() {
    const T30Frame frame = takeClass1Frame();
    if (!frame.valid) return;
    switch (frame.fcf) {
        case fcfCsi:
        case fcfTsi:
            break;  // the remote's id, taken with the frame
        case fcfDis: {
            const DisCaps caps = ParseDis(frame.fif);
            class1_.remote = caps.rates;
            class1_.remoteFine = caps.fine;
            class1_.remoteWide = caps.wide;
            class1_.remoteLength = caps.lengthBits;
            class1_.scanCode = caps.scanCode;
            if ((resolution_ == '1' && !caps.fine) || (pageWide_ && !caps.wide)) {
                abortWith(ecFaxIncompatible);
                return;
            }
            const int index = class1_.local.highestCommon(
                caps.rates, std::min(class1_.ceiling, IndexForBps(DesiredBPS)));
            class1_.rateIndex = std::max(index, kMinRateIndex);
            setStatus(fsGettingParams);
            break;
        }
        case fcfCfr:
            class1_.cfr = true;
            break;
        case fcfFtt:
        case fcfRtn:
            class1_.retrain = true;
            break;
        case fcfDcn:
            // The remote broke the call off: a failed call, not the user's cancel.
            abortWith(ecFaxSessionError);
            break;
        default:
            break;  // NSF and others: only the final flag counts
    }
}

void TFxSendFax::stClass1Timeout() {
    switch (state_) {
        case tf1Connect:
            abortWith(ecFaxNoAnswer);
            return;
        case tf1WaitCFR:
            // T4 passed without CFR: a byte ends the receive command, then DCS and training
            // go again.
            sendRaw(QByteArray(1, ' '));
            class1RepeatDCS(kPostPageRetryWaitMs);
            return;
        case tf1WaitMCF:
            // No answer to the post-page command: a byte ends the receive command, and the
            // command goes again.
            sendRaw(QByteArray(1, ' '));
            state_ = tf1PrepEOP;
            return;
        case tf1WaitHngp:
            hangUp();
            state_ = tfClose;
            return;
        default:
            abortWith(ecFatalTimeout);
            return;
    }
}

void TFxSendFax::stClass1Init(const QString& reply) {
    if (!IsLine(reply, "OK")) {
        abortWith(ecFaxInitError);
        return;
    }
    class1_.ceiling = IndexForBps(DesiredBPS);
    class1_.v17 = false;
    class1_.fine = resolution_ == '1';
    class1_.wide = pageWide_;
    state_ = tfDial;
}

// The remote's first frames after the call connects (NSF, CSI, DIS), and again after EOM.
void TFxSendFax::stClass1Connect(const QString& reply) {
    if (IsConnect(reply)) {
        if (status_ == fsDialing) setStatus(fsConnecting, true);
        class1_.frameOpen = true;
        return;
    }
    if (dialResult(reply)) return;
    if (IsNoCarrier(reply)) {
        // Before any V.21 frame the modem heard nobody answer with a fax: the same as an
        // unanswered number in Class 2. After frames, the remote is no fax we can talk to.
        if (status_ == fsDialing)
            dialFailed(ecFaxNoAnswer);
        else
            abortWith(ecFaxNoFaxConnect);
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        // A frame with a bad check sum: the remote repeats its DIS.
        sendClass1Command(kReceiveFrames);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    if (class1_.frameSeen && class1_.lastFinal && class1_.lastFcf == fcfDis) {
        class1_.dcsTries = 0;
        updateMinLineBytes();
        sendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = tf1SendTSI;
    } else {
        sendClass1Command(kReceiveFrames);
    }
}

void TFxSendFax::class1SendDCS() {
    DcsParams p;
    p.rateIndex = class1_.rateIndex;
    p.fine = class1_.fine;
    p.wide = class1_.wide;
    p.scanCode = class1_.scanCode;
    // The longest length the remote takes: our pages (the header line added) may run past A4.
    p.lengthBits = class1_.remoteLength;
    sendFrame(fcfDcs | kCallerX, DcsFif(p), true);
    session_.bps = class1_.bps();
    session_.fine = class1_.fine;
    session_.wide = class1_.wide;
    session_.valid = true;
    setStatus(fsGettingParams, true);
}

// The states that wait for one reply of the modem and answer it with the next step.
void TFxSendFax::stClass1Reply(const QString& reply) {
    switch (state_) {
        case tf1SendTSI:
            if (!IsConnect(reply)) return;
            sendFrame(fcfTsi | kCallerX, IdFif(StationID), false);
            state_ = tf1TSIRespns;
            return;
        case tf1TSIRespns:
            if (reply.contains(QLatin1String("ERROR"))) {
                if (!callDropped()) abortWith(ecFaxBadResponse);
                return;
            }
            if (!IsConnect(reply)) return;
            class1SendDCS();
            state_ = tf1DCSRspns;
            return;
        case tf1DCSRspns:
            if (!IsLine(reply, "OK") && !IsConnect(reply)) return;
            sendClass1Command(QLatin1String("AT+FTM=") + class1_.trainCode());
            state_ = tf1TrainStrt;
            return;
        case tf1TrainStrt: {
            if (!IsLine(reply, "OK") && !IsConnect(reply)) return;
            QByteArray check(TrainingCheckBytes(class1_.bps()), '\0');
            check.append(kDle);
            check.append(kEtx);
            sendRaw(check);
            line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
            state_ = tf1TrainFnsh;
            return;
        }
        case tf1TrainFnsh:
            if (!IsLine(reply, "OK")) return;
            class1_.cfr = class1_.retrain = false;
            ++class1_.dcsTries;
            sendClass1Command(kReceiveFrames, kTurnaroundMs, kCfrWaitTicks);
            state_ = tf1WaitCFR;
            return;
        case tf1WaitPgCn:
            if (!IsConnect(reply)) return;
            // A Class 1 modem is ready for data once it has said CONNECT: nothing to wait for.
            class1PageReady();
            return;
        case tf1PageEnd:
            if (!IsLine(reply, "OK")) return;
            class1_.retries = 0;
            setStatus(fsSendingEOP, true);
            state_ = tf1PrepEOP;
            return;
        case tf1SendEOP: {
            if (reply.contains(QLatin1String("ERROR"))) {
                // The modem refuses to transmit: after a lost carrier the call is gone;
                // otherwise the command goes again.
                if (!callDropped()) state_ = tf1PrepEOP;
                return;
            }
            if (!IsConnect(reply)) return;
            std::uint8_t fcf = fcfEop;
            if (morePagesFollow()) fcf = keepParams_ ? fcfMps : fcfEom;
            sendFrame(fcf | kCallerX, {}, true);
            state_ = tf1WaitMPS;
            return;
        }
        case tf1WaitMPS:
            if (!IsLine(reply, "OK")) return;
            class1_.cfr = class1_.retrain = false;
            sendClass1Command(kReceiveFrames, kTurnaroundMs, kMcfWaitTicks);
            state_ = tf1WaitMCF;
            return;
        case tf1SendDCN:
            if (!IsConnect(reply)) return;
            sendFrame(fcfDcn | kCallerX, {}, true);
            state_ = tf1Hangup;
            return;
        case tf1Hangup:
            if (!IsLine(reply, "OK")) return;
            lastCommand_ = QStringLiteral("ATH");
            sendCommand(lastCommand_, kHangupWaitTicks);
            state_ = tf1WaitHngp;
            return;
        case tf1WaitHngp:
            if (!IsLine(reply, "OK")) return;
            state_ = tfClose;
            return;
        default:
            return;
    }
}

void TFxSendFax::class1PageReady() {
    line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    line().armOutLow(BufferMinimum);
    state_ = tfWaitFrHead;
}

// Steps down after FTT or RTN to the next rate both sides can do; false (and -8062) when
// there is none.
bool TFxSendFax::class1StepDown() {
    const int lower = class1_.rateIndex > kMinRateIndex
                          ? class1_.local.highestCommon(class1_.remote, class1_.rateIndex - 1)
                          : 0;
    if (lower < kMinRateIndex) {
        abortWith(ecFaxTrainFail);
        return false;
    }
    class1_.rateIndex = lower;
    class1_.ceiling = lower;
    updateMinLineBytes();
    return true;
}

void TFxSendFax::stClass1WaitCFR(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.frameOpen = true;
        return;
    }
    if (IsNoCarrier(reply)) {
        // The modem heard no answer: DCS and training go again. (A line that dropped shows
        // itself there: the modem, back on hook, refuses to transmit.)
        class1RepeatDCS(kTurnaroundMs);
        return;
    }
    const bool badFrame = reply.contains(QLatin1String("ERROR"));
    if (!IsLine(reply, "OK") && !badFrame) return;
    if (!badFrame && class1_.frameSeen && !class1_.lastFinal) {
        sendClass1Command(kReceiveFrames, 0, kCfrWaitTicks);
        return;
    }
    if (class1_.cfr) {
        class1_.dcsTries = 0;
        sendClass1Command(QLatin1String("AT+FTM=") + class1_.pageCode(), kTurnaroundMs);
        state_ = tf1WaitPgCn;
        return;
    }
    if (class1_.retrain) {
        // FTT answers the training: a new DCS at the lower rate, counted afresh.
        if (!class1StepDown()) return;
        class1_.dcsTries = 0;
        sendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = tf1TSIRespns;
        return;
    }
    // No CFR heard (a damaged frame, or another one): DCS and training go again.
    class1RepeatDCS(kTurnaroundMs);
}

void TFxSendFax::class1RepeatDCS(int waitMs) {
    if (class1_.dcsTries >= kMaxDcsTries) {
        abortWith(ecFaxTrainFail);
        return;
    }
    sendClass1Command(kTransmitFrames, waitMs);
    state_ = tf1TSIRespns;
}

// After the modem refused to transmit (ERROR to AT+FTH=3): without carrier detect it is back
// on hook because the far end hung up, a dropped call. True when it ended the call.
bool TFxSendFax::callDropped() {
    if (line().carrier()) return false;
    abortWith(ecFaxSessionError);
    return true;
}

void TFxSendFax::stClass1PrepEOP() {
    if (++class1_.retries > kMaxPostPageTries) {
        // Nobody answers: a line without carrier has dropped the call.
        abortWith(line().carrier() ? ecFatalTimeout : ecFaxSessionError);
        return;
    }
    sendClass1Command(kTransmitFrames,
                      class1_.retries == 1 ? kPostPageGapMs : kPostPageRetryWaitMs);
    state_ = tf1SendEOP;
}

void TFxSendFax::stClass1WaitMCF(const QString& reply) {
    if (IsConnect(reply)) {
        class1_.frameOpen = true;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        state_ = tf1PrepEOP;
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        sendClass1Command(kReceiveFrames, 0, kMcfWaitTicks);
        return;
    }
    const std::uint8_t fcf = class1_.lastFcf;
    if (fcf == fcfMcf || fcf == fcfRtp) {
        pageConfirmed_ = true;
        setStatus(fsPageAccepted, true);
        const bool eom = !keepParams_;
        if (!morePagesFollow()) {
            sendClass1Command(kTransmitFrames);
            state_ = tf1SendDCN;
            return;
        }
        if (!openNextPage()) return;
        resolution_ = nextResolution_;
        class1_.fine = resolution_ == '1';
        pageWide_ = page_.header().isWide();
        class1_.wide = pageWide_;
        updateMinLineBytes();
        if (eom) {
            // After EOM the receiver starts over with its DIS; the new DCS answers it.
            sendClass1Command(kReceiveFrames);
            state_ = tf1Connect;
        } else if (fcf == fcfRtp) {
            sendClass1Command(kTransmitFrames);
            state_ = tf1TSIRespns;
        } else {
            // The page after MPS goes with the short training the first page had (V.17):
            // a receiver listening for it loses the start of a page sent with the long one.
            sendClass1Command(QLatin1String("AT+FTM=") + class1_.pageCode());
            state_ = tf1WaitPgCn;
        }
        return;
    }
    if (fcf == fcfRtn) {
        // The page went wrong: a lower rate, a new training, and the page again (twice per
        // fax at most).
        setStatus(fsPageError, true);
        if (++retries_ > kMaxResends) {
            abortWith(ecFaxSessionError);
            return;
        }
        // A lower rate when there is one; at the lowest the page goes again at that rate.
        if (class1_.rateIndex > kMinRateIndex && !class1StepDown()) return;
        try {
            openPage(currentPage_);
        } catch (const EFaxError& e) {
            abortWith(e.code());
            return;
        }
        sendClass1Command(kTransmitFrames);
        state_ = tf1TSIRespns;
        return;
    }
    // Any other answer (a repeated frame of the remote, say): the command goes again.
    state_ = tf1PrepEOP;
}

}  // namespace corvane
