#pragma once
// What a fax engine needs of the modem line: bytes in and out, output pacing, three timers,
// DTR and carrier, short pauses, and one stream of events. ComPortFaxLine provides it over a
// TFxComPort and its triggers; tests and the fuzz target provide it over a simulated clock.
// The engines touch the port through this interface only.

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

namespace corvane {

class TFxComPort;

enum class FaxTimer { Status, Reply, Second };

enum class FaxLineEvent {
    Data,         // bytes arrived
    StatusTimer,  // the timers of FaxTimer expired
    ReplyTimer,
    SecondTimer,
    OutLow,       // no more than the armed number of bytes wait in the output buffer
    OutEmpty,     // the output buffer has drained
    ModemStatus,  // a modem line changed
    PortClosing,  // the port goes away under the engine
    WriteFailed,  // bytes written to the line could not go out (the device refused them)
};

class FaxLine {
  public:
    using EventHandler = std::function<void(FaxLineEvent)>;
    virtual ~FaxLine() = default;

    // Allocates what the events need; raises EFaxError(-5001) when that is not possible.
    virtual void attach(EventHandler handler) = 0;
    // Releases it; no event follows. Safe to call when not attached.
    virtual void detach() = 0;

    virtual void armTimer(FaxTimer timer, std::int64_t ticks) = 0;
    virtual void disarmTimer(FaxTimer timer) = 0;
    // Output pacing: OutLow once no more than `bytes` wait; OutEmpty once nothing waits.
    virtual void armOutLow(int bytes) = 0;
    virtual void armOutEmpty() = 0;

    virtual int bytesWaiting() = 0;
    virtual QByteArray read(int max) = 0;
    // All of `data` or nothing (EFaxError -3006 when it does not fit).
    virtual void write(const QByteArray& data) = 0;
    virtual int outFree() = 0;
    virtual int outUsed() = 0;
    virtual int outSize() = 0;
    virtual void purgeInput() = 0;
    virtual void purgeOutput() = 0;

    virtual void setDTR(bool on) = 0;
    virtual void setRTS(bool on) = 0;
    // XOFF/XON from the modem pause output where the port can do it (page data only).
    virtual void setSoftwareFlow(bool) {}
    virtual bool carrier() = 0;
    // 0 keeps the rate.
    virtual void setBaud(int baud) = 0;
    virtual int baud() = 0;

    // A short wait of the engine's own (before commands, during hang-up).
    virtual void pause(int ms) = 0;
    // For the blocking commands of the preparation: waits until input is there or `ms` passed.
    virtual bool waitForInput(int ms) = 0;
    // Milliseconds of the line's clock.
    virtual std::int64_t nowMs() = 0;
};

// The real line: triggers of a TFxComPort delivered to a handler object on the calling
// (GUI) thread.
std::unique_ptr<FaxLine> MakeComPortFaxLine(TFxComPort& port);

}  // namespace corvane
