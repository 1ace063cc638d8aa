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
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kProgramBaud = 19200;
constexpr int kFdtWaitTicks = 546;  // 30 s for the modem to train and connect
constexpr int kXonWaitTicks = 18;
constexpr int kNextPageTicks = 5;
constexpr int kHangupPauseMs = 1000;
constexpr int kDtrDropMs = 500;
constexpr int kMaxResends = 2;

// Only one send machine at a time may take an entry.
bool gEntryBusy = false;

const char* const kStateNames[] = {
    "tfNone",      "tfGetEntry",   "tfInit",       "tf1Init1",     "tf2Init1",     "tf2Init1A",
    "tf2Init1B",   "tf2Init2",     "tf2Init3",     "tfDial",       "tfRetryWait",  "tf1Connect",
    "tf1SendTSI",  "tf1TSIRespns", "tf1DCSRspns",  "tf1TrainStrt", "tf1TrainFnsh", "tf1WaitCFR",
    "tf1WaitPgCn", "tf2Connect",   "tf2GetParams", "tfWaitXon",    "tfWaitFrHead", "tfSndPgeHdr",
    "tfOpenCover", "tfSendCover",  "tfPrepPage",   "tfSendPage",   "tfDrainPage",  "tf1PageEnd",
    "tf1PrepEOP",  "tf1SendEOP",   "tf1WaitMPS",   "tf1WaitEOP",   "tf1WaitMCF",   "tf1SendDCN",
    "tf1Hangup",   "tf1WaitHngp",  "tf2SendEOP",   "tf2WaitFPTS",  "tf2WaitFET",   "tf2WaitPgOK",
    "tf2SndNwPrm", "tf2NextPage",  "tf20ChckPg",   "tfClose",      "tfCompleteOK", "tfAbort",
    "tfDone",
};
static_assert(sizeof kStateNames / sizeof kStateNames[0] == tfDone + 1);

bool IsLine(const QString& reply, const char* word) {
    return reply.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

}  // namespace

const char* SendStateName(TFaxSendState state) {
    return state >= tfNone && state <= tfDone ? kStateNames[state] : "?";
}

TFxSendFax::TFxSendFax() = default;

TFxSendFax::~TFxSendFax() {
    closeFaxFile();
    removeJoinedFile();
    if (state_ != tfNone && state_ != tfDone && entryTaken_) gEntryBusy = false;
}

// ---------------------------------------------------------------------------------------
// Start

void TFxSendFax::BeginTransmit() {
    checkStart();
    removeJoinedFile();
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
    prepare();
    startMachine();
    QMetaObject::invokeMethod(
        this, [this] { onLineEvent(FaxLineEvent::Data); }, Qt::QueuedConnection);
}

void TFxSendFax::prepare() {
    resolution_ = nextResolution_ = QChar(' ');
    state_ = tfGetEntry;
    status_ = 0;
    error_ = 0;
    firstStatus_ = true;
    setStatus(fsInitializing);
    currentPage_ = totalPages_ = 0;
    bytes_ = pageLength_ = 0;
    remoteId_.clear();
    session_ = {};
    hangupCode_ = -1;
    entryTaken_ = false;
    dialAttempt_ = 0;
    retries_ = 0;
    FaxLine& l = line();
    l.setBaud(kProgramBaud);
    l.setDTR(true);
    l.setRTS(true);
    if (FaxClass == FaxClassKind::Detect || FaxClass == FaxClassKind::None) {
        if (!detectClass()) throw EFaxError(ecFaxInitError);
    } else {
        if (FaxClass == FaxClassKind::Class1 && classInUse_ != FaxClassKind::Class1)
            class1_.selectCommand.clear();  // found by trying
        classInUse_ = FaxClass;
    }
    if (!modemInitialised_) {
        if (!ModemInit.isEmpty()) {
            QString init = ModemInit;
            if (!init.toUpper().startsWith(QLatin1String("AT"))) init.prepend(QLatin1String("AT"));
            if (!blockingCommand(init)) throw EFaxError(ecFaxInitError);
        }
        if (!blockingCommand(BuiltInInitString(BlindDial, DetectBusy)))
            throw EFaxError(ecFaxInitError);
        modemInitialised_ = true;
    }
    if (classInUse_ == FaxClassKind::Class1 && !prepareClass1(true))
        throw EFaxError(ecFaxInitError);
    renderer_ = MakeHeaderLineRenderer(!EnhTextEnabled);
}

// ---------------------------------------------------------------------------------------
// The event loop

bool TFxSendFax::waitsForReply(TFaxSendState s) const {
    switch (s) {
        case tf2Init1:
        case tf2Init1A:
        case tf2Init1B:
        case tf2Init2:
        case tf2Init3:
        case tf2Connect:
        case tf2GetParams:
        case tf2WaitFPTS:
        case tf2WaitFET:
        case tf2WaitPgOK:
        case tf20ChckPg:
        case tf1Init1:
        case tf1Connect:
        case tf1SendTSI:
        case tf1TSIRespns:
        case tf1DCSRspns:
        case tf1TrainStrt:
        case tf1TrainFnsh:
        case tf1WaitCFR:
        case tf1WaitPgCn:
        case tf1PageEnd:
        case tf1SendEOP:
        case tf1WaitMPS:
        case tf1WaitEOP:
        case tf1WaitMCF:
        case tf1SendDCN:
        case tf1Hangup:
        case tf1WaitHngp:
            return true;
        default:
            return false;
    }
}

bool TFxSendFax::isActionState(TFaxSendState s) const {
    switch (s) {
        case tfGetEntry:
        case tfInit:
        case tfDial:
        case tfSndPgeHdr:
        case tfOpenCover:
        case tfPrepPage:
        case tf2SendEOP:
        case tf2SndNwPrm:
        case tf2NextPage:
        case tf1PrepEOP:
        case tfClose:
        case tfCompleteOK:
        case tfAbort:
            return true;
        default:
            return false;
    }
}

void TFxSendFax::runMachine(FaxLineEvent event) {
    for (;;) {
        if (state_ == tfDone || state_ == tfNone) return;
        if (cancelPending_) {
            cancelPending_ = false;
            setStatus(fsUserAbort);
            setError(ecCancelRequested);
            state_ = tfAbort;
        }
        if (event == FaxLineEvent::PortClosing && !isActionState(state_)) {
            abortWith(ecDeviceNotOpen);
        }
        QString reply;
        if (waitsForReply(state_)) {
            if (event == FaxLineEvent::ReplyTimer) {
                if (isClass1())
                    stClass1Timeout();
                else
                    abortWith(state_ == tf2Connect ? ecFaxNoAnswer : ecFatalTimeout);
                if (state_ != tfAbort) {
                    event = FaxLineEvent::Data;
                    if (isActionState(state_)) continue;
                    if (!replyLinePending()) return;
                    continue;
                }
            } else if (event == FaxLineEvent::Data) {
                if (class1_.frameOpen) {
                    if (!collectFrameBytes()) return;
                    onClass1Frame();
                    continue;
                }
                if (!readReplyLine(reply)) return;
                if (reply.compare(lastCommand_, Qt::CaseInsensitive) == 0) {
                    // The modem's echo of our own command.
                    event = FaxLineEvent::Data;
                    continue;
                }
                const bool errorHandled = state_ == tf20ChckPg || state_ == tf1SendEOP ||
                                          state_ == tf1WaitEOP || state_ == tf1WaitMCF ||
                                          state_ == tf1Connect || state_ == tf1WaitCFR ||
                                          state_ == tf1TSIRespns;
                if (reply.contains(QLatin1String("ERROR")) && !errorHandled) {
                    abortWith(ecFaxBadResponse);
                } else if (!isClass1() && isHangupReply(reply)) {
                    recordHangup(reply);
                    // A hang-up while dialling: the far end never answered as a fax (the
                    // modem's T1 ran out on a voice or data answer). Later, the hang-up code
                    // says what went wrong.
                    if (state_ == tf2Connect)
                        abortWith(ecFaxNoFaxConnect);
                    else if (state_ != tf2WaitFET && state_ != tf20ChckPg)
                        abortWith(hangupError());
                }
            } else {
                return;  // other events do not concern a state that waits for a reply
            }
        }
        runState(event, reply);
        if (state_ == tfDone) return;
        if (isActionState(state_)) {
            event = FaxLineEvent::Data;
            continue;
        }
        if ((waitsForReply(state_) || state_ == tfWaitXon) && replyLinePending()) {
            event = FaxLineEvent::Data;
            continue;
        }
        return;
    }
}

void TFxSendFax::abortWith(int error) {
    if (state_ == tfAbort || state_ == tfDone) return;
    setError(error);
    state_ = tfAbort;
}

void TFxSendFax::runState(FaxLineEvent event, const QString& reply) {
    switch (state_) {
        case tfGetEntry:
            return stGetEntry();
        case tfInit:
            return stInit();
        case tf2Init1:
        case tf2Init1A:
        case tf2Init1B:
        case tf2Init2:
        case tf2Init3:
            return stInitReply(reply);
        case tfDial:
            return stDial();
        case tfRetryWait:
            if (event == FaxLineEvent::ReplyTimer) state_ = tfInit;
            return;
        case tf2Connect:
            return stConnect(reply);
        case tf1Init1:
            return stClass1Init(reply);
        case tf1Connect:
            return stClass1Connect(reply);
        case tf1SendTSI:
        case tf1TSIRespns:
        case tf1DCSRspns:
        case tf1TrainStrt:
        case tf1TrainFnsh:
        case tf1WaitPgCn:
        case tf1PageEnd:
        case tf1SendEOP:
        case tf1WaitMPS:
        case tf1SendDCN:
        case tf1Hangup:
        case tf1WaitHngp:
            return stClass1Reply(reply);
        case tf1WaitCFR:
            return stClass1WaitCFR(reply);
        case tf1PrepEOP:
            return stClass1PrepEOP();
        case tf1WaitMCF:
            return stClass1WaitMCF(reply);
        case tf2GetParams:
            return stGetParams(reply);
        case tfWaitXon:
            return stWaitXon(event);
        case tfWaitFrHead:
            return stWaitFrHead(event);
        case tfSndPgeHdr:
            return stSndPgeHdr();
        case tfOpenCover:
            state_ = tfPrepPage;  // covers arrive joined with the document
            return;
        case tfPrepPage:
            return stPrepPage();
        case tfSendPage:
            return stSendPage(event);
        case tfDrainPage:
            return stDrainPage(event);
        case tf2SendEOP:
            return stSendEOP();
        case tf2WaitFPTS:
            return stWaitFPTS(reply);
        case tf2WaitFET:
            return stWaitFET(reply);
        case tf20ChckPg:
            return stChckPg(reply);
        case tf2WaitPgOK:
            return stWaitPgOK(reply);
        case tf2SndNwPrm:
            return stSndNwPrm();
        case tf2NextPage:
            return stNextPage();
        case tfClose:
            return stClose();
        case tfCompleteOK:
            return stCompleteOK();
        case tfAbort:
            return stAbort();
        default:
            // A state of another engine: nothing here drives it.
            abortWith(ecFaxInitError);
            return;
    }
}

// ---------------------------------------------------------------------------------------
// States

void TFxSendFax::stGetEntry() {
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
    log(lfaxTransmitStart);
    retries_ = 0;
    dialAttempt_ = 0;
    number_ = number;
    faxPath_ = file;
    if (file.isEmpty()) {
        abortWith(ecNoFilename);
        return;
    }
    try {
        const ApfFileHeader header = ReadApfFileHeader(file);
        totalPages_ = header.pageCount;
        if (totalPages_ < 1) throw EFaxError(ecFaxBadFormat);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return;
    }
    FaxFile = file;
    currentPage_ = 1;
    state_ = tfInit;
}

void TFxSendFax::stInit() {
    StationID = StationID.toUpper().left(20);
    try {
        openPage(currentPage_);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return;
    }
    resolution_ = page_.header().isHighRes() ? '1' : '0';
    pageWide_ = page_.header().isWide();
    setStatus(fsInitializing);
    if (isClass1()) {
        lastCommand_ = class1_.selectCommand;
        sendCommand(lastCommand_);
        state_ = tf1Init1;
        return;
    }
    lastCommand_ = QLatin1String("AT+F") + cmds().selectClass;
    sendCommand(lastCommand_);
    bitOrderSet_ = false;
    state_ = tf2Init1;
}

void TFxSendFax::stInitReply(const QString& reply) {
    if (!IsLine(reply, "OK")) {
        abortWith(ecFaxInitError);
        return;
    }
    const bool class20 = classInUse_ == FaxClassKind::Class20;
    if (state_ == tf2Init1 && !bitOrderSet_) {
        // Page data go in line order (first bit in the lowest place, as the APF file holds
        // them); a modem left in the other order by its profile or an init string would
        // send every byte mirrored.
        bitOrderSet_ = true;
        lastCommand_ = QStringLiteral("AT+F%1=0").arg(cmds().bitOrder);
        sendCommand(lastCommand_);
        return;
    }
    switch (state_) {
        case tf2Init1:
            lastCommand_ = QStringLiteral("AT+F%1=\"%2\"").arg(cmds().localId, StationID);
            state_ = class20 ? tf2Init1A : tf2Init2;
            break;
        case tf2Init1A:
            // XON/XOFF when the owner asks for software flow control, else RTS/CTS.
            lastCommand_ = QStringLiteral("AT+FLO=%1").arg(SoftwareFlow ? '1' : '2');
            state_ = tf2Init1B;
            break;
        case tf2Init1B:
            lastCommand_ = QStringLiteral("AT+FNR=1,1,1,0");
            state_ = tf2Init2;
            break;
        case tf2Init2:
            lastCommand_ = QStringLiteral("AT+F%1=%2,%3,%4,2,0,%5,0,0")
                               .arg(cmds().callParams)
                               .arg(resolution_)
                               .arg(RateCode(DesiredBPS))
                               .arg(pageWide_ ? '1' : '0')
                               .arg(DesiredECM ? '1' : '0');
            state_ = tf2Init3;
            break;
        default:
            state_ = tfDial;
            return;
    }
    sendCommand(lastCommand_);
}

void TFxSendFax::stDial() {
    lastCommand_ =
        QStringLiteral("ATD%1%2%3").arg(ToneDial ? 'T' : 'P').arg(DialPrefix.left(40), number_);
    sendCommand(lastCommand_, SecondsToTicks(DialWait > 0 ? DialWait : 60));
    setStatus(fsDialing, true);
    state_ = isClass1() ? tf1Connect : tf2Connect;
}

void TFxSendFax::stConnect(const QString& reply) {
    const QString con = QLatin1String("+F") + cmds().connection;
    if (reply == con || reply.startsWith(con + ':')) {
        line().armTimer(FaxTimer::Reply, kReplyWaitTicks);
        setStatus(fsConnecting, true);
        state_ = tf2GetParams;
        return;
    }
    if (dialResult(reply)) return;
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("NO CARRIER")) {
        // The modem has given up on the call and is back in command mode: nobody answered.
        dialFailed(ecFaxNoAnswer);
    } else if (upper == QLatin1String("CONNECT") || upper.startsWith(QLatin1String("CONNECT "))) {
        // A data carrier where a fax was expected.
        abortWith(ecFaxNoFaxConnect);
    }
}

// A dial attempt that reached no fax: redialled after the retry wait while attempts are
// left; then the fax fails with `error` (busy, or nobody answered).
void TFxSendFax::dialFailed(int error) {
    ++dialAttempt_;
    if (dialAttempt_ < DialAttempts || DialAttempts == 0) {
        setStatus(fsBusyWait, true);
        line().armTimer(FaxTimer::Reply, SecondsToTicks(std::max(0, DialRetryWait)));
        state_ = tfRetryWait;
        return;
    }
    reportStatus(false, false);
    if (AbortNoConnect) {
        abortWith(error);
    } else {
        setError(error);
        log(lfaxTransmitFail);
        closeFaxFile();
        state_ = tfGetEntry;
    }
}

bool TFxSendFax::dialResult(const QString& reply) {
    const QString upper = reply.toUpper();
    if (upper == QLatin1String("BUSY")) {
        dialFailed(ecFaxBusy);
        return true;
    }
    if (upper.contains(QLatin1String("ANSWER"))) {
        dialFailed(ecFaxNoAnswer);
        return true;
    }
    if (upper.contains(QLatin1String("VOICE")) || upper.contains(QLatin1String("VCON"))) {
        abortWith(ecFaxVoiceCall);
        return true;
    }
    if (upper.contains(QLatin1String("NO DIAL"))) {
        abortWith(ecFaxNoDialTone);
        return true;
    }
    return false;
}

void TFxSendFax::stGetParams(const QString& reply) {
    if (isReply(reply, cmds().remoteCaps)) {
        const FaxSessionParams remote = ParseSessionParams(ReplyValue(reply));
        if (remote.valid && ((pageWide_ && !remote.wide) || (resolution_ == '1' && !remote.fine))) {
            abortWith(ecFaxIncompatible);
            return;
        }
        setStatus(fsGettingParams);
    } else if (isReply(reply, cmds().calledId)) {
        remoteId_ = QuotedId(reply);
        setStatus(fsGotStationId, true);
    } else if (isReply(reply, cmds().negotiated)) {
        const FaxSessionParams p = ParseSessionParams(ReplyValue(reply));
        if (p.valid) session_ = p;
        setStatus(fsGettingParams);
    } else if (IsLine(reply, "OK")) {
        lastCommand_ = QStringLiteral("AT+FDT");
        sendCommand(lastCommand_, kFdtWaitTicks);
    } else if (reply.startsWith(QLatin1String("CONNECT"))) {
        if (classInUse_ == FaxClassKind::Class20) {
            line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
            line().armOutLow(BufferMinimum);
            state_ = tfWaitFrHead;
        } else {
            line().armTimer(FaxTimer::Reply, kXonWaitTicks);
            state_ = tfWaitXon;
        }
    }
}

void TFxSendFax::stWaitXon(FaxLineEvent event) {
    bool go = event == FaxLineEvent::ReplyTimer;
    if (event == FaxLineEvent::Data) {
        const QByteArray bytes = line().read(line().bytesWaiting());
        go = bytes.contains(kXon);
    }
    if (!go) return;
    line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    line().armOutLow(BufferMinimum);
    state_ = tfWaitFrHead;
}

void TFxSendFax::stWaitFrHead(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        abortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        dropOrHoldInput();
        return;
    }
    if (event != FaxLineEvent::OutLow) return;
    setStatus(fsSendingPage);
    state_ = tfSndPgeHdr;
}

QString TFxSendFax::expandedHeader() const {
    HeaderLineValues values;
    values.stationId = StationID;
    values.sender = HeaderSender;
    values.recipient = HeaderRecipient;
    values.title = HeaderTitle;
    values.page = currentPage_;
    values.pageCount = totalPages_;
    return ExpandHeaderLine(HeaderLine, values);
}

void TFxSendFax::stSndPgeHdr() {
    const bool fine = resolution_ == '1';
    const QString text = HeaderLine.isEmpty() ? QString() : expandedHeader();
    QByteArray band;
    try {
        band = HeaderBandBytes(renderer_.get(), text, fine, isClass1() ? class1_.minLineBytes : 0);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return;
    }
    pending_ = band;
    // Zero bytes (valid fill between coded lines) would keep the modem busy while page data
    // are read; here the page's first blocks follow the header band in the same step, so fill
    // would only cost line time.
    state_ = tfPrepPage;
}

void TFxSendFax::stPrepPage() {
    xoff_ = false;
    if (SoftwareFlow && isClass1()) line().setSoftwareFlow(true);
    bytes_ = 0;
    pageLength_ = page_.pageLength();
    pageDone_ = false;
    pageConfirmed_ = false;
    pageEndQueued_ = false;
    lastStatusMs_ = line().nowMs();
    line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    if (!writePageData()) return;
    if (pageDone_) {
        line().armOutEmpty();
        state_ = tfDrainPage;
    } else {
        line().armOutLow(BufferMinimum);
        state_ = tfSendPage;
    }
}

bool TFxSendFax::writePageData() {
    FaxLine& l = line();
    if (xoff_) return true;  // the modem's XON lets the data go on
    int blocks = 0;
    try {
        while (blocks < MaxSendCount && l.outUsed() <= BufferMinimum) {
            if (pending_.isEmpty()) {
                if (!nextPiece()) {
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
        abortWith(e.code());
        return false;
    }
    if (blocks > 0) {
        // Progress: the page data wait counts from the last block the line took, so a long
        // page at a low rate is not cut off.
        l.armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    }
    if (pending_.isEmpty() && !pageDone_ && bytes_ >= pageLength_) pageDone_ = !nextPiece();
    const std::int64_t now = l.nowMs();
    if (now - lastStatusMs_ >= 3000LL * std::max(1, StatusInterval)) {
        lastStatusMs_ = now;
        forceStatus_ = true;
    }
    return true;
}

void TFxSendFax::stSendPage(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        abortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        // Only an XON that ends a pause lets the data go on from here; everything else
        // waits for the output buffer.
        if (!dropOrHoldInput()) return;
    } else if (event != FaxLineEvent::OutLow) {
        return;
    }
    if (!writePageData()) return;
    if (xoff_) return;  // no output event until the XON: it comes as data
    if (pageDone_ && pending_.isEmpty()) {
        line().armOutEmpty();
        state_ = tfDrainPage;
    } else {
        line().armOutLow(BufferMinimum);
    }
}

// Bytes from the modem while page data flow: a Class 1 modem's are its answer to the page's
// end, kept for the state that waits for it; a Class 2 modem's are of no use here but for
// XOFF and XON under software flow control. True when an XON ended a pause.
bool TFxSendFax::dropOrHoldInput() {
    const QByteArray bytes = line().read(line().bytesWaiting());
    const bool paused = xoff_;
    if (isClass1()) {
        // Under software flow control XOFF and XON pace the data; the rest is the modem's
        // answer to the page's end.
        holdInput(SoftwareFlow ? TakeFlowControl(bytes, xoff_) : bytes);
        return paused && !xoff_;
    }
    if (!SoftwareFlow) return false;
    TakeFlowControl(bytes, xoff_);
    return paused && !xoff_;
}

bool TFxSendFax::nextPiece() {
    if (!isClass1()) return page_.nextEscaped(pending_);
    if (page_.nextEscaped(pending_, class1_.minLineBytes)) return true;
    if (pageEndQueued_) return false;
    // The page's last record is its RTC; DLE ETX then gives the line back to the modem.
    pending_ = QByteArray(1, kDle) + kEtx;
    pageEndQueued_ = true;
    return true;
}

bool TFxSendFax::morePagesFollow() const {
    return pageOpen_ && currentPage_ < totalPages_;
}

void TFxSendFax::stDrainPage(FaxLineEvent event) {
    if (event == FaxLineEvent::ReplyTimer) {
        abortWith(ecFatalTimeout);
        return;
    }
    if (event == FaxLineEvent::Data) {
        dropOrHoldInput();
        return;
    }
    if (event != FaxLineEvent::OutEmpty) return;
    nextResolution_ = resolution_;
    if (morePagesFollow()) {
        try {
            const ApfPageHeader next =
                ReadApfPageHeader(faxPath_, currentPage_ + 1, ApfPageLookup::Sending);
            nextResolution_ = next.isHighRes() ? '1' : '0';
        } catch (const EFaxError& e) {
            abortWith(e.code());
            return;
        }
    }
    if (isClass1()) {
        keepParams_ = nextResolution_ == resolution_;
        // DLE ETX went out behind the page data; the modem answers OK once it has sent
        // everything.
        setStatus(fsSendingPage);
        line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
        state_ = tf1PageEnd;
        return;
    }
    QByteArray end(1, kDle);
    if (classInUse_ == FaxClassKind::Class20) {
        end.append(!morePagesFollow() ? '.' : nextResolution_ == resolution_ ? ',' : ';');
    } else {
        end.append(kEtx);
    }
    sendRaw(end);
    setStatus(fsSendingPage);
    state_ = tf2SendEOP;
}

void TFxSendFax::stSendEOP() {
    line().armTimer(FaxTimer::Reply, kPageDataWaitTicks);
    setStatus(fsSendingEOP);
    lastCommand_.clear();
    state_ = classInUse_ == FaxClassKind::Class20 ? tf20ChckPg : tf2WaitFPTS;
}

void TFxSendFax::stWaitFPTS(const QString& reply) {
    if (!IsLine(reply, "OK")) {
        abortWith(ecFaxSessionError);
        return;
    }
    const char fet = !morePagesFollow() ? '2' : nextResolution_ == resolution_ ? '0' : '1';
    lastCommand_ = QStringLiteral("AT+FET=%1").arg(fet);
    sendCommand(lastCommand_, kPageDataWaitTicks);
    state_ = tf2WaitFET;
}

void TFxSendFax::stWaitFET(const QString& reply) {
    if (isHangupReply(reply)) return;  // recorded; the result follows
    if (isReply(reply, cmds().pageStatus)) {
        const int ppr = FirstReplyNumber(reply);
        if (ppr == 1 || ppr == 3) {
            pageConfirmed_ = true;
            setStatus(fsPageAccepted, true);
        } else if (ppr == 2) {
            setStatus(fsPageError, true);
            state_ = tf2WaitPgOK;
        } else if (ppr == 4 || ppr == 5) {
            abortWith(ecCancelRequested);
        } else {
            abortWith(ecFaxPageError);
        }
        return;
    }
    if (IsLine(reply, "OK")) {
        // A Class 2 modem confirms every page with its page status; without one the page
        // cannot count as sent, whatever the hang-up report says.
        if (!pageConfirmed_) {
            // Without a page status, the hang-up report (when one came) says what went wrong.
            abortWith(hangupCode_ > 0 ? hangupError() : ecFaxPageError);
            return;
        }
        state_ = nextResolution_ != resolution_ && morePagesFollow() ? tf2SndNwPrm : tf2NextPage;
        return;
    }
    abortWith(ecFaxPageError);
}

void TFxSendFax::stChckPg(const QString& reply) {
    if (isHangupReply(reply)) return;               // recorded; the result follows
    if (isReply(reply, cmds().pageStatus)) return;  // the result line follows
    if (IsLine(reply, "OK")) {
        pageConfirmed_ = true;
        setStatus(fsPageAccepted, true);
        state_ = nextResolution_ != resolution_ && morePagesFollow() ? tf2SndNwPrm : tf2NextPage;
        return;
    }
    if (reply.contains(QLatin1String("ERROR"))) {
        if (hangupCode_ > 0) {
            // The modem has reported the end of the call: no page status to ask for; its
            // hang-up code says what went wrong.
            abortWith(hangupError());
            return;
        }
        lastCommand_ = QStringLiteral("AT+FPS?");
        sendCommand(lastCommand_);
        setStatus(fsPageError, true);
        state_ = tf2WaitPgOK;
        return;
    }
    abortWith(ecFaxPageError);
}

void TFxSendFax::stWaitPgOK(const QString& reply) {
    // The answer to our query, OK follows. Modems answer a parameter read with "+FPS:2" or
    // with the bare value "2".
    static const QRegularExpression kBareValue(QStringLiteral("^\\s*\\d+(,\\d+)*\\s*$"));
    if (isReply(reply, cmds().pageStatus)) {
        queriedStatus_ = FirstReplyNumber(reply);
        return;
    }
    if (kBareValue.match(reply).hasMatch()) {
        queriedStatus_ = reply.section(',', 0, 0).trimmed().toInt();
        return;
    }
    if (!IsLine(reply, "OK")) {
        abortWith(ecFaxSessionError);
        return;
    }
    const int status = std::exchange(queriedStatus_, -1);
    if (status == 4 || status == 5) {
        // PIN or PIP: the remote asks for the procedure to stop, as +FPTS:4/5 does in
        // Class 2; the page is not sent again.
        abortWith(ecCancelRequested);
        return;
    }
    ++retries_;
    if (retries_ > kMaxResends) {
        sendCommand(QLatin1String("AT+F") + cmds().terminate, -1);
        abortWith(ecFaxSessionError);
        return;
    }
    try {
        openPage(currentPage_);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return;
    }
    lastCommand_ = QStringLiteral("AT+FDT");
    sendCommand(lastCommand_, kFdtWaitTicks);
    state_ = tf2GetParams;
}

// Moves to the next page of the file. False when there is none (the call closes) or it cannot
// be read (the call ends with its code).
bool TFxSendFax::openNextPage() {
    if (!morePagesFollow()) {
        state_ = tfClose;
        return false;
    }
    try {
        openPage(currentPage_ + 1);
    } catch (const EFaxError& e) {
        abortWith(e.code());
        return false;
    }
    ++currentPage_;
    return true;
}

void TFxSendFax::stSndNwPrm() {
    if (!openNextPage()) return;
    resolution_ = nextResolution_;
    lastCommand_ = QStringLiteral("AT+F%1=%2").arg(cmds().callParams).arg(resolution_);
    sendCommand(lastCommand_);
    state_ = tf2GetParams;
}

void TFxSendFax::stNextPage() {
    if (!openNextPage()) return;
    line().pause(int(TicksToMs(kNextPageTicks)));
    lastCommand_ = QStringLiteral("AT+FDT");
    sendCommand(lastCommand_, kFdtWaitTicks);
    state_ = tf2GetParams;
}

void TFxSendFax::stClose() {
    closeFaxFile();
    setStatus(fsFinished, true);
    log(lfaxTransmitOk);
    line().setBaud(kProgramBaud);
    state_ = tfGetEntry;
}

void TFxSendFax::stCompleteOK() {
    line().disarmTimer(FaxTimer::Reply);
    reportStatus(false, true);
    if (entryTaken_) gEntryBusy = false;
    state_ = tfDone;
    removeJoinedFile();
    finish(error_);
}

void TFxSendFax::stAbort() {
    closeFaxFile();
    log(lfaxTransmitFail);
    hangUp();
    if (ExitOnError || AbortNoConnect || error_ == ecCancelRequested) {
        // "User abort" only when the user cancelled; a failed call keeps the status it
        // failed in.
        if (error_ == ecCancelRequested) setStatus(fsUserAbort);
        reportStatus(false, true);
        if (entryTaken_) gEntryBusy = false;
        state_ = tfDone;
        removeJoinedFile();
        finish(error_);
        return;
    }
    state_ = tfGetEntry;
}

void TFxSendFax::endAfterFailure() {
    if (state_ == tfDone) return;
    const bool wasAborting = state_ == tfAbort;
    state_ = tfDone;
    closeFaxFile();
    if (entryTaken_) gEntryBusy = false;
    removeJoinedFile();
    if (!wasAborting) log(lfaxTransmitFail);  // an abort in progress has logged already
    hangUp();
}

// ---------------------------------------------------------------------------------------
// Helpers

void TFxSendFax::openPage(int n) {
    page_.open(faxPath_, n);
    pageOpen_ = true;
    pending_.clear();
}

void TFxSendFax::closeFaxFile() {
    if (pageOpen_) page_.close();
    pageOpen_ = false;
}

void TFxSendFax::removeJoinedFile() {
    if (joined_) joined_.reset();  // the temporary file deletes itself
}

void TFxSendFax::hangUp() {
    FaxLine& l = line();
    l.purgeOutput();
    if (l.carrier()) {
        l.pause(kHangupPauseMs);
        sendRaw("+++");
        l.pause(kHangupPauseMs);
        sendRaw("ATH0\r");
        l.pause(kHangupPauseMs);
        l.purgeInput();
        if (l.carrier()) {
            l.setDTR(false);
            l.pause(kDtrDropMs);
            l.setDTR(true);
        }
    } else {
        sendRaw("ATH0\r");
        l.pause(kHangupPauseMs);
        l.purgeInput();
    }
    modemInitialised_ = false;
}

}  // namespace corvane
