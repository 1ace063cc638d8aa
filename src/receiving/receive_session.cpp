#include "receive_session.h"

#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QTimer>

#include "core/app_folders.h"
#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "core/settings.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "logs/fax_data_module.h"
#include "receive_status_text.h"
#include "transport/at_command.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/receive_fax.h"
#include "transport/tapi_device.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

// The program's own set-up failures shown in the error window.
constexpr int kCheckModemFailed = -9000;
constexpr int kOpenPortFailed = -9001;
constexpr int kOpenTapiFailed = -9002;
constexpr int kResetStringFailed = -9003;
constexpr int kPortInUse = -9004;

// How long a cancelled engine may take to hang up and end before the port is closed anyway.
constexpr int kEngineEndWaitMs = 20000;
// Engine ends without a cancel in a row, with no call between them, before receive mode gives
// up instead of starting the engine again.
constexpr int kMaxUnexpectedEnds = 3;

const QString kPreparingPhaseFax = QStringLiteral("Preparing to receive faxes fax");

// A start failure for the error window: no detail, no auto-close, no suggest, no continue.
FaxErrorRequest StartError(int code, const QString& message) {
    FaxErrorRequest e;
    e.code = code;
    e.message = message;
    e.phase = kReceivePreparingPhase;
    return e;
}

QString WithoutLeadingSpaces(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return text.mid(i);
}

}  // namespace

ReceiveOptions ReceiveOptions::FromSettings(const Settings& s) {
    ReceiveOptions o;
    o.comNumber = s.ComPort >= 0 ? s.ComPort + 1 : 1;
    if (s.UseTAPI) o.tapiDevice = s.TAPIDevice;
    o.faxClassSetting = s.FaxClassReceive;
    o.faxClass = FaxClassFromSetting(s.FaxClassReceive);
    o.desiredBps = s.MaximumBPSReceive;
    o.desiredEcm = s.ECMReceive;
    o.stationId = s.UserFax;
    o.initStringShown = s.InitStringReceive;
    if (!s.InitStringReceive.trimmed().isEmpty()) o.modemInit = AtCommandLine(s.InitStringReceive);
    o.answerOnRing = s.AnswerOnRing;
    o.largerBuffer = s.GlobalLargerReceiveBuffer;
    o.alternateNaming = s.GlobalUseAlternateNamingRec;
    o.pulseDialing = s.ToneOrPulse == 1;
    o.resetString = s.ResetString.trimmed();
    o.afterResetString = s.ResetAfterString.trimmed();
    o.resetBetweenCalls = s.ResetBetweenCalls;
    o.printOnReceipt = s.PrintOnReceipt;
    o.useLegacyTimer = s.UseLegacyTimer;
    o.receiveFolder = ReceiveFolder();
    o.logFile = ResolveName(AppFolder(), kReceiveLogFileName);
    o.dataFolder = AppFolder();
    return o;
}

ReceiveSession::ReceiveSession(TFDM& fdm, QObject* parent) : QObject(parent), fdm_(fdm) {}

ReceiveSession::~ReceiveSession() {
    if (inReceiveMode_) StopReceivingNow();
    closePort();
}

void ReceiveSession::setStatus(const QString& text) {
    if (hooks.status) hooks.status(text);
}

void ReceiveSession::setBusy(bool on) {
    if (hooks.busy) hooks.busy(on);
}

void ReceiveSession::SaveLocalRecLog() {
    if (resettingModem_ || options.logFile.isEmpty()) return;
    (void)log_.save(options.logFile);  // a log that cannot be written must not stop receiving
}

// ---------------------------------------------------------------------------------------
// Start and stop

bool ReceiveSession::StartReceivingNow() {
    if (inReceiveMode_) return true;
    stoppingReceive_ = false;
    resettingModem_ = false;
    resetPending_ = false;
    receivingCall_ = false;
    unexpectedEnds_ = 0;
    setBusy(true);
    lastError_ = 0;
    SetUseLegacyTimer(options.useLegacyTimer);

    log_.clear();
    AddtoLastRecLog(QStringLiteral("Start: "));
    inReceiveMode_ = true;
    if (hooks.modeChanged) hooks.modeChanged();
    setStatus(QStringLiteral("Starting receive mode..."));

    try {
        if (!lock_ && !options.dataFolder.isEmpty())
            lock_ = std::make_unique<ReceiveModeLock>(options.dataFolder);
        if (const Status locked = lock_ ? lock_->acquire() : Status::Ok(); !locked.ok()) {
            AddtoLastRecLog(locked.message());
            showError(StartError(kPortInUse, locked.message()));
            SaveLocalRecLog();
            giveUp();
            return false;
        }
        QDir().mkpath(options.receiveFolder);

        port_ = std::make_unique<TFxComPort>();
        ApplyProgramPortSettings(*port_, PortUse::Receiving, options.largerBuffer);
        AddtoLastRecLog(QStringLiteral("Buffer Size %1").arg(port_->InSize()));
        if (!openPort()) {
            giveUp();
            return false;
        }

        AddtoLastRecLog(QStringLiteral("Checking for modem"));
        if (!CheckForModem(*port_, options.resetString)) {
            AddtoLastRecLog(QStringLiteral("Error checking for modem"));
            FaxErrorRequest e;
            e.code = kCheckModemFailed;
            e.message = QStringLiteral("Error checking for modem");
            e.phase = kPreparingPhaseFax;
            e.allowContinue = true;
            if (!showError(e)) {
                closePort();
                AddtoLastRecLog(QStringLiteral("Exit - unable to find modem "));
                SaveLocalRecLog();
                giveUp();
                return false;
            }
        }

        if (!options.resetString.isEmpty()) {
            setStatus(QStringLiteral("Sending reset string..."));
            AddtoLastRecLog("Sending reset string: " + options.resetString);
            if (!SendModemCommand(*port_, options.resetString)) {
                AddtoLastRecLog("Failure sending reset string: " + options.resetString);
                closePort();
                FaxErrorRequest e;
                e.code = kResetStringFailed;
                e.message = QStringLiteral("Error sending reset string to modem");
                e.phase = kReceivePreparingPhase;
                e.allowSuggest = true;
                showError(e);
                AddtoLastRecLog(QStringLiteral("Exiting modem not responding to reset"));
                SaveLocalRecLog();
                giveUp();
                return false;
            }
        }

        logConfig();
        setStatus(QStringLiteral("Starting Receive Mode..."));
        startEngine();
        setStatus(QStringLiteral("Waiting for fax..."));
    } catch (const EFaxError& e) {
        // The engine found no usable modem or class: said in the error window, as every other
        // failure to start is.
        AddtoLastRecLog("Error " + TFxAbstractFax::CodeText(e.code()));
        showError(StartError(e.code(), TFxAbstractFax::CodeText(e.code())));
        giveUp();
        return false;
    }
    setBusy(false);
    if (hooks.modeChanged) hooks.modeChanged();
    return true;
}

bool ReceiveSession::openPort() {
    TFxComPort& port = *port_;
    usingTapi_ = false;
    if (!options.devicePath.isEmpty()) {
        // A device given by its path (the command line): opened as it stands.
        AddtoLastRecLog("Opening com port: " + options.devicePath);
        port.AssignTapiDevicePath(options.devicePath);
        port.SetTapiMode(TapiMode::On);
        try {
            port.SetOpen(true);
        } catch (const EFaxError& e) {
            lastOpenFailure_ = e.code() == ecAlreadyOpen ? kPortInUseMessage : kUnableToOpenMessage;
            AddtoLastRecLog("Error opening com port: " + options.devicePath);
            AddtoLastRecLog("  Message:" + lastOpenFailure_, false);
            showError(StartError(e.code() == ecAlreadyOpen ? kPortInUse : kOpenPortFailed,
                                 e.code() == ecAlreadyOpen
                                     ? QStringLiteral("Communications Port is in use")
                                     : QStringLiteral("Error opening Communications Port")));
            SaveLocalRecLog();
            return false;
        }
        AddtoLastRecLog(QStringLiteral("Opened com port OK"));
        return true;
    }
    if (!options.tapiDevice.isEmpty()) {
        usingTapi_ = true;
        tapi_ = std::make_unique<TapiDevice>();
        port.SetTapiMode(TapiMode::Auto);
        setStatus("Opening communications port using:" + options.tapiDevice);
        AddtoLastRecLog("Opening with TAPI using: " + options.tapiDevice);
        const Status opened = OpenPortWithTapi(port, *tapi_, options.tapiDevice);
        if (!opened.ok()) {
            lastOpenFailure_ = opened.message();
            AddtoLastRecLog("Error opening : " + options.tapiDevice);
            AddtoLastRecLog("Message:" + opened.message());
            showError(StartError(kOpenTapiFailed,
                                 QStringLiteral("Error opening Communications Port with TAPI")));
            SaveLocalRecLog();
            return false;
        }
        AddtoLastRecLog("Opened com port with TAPI: " + options.tapiDevice);
        return true;
    }
    port.SetTapiMode(TapiMode::Off);
    port.SetComNumber(options.comNumber);
    AddtoLastRecLog(QStringLiteral("Opening com port: COM%1").arg(options.comNumber));
    const Status opened = OpenPortDirectly(port);
    if (!opened.ok()) {
        lastOpenFailure_ = opened.message();
        AddtoLastRecLog(QStringLiteral("Error opening com port: COM%1").arg(options.comNumber));
        AddtoLastRecLog("  Message:" + opened.message(), false);
        const bool inUse = opened.code() == ecAlreadyOpen;
        showError(StartError(inUse ? kPortInUse : kOpenPortFailed,
                             inUse ? QStringLiteral("Communications Port is in use")
                                   : QStringLiteral("Error opening Communications Port")));
        SaveLocalRecLog();
        return false;
    }
    AddtoLastRecLog(QStringLiteral("Opened com port OK"));
    return true;
}

void ReceiveSession::closePort() {
    fax_.reset();
    engineRunning_ = false;
    if (!port_) return;
    if (usingTapi_ && tapi_) {
        ReleaseTapiPort(*port_, *tapi_);
    } else {
        try {
            if (port_->Open()) port_->SetOpen(false);
        } catch (const EFaxError&) {
            // Closing a port that failed under us: nothing left to do with it.
        }
    }
    port_.reset();
    tapi_.reset();
    usingTapi_ = false;
}

void ReceiveSession::giveUp() {
    closePort();
    setBusy(false);
    inReceiveMode_ = false;
    receivingCall_ = false;
    if (lock_) lock_->release();
    if (hooks.modeChanged) hooks.modeChanged();
    AddtoLastRecLog(QStringLiteral("Error Starting Fax Receive "));
    SaveLocalRecLog();
}

void ReceiveSession::logConfig() {
    AddtoLastRecLog(QStringLiteral("Config"));
    AddtoLastRecLog(QStringLiteral("  Desired BPS: %1").arg(options.desiredBps), false);
    if (options.desiredEcm) AddtoLastRecLog(QStringLiteral("  Desired ECM: ON"), false);
    if (options.pulseDialing) AddtoLastRecLog(QStringLiteral("  Using Pulse Dialing ***"), false);
    AddtoLastRecLog("  Fax Class: " + FaxClassName(options.faxClassSetting), false);
    AddtoLastRecLog("  User INIT String: " + options.initStringShown, false);
    AddtoLastRecLog(QStringLiteral("Start Receive Mode "));
}

void ReceiveSession::startEngine() {
    fax_.reset();
    fax_ = std::make_unique<TFxReceiveFax>();
    TFxReceiveFax& fax = *fax_;
    fax.ComPort = port_.get();
    fax.FaxClass = options.faxClass;
    fax.StationID = options.stationId;
    fax.AnswerOnRing = options.answerOnRing;
    fax.DesiredBPS = options.desiredBps;
    fax.DesiredECM = options.desiredEcm;
    fax.ModemInit = options.modemInit;
    fax.DestinationDir = options.receiveFolder;
    fax.OneFax = options.oneFax;
    fax.OnFaxAccept = [this](const QString& id) { return FxReceiveFax1FaxAccept(id); };
    fax.OnFaxName = [this](QString& name) { FxReceiveFax1FaxName(name); };
    fax.OnFaxError = [this](int code) { FxReceiveFax1FaxError(code); };
    fax.OnFaxStatus = [this](bool first, bool last) { FxReceiveFax1FaxStatus(first, last); };
    fax.OnFaxLog = [this](int code) { FxReceiveFax1FaxLog(code); };
    fax.OnFaxFinish = [this](int code) { onEngineFinished(code); };
    lastStatus_ = 0;
    fax.BeginReceive();
    engineRunning_ = true;
}

void ReceiveSession::waitForEngineEnd() {
    if (!fax_ || !engineRunning_) return;
    QEventLoop loop;
    endWait_ = &loop;
    QTimer::singleShot(kEngineEndWaitMs, &loop, &QEventLoop::quit);
    fax_->AbortFax();
    if (engineRunning_) loop.exec();
    endWait_ = nullptr;
}

void ReceiveSession::StopReceivingNow() {
    if (!inReceiveMode_ && !port_) return;
    stoppingReceive_ = true;
    setBusy(true);
    setStatus(QStringLiteral("Ending fax receive mode..."));
    try {
        waitForEngineEnd();
        fax_.reset();
        engineRunning_ = false;
        if (!options.afterResetString.isEmpty() && port_ && port_->Open()) {
            setStatus(QStringLiteral("Sending AFTER reset string..."));
            (void)SendModemCommand(*port_, options.afterResetString);
        }
    } catch (const EFaxError&) {
        // Stopping goes on whatever the port says.
    }
    closePort();
    inReceiveMode_ = false;
    receivingCall_ = false;
    resetPending_ = false;
    setBusy(false);
    if (hooks.modeChanged) hooks.modeChanged();
    setStatus(QString());
    AddtoLastRecLog(QStringLiteral("Stopped receive mode "));
    SaveLocalRecLog();
    if (lock_) lock_->release();
    stoppingReceive_ = false;
}

void ReceiveSession::StopResetStartReceiving() {
    if (!inReceiveMode_ || resettingModem_ || stoppingReceive_) return;
    resetPending_ = false;
    resettingModem_ = true;
    AddtoLastRecLog(QStringLiteral("Resetting modem between calls"));
    setStatus(QStringLiteral("Resetting modem between calls..."));
    bool failed = false;
    try {
        waitForEngineEnd();
        fax_.reset();
        engineRunning_ = false;
        SetUseLegacyTimer(options.useLegacyTimer);
        if (!options.resetString.isEmpty()) {
            setStatus(QStringLiteral("Sending between-calls reset string..."));
            if (!SendModemCommand(*port_, options.resetString))
                AddtoLastRecLog("Failure sending between-calls reset string: " +
                                options.resetString);
        }
        startEngine();
        setStatus(QStringLiteral("Waiting for fax..."));
        AddtoLastRecLog(QStringLiteral("Reset between calls complete"));
    } catch (const EFaxError&) {
        failed = true;
    }
    resettingModem_ = false;
    if (failed) {
        AddtoLastRecLog(QStringLiteral("Failed reset between calls"));
        StopReceivingNow();
        StartReceivingNow();
    }
}

void ReceiveSession::onEngineFinished(int code) {
    engineRunning_ = false;
    if (endWait_) {
        endWait_->quit();
        return;
    }
    if (stoppingReceive_ || resettingModem_ || !inReceiveMode_) return;
    // The engine ended on its own: after its one fax, or on a fault of the line.
    if (options.oneFax || ++unexpectedEnds_ > kMaxUnexpectedEnds) {
        if (!options.oneFax)
            AddtoLastRecLog("Receive mode ended: " + TFxAbstractFax::CodeText(code));
        QMetaObject::invokeMethod(
            this,
            [this, code] {
                StopReceivingNow();
                if (hooks.ended) hooks.ended(code);
            },
            Qt::QueuedConnection);
        return;
    }
    AddtoLastRecLog("Fax engine stopped: " + TFxAbstractFax::CodeText(code));
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!inReceiveMode_ || stoppingReceive_ || resettingModem_) return;
            // A port that failed under the engine (a modem unplugged) would only fail again.
            if (!port_ || !port_->Open() || !SendModemCommand(*port_, QStringLiteral("AT"))) {
                AddtoLastRecLog(QStringLiteral("Receive mode ended: the modem does not answer"));
                StopReceivingNow();
                if (hooks.ended) hooks.ended(ecDeviceNotOpen);
                return;
            }
            try {
                startEngine();
                AddtoLastRecLog(QStringLiteral("Fax engine started again"));
            } catch (const EFaxError& e) {
                AddtoLastRecLog("Receive mode ended: " + TFxAbstractFax::CodeText(e.code()));
                StopReceivingNow();
                if (hooks.ended) hooks.ended(e.code());
            }
        },
        Qt::QueuedConnection);
}

bool ReceiveSession::showError(FaxErrorRequest error) {
    if (!hooks.showError) return false;
    error.receiving = true;
    return hooks.showError(error);
}

// ---------------------------------------------------------------------------------------
// Engine events

bool ReceiveSession::FxReceiveFax1FaxAccept(const QString&) {
    if (stoppingReceive_ || resettingModem_) return true;
    receivingCall_ = true;
    lastError_ = 0;
    unexpectedEnds_ = 0;
    return true;
}

void ReceiveSession::FxReceiveFax1FaxName(QString& name) {
    const auto unique = GetUniqueReceiveFileName(options.receiveFolder, options.alternateNaming);
    if (unique) name = unique.value();
}

void ReceiveSession::FxReceiveFax1FaxError(int code) {
    if (stoppingReceive_ || resettingModem_) return;
    lastError_ = code;
    AddtoLastRecLog("Error " + TFxAbstractFax::CodeText(code));
}

void ReceiveSession::FxReceiveFax1FaxStatus(bool first, bool last) {
    if (stoppingReceive_ || resettingModem_ || !fax_) return;
    const TFxReceiveFax& fax = *fax_;
    const int code = fax.FaxStatus();
    if (code != lastStatus_) {
        const QString line = ReceiveStatusLogLine(code, fax.CurrentPage(), fax.RemoteID());
        if (!line.isEmpty()) AddtoLastRecLog(line);
    }
    lastStatus_ = code;
    callPages_ = fax.CurrentPage();
    if (code != 0)
        setStatus(ReceiveStatusPanelText(TFxAbstractFax::CodeText(code), fax.RemoteID(),
                                         fax.CurrentPage(), fax.BytesTransferred()));
    if (first) callPages_ = 0;
    if (last) receivingCall_ = false;
    if (code == fsWaitingCall) {
        // Back to waiting: a call that ended before a file was made (a voice call, a remote
        // that gave up early) reports no log event, and must not count as running.
        receivingCall_ = false;
        if (resetPending_)
            QMetaObject::invokeMethod(
                this, [this] { StopResetStartReceiving(); }, Qt::QueuedConnection);
    }
}

void ReceiveSession::FxReceiveFax1FaxLog(int code) {
    if (resettingModem_ || !fax_) return;
    bool partial = false;
    int salvaged = 0;
    const QString file = code == lfaxReceiveStart ? fax_->FaxFile : receivingFile_;
    if (code == lfaxReceiveFail && !file.isEmpty() && QFileInfo::exists(file)) {
        salvaged = TrimToDecodablePages(file, false);
        partial = salvaged > 0;
    }
    if (stoppingReceive_) {
        // Stopped in the middle of a call: what arrived complete is kept and recorded all the
        // same, and nothing else is left behind.
        if (code == lfaxReceiveFail) {
            if (partial)
                fileFax(true, salvaged);
            else if (!file.isEmpty())
                QFile::remove(file);
            receivingFile_.clear();
        }
        return;
    }
    if (code == lfaxReceiveStart) {
        receivingFile_ = file;
        AddtoLastRecLog(QStringLiteral("Receiving a fax "));
        return;
    }
    if (code == lfaxReceiveOk || partial) fileFax(partial, salvaged);
    if (code == lfaxReceiveFail) reportFailedCall(partial, salvaged);
    if (code == lfaxReceiveOk || code == lfaxReceiveFail) {
        receivingFile_.clear();
        // The reset waits until the engine is back to waiting: a reset now would hang up on a
        // sender that still waits for the last page's confirmation.
        if (options.resetBetweenCalls) resetPending_ = true;
        SaveLocalRecLog();
    }
}

void ReceiveSession::fileFax(bool partial, int salvaged) {
    receivingCall_ = false;
    const QString file = receivingFile_;
    const QString remote = WithoutLeadingSpaces(fax_->RemoteID());
    // The record counts the pages the file holds: a page that was sent again after a refusal
    // counts once.
    int pages = partial ? salvaged : GetApfPageCount(file);
    if (pages <= 0) pages = callPages_;
    AddtoLastRecLog(QStringLiteral("%1 pages received from ").arg(pages) + remote +
                    (partial ? QStringLiteral(" POSSIBLE ERRORS") : QString()));

    const QDateTime now = QDateTime::currentDateTime();
    ReceivedFaxFields fields{now.date(), now.toString(QStringLiteral("hh:mm")), remote, pages,
                             QFileInfo(file).fileName()};
    bool recorded = bool(fdm_.AppendReceivedFax(fields));
    if (recorded && partial) {
        xbase::XbaseTable& t = fdm_.RecTable;
        recorded =
            t.replaceText("NOTES",
                          QStringLiteral("%1 pages received, but possible errors").arg(pages)) &&
            t.commit();
    }
    if (!recorded) AddtoLastRecLog("Error adding the fax to the incoming log: " + file);
    ++faxesStored_;

    ReceivedFaxInfo info{file, remote, pages, partial};
    if (hooks.logChanged) hooks.logChanged();
    if (hooks.playSound) hooks.playSound();
    if (hooks.faxStored) hooks.faxStored(info);
    if (options.printOnReceipt && hooks.printFax && !stoppingReceive_) {
        // Printed once the engine's step is over: printing takes seconds, and the engine must
        // go on answering the line meanwhile.
        QMetaObject::invokeMethod(
            this,
            [this, info] {
                hooks.printFax(info, [this](const QString& line) { AddtoLastRecLog(line); });
            },
            Qt::QueuedConnection);
    }
}

void ReceiveSession::reportFailedCall(bool partial, int salvaged) {
    receivingCall_ = false;
    ++callsFailed_;
    const QString message = lastError_ != 0 ? TFxAbstractFax::CodeText(lastError_)
                                            : QStringLiteral("Unknown error receiving fax");
    QString note;
    if (partial)
        note = salvaged == 1
                   ? QStringLiteral("Note: 1 page was received and saved")
                   : QStringLiteral("Note: %1 pages were received and saved").arg(salvaged);
    AddtoLastRecLog("Receive Failed with error: " + message);
    if (!note.isEmpty()) AddtoLastRecLog(note);
    const QString file = receivingFile_;
    if (!partial && !file.isEmpty() && QFileInfo::exists(file)) QFile::remove(file);
    FaxErrorRequest e;
    e.code = lastError_;
    e.message = message;
    e.detail = note;
    e.phase = kReceivePreparingPhase;
    e.autoClose = true;
    e.allowSuggest = true;
    const int code = lastError_;
    lastError_ = 0;
    if (hooks.callFailed) hooks.callFailed(code);
    // Shown once the engine's step is over, so that the window's own event loop never holds
    // the engine in the middle of its hang-up.
    QMetaObject::invokeMethod(
        this, [this, e] { showError(e); }, Qt::QueuedConnection);
}

}  // namespace corvane
