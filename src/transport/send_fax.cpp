#include "transport/send_fax.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <utility>

#include "core/fax_errors.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/convert/header_line.h"
#include "faxdoc/convert/header_renderer.h"
#include "transport/at_command.h"
#include "transport/modem_replies.h"
#include "transport/port_operations.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kFdtWaitTicks = 546;  // 30 s for the modem to train and connect
constexpr int kXonWaitTicks = 18;
constexpr int kNextPageTicks = 5;
constexpr int kHangupPauseMs = 1000;
constexpr int kDtrDropMs = 500;
constexpr int kMaxResends = 2;

// Only one send machine at a time may take an entry.
bool gEntryBusy = false;

}  // namespace

TFxSendFax::TFxSendFax() = default;

TFxSendFax::~TFxSendFax() {
    CloseFaxFile();
    RemoveJoinedFile();
    if (state_ != tfNone && state_ != tfDone && entryTaken_) gEntryBusy = false;
}

// ---------------------------------------------------------------------------------------
// Start

void TFxSendFax::BeginTransmit() {
    CheckStart();
    RemoveJoinedFile();
    faxPath_.clear();
    QStringList files = FaxFileList;
    if (!CoverFile.isEmpty()) files.prepend(CoverFile);
    if (files.size() >= 2) {
        for (const QString& f : files) {
            if (ReadApfFileHeader(f).hasApfSignature()) continue;
            throw EFaxError(ecFaxBadFormat);
        }
        joined_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/corvane-send-XXXXXX.apf");
        if (!joined_->open()) throw EFaxError(ecAccessDenied);
        joined_->close();
        JoinApfFiles(files, joined_->fileName());
        faxPath_ = joined_->fileName();
    } else if (files.size() == 1) {
        faxPath_ = files.front();
    } else {
        faxPath_ = FaxFile;
    }
    Prepare();
    StartMachine();
    QMetaObject::invokeMethod(
        this, [this] { OnLineEvent(FaxLineEvent::Data); }, Qt::QueuedConnection);
}

void TFxSendFax::Prepare() {
    resolution_ = nextResolution_ = QChar(' ');
    state_ = tfGetEntry;
    status_ = 0;
    error_ = 0;
    firstStatus_ = true;
    SetStatus(fsInitializing);
    currentPage_ = totalPages_ = 0;
    bytes_ = pageLength_ = 0;
    remoteId_.clear();
    session_ = {};
    hangupCode_ = -1;
    entryTaken_ = false;
    dialAttempt_ = 0;
    retries_ = 0;
    FaxLine& l = Line();
    l.setBaud(kProgramBaud);
    l.setDTR(true);
    l.setRTS(true);
    if (FaxClass == FaxClassKind::Detect || FaxClass == FaxClassKind::None) {
        if (!DetectClass()) throw EFaxError(ecFaxInitError);
    } else {
        if (FaxClass == FaxClassKind::Class1 && classInUse_ != FaxClassKind::Class1)
            class1_.selectCommand.clear();  // found by trying
        classInUse_ = FaxClass;
    }
    if (!modemInitialised_) {
        if (!ModemInit.isEmpty()) {
            if (!BlockingCommand(AtCommandLine(ModemInit))) throw EFaxError(ecFaxInitError);
        }
        if (!BlockingCommand(BuiltInInitString(BlindDial, DetectBusy)))
            throw EFaxError(ecFaxInitError);
        modemInitialised_ = true;
    }
    if (classInUse_ == FaxClassKind::Class1 && !PrepareClass1(true))
        throw EFaxError(ecFaxInitError);
    renderer_ = MakeHeaderLineRenderer(!EnhTextEnabled);
}

// ---------------------------------------------------------------------------------------
// States

void TFxSendFax::StGetEntry() {
    if (gEntryBusy && !entryTaken_) return;  // another machine takes its entry first
    QString number, file, cover;
    bool have = false;
    if (OnFaxNext) {
        have = OnFaxNext(number, file, cover);
    } else if (!entryTaken_) {
        have = true;
        number = PhoneNumber;
        file = faxPath_;
    }
    if (!have) {
        state_ = tfCompleteOK;
        return;
    }
    entryTaken_ = true;
    Log(lfaxTransmitStart);
    retries_ = 0;
    dialAttempt_ = 0;
    number_ = number;
    faxPath_ = file;
    if (file.isEmpty()) {
        AbortWith(ecNoFilename);
        return;
    }
    try {
        const ApfFileHeader header = ReadApfFileHeader(file);
        totalPages_ = header.pageCount;
        if (totalPages_ < 1) throw EFaxError(ecFaxBadFormat);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return;
    }
    FaxFile = file;
    currentPage_ = 1;
    state_ = tfInit;
}

void TFxSendFax::StInit() {
    StationID = StationID.toUpper().left(20);
    try {
        OpenPage(currentPage_);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return;
    }
    resolution_ = page_.header().isHighRes() ? '1' : '0';
    pageWide_ = page_.header().isWide();
    SetStatus(fsInitializing);
    if (IsClass1()) {
        lastCommand_ = class1_.selectCommand;
        SendCommand(lastCommand_);
        state_ = tf1Init1;
        return;
    }
    lastCommand_ = QLatin1String("AT+F") + Cmds().selectClass;
    SendCommand(lastCommand_);
    bitOrderSet_ = false;
    state_ = tf2Init1;
}

// The Class 2 and 2.0 set-up: each state waits for the modem's OK to the command before it
// and sends the next.
bool TFxSendFax::InitAnswered(const QString& reply) {
    if (IsLine(reply, "OK")) return true;
    AbortWith(ecFaxInitError);
    return false;
}

void TFxSendFax::SendInitCommand(const QString& command, TFaxSendState next) {
    lastCommand_ = command;
    SendCommand(lastCommand_);
    state_ = next;
}

void TFxSendFax::St2Init1(const QString& reply) {
    if (!InitAnswered(reply)) return;
    if (!bitOrderSet_) {
        // Page data go in line order (first bit in the lowest place, as the APF file holds
        // them); a modem left in the other order by its profile or an init string would
        // send every byte mirrored.
        bitOrderSet_ = true;
        SendInitCommand(QStringLiteral("AT+F%1=0").arg(Cmds().bitOrder), tf2Init1);
        return;
    }
    SendInitCommand(QStringLiteral("AT+F%1=\"%2\"").arg(Cmds().localId, StationID),
                    classInUse_ == FaxClassKind::Class20 ? tf2Init1A : tf2Init2);
}

void TFxSendFax::St2Init1A(const QString& reply) {
    if (!InitAnswered(reply)) return;
    // XON/XOFF when the owner asks for software flow control, else RTS/CTS.
    SendInitCommand(QStringLiteral("AT+FLO=%1").arg(SoftwareFlow ? '1' : '2'), tf2Init1B);
}

void TFxSendFax::St2Init1B(const QString& reply) {
    if (!InitAnswered(reply)) return;
    SendInitCommand(QStringLiteral("AT+FNR=1,1,1,0"), tf2Init2);
}

void TFxSendFax::St2Init2(const QString& reply) {
    if (!InitAnswered(reply)) return;
    SendInitCommand(QStringLiteral("AT+F%1=%2,%3,%4,2,0,%5,0,0")
                        .arg(Cmds().callParams)
                        .arg(resolution_)
                        .arg(RateCode(DesiredBPS))
                        .arg(pageWide_ ? '1' : '0')
                        .arg(DesiredECM ? '1' : '0'),
                    tf2Init3);
}

void TFxSendFax::St2Init3(const QString& reply) {
    if (InitAnswered(reply)) state_ = tfDial;
}

void TFxSendFax::StDial() {
    lastCommand_ =
        QStringLiteral("ATD%1%2%3").arg(ToneDial ? 'T' : 'P').arg(DialPrefix.left(40), number_);
    SendCommand(lastCommand_, SecondsToTicks(DialWait > 0 ? DialWait : 60));
    SetStatus(fsDialing, true);
    state_ = IsClass1() ? tf1Connect : tf2Connect;
}

void TFxSendFax::StRetryWait(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) state_ = tfInit;
}

void TFxSendFax::StNoAnswer() {
    AbortWith(ecFaxNoAnswer);
}

int TFxSendFax::HangupReplyCode() {
    // A hang-up while dialling: the far end never answered as a fax (the modem's T1 ran out
    // on a voice or data answer). Later, the hang-up code says what went wrong.
    return state_ == tf2Connect ? ecFaxNoFaxConnect : HangupError();
}

void TFxSendFax::StConnect(const QString& reply) {
    const QString con = QLatin1String("+F") + Cmds().connection;
    if (reply == con || reply.startsWith(con + ':')) {
        Line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        SetStatus(fsConnecting, true);
        state_ = tf2GetParams;
        return;
    }
    if (DialResult(reply)) return;
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("NO CARRIER")) {
        // The modem has given up on the call and is back in command mode: nobody answered.
        DialFailed(ecFaxNoAnswer);
    } else if (upper == QLatin1String("CONNECT") || upper.startsWith(QLatin1String("CONNECT "))) {
        // A data carrier where a fax was expected.
        AbortWith(ecFaxNoFaxConnect);
    }
}

// A dial attempt that reached no fax: redialled after the retry wait while attempts are
// left; then the fax fails with `error` (busy, or nobody answered).
void TFxSendFax::DialFailed(int error) {
    ++dialAttempt_;
    if (dialAttempt_ < DialAttempts || DialAttempts == 0) {
        SetStatus(fsBusyWait, true);
        Line().armTimer(FaxTimer::Reply, SecondsToTicks(std::max(0, DialRetryWait)));
        state_ = tfRetryWait;
        return;
    }
    ReportStatus(false, false);
    if (AbortNoConnect) {
        AbortWith(error);
    } else {
        SetError(error);
        Log(lfaxTransmitFail);
        CloseFaxFile();
        state_ = tfGetEntry;
    }
}

bool TFxSendFax::DialResult(const QString& reply) {
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("BUSY")) {
        DialFailed(ecFaxBusy);
        return true;
    }
    if (upper.contains(QLatin1String("ANSWER"))) {
        DialFailed(ecFaxNoAnswer);
        return true;
    }
    if (upper.contains(QLatin1String("VOICE")) || upper.contains(QLatin1String("VCON"))) {
        AbortWith(ecFaxVoiceCall);
        return true;
    }
    if (upper.contains(QLatin1String("NO DIAL"))) {
        AbortWith(ecFaxNoDialTone);
        return true;
    }
    return false;
}

void TFxSendFax::StGetParams(const QString& reply) {
    if (IsReply(reply, Cmds().remoteCaps)) {
        const FaxSessionParams remote = ParseSessionParams(ReplyValue(reply));
        if (remote.valid && ((pageWide_ && !remote.wide) || (resolution_ == '1' && !remote.fine))) {
            AbortWith(ecFaxIncompatible);
            return;
        }
        SetStatus(fsGettingParams);
    } else if (IsReply(reply, Cmds().calledId)) {
        remoteId_ = QuotedId(reply);
        SetStatus(fsGotStationId, true);
    } else if (IsReply(reply, Cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        SetStatus(fsGettingParams);
    } else if (IsLine(reply, "OK")) {
        lastCommand_ = QStringLiteral("AT+FDT");
        SendCommand(lastCommand_, kFdtWaitTicks);
    } else if (reply.startsWith(QLatin1String("CONNECT"))) {
        if (classInUse_ == FaxClassKind::Class20) {
            Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
            Line().armOutLow(BufferMinimum);
            state_ = tfWaitFrHead;
        } else {
            Line().armTimer(FaxTimer::Reply, kXonWaitTicks);
            state_ = tfWaitXon;
        }
    }
}

void TFxSendFax::StWaitXon(FaxLineEvent event) {
    bool go = event == FaxLineEvent::ReplyTimer;
    if (event == FaxLineEvent::Data) {
        const QByteArray bytes = Line().read(Line().bytesWaiting());
        go = bytes.contains(kXon);
    }
    if (!go) return;
    Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    Line().armOutLow(BufferMinimum);
    state_ = tfWaitFrHead;
}

void TFxSendFax::StWaitFrHead(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        AbortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        DropOrHoldInput();
        return;
    }
    if (event != FaxLineEvent::OutLow) return;
    SetStatus(fsSendingPage);
    state_ = tfSndPgeHdr;
}

QString TFxSendFax::ExpandedHeader() const {
    HeaderLineValues values;
    values.stationId = StationID;
    values.sender = HeaderSender;
    values.recipient = HeaderRecipient;
    values.title = HeaderTitle;
    values.page = currentPage_;
    values.pageCount = totalPages_;
    return ExpandHeaderLine(HeaderLine, values);
}

void TFxSendFax::StSndPgeHdr() {
    const bool fine = resolution_ == '1';
    const QString text = HeaderLine.isEmpty() ? QString() : ExpandedHeader();
    QByteArray band;
    try {
        band = HeaderBandBytes(renderer_.get(), text, fine, IsClass1() ? class1_.minLineBytes : 0);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return;
    }
    pending_ = band;
    // Zero bytes (valid fill between coded lines) would keep the modem busy while page data
    // are read; here the page's first blocks follow the header band in the same step, so fill
    // would only cost line time.
    state_ = tfPrepPage;
}

void TFxSendFax::StOpenCover() {
    state_ = tfPrepPage;  // covers arrive joined with the document
}

void TFxSendFax::StPrepPage() {
    xoff_ = false;
    if (SoftwareFlow && IsClass1()) Line().setSoftwareFlow(true);
    bytes_ = 0;
    pageLength_ = page_.pageLength();
    pageDone_ = false;
    pageConfirmed_ = false;
    pageEndQueued_ = false;
    lastStatusMs_ = Line().nowMs();
    Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    if (!WritePageData()) return;
    if (pageDone_) {
        Line().armOutEmpty();
        state_ = tfDrainPage;
    } else {
        Line().armOutLow(BufferMinimum);
        state_ = tfSendPage;
    }
}

bool TFxSendFax::WritePageData() {
    FaxLine& l = Line();
    if (xoff_) return true;  // the modem's XON lets the data go on
    int blocks = 0;
    try {
        while (blocks < MaxSendCount && l.outUsed() <= BufferMinimum) {
            if (pending_.isEmpty()) {
                if (!NextPiece()) {
                    pageDone_ = true;
                    break;
                }
                bytes_ = page_.consumed();
            }
            const int room = l.outFree();
            if (room <= 0) break;
            if (pending_.size() <= room) {
                l.write(pending_);
                pending_.clear();
            } else {
                // What fits now; the rest follows with the next event.
                l.write(pending_.left(room));
                pending_.remove(0, room);
            }
            ++blocks;
        }
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return false;
    }
    if (blocks > 0) {
        // Progress: the page data wait counts from the last block the line took, so a long
        // page at a low rate is not cut off.
        l.armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    }
    if (pending_.isEmpty() && !pageDone_ && bytes_ >= pageLength_) pageDone_ = !NextPiece();
    const std::int64_t now = l.nowMs();
    if (now - lastStatusMs_ >= 3000LL * std::max(1, StatusInterval)) {
        lastStatusMs_ = now;
        forceStatus_ = true;
    }
    return true;
}

void TFxSendFax::StSendPage(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        AbortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        // Only an XON that ends a pause lets the data go on from here; everything else
        // waits for the output buffer.
        if (!DropOrHoldInput()) return;
    } else if (event != FaxLineEvent::OutLow) {
        return;
    }
    if (!WritePageData()) return;
    if (xoff_) return;  // no output event until the XON: it comes as data
    if (pageDone_ && pending_.isEmpty()) {
        Line().armOutEmpty();
        state_ = tfDrainPage;
    } else {
        Line().armOutLow(BufferMinimum);
    }
}

// Bytes from the modem while page data flow: a Class 1 modem's are its answer to the page's
// end, kept for the state that waits for it; a Class 2 modem's are of no use here but for
// XOFF and XON under software flow control. True when an XON ended a pause.
bool TFxSendFax::DropOrHoldInput() {
    const QByteArray bytes = Line().read(Line().bytesWaiting());
    const bool paused = xoff_;
    if (IsClass1()) {
        // Under software flow control XOFF and XON pace the data; the rest is the modem's
        // answer to the page's end.
        HoldInput(SoftwareFlow ? TakeFlowControl(bytes, xoff_) : bytes);
        return paused && !xoff_;
    }
    if (!SoftwareFlow) return false;
    TakeFlowControl(bytes, xoff_);
    return paused && !xoff_;
}

bool TFxSendFax::NextPiece() {
    if (!IsClass1()) return page_.nextEscaped(pending_);
    if (page_.nextEscaped(pending_, class1_.minLineBytes)) return true;
    if (pageEndQueued_) return false;
    // The page's last record is its RTC; DLE ETX then gives the line back to the modem.
    pending_ = QByteArray(1, kDle) + kEtx;
    pageEndQueued_ = true;
    return true;
}

bool TFxSendFax::MorePagesFollow() const {
    return pageOpen_ && currentPage_ < totalPages_;
}

void TFxSendFax::StDrainPage(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        AbortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        DropOrHoldInput();
        return;
    }
    if (event != FaxLineEvent::OutEmpty) return;
    nextResolution_ = resolution_;
    if (MorePagesFollow()) {
        try {
            const ApfPageHeader next =
                ReadApfPageHeader(faxPath_, currentPage_ + 1, ApfPageLookup::Sending);
            nextResolution_ = next.isHighRes() ? '1' : '0';
        } catch (const EFaxError& e) {
            AbortWith(e.code());
            return;
        }
    }
    if (IsClass1()) {
        nextAfterMps_ = keepParameters_ && nextResolution_ == resolution_;
        // DLE ETX went out behind the page data; the modem answers OK once it has sent
        // everything.
        SetStatus(fsSendingPage);
        Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
        state_ = tf1PageEnd;
        return;
    }
    QByteArray end(1, kDle);
    if (classInUse_ == FaxClassKind::Class20) {
        end.append(!MorePagesFollow() ? '.' : nextResolution_ == resolution_ ? ',' : ';');
    } else {
        end.append(kEtx);
    }
    SendRaw(end);
    SetStatus(fsSendingPage);
    state_ = tf2SendEOP;
}

void TFxSendFax::StSendEOP() {
    Line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    SetStatus(fsSendingEOP);
    lastCommand_.clear();
    state_ = classInUse_ == FaxClassKind::Class20 ? tf20ChckPg : tf2WaitFPTS;
}

void TFxSendFax::StWaitFPTS(const QString& reply) {
    if (!IsLine(reply, "OK")) {
        AbortWith(ecFaxSessionError);
        return;
    }
    const char fet = !MorePagesFollow() ? '2' : nextResolution_ == resolution_ ? '0' : '1';
    lastCommand_ = QStringLiteral("AT+FET=%1").arg(fet);
    SendCommand(lastCommand_, kPageDataWaitTicks);
    state_ = tf2WaitFET;
}

void TFxSendFax::StWaitFET(const QString& reply) {
    if (IsHangupReply(reply)) return;  // recorded; the result follows
    if (IsReply(reply, Cmds().pageStatus)) {
        const int ppr = FirstReplyNumber(reply);
        if (ppr == 1 || ppr == 3) {
            pageConfirmed_ = true;
            SetStatus(fsPageAccepted, true);
        } else if (ppr == 2) {
            SetStatus(fsPageError, true);
            state_ = tf2WaitPgOK;
        } else if (ppr == 4 || ppr == 5) {
            AbortWith(ecCancelRequested);
        } else {
            AbortWith(ecFaxPageError);
        }
        return;
    }
    if (IsLine(reply, "OK")) {
        // A Class 2 modem confirms every page with its page status; without one the page
        // cannot count as sent, whatever the hang-up report says.
        if (!pageConfirmed_) {
            // Without a page status, the hang-up report (when one came) says what went wrong.
            AbortWith(hangupCode_ > 0 ? HangupError() : ecFaxPageError);
            return;
        }
        state_ = nextResolution_ != resolution_ && MorePagesFollow() ? tf2SndNwPrm : tf2NextPage;
        return;
    }
    AbortWith(ecFaxPageError);
}

void TFxSendFax::StChckPg(const QString& reply) {
    if (IsHangupReply(reply)) return;               // recorded; the result follows
    if (IsReply(reply, Cmds().pageStatus)) return;  // the result line follows
    if (IsLine(reply, "OK")) {
        pageConfirmed_ = true;
        SetStatus(fsPageAccepted, true);
        state_ = nextResolution_ != resolution_ && MorePagesFollow() ? tf2SndNwPrm : tf2NextPage;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        if (hangupCode_ > 0) {
            // The modem has reported the end of the call: no page status to ask for; its
            // hang-up code says what went wrong.
            AbortWith(HangupError());
            return;
        }
        lastCommand_ = QStringLiteral("AT+FPS?");
        SendCommand(lastCommand_);
        SetStatus(fsPageError, true);
        state_ = tf2WaitPgOK;
        return;
    }
    AbortWith(ecFaxPageError);
}

void TFxSendFax::StWaitPgOK(const QString& reply) {
    // The answer to our query, OK follows. Modems answer a parameter read with "+FPS:2" or
    // with the bare value "2".
    static const QRegularExpression kBareValue(QStringLiteral("^\\s*\\d+(,\\d+)*\\s*$"));
    if (IsReply(reply, Cmds().pageStatus)) {
        queriedStatus_ = FirstReplyNumber(reply);
        return;
    }
    if (kBareValue.match(reply).hasMatch()) {
        queriedStatus_ = reply.section(',', 0, 0).trimmed().toInt();
        return;
    }
    if (!IsLine(reply, "OK")) {
        AbortWith(ecFaxSessionError);
        return;
    }
    const int status = std::exchange(queriedStatus_, -1);
    if (status == 4 || status == 5) {
        // PIN or PIP: the remote asks for the procedure to stop, as +FPTS:4/5 does in
        // Class 2; the page is not sent again.
        AbortWith(ecCancelRequested);
        return;
    }
    ++retries_;
    if (retries_ > kMaxResends) {
        SendCommand(QLatin1String("AT+F") + Cmds().terminate, -1);
        AbortWith(ecFaxSessionError);
        return;
    }
    try {
        OpenPage(currentPage_);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return;
    }
    lastCommand_ = QStringLiteral("AT+FDT");
    SendCommand(lastCommand_, kFdtWaitTicks);
    state_ = tf2GetParams;
}

// Moves to the next page of the file. False when there is none (the call closes) or it cannot
// be read (the call ends with its code).
bool TFxSendFax::OpenNextPage() {
    if (!MorePagesFollow()) {
        state_ = tfClose;
        return false;
    }
    try {
        OpenPage(currentPage_ + 1);
    } catch (const EFaxError& e) {
        AbortWith(e.code());
        return false;
    }
    ++currentPage_;
    return true;
}

void TFxSendFax::StSndNwPrm() {
    if (!OpenNextPage()) return;
    resolution_ = nextResolution_;
    lastCommand_ = QStringLiteral("AT+F%1=%2").arg(Cmds().callParams).arg(resolution_);
    SendCommand(lastCommand_);
    state_ = tf2GetParams;
}

void TFxSendFax::StNextPage() {
    if (!OpenNextPage()) return;
    Line().pause(int(TicksToMs(kNextPageTicks)));
    lastCommand_ = QStringLiteral("AT+FDT");
    SendCommand(lastCommand_, kFdtWaitTicks);
    state_ = tf2GetParams;
}

void TFxSendFax::StClose() {
    CloseFaxFile();
    SetStatus(fsFinished, true);
    Log(lfaxTransmitOk);
    Line().setBaud(kProgramBaud);
    state_ = tfGetEntry;
}

void TFxSendFax::StCompleteOK() {
    Line().disarmTimer(FaxTimer::Reply);
    ReportStatus(false, true);
    if (entryTaken_) gEntryBusy = false;
    state_ = tfDone;
    RemoveJoinedFile();
    Finish(error_);
}

void TFxSendFax::StAbort() {
    CloseFaxFile();
    Log(lfaxTransmitFail);
    HangUp();
    if (ExitOnError || AbortNoConnect || error_ == ecCancelRequested) {
        // "User abort" only when the user cancelled; a failed call keeps the status it
        // failed in.
        if (error_ == ecCancelRequested) SetStatus(fsUserAbort);
        ReportStatus(false, true);
        if (entryTaken_) gEntryBusy = false;
        state_ = tfDone;
        RemoveJoinedFile();
        Finish(error_);
        return;
    }
    state_ = tfGetEntry;
}

void TFxSendFax::EndAfterFailure() {
    if (state_ == tfDone) return;
    const bool wasAborting = state_ == tfAbort;
    state_ = tfDone;
    CloseFaxFile();
    if (entryTaken_) gEntryBusy = false;
    RemoveJoinedFile();
    if (!wasAborting) Log(lfaxTransmitFail);  // an abort in progress has logged already
    HangUp();
}

// ---------------------------------------------------------------------------------------
// Helpers

void TFxSendFax::OpenPage(int n) {
    page_.open(faxPath_, n);
    pageOpen_ = true;
    pending_.clear();
}

void TFxSendFax::CloseFaxFile() {
    if (pageOpen_) page_.close();
    pageOpen_ = false;
}

void TFxSendFax::RemoveJoinedFile() {
    if (joined_) joined_.reset();  // the temporary file deletes itself
}

void TFxSendFax::HangUp() {
    FaxLine& l = Line();
    l.purgeOutput();
    if (l.carrier()) {
        l.pause(kHangupPauseMs);
        SendRaw("+++");
        l.pause(kHangupPauseMs);
        SendRaw("ATH0\r");
        l.pause(kHangupPauseMs);
        l.purgeInput();
        if (l.carrier()) {
            l.setDTR(false);
            l.pause(kDtrDropMs);
            l.setDTR(true);
        }
    } else {
        SendRaw("ATH0\r");
        l.pause(kHangupPauseMs);
        l.purgeInput();
    }
    modemInitialised_ = false;
}

}  // namespace corvane
