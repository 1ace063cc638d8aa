#include "sending/send_session.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>

#include "core/fax_errors.h"
#include "core/settings.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/send_fax.h"
#include "transport/tapi_device.h"

namespace corvane {

FinishCount ForgiveTimeOut(int code, bool class2HangupNormal, int acknowledged, int total,
                           bool awaitingLastConfirmation) {
    FinishCount f{code, acknowledged, false};
    if (code != ecFatalTimeout) return f;
    if (class2HangupNormal) return {0, acknowledged, true};
    if (total <= 0) return f;
    f.note = true;
    if (acknowledged == total) {
        f.code = 0;
    } else if (acknowledged + 1 == total && awaitingLastConfirmation) {
        f.acknowledged = total;
        f.code = 0;
    }
    return f;
}

namespace {

std::atomic<bool> gUserCancelled{false};

QString ErrorText(int code) {
    return FaxErrorTextOr(code, QStringLiteral("Error %1").arg(code));
}

}  // namespace

SendPort SendPort::FromSettings(const Settings& s) {
    SendPort p;
    p.byName = s.UseTAPI;
    p.deviceName = s.TAPIDevice;
    p.comNumber = s.ComPort >= 0 ? s.ComPort + 1 : 1;
    return p;
}

QString PagesSentText(int pages) {
    if (pages == 0) return QStringLiteral("No pages were sent");
    if (pages == 1) return QStringLiteral("1 page was sent");
    return QStringLiteral("%1 pages were sent").arg(pages);
}

QString SentResultText(int acknowledged, int total, qint64 elapsedMs) {
    const qint64 seconds = elapsedMs / 1000;
    const QString time = QString::asprintf("%.2d:%.2d", int(seconds / 60), int(seconds % 60));
    if (acknowledged == 1)
        return QStringLiteral("1 page of %1 was sent. Transmission time: %2").arg(total).arg(time);
    return QStringLiteral("%1 pages of %2 were sent. Transmission time: %3")
        .arg(acknowledged)
        .arg(total)
        .arg(time);
}

SendSession::SendSession(const Settings& settings, SendSessionUi& ui)
    : settings_(settings),
      ui_(ui),
      port_(SendPort::FromSettings(settings)),
      options_(SendEngineOptions::FromSettings(settings)) {
    clock_.start();
}

SendSession::~SendSession() {
    if (fax_ && busy_) fax_->OnFaxFinish = nullptr;
    fax_.reset();
    releasePort();
}

bool SendSession::UserCancelled() {
    return gUserCancelled;
}

bool SendSession::start(const SendRequest& request) {
    if (busy_) return false;
    request_ = request;
    outcome_ = SendOutcome();
    awaiting_ = false;
    fax_.reset();
    log_.clear();
    ui_.setWaitCursor(true);
    busy_ = true;
    log_.add(QStringLiteral("Start:") + SendLogTimeStamp(QDateTime::currentDateTime()));
    if (!openPort() || !checkModem() || !sendResetString()) return false;
    return startTransmission();
}

bool SendSession::openPort() {
    comPort_ = std::make_unique<TFxComPort>();
    tapi_ = std::make_unique<TapiDevice>();
    // The larger output buffer gives a slow machine more slack while it feeds page data.
    ApplyProgramPortSettings(*comPort_, PortUse::Sending, settings_.GlobalLargerSendBuffer);
    Status opened;
    if (port_.byName) {
        const QString& name = port_.deviceName;
        ui_.setStatus(QStringLiteral("Opening communications port using: ") + name);
        log_.add(QStringLiteral("Opening with TAPI using: ") + name);
        if (name.startsWith('/')) {
            // A device path rather than a name (corvane-cli --device PATH): opened as it stands.
            comPort_->AssignTapiDevicePath(name);
            comPort_->SetTapiMode(TapiMode::On);
            opened = OpenPortDirectly(*comPort_);
        } else {
            comPort_->SetTapiMode(TapiMode::Auto);
            opened = OpenPortWithTapi(*comPort_, *tapi_, name,
                                      [this] { return ui_.chooseTelephonyDevice(); });
        }
        if (!opened.ok()) {
            log_.add(QStringLiteral("Error opening : ") + name);
            log_.add(QStringLiteral("Message:") + opened.message());
            releasePort();
            fail({false, -9002, QStringLiteral("Error opening Communications Port with TAPI"),
                  QString(), false, false, false, kPreparingPhase});
            return false;
        }
        log_.add(QStringLiteral("Opened com port with TAPI: ") + name);
        return true;
    }
    ui_.setStatus(QStringLiteral("Opening communications port..."));
    comPort_->SetTapiMode(TapiMode::Off);
    comPort_->SetComNumber(port_.comNumber);
    const QString com = QStringLiteral("COM%1").arg(port_.comNumber);
    log_.add(QStringLiteral("Opening com port: ") + com);
    opened = OpenPortDirectly(*comPort_);
    if (!opened.ok()) {
        log_.add(QStringLiteral("Error opening com port: ") + com);
        log_.add(QStringLiteral("Message:") + opened.message());
        releasePort();
        if (opened.code() == ecAlreadyOpen)
            fail({false, -9004, QStringLiteral("Communications Port is in use"), QString(), false,
                  false, false, kPreparingPhase});
        else
            fail({false, -9001, QStringLiteral("Error opening Communications Port"), QString(),
                  false, false, false, kPreparingPhase});
        return false;
    }
    log_.add(QStringLiteral("Opened com port OK"));
    return true;
}

bool SendSession::checkModem() {
    ui_.setStatus(QStringLiteral("Checking for modem..."));
    log_.add(QStringLiteral("Checking for modem"));
    bool answered = false;
    try {
        answered = CheckForModem(*comPort_, settings_.ResetString);
    } catch (const EFaxError&) {
        answered = false;
    }
    if (answered) return true;
    log_.add(QStringLiteral("Error checking for modem"));
    ui_.setWaitCursor(false);
    const bool goOn = ui_.showFaxError({false, -9000, QStringLiteral("Error checking for modem"),
                                        QString(), false, false, true, kPreparingPhase});
    if (goOn) {
        ui_.setWaitCursor(true);
        return true;
    }
    releasePort();
    log_.add(QStringLiteral("Exit"));
    becomeIdle(false);
    return false;
}

bool SendSession::sendResetString() {
    const QString reset = settings_.ResetString;
    if (reset.isEmpty()) return true;
    log_.add(QStringLiteral("Sending reset string: ") + reset);
    ui_.setStatus(QStringLiteral("Sending reset string..."));
    if (SendModemCommand(*comPort_, reset)) return true;
    log_.add(QStringLiteral("Failure sending reset string: ") + reset);
    releasePort();
    ui_.setWaitCursor(false);
    ui_.showFaxError({false, -9003, QStringLiteral("Error sending reset string to modem"),
                      QString(), false, true, false, kPreparingPhase});
    log_.add(QStringLiteral("Exiting..."));
    becomeIdle(false);
    return false;
}

bool SendSession::startTransmission() {
    ui_.setStatus(QString());
    for (const QString& line : SendSettingsLogLines(options_, request_)) log_.add(line);
    try {
        fax_ = std::make_unique<TFxSendFax>();
        fax_->ComPort = comPort_.get();
        ConfigureSendFax(*fax_, options_, request_);
        fax_->OnFaxStatus = [this](bool, bool) { onStatus(); };
        // The finish arrives inside the port's event handling, where the port cannot be
        // closed; it is taken up once that handling has returned.
        fax_->OnFaxFinish = [this](int code) {
            QTimer::singleShot(0, fax_.get(), [this, code] { onFinish(code); });
        };
        ui_.setWaitCursor(false);
        log_.add(QStringLiteral("StartTransmit"));
        startMs_ = endMs_ = clock_.elapsed();
        gUserCancelled = false;
        ui_.transmissionStarted(*fax_);
        fax_->BeginTransmit();
        return true;
    } catch (const EFaxError& e) {
        ui_.transmissionEnded();
        ui_.setWaitCursor(false);
        releasePort();
        log_.add(QStringLiteral("Error..."));
        log_.add(QStringLiteral("Message:") + e.text());
        // The call never started (the modem refused its set-up, a file is not a fax file):
        // the user learns why, and the record keeps the reason.
        outcome_.code = e.code();
        outcome_.resultText = ErrorText(e.code());
        ui_.showFaxError(
            {false, e.code(), ErrorText(e.code()), QString(), false, true, false, kPreparingPhase});
        becomeIdle(false);
        return false;
    }
}

void SendSession::onStatus() {
    TFxSendFax& fax = *fax_;
    switch (fax.FaxStatus()) {
        case fsSendingPage:
            if (outcome_.totalPages == 0) outcome_.totalPages = fax.TotalPages();
            log_.add(QStringLiteral("Sending page data"));
            break;
        case fsSendingEOP:
            awaiting_ = true;
            log_.add(QStringLiteral("Page %1 sent, waiting for acknowledgement from recipient")
                         .arg(outcome_.pagesAcknowledged + 1));
            break;
        case fsPageAccepted:
            if (awaiting_) {
                ++outcome_.pagesAcknowledged;
                log_.add(QStringLiteral("Page %1 acknowledgement received")
                             .arg(outcome_.pagesAcknowledged));
                awaiting_ = false;
            }
            break;
        default:
            break;
    }
    ui_.faxStatus(fax);
}

void SendSession::onFinish(int finishCode) {
    endMs_ = clock_.elapsed();
    outcome_.finishTime = QDateTime::currentDateTime();
    ui_.transmissionEnded();
    int code = finishCode;
    if (FaxErrorTextOr(code, QString()).toUpper() == QStringLiteral("OK")) code = 0;
    SendOutcome& o = outcome_;
    o.pagesAcknowledged = std::min(o.pagesAcknowledged, o.totalPages);
    const QString pagesText = PagesSentText(o.pagesAcknowledged);
    if (code != 0)
        o.resultText = ErrorText(code);
    else
        o.resultText = o.pagesAcknowledged == 1
                           ? QStringLiteral("Sent 1 page")
                           : QStringLiteral("Sent %1 pages").arg(o.pagesAcknowledged);
    log_.add(QStringLiteral("Faxfinish Code: %1").arg(code));
    log_.add(QStringLiteral("Result: ") + o.resultText);

    {
        const FaxClassKind kind = fax_->ClassInUse();
        const bool class2Normal = (kind == FaxClassKind::Class2 || kind == FaxClassKind::Class20) &&
                                  fax_->HangupCode() == 0;
        const FinishCount forgiven =
            ForgiveTimeOut(code, class2Normal, o.pagesAcknowledged, o.totalPages, awaiting_);
        code = forgiven.code;
        o.pagesAcknowledged = forgiven.acknowledged;
        o.note = forgiven.note;
    }
    o.code = code;
    if (code == 0) {
        o.sentOk = true;
        o.resultText = SentResultText(o.pagesAcknowledged, o.totalPages, endMs_ - startMs_);
    }

    if (!settings_.ResetAfterString.isEmpty()) {
        ui_.setStatus(QStringLiteral("Sending AFTER reset string..."));
        (void)SendModemCommand(*comPort_, settings_.ResetAfterString);
    }
    releasePort();
    busy_ = false;
    ui_.setStatus(QString());

    if (o.sentOk && o.note) {
        ui_.showMessage(o.resultText + "\r" + "NOTE: All pages were sent, but we did not " + "\r" +
                        "receive a final acknowledgement from the recipient" + "\r" +
                        "fax machine or faxmodem. Please verify that all " + "\r" +
                        QString::number(o.totalPages) + " pages were received.");
    } else if (o.sentOk) {
        ui_.showMessage(o.resultText);
    } else if (gUserCancelled) {
        ui_.showMessage(QStringLiteral("Fax transmission cancelled. ") + pagesText + ".");
    } else {
        ui_.showFaxError(
            {false, code, ErrorText(code), pagesText, false, true, false, kSendingPhase});
    }
    becomeIdle(true);
}

void SendSession::fail(const FaxErrorRequest& error) {
    ui_.setWaitCursor(false);
    ui_.showFaxError(error);
    becomeIdle(false);
}

void SendSession::cancel() {
    gUserCancelled = true;
    if (busy_ && fax_) fax_->AbortFax();
}

void SendSession::releasePort() {
    if (comPort_ && tapi_) ReleaseTapiPort(*comPort_, *tapi_);
}

void SendSession::becomeIdle(bool writeFinish) {
    busy_ = false;
    ui_.setStatus(QString());
    if (writeFinish)
        log_.add(QStringLiteral("Finish: ") + SendLogTimeStamp(QDateTime::currentDateTime()));
    log_.save();
    if (onIdle) onIdle();
}

void SendSession::waitUntilIdle() {
    while (busy_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace corvane
