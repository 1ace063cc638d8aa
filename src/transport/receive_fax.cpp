#include "transport/receive_fax.h"

#include <QDir>
#include <QMetaObject>

#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "transport/send_page_data.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kProgramBaud = 19200;
constexpr int kPageReadMax = 10000;
constexpr int kHangupPauseMs = 1000;
constexpr int kDtrDropMs = 500;

const char* const kStateNames[] = {
    "rfNone",       "rfInit",       "rf1Init1",     "rf2Init1",     "rf2Init1A",  "rf2Init1B",
    "rf2Init3",     "rfWaiting",    "rfAnswer",     "rf1SendCSI",   "rf1SendDIS", "rf1CollFrms",
    "rf1CollRtry1", "rf1CollRtry2", "rf1StrtTrn",   "rf1CollTrn",   "rf1Retrain", "rf1FinTrn",
    "rf1SendCFR",   "rf1WtPgCnnct", "rf2ValCnnct",  "rf2GtSndID",   "rf2GtCnnct", "rfStartPage",
    "rfGtPgDta",    "rf1FinPage",   "rf1WaitEOP",   "rf1WritePage", "rf1SendMCF", "rf1WaitDCN",
    "rf1WtHngp",    "rf2GtPgRslt",  "rf2SendPgSts", "rf2GetFHNG",   "rfComplete", "rfAbort",
    "rfDone",
};
static_assert(sizeof kStateNames / sizeof kStateNames[0] == rfDone + 1);

bool IsLine(const QString& reply, const char* word) {
    return reply.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

}  // namespace

const char* ReceiveStateName(TFaxReceiveState state) {
    return state >= rfNone && state <= rfDone ? kStateNames[state] : "?";
}

TFxReceiveFax::TFxReceiveFax() = default;

TFxReceiveFax::~TFxReceiveFax() {
    try {
        writer_.Close();
    } catch (const EFaxError&) {
        // The finished pages are on disk already; nothing to report from here.
    }
}

void TFxReceiveFax::BeginReceive() {
    checkStart();
    prepare();
    startMachine();
    QMetaObject::invokeMethod(
        this, [this] { onLineEvent(FaxLineEvent::Data); }, Qt::QueuedConnection);
}

void TFxReceiveFax::prepare() {
    state_ = rfInit;
    error_ = 0;
    status_ = 0;
    if (FaxClass == FaxClassKind::Detect || FaxClass == FaxClassKind::None) {
        if (!detectClass()) throw EFaxError(ecFaxInitError);
    } else {
        if (FaxClass == FaxClassKind::Class1 && classInUse_ != FaxClassKind::Class1)
            class1_.selectCommand.clear();  // found by trying
        classInUse_ = FaxClass;
    }
    // A failing command here stops the set-up quietly: the machine's own first command then
    // meets the modem as it is.
    [&] {
        if (!modemInitialised_) {
            if (!ModemInit.isEmpty()) {
                QString init = ModemInit;
                if (!init.toUpper().startsWith(QLatin1String("AT")))
                    init.prepend(QLatin1String("AT"));
                if (!blockingCommand(init)) return;
            }
            if (!blockingCommand(BuiltInInitString(false, true))) return;
            modemInitialised_ = true;
        }
        if (isClass1()) {
            if (prepareClass1(false))
                class1_.rateIndex =
                    std::max(kMinRateIndex,
                             class1_.local.highestCommon(class1_.local, IndexForBps(DesiredBPS)));
            return;
        }
        if (!blockingCommand(QLatin1String("AT+F") + cmds().selectClass)) return;
        if (!blockingCommand(QStringLiteral("AT+FCR=1"))) return;
        if (!blockingCommand(
                QStringLiteral("AT+F%1=\"%2\"").arg(cmds().localId, StationID.toUpper().left(20))))
            return;
        blockingCommand(QStringLiteral("AT+FAA=%1").arg(FaxAndData ? '1' : '0'));
    }();
}

// ---------------------------------------------------------------------------------------
// The event loop

bool TFxReceiveFax::waitsForReply(TFaxReceiveState s) const {
    switch (s) {
        case rf2Init1:
        case rf2Init1A:
        case rf2Init1B:
        case rf2Init3:
        case rfWaiting:
        case rf2ValCnnct:
        case rf2GtSndID:
        case rf2GtCnnct:
        case rf2GtPgRslt:
        case rf2SendPgSts:
        case rf2GetFHNG:
        case rf1Init1:
        case rf1SendCSI:
        case rf1SendDIS:
        case rf1CollFrms:
        case rf1CollRtry2:
        case rf1StrtTrn:
        case rf1Retrain:
        case rf1FinTrn:
        case rf1SendCFR:
        case rf1WtPgCnnct:
        case rf1FinPage:
        case rf1WaitEOP:
        case rf1SendMCF:
        case rf1WaitDCN:
        case rf1WtHngp:
            return true;
        default:
            return false;
    }
}

bool TFxReceiveFax::isActionState(TFaxReceiveState s) const {
    switch (s) {
        case rfInit:
        case rfAnswer:
        case rfStartPage:
        case rf1CollRtry1:
        case rf1WritePage:
        case rfComplete:
        case rfAbort:
            return true;
        default:
            return false;
    }
}

void TFxReceiveFax::runMachine(FaxLineEvent event) {
    for (;;) {
        if (state_ == rfDone || state_ == rfNone) return;
        if (cancelPending_) {
            cancelPending_ = false;
            setStatus(fsUserAbort);
            setError(ecCancelRequested);
            state_ = rfAbort;
        }
        if (event == FaxLineEvent::PortClosing) abortWith(ecDeviceNotOpen);
        QString reply;
        if (waitsForReply(state_)) {
            if (event == FaxLineEvent::ReplyTimer) {
                if (isClass1()) {
                    stClass1Timeout();
                    if (state_ != rfAbort) {
                        event = FaxLineEvent::Data;
                        if (isActionState(state_) || replyLinePending()) continue;
                        return;
                    }
                } else {
                    abortWith(ecFatalTimeout);
                }
            } else if (event == FaxLineEvent::SecondTimer) {
                // The answered call must reach its first page within the dial wait.
                if (state_ == rf2ValCnnct || state_ == rf2GtSndID)
                    abortWith(ecFatalTimeout);
                else
                    return;
            } else if (event == FaxLineEvent::Data) {
                if (class1_.frameOpen) {
                    if (!collectFrameBytes()) return;
                    onClass1Frame();
                    continue;
                }
                if (!readReplyLine(reply)) return;
                if (reply.compare(lastCommand_, Qt::CaseInsensitive) == 0) continue;
                const bool handlesError = state_ == rf2GtPgRslt || state_ == rf2SendPgSts ||
                                          state_ == rf1CollFrms || state_ == rf1StrtTrn ||
                                          state_ == rf1WaitEOP || state_ == rf1WaitDCN ||
                                          state_ == rf1CollRtry2 || state_ == rf1WtPgCnnct;
                if (reply.contains(QLatin1String("ERROR")) && !handlesError) {
                    abortWith(isClass1() ? class1ErrorReply() : ecFaxBadResponse);
                } else if (!isClass1() && isHangupReply(reply)) {
                    recordHangup(reply);
                    if (state_ != rf2GetFHNG) abortWith(ecFaxSessionError);
                }
            } else {
                return;
            }
        }
        runState(event, reply);
        if (state_ == rfDone) return;
        if (isActionState(state_)) {
            event = FaxLineEvent::Data;
            continue;
        }
        if ((waitsForReply(state_) || state_ == rfGtPgDta || state_ == rf1CollTrn) &&
            replyLinePending()) {
            event = FaxLineEvent::Data;
            continue;
        }
        return;
    }
}

void TFxReceiveFax::abortWith(int error) {
    if (state_ == rfAbort || state_ == rfDone) return;
    setError(error);
    state_ = rfAbort;
}

void TFxReceiveFax::runState(FaxLineEvent event, const QString& reply) {
    switch (state_) {
        case rfInit:
            return stInit();
        case rf2Init1:
        case rf2Init1A:
        case rf2Init1B:
        case rf2Init3:
            return stInitReply(reply);
        case rfWaiting:
            return stWaiting(reply);
        case rfAnswer:
            return stAnswer();
        case rf2ValCnnct:
            return stValCnnct(reply);
        case rf2GtSndID:
            return stGtSndID(reply);
        case rf2GtCnnct:
            return stGtCnnct(reply);
        case rfStartPage:
            return stStartPage();
        case rfGtPgDta:
            return stGtPgDta(event);
        case rf2GtPgRslt:
            return stGtPgRslt(reply);
        case rf2SendPgSts:
            return stSendPgSts(reply);
        case rf2GetFHNG:
            return stGetFHNG(reply);
        case rf1Init1:
        case rf1SendCSI:
        case rf1SendDIS:
        case rf1CollRtry1:
        case rf1CollRtry2:
        case rf1StrtTrn:
        case rf1Retrain:
        case rf1FinTrn:
        case rf1SendCFR:
        case rf1WtPgCnnct:
        case rf1FinPage:
        case rf1WtHngp:
            return stClass1Reply(reply);
        case rf1CollFrms:
            return stClass1CollFrms(reply);
        case rf1CollTrn:
            return stClass1CollTrn(event);
        case rf1WaitEOP:
            return stClass1WaitEOP(reply);
        case rf1WritePage:
            return stClass1WritePage();
        case rf1SendMCF:
            return stClass1SendMCF(reply);
        case rf1WaitDCN:
            return stClass1WaitDCN(reply);
        case rfComplete:
            return stComplete();
        case rfAbort:
            return stAbort();
        default:
            abortWith(ecFaxInitError);
            return;
    }
}

// ---------------------------------------------------------------------------------------
// States

void TFxReceiveFax::stInit() {
    currentPage_ = 0;
    totalPages_ = 0;
    rings_ = 0;
    bytes_ = 0;
    badPages_ = 0;
    remoteId_.clear();
    FaxFile.clear();
    session_ = {};
    hangupCode_ = -1;
    postPage_ = -1;
    line().setDTR(true);
    line().setRTS(true);
    if (isClass1()) {
        lastCommand_ = class1_.selectCommand;
        sendCommand(lastCommand_);
        state_ = rf1Init1;
        return;
    }
    // The settings of the preparation go again before every call: the hang-up of the call
    // before drops DTR, which under &D3 resets the modem to its stored profile.
    initQueue_ = {QStringLiteral("AT+FCR=1"),
                  QStringLiteral("AT+F%1=\"%2\"").arg(cmds().localId, StationID.toUpper().left(20)),
                  QStringLiteral("AT+FAA=%1").arg(FaxAndData ? '1' : '0')};
    lastCommand_ = QLatin1String("AT+F") + cmds().selectClass;
    sendCommand(lastCommand_);
    state_ = rf2Init1;
}

void TFxReceiveFax::stInitReply(const QString& reply) {
    if (IsLine(reply, "RING")) return;
    if (!IsLine(reply, "OK")) {
        abortWith(ecFaxInitError);
        return;
    }
    const bool class20 = classInUse_ == FaxClassKind::Class20;
    if (state_ == rf2Init1 && !initQueue_.isEmpty()) {
        lastCommand_ = initQueue_.takeFirst();
        sendCommand(lastCommand_);
        return;
    }
    switch (state_) {
        case rf2Init1:
            lastCommand_ = QStringLiteral("AT+F%1=1,%2,0,2,0,%3,0,0")
                               .arg(cmds().receiveCaps)
                               .arg(RateCode(DesiredBPS))
                               .arg(DesiredECM ? '1' : '0');
            state_ = class20 ? rf2Init1A : rf2Init3;
            break;
        case rf2Init1A:
            lastCommand_ = QStringLiteral("AT+FLO=2");
            state_ = rf2Init1B;
            break;
        case rf2Init1B:
            lastCommand_ = QStringLiteral("AT+FNR=1,1,1,0");
            state_ = rf2Init3;
            break;
        default:
            line().disarmTimer(FaxTimer::Reply);
            setStatus(fsWaitingCall);
            state_ = rfWaiting;
            return;
    }
    sendCommand(lastCommand_);
}

void TFxReceiveFax::stWaiting(const QString& reply) {
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("RING")) {
        ++rings_;
        line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        if (rings_ >= std::max(1, AnswerOnRing)) {
            firstStatus_ = true;
            state_ = rfAnswer;
        }
        return;
    }
    if (upper.contains(QLatin1String("NO C"))) {
        setStatus(fsNoConnect);
        return;
    }
    if (upper.startsWith(QLatin1String("CONNECT"))) {
        abortWith(ecFaxDataCall);
    } else if (upper.contains(QLatin1String("VOICE")) || upper.contains(QLatin1String("VCON"))) {
        abortWith(ecFaxVoiceCall);
    } else {
        line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    }
}

void TFxReceiveFax::stAnswer() {
    lastCommand_ = QStringLiteral("ATA");
    const int wait = SecondsToTicks(DialWait > 0 ? DialWait : 60);
    sendCommand(lastCommand_, wait);
    line().armTimer(FaxTimer::Second, wait);
    setStatus(fsAnswering);
    if (isClass1()) {
        class1_.retries = 0;
        class1_.frameSeen = false;
        state_ = rf1SendCSI;
        return;
    }
    state_ = rf2ValCnnct;
}

void TFxReceiveFax::stValCnnct(const QString& reply) {
    const QString con = QLatin1String("+F") + cmds().connection;
    if (reply == con || reply.startsWith(con + ':')) {
        line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        setStatus(fsCallValidated);
        state_ = rf2GtSndID;
        return;
    }
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("NO CARRIER")) {
        // The modem found no fax on the line and is back in command mode.
        abortWith(ecFaxNoFaxConnect);
    } else if (upper.startsWith(QLatin1String("CONNECT"))) {
        abortWith(ecFaxDataCall);
    }
}

void TFxReceiveFax::stGtSndID(const QString& reply) {
    if (isReply(reply, cmds().transmitId)) {
        remoteId_ = QuotedId(reply);
        setStatus(fsGotStationId);
        offerCall();
        return;
    }
    if (isReply(reply, cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        setStatus(fsGettingParams);
        return;
    }
    if (IsLine(reply, "OK")) {
        // A sender that gives no id is offered to the owner all the same.
        if (!offerCall()) return;
        sendFdr();
        state_ = rf2GtCnnct;
    }
}

bool TFxReceiveFax::offerCall() {
    if (writer_.IsOpen()) return true;
    const bool accepted = !OnFaxAccept || OnFaxAccept(remoteId_);
    if (!accepted) {
        sendCommand(QLatin1String("AT+F") + cmds().terminate, -1);
        setError(ecFileRejected);
        hangUp();
        log(lfaxReceiveSkip);
        state_ = rfAbort;
        return false;
    }
    return createFile();
}

void TFxReceiveFax::sendFdr() {
    lastCommand_ = QStringLiteral("AT+FDR");
    // The answer comes after the remote's training, or after a whole page from a modem that
    // holds pages back until it has confirmed them: a reply wait is too short for that.
    sendCommand(lastCommand_, kPageDataWaitTicks);
}

void TFxReceiveFax::stGtCnnct(const QString& reply) {
    if (isReply(reply, cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        setStatus(fsGettingParams);
        return;
    }
    if (reply.startsWith(QLatin1String("CONNECT"))) state_ = rfStartPage;
}

void TFxReceiveFax::stStartPage() {
    ++currentPage_;
    if (!writer_.IsOpen() && !createFile()) return;
    page_.reset();
    pageGood_ = false;
    postPage_ = -1;
    line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    bytes_ = 0;
    // DC2 asks for the page; the XON after it starts the modems that wait for XON instead and
    // is only a "go on" to the others.
    if (!isClass1()) sendRaw(QByteArray(1, kDc2) + kXon);
    setStatus(fsGettingPage);
    state_ = rfGtPgDta;
}

void TFxReceiveFax::stGtPgDta(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        abortWith(ecFatalTimeout);
        return;
    }
    if (event != FaxLineEvent::Data) return;
    const QByteArray bytes = line().read(kPageReadMax);
    const int used = page_.feed(bytes.constData(), int(bytes.size()));
    bytes_ = page_.size();
    line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    if (!page_.ended()) return;
    if (used < bytes.size()) unread(bytes.mid(used));
    if (page_.overflowed()) {
        abortWith(ecFaxSessionError);
        return;
    }
    pageLength_ = page_.size();
    state_ = isClass1() ? rf1FinPage : rf2GtPgRslt;
}

void TFxReceiveFax::stGtPgRslt(const QString& reply) {
    if (isReply(reply, cmds().pageStatus)) {
        setStatus(fsGettingEOP);
        const int ppr = FirstReplyNumber(reply);
        pageGood_ = ppr == 1 || ppr == 3 || ppr == 5;
        rejectPage_ = false;
        if (!pageGood_) {
            // The modem refused the page (RTN): the sender trains again and sends it once more.
            ++badPages_;
            --currentPage_;
        } else {
            // Class 2 modems deliver the bits of each byte reversed, Class 2.0 in line order.
            const ReceivedPageCheck check =
                PutIntoFileOrder(page_.data(), classInUse_ == FaxClassKind::Class2);
            if (check.decodable) {
                keepPage();
                if (state_ == rfAbort) return;
            } else {
                // The modem passed it, but the data do not decode: ask for the page again
                // rather than keep it as good.
                ++badPages_;
                --currentPage_;
                rejectPage_ = true;
                pageGood_ = false;
            }
        }
        page_.reset();
        return;
    }
    if (reply.startsWith(QLatin1String("+FET"))) {
        setStatus(fsGettingEOD);
        const int fet = FirstReplyNumber(reply);
        postPage_ = fet >= 0 && fet <= 3 ? fet : 0;
        return;
    }
    if (IsLine(reply, "OK")) {
        if (rejectPage_) {
            rejectPage_ = false;
            lastCommand_ = QStringLiteral("AT+F%1=2").arg(cmds().pageStatus);
            sendCommand(lastCommand_);
            state_ = rf2SendPgSts;
            return;
        }
        sendFdr();
        if (postPage_ == 2 && pageGood_) {
            // The last page came good; the file is closed once the modem reports a normal
            // end of the call.
            setStatus(fsGettingHangup);
            state_ = rf2GetFHNG;
        } else {
            // More pages, or a refused page that the sender sends again.
            state_ = rf2GtCnnct;
        }
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        page_.reset();
        sendFdr();
        state_ = rf2GtCnnct;
    }
}

void TFxReceiveFax::stSendPgSts(const QString&) {
    // OK or ERROR: either way the next page (or the page again) is asked for.
    sendFdr();
    state_ = rf2GtCnnct;
}

void TFxReceiveFax::stGetFHNG(const QString& reply) {
    if (isHangupReply(reply)) {
        setStatus(fsGotHangup);
    } else if (reply.startsWith(QLatin1String("+FET"))) {
        setStatus(fsGettingEOD);
    } else if (IsLine(reply, "OK")) {
        if (hangupCode_ > 0) {
            // The modem ended the call with an error: the fax is not complete.
            abortWith(ecFaxSessionError);
            return;
        }
        closeFile();
        if (state_ == rfAbort) return;
        log(lfaxReceiveOk);
        state_ = rfComplete;
    }
}

void TFxReceiveFax::stComplete() {
    line().setBaud(kProgramBaud);
    if (OneFax) {
        reportStatus(false, true);
        state_ = rfDone;
        finish(error_);
        return;
    }
    reportStatus(false, false);
    state_ = rfInit;
}

void TFxReceiveFax::stAbort() {
    if (writer_.IsOpen()) {
        closeFile();
        log(lfaxReceiveFail);
    }
    hangUp();
    if (ExitOnError || error_ == ecCancelRequested || OneFax) {
        reportStatus(false, true);
        state_ = rfDone;
        finish(error_);
        return;
    }
    state_ = rfInit;
}

void TFxReceiveFax::endAfterFailure() {
    if (state_ == rfDone) return;
    state_ = rfDone;
    if (writer_.IsOpen()) {
        try {
            writer_.Close();
        } catch (const EFaxError&) {
            // The pages finished before stay on disk; the call's error is already set.
        }
        log(lfaxReceiveFail);
    }
    hangUp();
}

// ---------------------------------------------------------------------------------------
// The file

bool TFxReceiveFax::createFile() {
    QString name;
    if (OnFaxName) OnFaxName(name);
    if (name.isEmpty() && DestinationDir.isEmpty()) name = QStringLiteral("noname.apf");
    if (name.isEmpty()) {
        const auto unique = GetUniqueReceiveFileName(DestinationDir, false);
        if (!unique) {
            abortWith(ecNoFilename);
            return false;
        }
        name = unique.value();
    }
    try {
        writer_.CreateFile(name, remoteId_);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return false;
    }
    FaxFile = name;
    log(lfaxReceiveStart);
    return true;
}

void TFxReceiveFax::keepPage() {
    try {
        writer_.StartPage(session_.fine, session_.wide);
        writer_.WritePageData(page_.data().constData(), page_.data().size());
        writer_.EndPage();
        totalPages_ = writer_.PageCount();
    } catch (const EFaxError& e) {
        abortWith(e.code());
    }
}

void TFxReceiveFax::closeFile() {
    try {
        writer_.Close();
    } catch (const EFaxError& e) {
        abortWith(e.code());
    }
}

void TFxReceiveFax::hangUp() {
    FaxLine& l = line();
    l.setDTR(false);
    l.pause(kDtrDropMs);
    l.setDTR(true);
    l.pause(kHangupPauseMs);
    sendRaw("+++");
    l.pause(kHangupPauseMs);
    sendRaw("ATH\r");
    l.pause(kHangupPauseMs);
    l.purgeInput();
}

}  // namespace corvane
