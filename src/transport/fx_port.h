#pragma once
// TFxComPort: the port component. It holds the line settings while the port is closed and,
// while open, a dispatcher (three worker threads) around the serial device that its COM
// number maps to (core/port_map.h), or around the device a telephony device handed over.
//
// Everything here is called from one controlling thread (the GUI thread); trigger handlers
// that are procedures run on the dispatcher thread and may call the input, output and trigger
// operations. Operations that need an open port raise EFaxPortError(ecDeviceNotOpen) when it is
// closed, except the counts, which read 0.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "transport/dispatcher.h"
#include "transport/serial_device.h"
#include "transport/trigger_event.h"

namespace corvane {

enum class TapiMode { Auto, On, Off };

// Hardware flow control options.
enum HWFlowOption : unsigned {
    hwfUseDTR = 0x01,
    hwfUseRTS = 0x02,
    hwfRequireDSR = 0x04,
    hwfRequireCTS = 0x08,
};

constexpr int kDefaultBaud = 19200;
constexpr int kDefaultBufferSize = 4096;

class TFxComPort {
  public:
    TFxComPort();
    ~TFxComPort();
    TFxComPort(const TFxComPort&) = delete;
    TFxComPort& operator=(const TFxComPort&) = delete;

    // ---- properties ----
    int ComNumber() const { return comNumber_; }
    void SetComNumber(int n) { comNumber_ = n; }
    int Baud() const { return line_.baud; }
    // Raises EFaxPortError(ecUnsupportedBaud) for a rate the serial driver does not offer.
    void SetBaud(int baud);
    Parity GetParity() const { return line_.parity; }
    void SetParity(Parity p);
    int DataBits() const { return line_.dataBits; }
    void SetDataBits(int bits);
    int StopBits() const { return line_.stopBits; }
    void SetStopBits(int bits);
    int InSize() const { return inSize_; }
    void SetInSize(int size);
    int OutSize() const { return outSize_; }
    // On an open port the output buffer is resized at once, keeping what waits in it;
    // -3006 when what waits does not fit the new size.
    void SetOutSize(int size);
    unsigned HWFlowOptions() const { return hwFlow_; }
    // XOFF/XON from the modem pause output in the driver. Only for page data sent: anything
    // the modem sends would lose its DC1 and DC3 bytes.
    void SetSoftwareFlow(bool on);
    void SetHWFlowOptions(unsigned options);
    int BufferFull() const { return bufferFull_; }
    void SetBufferFull(int bytes);
    int BufferResume() const { return bufferResume_; }
    void SetBufferResume(int bytes);
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool on) { autoOpen_ = on; }
    bool PromptForPort() const { return promptForPort_; }
    void SetPromptForPort(bool on) { promptForPort_ = on; }
    bool DTR() const { return dtr_; }
    void SetDTR(bool on);
    bool RTS() const { return rts_; }
    void SetRTS(bool on);
    TapiMode GetTapiMode() const { return tapiMode_; }
    void SetTapiMode(TapiMode mode) { tapiMode_ = mode; }

    bool Open() const { return dispatcher_ != nullptr; }
    // Closes without raising (for destructors and clean-up paths). From a procedure handler of
    // this very port the close finishes on another thread after the handler has returned.
    void CloseNoThrow() noexcept;
    // true opens (raising EFaxPortError on failure, leaving the port closed); false closes,
    // waiting for a handler in progress. A procedure handler cannot close its own port (it
    // runs on the thread that closing stops): that raises EFaxError(ecCloseFromOwnHandler).
    void SetOpen(bool open);

    // The device path the port opened (or would open now).
    QString DevicePath() const;

    // Called by the telephony device when it hands over a line: the port then opens `path`
    // with TapiMode On. An empty path withdraws the hand-over.
    void AssignTapiDevicePath(const QString& path) { tapiPath_ = path; }
    QString TapiDevicePath() const { return tapiPath_; }

    // Every byte AwaitString reads, on the thread that waits.
    std::function<void(char)> OnWaitChar;

    // ---- blocking operations ----
    // Queues the bytes (Latin-1) of `text`; no terminator is added.
    void SendString(const QString& text);
    // Reads until `text` has come or `ticks` have passed; true when it came (and when the
    // application is shutting down). Trigger dispatch is held off meanwhile; with `yield` the
    // thread's events are processed while waiting.
    bool AwaitString(const QString& text, std::int64_t ticks, bool yield, bool ignoreCase);
    void PurgeInput();
    void PurgeOutput();

    // ---- buffer access ----
    bool CharReady();
    int InBuffUsed();
    // The next byte; raises when none waits.
    char GetChar();
    // The byte `index` places after the next one, without consuming it; raises when absent.
    char PeekChar(int index = 0);
    // Up to `max` waiting bytes.
    QByteArray GetBlock(int max);
    void PutChar(char c);
    // All of `data` or nothing: -3006 when it does not fit the free space.
    void PutBlock(const QByteArray& data);
    void PutBlock(const char* data, int size);
    // The code of a failed write not reported yet (-3004), 0 when none; reading clears it.
    // Unread, the next PutBlock raises it.
    int TakeWriteError();
    int OutBuffFree();
    int OutBuffUsed();

    // ---- line state ----
    std::uint8_t ModemStatus();  // ModemStatusBits; the change bits clear on reading
    bool CheckDCD();
    bool CheckCTS();
    std::uint8_t LineError();  // LineErrorBits; clear on reading

    // ---- triggers: handle > 0, or -5001 when none can be had (or the port is closed) ----
    int AddDataTrigger(const QString& text, bool ignoreCase);
    int AddTimerTrigger();
    int AddStatusTrigger(TriggerKind kind);
    bool RemoveTrigger(int handle);
    bool SetTimerTrigger(int handle, std::int64_t ticks, bool activate);
    // ModemStatus: value is a mask of msCTS/msDSR/msRI/msDCD; OutbuffFree / OutbuffUsed: a byte
    // count; LineError and OutSent ignore it.
    bool SetStatusTrigger(int handle, int value, bool activate);

    // ---- handlers (while open) ----
    // A handler object on the GUI thread receives TriggerMessage; a procedure runs on the
    // dispatcher thread. Returns an id > 0, or 0 when the port is closed.
    int RegisterWindowHandler(QObject* window);
    int RegisterProcHandler(TriggerProc proc);
    void DeregisterWindowHandler(QObject* window);
    void DeregisterHandler(int id);

  private:
    TFxBaseDispatcher& RequireOpen() const;
    void NormaliseFlowLimits();
    void ApplyLineSettings();

    int comNumber_ = 0;
    LineSettings line_;
    int inSize_ = kDefaultBufferSize;
    int outSize_ = kDefaultBufferSize;
    unsigned hwFlow_ = 0;
    int bufferFull_ = 0;
    int bufferResume_ = 0;
    bool autoOpen_ = true;
    bool promptForPort_ = true;
    bool dtr_ = true;
    bool rts_ = true;
    TapiMode tapiMode_ = TapiMode::Auto;
    QString tapiPath_;
    QString openedPath_;
    std::atomic<bool> closing_{false};
    std::uint64_t generation_ = 0;  // counts opens, so a wait can tell its port was reopened
    std::unique_ptr<TFxBaseDispatcher> dispatcher_;
};

}  // namespace corvane
