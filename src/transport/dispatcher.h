#pragma once
// The engine room of an open port: three worker threads around one serial device.
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
#include "transport/stream_matcher.h"
#include "transport/ticks.h"
#include "transport/trigger_event.h"

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

    // Starts reader, dispatcher and writer, each waited for up to 3000 ms. Raises EFaxError
    // ("Dispatcher already started") when called twice.
    void start();
    // Tells the handlers, stops the threads (pumping the calling thread's events meanwhile so
    // that a delivery in progress can finish) and closes the device. Procedures run on the
    // dispatcher thread and cannot stop it: that raises EFaxError (handler objects can).
    void stop();
    bool onDispatcherThread() const;

    SerialDevice& device() { return *device_; }

    // Input.
    int inBuffUsed();
    bool charReady() { return inBuffUsed() > 0; }
    // Next byte, pulling from the driver when the ring is empty; false when none waits.
    bool getChar(char& c);
    // Byte `index` places after the head without consuming it; false when not there yet.
    bool peekChar(int index, char& c);
    int getBlock(char* data, int max);
    void purgeInput();
    // Waits up to `ms` for input to arrive (without pulling events); true when some waits.
    bool waitForInput(int ms);

    // Output.
    int outBuffFree();
    int outBuffUsed();
    // Appends all of `data` or nothing: -3006 when it does not fit.
    void putBlock(const char* data, int size);
    void purgeOutput();
    bool resizeOutput(int size);
    // -3004 once a write to the device failed (then cleared); 0 otherwise.
    int takeWriteError();

    // Line state.
    std::uint8_t modemStatus();  // lines and accumulated changes; reading clears the changes
    std::uint8_t lineErrors();   // accumulated; reading clears them
    void setDTR(bool on);
    void setRTS(bool on);

    // Triggers: handles > 0, or -5001 when none is free.
    int addDataTrigger(const QByteArray& text, bool ignoreCase);
    int addTimerTrigger();
    int addStatusTrigger(TriggerKind kind);
    bool removeTrigger(int handle);
    // Timer: arms with `ticks` (or disarms). Status: arms with its value (modem status mask,
    // byte count) or disarms. Data triggers are armed while they exist.
    bool setTimerTrigger(int handle, std::int64_t ticks, bool activate);
    bool setStatusTrigger(int handle, int value, bool activate);

    // Handlers. A handler object must live on a thread with an event loop (the GUI thread).
    int attachHandler(QObject* window);
    int attachHandler(TriggerProc proc);
    void detachHandler(int id);
    void detachHandler(QObject* window);

    // While held (a blocking wait owns the input), no trigger is examined.
    void holdDispatch(bool hold);

  private:
    struct Trigger {
        int handle = 0;
        TriggerKind kind = TriggerKind::Avail;
        bool armed = false;
        int value = 0;                 // status mask or byte count
        std::uint8_t statusAtArm = 0;  // modem status trigger
        EventTimer timer;              // timer trigger
        StreamMatcher matcher;         // data trigger
    };
    struct Handler {
        int id = 0;
        QPointer<QObject> window;
        TriggerProc proc;
        bool detached = false;
    };

    void readerLoop();
    void dispatcherLoop();
    void writerLoop();
    void signalStarted();
    void waitForThread(std::thread& thread, std::atomic<bool>& finished);

    void refreshLineState();
    // Pulls what the driver has into the ring; returns bytes taken, -1 when the line is gone.
    int pullFromDevice();
    int pullFromDeviceLocked();
    void runTriggerPasses();
    bool collectEvents(std::vector<TriggerEvent>& events, std::uint64_t& baseHead);
    bool collectStatusEvent(std::vector<TriggerEvent>& events);
    bool collectDataEvents(std::vector<TriggerEvent>& events, std::uint64_t& baseHead);
    bool collectTimerEvent(std::vector<TriggerEvent>& events);
    void deliver(TriggerEvent event, std::uint64_t baseHead);
    void tellHandlersClosing();
    int nextHandle();
    Trigger* findTrigger(int handle);
    void kickDispatcher();

    std::unique_ptr<SerialDevice> device_;
    int wakeFd_ = -1;  // eventfd that ends the reader's and writer's poll()

    std::mutex stateMutex_;
    std::condition_variable stateCv_;
    std::vector<Trigger> triggers_;
    std::vector<Handler> handlers_;
    int lastHandle_ = 0;
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
    std::uint64_t scanPos_ = 0;       // next byte the data triggers have not seen
    std::uint64_t announcedPos_ = 0;  // bytes before this were announced to the handlers

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
