#include "transport/receive_fax.h"

#include <QDir>
#include <QMetaObject>

#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "transport/at_command.h"
#include "transport/modem_replies.h"
#include "transport/port_operations.h"
#include "transport/send_page_data.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kPageReadMax = 10000;
constexpr int kHangupPauseMs = 1000;
constexpr int kDtrDropMs = 500;

}  // namespace

TFxReceiveFax::TFxReceiveFax() = default;

TFxReceiveFax::~TFxReceiveFax() {
    try {
        writer_.Close();
    } catch (const EFaxError&) {
        // The finished pages are on disk already; nothing to report from here.
    }
}

void TFxReceiveFax::BeginReceive() {
    CheckStart();
    Prepare();
    StartMachine();
    QMetaObject::invokeMethod(
        this, [this] { OnLineEvent(FaxLineEvent::Data); }, Qt::QueuedConnection);
}

void TFxReceiveFax::Prepare() {
    state_ = rfInit;
    error_ = 0;
    status_ = 0;
    if (FaxClass == FaxClassKind::Detect || FaxClass == FaxClassKind::None) {
        if (!DetectClass()) throw EFaxError(ecFaxInitError);
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
                if (!BlockingCommand(AtCommandLine(ModemInit))) return;
            }
            if (!BlockingCommand(BuiltInInitString(false, true))) return;
            modemInitialised_ = true;
        }
        if (IsClass1()) {
            if (PrepareClass1(false))
                class1_.rateIndex =
                    std::max(kMinRateIndex,
                             class1_.local.highestCommon(class1_.local, IndexForBps(DesiredBPS)));
            return;
        }
        if (!BlockingCommand(QLatin1String("AT+F") + Cmds().selectClass)) return;
        if (!BlockingCommand(QStringLiteral("AT+FCR=1"))) return;
        if (!BlockingCommand(
                QStringLiteral("AT+F%1=\"%2\"").arg(Cmds().localId, StationID.toUpper().left(20))))
            return;
        BlockingCommand(QStringLiteral("AT+FAA=%1").arg(FaxAndData ? '1' : '0'));
    }();
}

// ---------------------------------------------------------------------------------------
// States

void TFxReceiveFax::StInit() {
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
    Line().setDTR(true);
    Line().setRTS(true);
    if (IsClass1()) {
        lastCommand_ = class1_.selectCommand;
        SendCommand(lastCommand_);
        state_ = rf1Init1;
        return;
    }
    // The settings of the preparation go again before every call: the hang-up of the call
    // before drops DTR, which under &D3 resets the modem to its stored profile.
    initQueue_ = {QStringLiteral("AT+FCR=1"),
                  QStringLiteral("AT+F%1=\"%2\"").arg(Cmds().localId, StationID.toUpper().left(20)),
                  QStringLiteral("AT+FAA=%1").arg(FaxAndData ? '1' : '0')};
    lastCommand_ = QLatin1String("AT+F") + Cmds().selectClass;
    SendCommand(lastCommand_);
    state_ = rf2Init1;
}

// The Class 2 and 2.0 set-up: each state waits for the modem's OK to the command before it
// and sends the next. A ring meanwhile waits for its turn.
bool TFxReceiveFax::InitAnswered(const QString& reply) {
    if (IsLine(reply, "RING")) return false;
    if (IsLine(reply, "OK")) return true;
    AbortWith(ecFaxInitError);
    return false;
}

void TFxReceiveFax::SendInitCommand(const QString& command, TFaxReceiveState next) {
    lastCommand_ = command;
    SendCommand(lastCommand_);
    state_ = next;
}

void TFxReceiveFax::St2Init1(const QString& reply) {
    if (!InitAnswered(reply)) return;
    if (!initQueue_.isEmpty()) {
        SendInitCommand(initQueue_.takeFirst(), rf2Init1);
        return;
    }
    SendInitCommand(QStringLiteral("AT+F%1=1,%2,0,2,0,%3,0,0")
                        .arg(Cmds().receiveCaps)
                        .arg(RateCode(DesiredBPS))
                        .arg(DesiredECM ? '1' : '0'),
                    classInUse_ == FaxClassKind::Class20 ? rf2Init1A : rf2Init3);
}

void TFxReceiveFax::St2Init1A(const QString& reply) {
    if (InitAnswered(reply)) SendInitCommand(QStringLiteral("AT+FLO=2"), rf2Init1B);
}

void TFxReceiveFax::St2Init1B(const QString& reply) {
    if (InitAnswered(reply)) SendInitCommand(QStringLiteral("AT+FNR=1,1,1,0"), rf2Init3);
}

void TFxReceiveFax::St2Init3(const QString& reply) {
    if (!InitAnswered(reply)) return;
    Line().disarmTimer(FaxTimer::Reply);
    SetStatus(fsWaitingCall);
    state_ = rfWaiting;
}

void TFxReceiveFax::StWaiting(const QString& reply) {
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("RING")) {
        ++rings_;
        Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        if (rings_ >= std::max(1, AnswerOnRing)) {
            firstStatus_ = true;
            state_ = rfAnswer;
        }
        return;
    }
    if (upper.contains(QLatin1String("NO C"))) {
        SetStatus(fsNoConnect);
        return;
    }
    if (upper.startsWith(QLatin1String("CONNECT"))) {
        AbortWith(ecFaxDataCall);
    } else if (upper.contains(QLatin1String("VOICE")) || upper.contains(QLatin1String("VCON"))) {
        AbortWith(ecFaxVoiceCall);
    } else {
        Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    }
}

void TFxReceiveFax::StAnswer() {
    lastCommand_ = QStringLiteral("ATA");
    const int wait = SecondsToTicks(DialWait > 0 ? DialWait : 60);
    SendCommand(lastCommand_, wait);
    Line().armTimer(FaxTimer::Second, wait);
    SetStatus(fsAnswering);
    if (IsClass1()) {
        class1_.retries = 0;
        class1_.frameSeen = false;
        state_ = rf1SendCSI;
        return;
    }
    state_ = rf2ValCnnct;
}

void TFxReceiveFax::StValCnnct(const QString& reply) {
    const QString con = QLatin1String("+F") + Cmds().connection;
    if (reply == con || reply.startsWith(con + ':')) {
        Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        SetStatus(fsCallValidated);
        state_ = rf2GtSndID;
        return;
    }
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("NO CARRIER")) {
        // The modem found no fax on the line and is back in command mode.
        AbortWith(ecFaxNoFaxConnect);
    } else if (upper.startsWith(QLatin1String("CONNECT"))) {
        AbortWith(ecFaxDataCall);
    }
}

void TFxReceiveFax::StGtSndID(const QString& reply) {
    if (IsReply(reply, Cmds().transmitId)) {
        remoteId_ = QuotedId(reply);
        SetStatus(fsGotStationId);
        OfferCall();
        return;
    }
    if (IsReply(reply, Cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        SetStatus(fsGettingParams);
        return;
    }
    if (IsLine(reply, "OK")) {
        // A sender that gives no id is offered to the owner all the same.
        if (!OfferCall()) return;
        SendFdr();
        state_ = rf2GtCnnct;
    }
}

bool TFxReceiveFax::OfferCall() {
    if (writer_.IsOpen()) return true;
    const bool accepted = !OnFaxAccept || OnFaxAccept(remoteId_);
    if (!accepted) {
        SendCommand(QLatin1String("AT+F") + Cmds().terminate, -1);
        SetError(ecFileRejected);
        HangUp();
        Log(lfaxReceiveSkip);
        state_ = rfAbort;
        return false;
    }
    return CreateFile();
}

void TFxReceiveFax::SendFdr() {
    lastCommand_ = QStringLiteral("AT+FDR");
    // The answer comes after the remote's training, or after a whole page from a modem that
    // holds pages back until it has confirmed them: a reply wait is too short for that.
    SendCommand(lastCommand_, kPageDataWaitTicks);
}

void TFxReceiveFax::StGtCnnct(const QString& reply) {
    if (IsReply(reply, Cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        SetStatus(fsGettingParams);
        return;
    }
    if (reply.startsWith(QLatin1String("CONNECT"))) state_ = rfStartPage;
}

void TFxReceiveFax::StStartPage() {
    ++currentPage_;
    if (!writer_.IsOpen() && !CreateFile()) return;
    page_.reset();
    pageGood_ = false;
    postPage_ = -1;
    Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    bytes_ = 0;
    // DC2 asks for the page; the XON after it starts the modems that wait for XON instead and
    // is only a "go on" to the others.
    if (!IsClass1()) SendRaw(QByteArray(1, kDc2) + kXon);
    SetStatus(fsGettingPage);
    state_ = rfGtPgDta;
}

void TFxReceiveFax::StGtPgDta(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        AbortWith(ecFatalTimeout);
        return;
    }
    if (event != FaxLineEvent::Data) return;
    const QByteArray bytes = Line().read(kPageReadMax);
    const int used = page_.feed(bytes.constData(), int(bytes.size()));
    bytes_ = page_.size();
    Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
    if (!page_.ended()) return;
    if (used < bytes.size()) Unread(bytes.mid(used));
    if (page_.overflowed()) {
        AbortWith(ecFaxSessionError);
        return;
    }
    pageLength_ = page_.size();
    state_ = IsClass1() ? rf1FinPage : rf2GtPgRslt;
}

void TFxReceiveFax::StGtPgRslt(const QString& reply) {
    if (IsReply(reply, Cmds().pageStatus)) {
        SetStatus(fsGettingEOP);
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
                KeepPage();
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
        SetStatus(fsGettingEOD);
        const int fet = FirstReplyNumber(reply);
        postPage_ = fet >= 0 && fet <= 3 ? fet : 0;
        return;
    }
    if (IsLine(reply, "OK")) {
        if (rejectPage_) {
            rejectPage_ = false;
            lastCommand_ = QStringLiteral("AT+F%1=2").arg(Cmds().pageStatus);
            SendCommand(lastCommand_);
            state_ = rf2SendPgSts;
            return;
        }
        SendFdr();
        if (postPage_ == 2 && pageGood_) {
            // The last page came good; the file is closed once the modem reports a normal
            // end of the call.
            SetStatus(fsGettingHangup);
            state_ = rf2GetFHNG;
        } else {
            // More pages, or a refused page that the sender sends again.
            state_ = rf2GtCnnct;
        }
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        page_.reset();
        SendFdr();
        state_ = rf2GtCnnct;
    }
}

void TFxReceiveFax::StSendPgSts(const QString&) {
    // OK or ERROR: either way the next page (or the page again) is asked for.
    SendFdr();
    state_ = rf2GtCnnct;
}

void TFxReceiveFax::StGetFHNG(const QString& reply) {
    if (IsHangupReply(reply)) {
        SetStatus(fsGotHangup);
    } else if (reply.startsWith(QLatin1String("+FET"))) {
        SetStatus(fsGettingEOD);
    } else if (IsLine(reply, "OK")) {
        if (hangupCode_ > 0) {
            // The modem ended the call with an error: the fax is not complete.
            AbortWith(ecFaxSessionError);
            return;
        }
        CloseFile();
        if (state_ == rfAbort) return;
        Log(lfaxReceiveOk);
        state_ = rfComplete;
    }
}

void TFxReceiveFax::StComplete() {
    Line().setBaud(kProgramBaud);
    if (OneFax) {
        ReportStatus(false, true);
        state_ = rfDone;
        Finish(error_);
        return;
    }
    ReportStatus(false, false);
    state_ = rfInit;
}

void TFxReceiveFax::StAbort() {
    if (writer_.IsOpen()) {
        CloseFile();
        Log(lfaxReceiveFail);
    }
    HangUp();
    if (ExitOnError || error_ == ecCancelRequested || OneFax) {
        ReportStatus(false, true);
        state_ = rfDone;
        Finish(error_);
        return;
    }
    state_ = rfInit;
}

void TFxReceiveFax::EndAfterFailure() {
    if (state_ == rfDone) return;
    state_ = rfDone;
    if (writer_.IsOpen()) {
        try {
            writer_.Close();
        } catch (const EFaxError&) {
            // The pages finished before stay on disk; the call's error is already set.
        }
        Log(lfaxReceiveFail);
    }
    HangUp();
}

// ---------------------------------------------------------------------------------------
// The file

bool TFxReceiveFax::CreateFile() {
    QString name;
    if (OnFaxName) OnFaxName(name);
    if (name.isEmpty() && DestinationDir.isEmpty()) name = QStringLiteral("noname.apf");
    if (name.isEmpty()) {
        const auto unique = GetUniqueReceiveFileName(DestinationDir, false);
        if (!unique) {
            AbortWith(ecNoFilename);
            return false;
        }
        name = unique.value();
    }
    try {
        writer_.CreateFile(name, remoteId_);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return false;
    }
    FaxFile = name;
    Log(lfaxReceiveStart);
    return true;
}

void TFxReceiveFax::KeepPage() {
    try {
        writer_.StartPage(session_.fine, session_.wide);
        writer_.WritePageData(page_.data().constData(), page_.data().size());
        writer_.EndPage();
        totalPages_ = writer_.PageCount();
    } catch (const EFaxError& e) {
        AbortWith(e.code());
    }
}

void TFxReceiveFax::CloseFile() {
    try {
        writer_.Close();
    } catch (const EFaxError& e) {
        AbortWith(e.code());
    }
}

void TFxReceiveFax::HangUp() {
    FaxLine& l = Line();
    l.setDTR(false);
    l.pause(kDtrDropMs);
    l.setDTR(true);
    l.pause(kHangupPauseMs);
    SendRaw("+++");
    l.pause(kHangupPauseMs);
    SendRaw("ATH\r");
    l.pause(kHangupPauseMs);
    l.purgeInput();
}

}  // namespace corvane
