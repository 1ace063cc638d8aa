#pragma once
// The engine room of an open port: three worker threads around one serial device. The trigger
// rules live in TriggerTable (trigger_table.h); this class runs the threads that feed it and
// delivers what it reports. dispatcher.cpp holds the threads and delivery,
// dispatcher_buffers.cpp the buffer and line operations the port calls.
//  - reader: sleeps in poll() until the device has input, then hands over to the dispatcher and
//    waits until it has taken the bytes (the two run in lockstep);
//  - dispatcher: pulls bytes into the 8192-byte dispatch ring (on the reader's signal, and at
//    least every 50 ms without one), tracks modem status and line errors, and runs the trigger
//    checks, delivering each event to the attached handlers;
//  - writer: moves the output ring to the device.
// The port component creates one per open and destroys it on close; it owns the device.
//
// Locks: stateMutex_ guards triggers, handlers, status bits and the flags; inputMutex_ the
// dispatch ring and its scan positions; outputMutex_ the output ring. When two are needed they
// are taken in that order.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "transport/byte_ring.h"
#include "transport/serial_device.h"
#include "transport/ticks.h"
#include "transport/trigger_event.h"
#include "transport/trigger_table.h"

namespace corvane {

constexpr int kDispatchBufferSize = 8192;
constexpr int kPullIntervalMs = 50;
constexpr int kHandlerTimeoutMs = 3000;
constexpr int kThreadStartTimeoutMs = 3000;

using TriggerProc = std::function<void(TriggerEvent&)>;

class TFxBaseDispatcher {
  public:
    // Takes over an open device. `outSize` is the output ring's size.
    TFxBaseDispatcher(std::unique_ptr<SerialDevice> device, int outSize);
    ~TFxBaseDispatcher();
    TFxBaseDispatcher(const TFxBaseDispatcher&) = delete;
    TFxBaseDispatcher& operator=(const TFxBaseDispatcher&) = delete;

    // Starts reader, dispatcher and writer, each waited for up to 3000 ms. Raises
    // EFaxError(ecDispatcherStarted) when called twice.
    void Start();
    // Tells the handlers, stops the threads (pumping the calling thread's events meanwhile so
    // that a delivery in progress can finish) and closes the device. Procedures run on the
    // dispatcher thread and cannot stop it: that raises EFaxError (handler objects can).
    void Stop();
    bool OnDispatcherThread() const;

    SerialDevice& Device() { return *device_; }

    // Input.
    int InBuffUsed();
    bool CharReady() { return InBuffUsed() > 0; }
    // Next byte, pulling from the driver when the ring is empty; false when none waits.
    bool GetChar(char& c);
    // Byte `index` places after the head without consuming it; false when not there yet.
    bool PeekChar(int index, char& c);
    int GetBlock(char* data, int max);
    void PurgeInput();
    // Waits up to `ms` for input to arrive (without pulling events); true when some waits.
    bool WaitForInput(int ms);

    // Output.
    int OutBuffFree();
    int OutBuffUsed();
    // Appends all of `data` or nothing: -3006 when it does not fit.
    void PutBlock(const char* data, int size);
    void PurgeOutput();
    bool ResizeOutput(int size);
    // -3004 once a write to the device failed (then cleared); 0 otherwise.
    int TakeWriteError();

    // Line state.
    std::uint8_t ModemStatus();  // lines and accumulated changes; reading clears the changes
    std::uint8_t LineErrors();   // accumulated; reading clears them
    void SetDTR(bool on);
    void SetRTS(bool on);

    // Triggers: handles > 0, or -5001 when none is free.
    int AddDataTrigger(const QByteArray& text, bool ignoreCase);
    int AddTimerTrigger();
    int AddStatusTrigger(TriggerKind kind);
    bool RemoveTrigger(int handle);
    // Timer: arms with `ticks` (or disarms). Status: arms with its value (modem status mask,
    // byte count) or disarms. Data triggers are armed while they exist.
    bool SetTimerTrigger(int handle, std::int64_t ticks, bool activate);
    bool SetStatusTrigger(int handle, int value, bool activate);

    // Handlers. A handler object must live on a thread with an event loop (the GUI thread).
    int AttachHandler(QObject* window);
    int AttachHandler(TriggerProc proc);
    void DetachHandler(int id);
    void DetachHandler(QObject* window);

    // While held (a blocking wait owns the input), no trigger is examined.
    void HoldDispatch(bool hold);

  private:
    struct Handler {
        int id = 0;
        QPointer<QObject> window;
        TriggerProc proc;
        bool detached = false;
    };

    void ReaderLoop();
    void DispatcherLoop();
    void WriterLoop();
    void SignalStarted();
    void WaitForThread(std::thread& thread, std::atomic<bool>& finished);

    void RefreshLineState();
    // Pulls what the driver has into the ring; returns bytes taken, -1 when the line is gone.
    int PullFromDevice();
    int PullFromDeviceLocked();
    void RunTriggerPasses();
    bool CollectEvents(std::vector<TriggerEvent>& events, std::uint64_t& baseHead);
    LineSnapshot SnapshotLine();
    void Deliver(TriggerEvent event, std::uint64_t baseHead);
    void TellHandlersClosing();
    void KickDispatcher();

    std::unique_ptr<SerialDevice> device_;
    int wakeFd_ = -1;  // eventfd that ends the reader's and writer's poll()

    std::mutex stateMutex_;
    std::condition_variable stateCv_;
    TriggerTable triggers_;
    std::vector<Handler> handlers_;
    int lastHandlerId_ = 0;
    std::uint8_t modemStatus_ = 0;
    std::uint8_t lineErrors_ = 0;
    SerialDevice::Counters counters_;
    bool haveCounters_ = false;
    bool eventReady_ = false;    // reader -> dispatcher
    bool eventHandled_ = false;  // dispatcher -> reader
    bool kicked_ = false;        // writer or consumer -> dispatcher
    bool lineGone_ = false;
    bool delivering_ = false;
    int holdCount_ = 0;
    int startedThreads_ = 0;
    bool started_ = false;
    std::atomic<bool> closing_{false};
    std::atomic<QThread*> closingThread_{nullptr};

    std::mutex inputMutex_;
    std::condition_variable inputCv_;
    ByteRing input_{kDispatchBufferSize};
    DataScan scan_;

    std::mutex outputMutex_;
    std::condition_variable outputCv_;
    ByteRing output_;
    bool writerBusy_ = false;
    int writeError_ = 0;

    std::thread reader_, dispatcher_, writer_;
    std::atomic<bool> readerDone_{false}, dispatcherDone_{false}, writerDone_{false};
    std::atomic<std::thread::id> dispatcherId_{};
};

}  // namespace corvane
