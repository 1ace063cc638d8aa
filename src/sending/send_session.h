#pragma once
// SendSession: one fax sent, from "&Send Fax Now" to the engine's finish. It opens the modem
// (by COM number or by telephony device name), checks that a modem answers, sends the reset
// string, configures the send machine from the settings, counts the pages the remote
// confirms, turns the finish code into the result text and the message for the user, and
// keeps the send log (Lastsend.log). The send window and corvane-cli both send through it.
//
// The session owns its port and its send machine for the one call; the port is open only
// while the session is busy. Everything runs on the thread that calls start(): the engine is
// driven by the port's events through that thread's event loop, so the owner only has to keep
// the loop running and show what SendSessionUi reports.

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

#include "sending/fax_error_form_state.h"
#include "sending/send_session_engine.h"
#include "sending/send_session_log.h"

namespace corvane {

struct Settings;
class TFxComPort;
class TFxSendFax;
class TapiDevice;

inline const QString kPreparingPhase = QStringLiteral("Preparing to send fax");
inline const QString kSendingPhase = QStringLiteral("Sending a fax");

// The time-out forgiveness of a finished call. A Class 2/2.0 modem that reports a normal
// hang-up, or a last page whose data went out but whose confirmation never came, still
// counts as sent, with a note asking the user to check. Only a time-out is forgiven: a call
// the engine saw break off (the remote's DCN, a dropped line) failed, even after the last
// page's data, because the page may have gone into a dead line.
struct FinishCount {
    int code = 0;
    int acknowledged = 0;
    bool note = false;
};
FinishCount ForgiveTimeOut(int code, bool class2HangupNormal, int acknowledged, int total,
                           bool awaitingLastConfirmation);

// How the session reaches the user: the send window, or corvane-cli's output.
class SendSessionUi {
  public:
    virtual ~SendSessionUi() = default;
    // The send window's status panel; an empty text hides it.
    virtual void setStatus(const QString& text) = 0;
    // ShowFaxError; true when the user chose Continue.
    virtual bool showFaxError(const FaxErrorRequest& request) = 0;
    // The result of a call that did not fail, or was cancelled.
    virtual void showMessage(const QString& text) = 0;
    // The hourglass from the start of sending until the engine runs.
    virtual void setWaitCursor(bool /*on*/) {}
    // The fax status window: opened when the engine starts, fed every status, closed at the
    // end.
    virtual void transmissionStarted(TFxSendFax& /*fax*/) {}
    virtual void faxStatus(TFxSendFax& /*fax*/) {}
    virtual void transmissionEnded() {}
    // A telephony device name that matches no device: the user may pick one (empty: none).
    virtual QString chooseTelephonyDevice() { return {}; }
};

// Which modem to open. By default the settings say (UseTAPI and TAPIDevice, else ComPort).
struct SendPort {
    bool byName = false;
    QString deviceName;  // a telephony device name, or a device path starting with "/"
    int comNumber = 1;   // COM1..COM8

    static SendPort FromSettings(const Settings& s);
};

// What the main window reads once the session is idle again.
struct SendOutcome {
    bool sentOk = false;
    QString resultText;  // empty when sending stopped before the call
    QDateTime finishTime;
    int code = 0;  // the finish code after the time-out forgiveness
    int pagesAcknowledged = 0;
    int totalPages = 0;
    bool note = false;  // all pages went, the last confirmation did not come
};

class SendSession {
  public:
    SendSession(const Settings& settings, SendSessionUi& ui);
    ~SendSession();
    SendSession(const SendSession&) = delete;
    SendSession& operator=(const SendSession&) = delete;

    // The modem to use instead of the one the settings name.
    void setPort(const SendPort& port) { port_ = port; }
    // The engine options instead of those the settings give.
    void setEngineOptions(const SendEngineOptions& options) { options_ = options; }
    const SendEngineOptions& engineOptions() const { return options_; }

    // Sends `request` (the window has checked the number and that it is not busy). True when
    // the engine is running and the finish follows through the event loop; false when sending
    // stopped before the call (the user has been told, the log written).
    bool start(const SendRequest& request);
    bool busy() const { return busy_; }
    // The fax status window's Cancel: the user-cancelled flag, then the engine's cancel.
    void cancel();
    // Runs the event loop until the session is idle (corvane-cli).
    void waitUntilIdle();
    // Called whenever the session has become idle again, whatever the path.
    std::function<void()> onIdle;

    const SendOutcome& outcome() const { return outcome_; }
    const SendLog& log() const { return log_; }
    // The running engine; null while idle.
    TFxSendFax* fax() const { return fax_.get(); }

    // The process-wide flag the status window's Cancel sets; cleared when a call starts.
    static bool UserCancelled();

  private:
    bool openPort();
    bool checkModem();
    bool sendResetString();
    bool startTransmission();
    void onStatus();
    void onFinish(int code);
    void fail(const FaxErrorRequest& error);
    void releasePort();
    void becomeIdle(bool writeFinish);

    const Settings& settings_;
    SendSessionUi& ui_;
    SendPort port_;
    SendEngineOptions options_;
    SendRequest request_;
    SendLog log_;
    SendOutcome outcome_;
    std::unique_ptr<TFxComPort> comPort_;
    std::unique_ptr<TapiDevice> tapi_;
    std::unique_ptr<TFxSendFax> fax_;
    std::unique_ptr<TFxSendFax> finishedFax_;  // freed once its finish event has returned
    bool busy_ = false;
    bool awaiting_ = false;
    QElapsedTimer clock_;
    qint64 startMs_ = 0;
    qint64 endMs_ = 0;
};

// The result text of a finish that counts as sent: "1 page of N was sent. Transmission
// time: mm:ss" or "K pages of N were sent. Transmission time: mm:ss".
QString SentResultText(int acknowledged, int total, qint64 elapsedMs);
// "1 page was sent", "N pages were sent" or "No pages were sent".
QString PagesSentText(int pages);

}  // namespace corvane
