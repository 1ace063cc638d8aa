#include "transport/abstract_fax.h"

#include <QMetaObject>

#include "core/fax_errors.h"
#include "transport/fx_port.h"
#include "transport/modem_replies.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kInitAttempts = 2;
constexpr int kClass1CommandPauseMs = 40;
constexpr int kFrameStartPauseMs = 20;
constexpr char kCr = '\r';
constexpr char kLf = '\n';

QString TrimmedLine(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes);
    // Spaces and control characters at both ends (an XON before a reply, for instance).
    int start = 0, end = text.size();
    while (start < end && text[start].unicode() <= ' ') ++start;
    while (end > start && text[end - 1].unicode() <= ' ') --end;
    return text.mid(start, end - start);
}

}  // namespace

TFxAbstractFax::TFxAbstractFax() = default;

TFxAbstractFax::~TFxAbstractFax() {
    if (line_) line_->detach();
}

QString TFxAbstractFax::CodeText(int code) {
    return FaxErrorTextOr(code, QStringLiteral("Unknown error %1").arg(code));
}

void TFxAbstractFax::SetLine(std::unique_ptr<FaxLine> line) {
    line_ = std::move(line);
    ownLineFromPort_ = false;
}

void TFxAbstractFax::EnsureLine() {
    if (line_ && !ownLineFromPort_) return;
    line_ = MakeComPortFaxLine(*ComPort);
    ownLineFromPort_ = true;
}

void TFxAbstractFax::CheckStart() {
    if (!line_ || ownLineFromPort_) {
        if (!ComPort) throw EFaxError(ecPortNotAssigned);
        if (!ComPort->Open()) throw EFaxError(ecDeviceNotOpen);
        if (ComPort->OutSize() < kMinimumOutSize) throw EFaxError(ecOutputBufferTooSmall);
        EnsureLine();
    } else if (line_->outSize() < kMinimumOutSize) {
        throw EFaxError(ecOutputBufferTooSmall);
    }
}

void TFxAbstractFax::AbortFax() {
    if (!active_) return;
    // Delivered as an event of its own so that a machine step in progress ends first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!active_ || InAbortState()) return;
            cancelPending_ = true;
            OnLineEvent(FaxLineEvent::Data);
        },
        Qt::QueuedConnection);
}

bool TFxAbstractFax::BlockingCommand(const QString& command, QString* reply) {
    FaxLine& l = *line_;
    l.pause(kCommandPauseMs);
    l.write(command.toLatin1() + kCr);
    const std::int64_t deadline = l.nowMs() + TicksToMs(kReplyWaitTicks);
    QByteArray current;
    bool result = false;
    bool done = false;
    while (!done) {
        const std::int64_t left = deadline - l.nowMs();
        if (left <= 0 || !l.waitForInput(int(left))) break;
        const QByteArray bytes = l.read(256);
        for (char c : bytes) {
            if (c != kCr && c != kLf) {
                if (current.size() < kMaxReplyLineLength) current.append(c);
                continue;
            }
            const QString text = TrimmedLine(current);
            current.clear();
            if (text.isEmpty() || text.compare(command, Qt::CaseInsensitive) == 0) continue;
            if (text.contains(QLatin1String("ERROR"))) {
                done = true;
                break;
            }
            if (text.contains(QLatin1String("OK"))) {
                result = done = true;
                break;
            }
            if (reply) *reply = text;
        }
    }
    l.purgeInput();
    return result;
}

bool TFxAbstractFax::DetectClass() {
    const QString init = BuiltInInitString(false, true);
    bool ok = false;
    for (int i = 0; i < kInitAttempts && !ok; ++i) ok = BlockingCommand(init);
    QString classes;
    if (!ok || !BlockingCommand(QStringLiteral("AT+FCLASS=?"), &classes)) return false;
    const bool class1 = classes.contains('1');
    class1_.selectCommand =
        class1 ? (classes.contains(QLatin1String("1.0")) ? QStringLiteral("AT+FCLASS=1.0")
                                                         : QStringLiteral("AT+FCLASS=1"))
               : QString();
    const bool class20 = classes.contains(QLatin1String("2.0"));
    const bool class2 = class20 ? classes.contains(QLatin1String("2,")) : classes.contains('2');
    // The highest class the modem offers.
    if (class20)
        classInUse_ = FaxClassKind::Class20;
    else if (class2)
        classInUse_ = FaxClassKind::Class2;
    else if (class1)
        classInUse_ = FaxClassKind::Class1;
    else
        return false;
    return true;
}

bool TFxAbstractFax::PrepareClass1(bool sending) {
    if (class1_.selectCommand.isEmpty()) {
        if (BlockingCommand(QStringLiteral("AT+FCLASS=1")))
            class1_.selectCommand = QStringLiteral("AT+FCLASS=1");
        else if (BlockingCommand(QStringLiteral("AT+FCLASS=1.0")))
            class1_.selectCommand = QStringLiteral("AT+FCLASS=1.0");
        else
            return false;
    } else if (!BlockingCommand(class1_.selectCommand)) {
        return false;
    }
    const QString query = sending ? QStringLiteral("AT+FTM=?") : QStringLiteral("AT+FRM=?");
    QString list;
    class1_.local = RateSet{};
    if (BlockingCommand(query, &list) && list.contains(','))
        class1_.local = RatesFromModulationList(list);
    class1_.rateIndex = class1_.local.highestCommon(class1_.local, kMaxRateIndex);
    return true;
}

void TFxAbstractFax::SendClass1Command(const QString& command, int waitMs, int ticks) {
    if (waitMs > 0) line_->pause(waitMs);
    // Page data are over: the modem's frames may hold DC1 and DC3 bytes.
    if (SoftwareFlow) line_->setSoftwareFlow(false);
    line_->pause(kClass1CommandPauseMs);
    SendRaw(command.toLatin1() + kCr);
    if (command.startsWith(QLatin1String("AT+FRH")) ||
        command.startsWith(QLatin1String("AT+FRM"))) {
        class1_.listenCommand = command;
        class1_.listenSentMs = line_->nowMs();
        class1_.quickFcErrors = 0;
    } else {
        class1_.listenCommand.clear();
    }
    class1_.frameSeen = false;
    class1_.frameOpen = class1_.frameDle = false;
    class1_.frame.clear();
    if (ticks >= 0) line_->armTimer(FaxTimer::Reply, ticks);
}

void TFxAbstractFax::SendFrame(std::uint8_t fcf, const QByteArray& fif, bool final) {
    line_->pause(kFrameStartPauseMs);
    SendRaw(BuildFrame(fcf, fif, final));
}

T30Frame TFxAbstractFax::TakeClass1Frame() {
    const T30Frame frame = ParseFrame(class1_.frame);
    class1_.frame.clear();
    class1_.frameDle = false;
    Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    if (!frame.valid) return frame;
    class1_.frameSeen = true;
    class1_.lastFinal = frame.final;
    class1_.lastFcf = frame.fcf;
    if (frame.fcf == fcfCsi || frame.fcf == fcfTsi) {
        remoteId_ = IdFromFif(frame.fif);
        SetStatus(fsGotStationId, true);
    }
    return frame;
}

bool TFxAbstractFax::CollectFrameBytes() {
    constexpr char kDleByte = 0x10;
    constexpr char kEtxByte = 0x03;
    constexpr int kMaxFrameBytes = 512;  // far beyond any T.30 frame; guards a runaway line
    while (!pushback_.isEmpty() || line_->bytesWaiting() > 0) {
        char c;
        if (!pushback_.isEmpty()) {
            c = pushback_[0];
            pushback_.remove(0, 1);
        } else {
            const QByteArray one = line_->read(1);
            if (one.isEmpty()) return false;
            c = one[0];
        }
        if (class1_.frameDle) {
            class1_.frameDle = false;
            if (c == kEtxByte) {
                class1_.frameOpen = false;
                return true;
            }
            // Kept escaped: ParseFrame undoes the doubling.
            if (class1_.frame.size() < kMaxFrameBytes) {
                class1_.frame.append(kDleByte);
                class1_.frame.append(c);
            }
            continue;
        }
        if (c == kDleByte) {
            class1_.frameDle = true;
            continue;
        }
        if (class1_.frame.size() < kMaxFrameBytes) class1_.frame.append(c);
    }
    return false;
}

void TFxAbstractFax::UpdateMinLineBytes() {
    class1_.minLineBytes = MinLineBytes(class1_.scanCode, class1_.fine, class1_.bps());
}

void TFxAbstractFax::StartMachine() {
    firstStatus_ = true;
    cancelPending_ = false;
    partialLine_.clear();
    pushback_.clear();
    line_->attach([this](FaxLineEvent e) { OnLineEvent(e); });
    line_->armTimer(FaxTimer::Status, SecondsToTicks(std::max(1, StatusInterval)));
    active_ = true;
}

void TFxAbstractFax::Finish(int error) {
    if (!active_) return;
    active_ = false;
    modemInitialised_ = false;
    line_->detach();
    const int code = error;
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            if (OnFaxFinish) OnFaxFinish(code);
        },
        Qt::QueuedConnection);
}

void TFxAbstractFax::OnLineEvent(FaxLineEvent event) {
    if (!active_ || running_) return;
    if (event == FaxLineEvent::StatusTimer || forceStatus_) {
        forceStatus_ = false;
        ReportStatus(false, false);
        if (event == FaxLineEvent::StatusTimer) {
            line_->armTimer(FaxTimer::Status, SecondsToTicks(std::max(1, StatusInterval)));
            return;
        }
    }
    running_ = true;
    try {
        // What the engine wrote is lost: the call cannot go on.
        if (event == FaxLineEvent::WriteFailed) throw EFaxError(ecPutBlockFailed);
        RunMachine(event);
    } catch (const EFaxError& e) {
        // The line or a file failed under the machine (a port closed under it, a disk
        // full): the call ends here; nothing may escape into the event delivery.
        if (error_ == 0) SetError(e.code());
        try {
            EndAfterFailure();
        } catch (const EFaxError&) {
            // Ending touches the line once more; when that fails too, only finishing is left.
        }
        if (active_) Finish(error_);
    }
    running_ = false;
}

void TFxAbstractFax::AbortWith(int error) {
    if (InAbortState()) return;
    SetError(error);
    EnterAbortState();
}

int TFxAbstractFax::ErrorReplyCode() {
    return ecFaxBadResponse;
}

void TFxAbstractFax::RunMachine(FaxLineEvent event) {
    for (;;) {
        if (CurrentStateFacts().kind == StateKind::Idle) return;
        if (cancelPending_) {
            cancelPending_ = false;
            SetStatus(fsUserAbort);
            SetError(ecCancelRequested);
            EnterAbortState();
        }
        // The port goes away under the call: whatever the state, the call ends.
        if (event == FaxLineEvent::PortClosing) AbortWith(ecDeviceNotOpen);
        const StateFacts state = CurrentStateFacts();
        QString reply;
        if (state.kind == StateKind::Reply) {
            if (event == FaxLineEvent::ReplyTimer) {
                StateTimedOut();
                if (!InAbortState()) {
                    event = FaxLineEvent::Data;
                    if (CurrentStateFacts().kind == StateKind::Action || ReplyLinePending())
                        continue;
                    return;
                }
            } else if (event == FaxLineEvent::SecondTimer) {
                if (!state.has(kEndsOnSecondTimer)) return;
                AbortWith(ecFatalTimeout);
            } else if (event == FaxLineEvent::Data) {
                if (class1_.frameOpen) {
                    if (!CollectFrameBytes()) return;
                    OnClass1Frame();
                    continue;
                }
                if (!ReadReplyLine(reply)) return;
                // The modem's echo of our own command.
                if (reply.compare(lastCommand_, Qt::CaseInsensitive) == 0) continue;
                if (reply.contains(QLatin1String("ERROR")) && !state.has(kToleratesError)) {
                    AbortWith(ErrorReplyCode());
                } else if (!IsClass1() && IsHangupReply(reply)) {
                    RecordHangup(reply);
                    if (!state.has(kTakesHangup)) AbortWith(HangupReplyCode());
                } else if (state.has(kTakesFrames) && IsConnect(reply)) {
                    class1_.frameOpen = true;
                }
            } else {
                return;  // other events do not concern a state that waits for a reply
            }
        }
        RunState(event, reply);
        const StateFacts next = CurrentStateFacts();
        if (next.kind == StateKind::Idle) return;
        if (next.kind == StateKind::Action) {
            event = FaxLineEvent::Data;
            continue;
        }
        if ((next.kind == StateKind::Reply || next.has(kRerunOnInput)) && ReplyLinePending()) {
            event = FaxLineEvent::Data;
            continue;
        }
        return;
    }
}

void TFxAbstractFax::SendCommand(const QString& command, int ticks) {
    line_->pause(kCommandPauseMs);
    SendRaw(command.toLatin1() + kCr);
    if (ticks >= 0) line_->armTimer(FaxTimer::Reply, ticks);
}

void TFxAbstractFax::SendRaw(const QByteArray& bytes) {
    line_->write(bytes);
}

void TFxAbstractFax::Unread(const QByteArray& bytes) {
    pushback_.prepend(bytes);
}

bool TFxAbstractFax::ReplyLinePending() {
    return !pushback_.isEmpty() || (line_ && line_->bytesWaiting() > 0);
}

bool TFxAbstractFax::ReadReplyLine(QString& text) {
    while (!pushback_.isEmpty() || line_->bytesWaiting() > 0) {
        char c;
        if (!pushback_.isEmpty()) {
            c = pushback_[0];
            pushback_.remove(0, 1);
        } else {
            const QByteArray one = line_->read(1);
            if (one.isEmpty()) return false;
            c = one[0];
        }
        if (c == kCr || c == kLf) {
            text = TrimmedLine(partialLine_);
            partialLine_.clear();
            if (text.isEmpty() || RepeatListenAfterQuickFcError(text)) continue;
            return true;
        }
        if (partialLine_.size() < kMaxReplyLineLength) partialLine_.append(c);
    }
    return false;
}

void TFxAbstractFax::SetStatus(int code, bool force) {
    const bool changed = code != status_;
    status_ = code;
    // Every new status reaches the owner at once; an unchanged one with the next report.
    if (changed) {
        ReportStatus(firstStatus_, false);
        firstStatus_ = false;
    } else if (force) {
        forceStatus_ = true;
    }
}

void TFxAbstractFax::ReportStatus(bool first, bool last) {
    if (OnFaxStatus) OnFaxStatus(first, last);
}

void TFxAbstractFax::SetError(int code) {
    error_ = code;
    if (code != 0 && OnFaxError) OnFaxError(code);
}

void TFxAbstractFax::Log(int code) {
    if (OnFaxLog) OnFaxLog(code);
    if (code == lfaxReceiveOk || code == lfaxReceiveSkip || code == lfaxReceiveFail)
        FaxFile.clear();
}

void TFxAbstractFax::RecordHangup(const QString& text) {
    const int code = ParseHangupCode(text, Cmds().hexHangupCodes);
    // An unreadable code counts as a failure, never as the normal end (0).
    hangupCode_ = code < 0 ? 0xFFFF : code;
}

bool TFxAbstractFax::IsHangupReply(const QString& text) const {
    return text.startsWith(QLatin1Char('+') + Cmds().hangup);
}

bool TFxAbstractFax::IsReply(const QString& text, const QString& name) const {
    return text.startsWith(QLatin1String("+F") + name + QLatin1Char(':'));
}

}  // namespace corvane
