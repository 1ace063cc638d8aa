// The Class 1 states of the send machine: the engine itself conducts the T.30 procedure
// through the modem's HDLC and modulation commands (frames in t30_frames.h).

#include <algorithm>

#include "core/fax_errors.h"
#include "transport/modem_replies.h"
#include "transport/send_fax.h"
#include "transport/t30_timers.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kTurnaroundMs = 200;  // after our frames, before listening for the answer
// Before the post-page command: right after the page T.30 wants it within about 75 ms (the
// command pause makes up the rest); a command sent again waits for the modem to settle after
// the listening it broke off.
constexpr int kPostPageGapMs = 35;
constexpr int kPostPageRetryWaitMs = 500;
constexpr int kHangupWaitTicks = 26;
constexpr int kMaxPostPageTries = 5;
constexpr int kMaxResends = 2;
// The remote gets three DCS and training checks to answer; its CFR (or FTT) is awaited for
// T4 after each.
constexpr int kMaxDcsTries = 3;

const QString kTransmitFrames = QStringLiteral("AT+FTH=3");
const QString kReceiveFrames = QStringLiteral("AT+FRH=3");

}  // namespace

void TFxSendFax::OnClass1Frame() {
    const T30Frame frame = TakeClass1Frame();
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
                AbortWith(ecFaxIncompatible);
                return;
            }
            const int index = class1_.local.highestCommon(
                caps.rates, std::min(class1_.ceiling, IndexForBps(DesiredBPS)));
            class1_.rateIndex = std::max(index, kMinRateIndex);
            SetStatus(fsGettingParams);
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
            AbortWith(ecFaxSessionError);
            break;
        default:
            break;  // NSF and others: only the final flag counts
    }
}

void TFxSendFax::St1WaitCFRTimeout() {
    // T4 passed without CFR: a byte ends the receive command, then DCS and training go again.
    SendRaw(QByteArray(1, ' '));
    Class1RepeatDCS(kPostPageRetryWaitMs);
}

void TFxSendFax::St1WaitMCFTimeout() {
    // No answer to the post-page command: a byte ends the receive command, and the command
    // goes again.
    SendRaw(QByteArray(1, ' '));
    state_ = tf1PrepEOP;
}

void TFxSendFax::St1WaitHngpTimeout() {
    HangUp();
    state_ = tfClose;
}

void TFxSendFax::St1Init1(const QString& reply) {
    if (!IsLine(reply, "OK")) {
        AbortWith(ecFaxInitError);
        return;
    }
    class1_.ceiling = IndexForBps(DesiredBPS);
    class1_.v17 = false;
    class1_.fine = resolution_ == '1';
    class1_.wide = pageWide_;
    state_ = tfDial;
}

// The remote's first frames after the call connects (NSF, CSI, DIS), and again after EOM.
void TFxSendFax::St1Connect(const QString& reply) {
    if (IsConnect(reply)) {
        // A frame follows.
        if (status_ == fsDialing) SetStatus(fsConnecting, true);
        return;
    }
    if (DialResult(reply)) return;
    if (IsNoCarrier(reply)) {
        // Before any V.21 frame the modem heard nobody answer with a fax: the same as an
        // unanswered number in Class 2. After frames, the remote is no fax we can talk to.
        if (status_ == fsDialing)
            DialFailed(ecFaxNoAnswer);
        else
            AbortWith(ecFaxNoFaxConnect);
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        // A frame with a bad check sum: the remote repeats its DIS.
        SendClass1Command(kReceiveFrames);
        return;
    }
    if (!IsLine(reply, "OK")) return;
    if (class1_.frameSeen && class1_.lastFinal && class1_.lastFcf == fcfDis) {
        class1_.dcsTries = 0;
        UpdateMinLineBytes();
        SendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = tf1SendTSI;
    } else {
        SendClass1Command(kReceiveFrames);
    }
}

void TFxSendFax::Class1SendDCS() {
    DcsParams p;
    p.rateIndex = class1_.rateIndex;
    p.fine = class1_.fine;
    p.wide = class1_.wide;
    p.scanCode = class1_.scanCode;
    // The longest length the remote takes: our pages (the header line added) may run past A4.
    p.lengthBits = class1_.remoteLength;
    SendFrame(fcfDcs | kCallerX, DcsFif(p), true);
    session_.bps = class1_.bps();
    session_.fine = class1_.fine;
    session_.wide = class1_.wide;
    session_.valid = true;
    SetStatus(fsGettingParams, true);
}

void TFxSendFax::St1SendTSI(const QString& reply) {
    if (!IsConnect(reply)) return;
    SendFrame(fcfTsi | kCallerX, IdFif(StationID), false);
    state_ = tf1TSIRespns;
}

void TFxSendFax::St1TSIRespns(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR"))) {
        if (!CallDropped()) AbortWith(ecFaxBadResponse);
        return;
    }
    if (!IsConnect(reply)) return;
    Class1SendDCS();
    state_ = tf1DCSRspns;
}

void TFxSendFax::St1DCSRspns(const QString& reply) {
    if (!IsLine(reply, "OK") && !IsConnect(reply)) return;
    SendClass1Command(QLatin1String("AT+FTM=") + class1_.trainCode());
    state_ = tf1TrainStrt;
}

void TFxSendFax::St1TrainStrt(const QString& reply) {
    if (!IsLine(reply, "OK") && !IsConnect(reply)) return;
    QByteArray check(TrainingCheckBytes(class1_.bps()), '\0');
    check.append(kDle);
    check.append(kEtx);
    SendRaw(check);
    Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    state_ = tf1TrainFnsh;
}

void TFxSendFax::St1TrainFnsh(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    class1_.cfr = class1_.retrain = false;
    ++class1_.dcsTries;
    SendClass1Command(kReceiveFrames, kTurnaroundMs, kT4Ticks);
    state_ = tf1WaitCFR;
}

void TFxSendFax::St1WaitPgCn(const QString& reply) {
    if (!IsConnect(reply)) return;
    // A Class 1 modem is ready for data once it has said CONNECT: nothing to wait for.
    Class1PageReady();
}

void TFxSendFax::St1PageEnd(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    class1_.retries = 0;
    SetStatus(fsSendingEOP, true);
    state_ = tf1PrepEOP;
}

void TFxSendFax::St1SendEOP(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR"))) {
        // The modem refuses to transmit: after a lost carrier the call is gone; otherwise the
        // command goes again.
        if (!CallDropped()) state_ = tf1PrepEOP;
        return;
    }
    if (!IsConnect(reply)) return;
    std::uint8_t fcf = fcfEop;
    if (MorePagesFollow()) fcf = nextAfterMps_ ? fcfMps : fcfEom;
    SendFrame(fcf | kCallerX, {}, true);
    state_ = tf1WaitMPS;
}

void TFxSendFax::St1WaitMPS(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    class1_.cfr = class1_.retrain = false;
    SendClass1Command(kReceiveFrames, kTurnaroundMs, kT4Ticks);
    state_ = tf1WaitMCF;
}

void TFxSendFax::St1SendDCN(const QString& reply) {
    if (!IsConnect(reply)) return;
    SendFrame(fcfDcn | kCallerX, {}, true);
    state_ = tf1Hangup;
}

void TFxSendFax::St1Hangup(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    lastCommand_ = QStringLiteral("ATH");
    SendCommand(lastCommand_, kHangupWaitTicks);
    state_ = tf1WaitHngp;
}

void TFxSendFax::St1WaitHngp(const QString& reply) {
    if (!IsLine(reply, "OK")) return;
    state_ = tfClose;
}

void TFxSendFax::Class1PageReady() {
    Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    Line().armOutLow(BufferMinimum);
    state_ = tfWaitFrHead;
}

// Steps down after FTT or RTN to the next rate both sides can do; false (and -8062) when
// there is none.
bool TFxSendFax::Class1StepDown() {
    const int lower = class1_.rateIndex > kMinRateIndex
                          ? class1_.local.highestCommon(class1_.remote, class1_.rateIndex - 1)
                          : 0;
    if (lower < kMinRateIndex) {
        AbortWith(ecFaxTrainFail);
        return false;
    }
    class1_.rateIndex = lower;
    class1_.ceiling = lower;
    UpdateMinLineBytes();
    return true;
}

void TFxSendFax::St1WaitCFR(const QString& reply) {
    if (IsNoCarrier(reply)) {
        // The modem heard no answer: DCS and training go again. (A line that dropped shows
        // itself there: the modem, back on hook, refuses to transmit.)
        Class1RepeatDCS(kTurnaroundMs);
        return;
    }
    const bool badFrame = reply.contains(QLatin1String("ERROR"));
    if (!IsLine(reply, "OK") && !badFrame) return;
    if (!badFrame && class1_.frameSeen && !class1_.lastFinal) {
        SendClass1Command(kReceiveFrames, 0, kT4Ticks);
        return;
    }
    if (class1_.cfr) {
        class1_.dcsTries = 0;
        SendClass1Command(QLatin1String("AT+FTM=") + class1_.pageCode(), kTurnaroundMs);
        state_ = tf1WaitPgCn;
        return;
    }
    if (class1_.retrain) {
        // FTT answers the training: a new DCS at the lower rate, counted afresh.
        if (!Class1StepDown()) return;
        class1_.dcsTries = 0;
        SendClass1Command(kTransmitFrames, kTurnaroundMs);
        state_ = tf1TSIRespns;
        return;
    }
    // No CFR heard (a damaged frame, or another one): DCS and training go again.
    Class1RepeatDCS(kTurnaroundMs);
}

void TFxSendFax::Class1RepeatDCS(int waitMs) {
    if (class1_.dcsTries >= kMaxDcsTries) {
        AbortWith(ecFaxTrainFail);
        return;
    }
    SendClass1Command(kTransmitFrames, waitMs);
    state_ = tf1TSIRespns;
}

// After the modem refused to transmit (ERROR to AT+FTH=3): without carrier detect it is back
// on hook because the far end hung up, a dropped call. True when it ended the call.
bool TFxSendFax::CallDropped() {
    if (Line().carrier()) return false;
    AbortWith(ecFaxSessionError);
    return true;
}

void TFxSendFax::St1PrepEOP() {
    if (++class1_.retries > kMaxPostPageTries) {
        // Nobody answers: a line without carrier has dropped the call.
        AbortWith(Line().carrier() ? ecFatalTimeout : ecFaxSessionError);
        return;
    }
    SendClass1Command(kTransmitFrames,
                      class1_.retries == 1 ? kPostPageGapMs : kPostPageRetryWaitMs);
    state_ = tf1SendEOP;
}

void TFxSendFax::St1WaitMCF(const QString& reply) {
    if (reply.contains(QLatin1String("ERROR"))) {
        state_ = tf1PrepEOP;
        return;
    }
    if (!IsLine(reply, "OK") || !class1_.frameSeen) return;
    if (!class1_.lastFinal) {
        SendClass1Command(kReceiveFrames, 0, kT4Ticks);
        return;
    }
    const std::uint8_t fcf = class1_.lastFcf;
    if (fcf == fcfMcf || fcf == fcfRtp) {
        pageConfirmed_ = true;
        SetStatus(fsPageAccepted, true);
        const bool eom = !nextAfterMps_;
        if (!MorePagesFollow()) {
            SendClass1Command(kTransmitFrames);
            state_ = tf1SendDCN;
            return;
        }
        if (!OpenNextPage()) return;
        resolution_ = nextResolution_;
        class1_.fine = resolution_ == '1';
        pageWide_ = page_.header().isWide();
        class1_.wide = pageWide_;
        UpdateMinLineBytes();
        if (eom) {
            // After EOM the receiver starts over with its DIS; the new DCS answers it.
            SendClass1Command(kReceiveFrames);
            state_ = tf1Connect;
        } else if (fcf == fcfRtp) {
            SendClass1Command(kTransmitFrames);
            state_ = tf1TSIRespns;
        } else {
            // The page after MPS goes with the short training the first page had (V.17):
            // a receiver listening for it loses the start of a page sent with the long one.
            SendClass1Command(QLatin1String("AT+FTM=") + class1_.pageCode());
            state_ = tf1WaitPgCn;
        }
        return;
    }
    if (fcf == fcfRtn) {
        // The page went wrong: a lower rate, a new training, and the page again (twice per
        // fax at most).
        SetStatus(fsPageError, true);
        if (++retries_ > kMaxResends) {
            AbortWith(ecFaxSessionError);
            return;
        }
        // A lower rate when there is one; at the lowest the page goes again at that rate.
        if (class1_.rateIndex > kMinRateIndex && !Class1StepDown()) return;
        try {
            OpenPage(currentPage_);
        } catch (const EFaxError& e) {
            AbortWith(e.code());
            return;
        }
        SendClass1Command(kTransmitFrames);
        state_ = tf1TSIRespns;
        return;
    }
    // Any other answer (a repeated frame of the remote, say): the command goes again.
    state_ = tf1PrepEOP;
}

}  // namespace corvane
