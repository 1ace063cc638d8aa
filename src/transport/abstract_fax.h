#pragma once
// TFxAbstractFax: what the send and the receive machine share. The properties of a fax call,
// the events to the owner, the call record (status, error, counters, remote id), the modem
// reply reader, blocking commands and the class check of the preparation, and the one event
// loop that turns line events into runs of a machine's states.
//
// A machine is a table with one row per state (engine_states.h): its name, its kind, its
// function, what it does on a reply time-out, and the facts the loop needs (whether it handles
// ERROR or a hang-up report itself, whether CONNECT starts a frame). The machine runs on the
// thread that owns the component (the GUI thread): each line event runs it once, and it runs
// again at once while it is in an action state or while it waits for replies and more bytes
// are there.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/fax_errors.h"
#include "transport/class1_call.h"
#include "transport/class2_commands.h"
#include "transport/engine_states.h"
#include "transport/fax_line.h"
#include "transport/fax_status_codes.h"

namespace corvane {

class TFxComPort;

constexpr int kReplyWaitTicks = 182;      // 10 s
constexpr int kPageDataWaitTicks = 1092;  // 60 s
constexpr int kCommandPauseMs = 100;
constexpr int kMaxReplyLineLength = 128;
constexpr int kMinimumOutSize = 8192;

class TFxAbstractFax : public QObject {
  public:
    TFxAbstractFax();
    ~TFxAbstractFax() override;

    // ---- properties ----
    FaxClassKind FaxClass = FaxClassKind::Detect;
    QString ModemInit;
    QString StationID;
    TFxComPort* ComPort = nullptr;
    QString FaxFile;
    bool AbortNoConnect = false;
    bool ExitOnError = false;
    bool SoftwareFlow = false;
    int StatusInterval = 1;
    int DesiredBPS = 9600;
    bool DesiredECM = false;
    QString FaxFileExt = QStringLiteral("APF");
    int InitBaud = 0;
    int NormalBaud = 0;

    // ---- events ----
    std::function<void(bool first, bool last)> OnFaxStatus;
    std::function<void(int logCode)> OnFaxLog;
    std::function<void(int errorCode)> OnFaxError;
    std::function<void(int errorCode)> OnFaxFinish;

    // ---- counters ----
    int FaxStatus() const { return status_; }
    int LastError() const { return error_; }
    int CurrentPage() const { return currentPage_; }
    int TotalPages() const { return totalPages_; }
    qint64 BytesTransferred() const { return bytes_; }
    qint64 PageLength() const { return pageLength_; }
    QString RemoteID() const { return remoteId_; }
    int ConnectBPS() const { return session_.bps; }
    bool HighRes() const { return session_.fine; }
    bool WideWidth() const { return session_.wide; }
    bool ErrorCorrection() const { return session_.ecm; }
    // The modem's last hang-up report: the +FHNG value as decimal, the +FHS value as hex.
    int HangupCode() const { return hangupCode_; }
    FaxClassKind ClassInUse() const { return classInUse_; }
    bool InProgress() const { return active_; }

    // Delivers a cancel to the running call.
    void AbortFax();

    // A line other than ComPort (a simulated one); the component owns it.
    void SetLine(std::unique_ptr<FaxLine> line);

    // The text of a status or error code from the program's table.
    static QString CodeText(int code);

  protected:
    // Start checks shared by BeginTransmit and BeginReceive; raises EFaxError.
    void CheckStart();
    // The class check; returns false when no usable class was found.
    bool DetectClass();
    // Sends `command` + CR after the pause and reads lines up to OK or ERROR for one reply wait.
    // The last other line is left in `reply`.
    bool BlockingCommand(const QString& command, QString* reply = nullptr);

    // The machine's table, read through these. The facts of the current state's row:
    virtual StateFacts CurrentStateFacts() const = 0;
    // Runs the current state's function with the event and, for a Reply state, the line.
    virtual void RunState(FaxLineEvent event, const QString& reply) = 0;
    // The reply timer ran out in a Reply state: the row's own handling, else -6006.
    virtual void StateTimedOut() = 0;
    // Moves to the abort state (which logs, hangs up and decides how the run goes on).
    virtual void EnterAbortState() = 0;
    virtual bool InAbortState() const = 0;
    // Class 1: a frame has been collected into class1_.frame.
    virtual void OnClass1Frame() = 0;
    // The error for an ERROR reply that the state does not handle.
    virtual int ErrorReplyCode();
    // The error for a hang-up report that the state does not wait for (Class 2 and 2.0).
    virtual int HangupReplyCode() = 0;

    // The event loop: runs states for one line event until the machine has to wait.
    void RunMachine(FaxLineEvent event);
    // Ends the call with `error` unless it is ending already.
    void AbortWith(int error);
    // Runs the row's function; a row without one cannot go on and ends the call.
    template <class Machine, class Row>
    void RunRow(Machine& machine, const Row& row, FaxLineEvent event, const QString& reply) {
        if (!row.step) {
            AbortWith(ecFaxInitError);
            return;
        }
        row.step(machine, event, reply);
    }
    // A reply time-out in the row's state: its own handler, else a fatal time-out.
    template <class Machine, class Row>
    void TimeOutRow(Machine& machine, const Row& row) {
        if (row.timedOut)
            (machine.*row.timedOut)();
        else
            AbortWith(ecFatalTimeout);
    }
    // After an exception out of a machine step: close what is open, log, hang up, and go to
    // the final state; the caller then finishes.
    virtual void EndAfterFailure() = 0;
    // Called once the finish has been decided: the machine deregisters and tells the owner.
    void Finish(int error);
    void StartMachine();

    // Sends a command: pause, text + CR, reply timer armed (ticks < 0: none).
    void SendCommand(const QString& command, int ticks = kReplyWaitTicks);
    void SendRaw(const QByteArray& bytes);

    // Reads waiting bytes up to the end of one reply line; true with the line in `line`.
    // Empty lines are dropped. Never reads past the line end, so page data that follow stay
    // in the buffer.
    bool ReadReplyLine(QString& line);
    bool ReplyLinePending();
    // Gives bytes read past the end of page data back to the reply reader.
    void Unread(const QByteArray& bytes);
    // Keeps bytes read early for the reply reader, behind any kept before.
    void HoldInput(const QByteArray& bytes) { pushback_.append(bytes); }

    void SetStatus(int code, bool force = false);
    void ReportStatus(bool first, bool last);
    void SetError(int code);
    void Log(int code);
    void RecordHangup(const QString& line);

    bool IsHangupReply(const QString& line) const;
    bool IsReply(const QString& line, const QString& name) const;

    // ---- Class 1 ----
    // Class select (AT+FCLASS=1, else 1.0) and the modulation query of the preparation;
    // false when the modem takes neither class command.
    bool PrepareClass1(bool sending);
    // A frame or modulation command: `waitMs`, then the short pause, command, CR; the reply
    // timer armed with `ticks` (< 0: none).
    void SendClass1Command(const QString& command, int waitMs = 0, int ticks = kReplyWaitTicks);
    // Writes one HDLC frame after CONNECT (20 ms after it).
    void SendFrame(std::uint8_t fcf, const QByteArray& fif, bool final);
    // Reads frame bytes after CONNECT; true once DLE ETX has ended the frame, which is then
    // in `class1_.frame`.
    bool CollectFrameBytes();
    // Takes the frame collected in `class1_.frame`: re-arms the reply timer, notes what every
    // state looks at (final bit, FCF) and takes a CSI/TSI as the remote's id. A frame that
    // fails its checks comes back with `valid` false, to be dropped.
    T30Frame TakeClass1Frame();
    // Sets the minimum line length from the scan time code, resolution and rate.
    void UpdateMinLineBytes();

    bool IsClass1() const { return classInUse_ == FaxClassKind::Class1; }
    FaxLine& Line() { return *line_; }
    const Class2CommandTable& Cmds() const { return Class2Commands(classInUse_); }

    int status_ = 0;
    int error_ = 0;
    int currentPage_ = 0;
    int totalPages_ = 0;
    qint64 bytes_ = 0;
    qint64 pageLength_ = 0;
    QString remoteId_;
    FaxSessionParams session_;
    Class1Call class1_;
    int hangupCode_ = -1;
    FaxClassKind classInUse_ = FaxClassKind::Class2;
    bool active_ = false;
    bool modemInitialised_ = false;
    bool forceStatus_ = false;
    bool firstStatus_ = true;
    bool cancelPending_ = false;
    // The last command sent, so that the modem's echo of it is not taken for a reply.
    QString lastCommand_;

    // Runs one step of the machine for a line event. Every step goes through here, the first
    // one included, so that a failing line or file ends the call instead of escaping into the
    // event loop.
    void OnLineEvent(FaxLineEvent event);

  private:
    void EnsureLine();
    // A +FCERROR that answers a listening command at once: the modem still heard the tail of
    // the last carrier (an OK given before the carrier ended) or refuses its first try. The
    // command goes again and the reply is not the machine's business. True when it did.
    bool RepeatListenAfterQuickFcError(const QString& reply);

    std::unique_ptr<FaxLine> line_;
    bool ownLineFromPort_ = false;
    QByteArray partialLine_;
    QByteArray pushback_;
    bool running_ = false;  // inside runMachine: a cancel waits for the step to end
};

}  // namespace corvane
