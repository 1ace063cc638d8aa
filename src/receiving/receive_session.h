#pragma once
// ReceiveSession: receive mode without a screen. It opens the modem from the settings, runs
// the fax engine's receiver call after call, names and files every fax that arrives (incoming
// log record through TFDM, salvage of a broken call), keeps Lastrec.log, and resets the modem
// between calls when asked to. The main window and `corvane-cli fax receive` both drive it; what
// a screen shows (status texts, the error window, the captions, printing, the sound) leaves
// through the hooks.
//
// Everything runs on the thread that owns the session (the GUI thread): the engine's events
// arrive there, and the between-calls reset is posted to it as a queued call. The session owns
// the port, the telephony device, the engine and the data-folder lock while receive mode is on.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "receive_log.h"
#include "receive_mode_lock.h"
#include "sending/fax_error_form_state.h"
#include "transport/class2_commands.h"

class QEventLoop;

namespace corvane {

class TFDM;
class TFxComPort;
class TFxReceiveFax;
class TapiDevice;
struct Settings;

// Phases shown in the error window.
inline const QString kReceivePreparingPhase = QStringLiteral("Preparing to receive faxes");

// A failure the user is told about goes to the fax error window that sending shares, as a
// FaxErrorRequest with `receiving` set (receive flavour: captions, auto-close after 30 s).

// A fax that has been stored and recorded.
struct ReceivedFaxInfo {
    QString file;      // full path
    QString remoteId;  // leading spaces removed
    int pages = 0;
    bool partial = false;
};

// Where and how to receive; FromSettings gives what the window uses, the command line
// overrides single fields.
struct ReceiveOptions {
    int comNumber = 1;   // COM1..COM8, used when neither device below is set
    QString tapiDevice;  // a named telephony device
    QString devicePath;  // a device opened as it stands (command line)
    FaxClassKind faxClass = FaxClassKind::Class1;
    int faxClassSetting = 1;  // for the log's "Fax Class" line
    int desiredBps = 9600;
    bool desiredEcm = false;
    QString stationId;
    QString modemInit;  // already with "AT" in front, empty for none
    int answerOnRing = 1;
    bool largerBuffer = false;
    bool alternateNaming = false;
    bool pulseDialing = false;
    QString initStringShown;  // InitStringReceive as the user typed it
    QString resetString;
    QString afterResetString;
    bool resetBetweenCalls = false;
    bool printOnReceipt = false;
    QString receiveFolder;  // where faxes go; ReceiveFolder() by default
    QString logFile;        // Lastrec.log in the data folder
    QString dataFolder;     // for the receive-mode lock; empty when the caller holds it
    bool oneFax = false;    // end receive mode after one call (command line --once)
    bool useLegacyTimer = false;

    static ReceiveOptions FromSettings(const Settings& s);
};

class ReceiveSession : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<void(const QString&)> status;  // the status panel; "" clears it
        // The fax error window; returns true for "Continue" (only offered when allowed).
        std::function<bool(const FaxErrorRequest&)> showError;
        std::function<void()> modeChanged;  // receive mode on or off: captions, buttons
        std::function<void(bool)> busy;     // hourglass cursor on or off
        std::function<void()> logChanged;   // a record was added to the incoming log
        std::function<void()> playSound;    // posted after each stored fax
        // Print on receipt; log lines go to the receive log through `log`.
        std::function<void(const ReceivedFaxInfo&, const std::function<void(const QString&)>& log)>
            printFax;
        std::function<void(const ReceivedFaxInfo&)> faxStored;  // after the record
        std::function<void(int code)> callFailed;               // after a failed call
        std::function<void(int code)> ended;  // receive mode ended by itself (one fax, a fault)
    };

    explicit ReceiveSession(TFDM& fdm, QObject* parent = nullptr);
    ~ReceiveSession() override;

    Hooks hooks;
    ReceiveOptions options;

    bool StartReceivingNow();
    void StopReceivingNow();
    // The between-calls reset (also the handler of the reset message).
    void StopResetStartReceiving();

    bool InReceiveMode() const { return inReceiveMode_; }
    bool ReceivingCall() const { return receivingCall_; }
    bool StoppingReceive() const { return stoppingReceive_; }
    bool ResettingModem() const { return resettingModem_; }

    void AddtoLastRecLog(const QString& text, bool stamped = true) { log_.add(text, stamped); }
    void SaveLocalRecLog();
    const ReceiveLog& receiveLog() const { return log_; }
    ReceiveLog& receiveLog() { return log_; }

    // Counters of this receive run.
    int faxesStored() const { return faxesStored_; }
    int callsFailed() const { return callsFailed_; }
    TFxReceiveFax* engine() const { return fax_.get(); }

    // The engine's events (public for the tests that drive them without a line).
    bool FxReceiveFax1FaxAccept(const QString& remoteId);
    void FxReceiveFax1FaxName(QString& name);
    void FxReceiveFax1FaxError(int code);
    void FxReceiveFax1FaxStatus(bool first, bool last);
    void FxReceiveFax1FaxLog(int code);

  private:
    bool openPort();
    void closePort();
    void giveUp();
    void logConfig();
    void startEngine();  // raises EFaxError
    bool showError(FaxErrorRequest error);
    void onEngineFinished(int code);
    void fileFax(bool partial, int salvaged);
    void reportFailedCall(bool partial, int salvaged);
    void setStatus(const QString& text);
    void setBusy(bool on);
    void waitForEngineEnd();

    TFDM& fdm_;
    ReceiveLog log_;
    std::unique_ptr<ReceiveModeLock> lock_;
    std::unique_ptr<TFxComPort> port_;
    std::unique_ptr<TapiDevice> tapi_;
    std::unique_ptr<TFxReceiveFax> fax_;
    bool usingTapi_ = false;

    bool inReceiveMode_ = false;
    bool receivingCall_ = false;
    bool stoppingReceive_ = false;
    bool resettingModem_ = false;
    bool engineRunning_ = false;
    bool resetPending_ = false;
    int unexpectedEnds_ = 0;
    QEventLoop* endWait_ = nullptr;
    int lastError_ = 0;
    int callPages_ = 0;
    int lastStatus_ = 0;
    QString receivingFile_;
    QString lastOpenFailure_;
    int faxesStored_ = 0;
    int callsFailed_ = 0;
};

}  // namespace corvane
