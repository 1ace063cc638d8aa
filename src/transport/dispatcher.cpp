#include "transport/dispatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>

#include "core/fax_errors.h"
#include "transport/trigger_delivery.h"

namespace corvane {

namespace {

// Events in a row before the dispatcher looks at the device again.
constexpr int kMaxPassesPerRound = 64;
constexpr auto kPullInterval = std::chrono::milliseconds(kPullIntervalMs);

bool CarriesData(TriggerKind kind) {
    return kind == TriggerKind::Avail || kind == TriggerKind::Data;
}

void PumpOrSleep() {
    QThread* self = QThread::currentThread();
    if (QCoreApplication::instance() && self->eventDispatcher()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    } else {
        QThread::msleep(2);
    }
}

}  // namespace

TFxBaseDispatcher::TFxBaseDispatcher(std::unique_ptr<SerialDevice> device, int outSize)
    : device_(std::move(device)), output_(std::max(outSize, 1)) {}

TFxBaseDispatcher::~TFxBaseDispatcher() {
    // Nothing may escape a destructor; a dispatcher destroyed on its own thread (which Stop
    // refuses) is handed to another thread by the port before it gets here.
    try {
        Stop();
    } catch (...) {
    }
}

// ---- life cycle ----

void TFxBaseDispatcher::Start() {
    {
        std::lock_guard lk(stateMutex_);
        if (started_) throw EFaxError(ecDispatcherStarted);
        started_ = true;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        Stop();
        throw EFaxError(ecEventObjects);
    }
    {
        std::lock_guard lk(stateMutex_);
        modemStatus_ = device_->readModemLines();
        haveCounters_ = device_->readCounters(counters_);
    }
    auto launch = [this](std::thread& thread, void (TFxBaseDispatcher::*loop)(), int order) {
        try {
            thread = std::thread(loop, this);
        } catch (const std::system_error&) {
            return false;
        }
        std::unique_lock lk(stateMutex_);
        return stateCv_.wait_for(lk, std::chrono::milliseconds(kThreadStartTimeoutMs),
                                 [&] { return startedThreads_ >= order; });
    };
    if (!launch(reader_, &TFxBaseDispatcher::ReaderLoop, 1) ||
        !launch(dispatcher_, &TFxBaseDispatcher::DispatcherLoop, 2) ||
        !launch(writer_, &TFxBaseDispatcher::WriterLoop, 3)) {
        Stop();
        throw EFaxError(ecEventObjects);
    }
}

void TFxBaseDispatcher::SignalStarted() {
    std::lock_guard lk(stateMutex_);
    ++startedThreads_;
    stateCv_.notify_all();
}

bool TFxBaseDispatcher::OnDispatcherThread() const {
    return std::this_thread::get_id() == dispatcherId_.load();
}

void TFxBaseDispatcher::Stop() {
    // The dispatcher thread cannot wait for itself to end.
    if (OnDispatcherThread()) throw EFaxError(ecCloseFromOwnHandler);
    if (!closing_.exchange(true)) {
        closingThread_ = QThread::currentThread();
        if (wakeFd_ >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
        }
        {
            std::lock_guard lk(stateMutex_);
            stateCv_.notify_all();
        }
        {
            std::lock_guard lk(inputMutex_);
            inputCv_.notify_all();
        }
        {
            std::lock_guard lk(outputMutex_);
            outputCv_.notify_all();
        }
        WaitForThread(writer_, writerDone_);
        WaitForThread(reader_, readerDone_);
        WaitForThread(dispatcher_, dispatcherDone_);
        bool wasStarted;
        {
            std::lock_guard lk(stateMutex_);
            wasStarted = started_;
        }
        if (wasStarted) TellHandlersClosing();
        device_->close();
        if (wakeFd_ >= 0) ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void TFxBaseDispatcher::WaitForThread(std::thread& thread, std::atomic<bool>& finished) {
    if (!thread.joinable()) return;
    // A handler object on this very thread may be what the thread is waiting for: keep this
    // thread's events flowing until it has finished.
    while (!finished.load()) PumpOrSleep();
    thread.join();
}

void TFxBaseDispatcher::TellHandlersClosing() {
    std::vector<Handler> handlers;
    {
        std::lock_guard lk(stateMutex_);
        handlers = handlers_;
    }
    const TriggerEvent closing{TriggerKind::PortClosing, 0, 0, 0};
    for (const Handler& h : handlers) {
        if (h.detached) continue;
        if (h.proc) {
            TriggerEvent e = closing;
            try {
                h.proc(e);
            } catch (...) {
            }
        } else if (h.window) {
            if (h.window->thread() == QThread::currentThread()) {
                auto delivery = std::make_shared<TriggerDelivery>();
                delivery->event = closing;
                TriggerMessage event(delivery);
                QCoreApplication::sendEvent(h.window, &event);
            } else {
                PostToWindow(h.window, closing);
            }
        }
    }
}

// ---- reader ----

void TFxBaseDispatcher::ReaderLoop() {
    SignalStarted();
    while (!closing_) {
        {
            // A full dispatch ring is left to the driver (and RTS/CTS) until a consumer reads.
            std::unique_lock lk(inputMutex_);
            inputCv_.wait_for(lk, kPullInterval,
                              [&] { return closing_ || input_.freeSpace() > 0; });
            if (closing_) break;
            if (input_.freeSpace() == 0) continue;
        }
        pollfd fds[2] = {{device_->fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (closing_) break;
        bool lineGone;
        {
            std::unique_lock lk(stateMutex_);
            eventReady_ = true;
            eventHandled_ = false;
            stateCv_.notify_all();
            stateCv_.wait(lk, [&] { return eventHandled_ || closing_.load(); });
            lineGone = lineGone_;
        }
        if (lineGone || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // A hung-up line polls readable for ever; fall back to the dispatcher's pull.
            std::unique_lock lk(stateMutex_);
            stateCv_.wait_for(lk, kPullInterval, [&] { return closing_.load(); });
        }
    }
    readerDone_ = true;
}

// ---- dispatcher ----

void TFxBaseDispatcher::DispatcherLoop() {
    dispatcherId_ = std::this_thread::get_id();
    SignalStarted();
    while (!closing_) {
        bool fromReader;
        {
            std::unique_lock lk(stateMutex_);
            const auto wait =
                std::chrono::milliseconds(triggers_.msToNearestTimer(kPullIntervalMs));
            stateCv_.wait_for(lk, wait, [&] { return eventReady_ || kicked_ || closing_; });
            if (closing_) break;
            fromReader = eventReady_;
            eventReady_ = false;
            kicked_ = false;
        }
        RefreshLineState();
        const int got = PullFromDevice();
        if (fromReader) {
            std::lock_guard lk(stateMutex_);
            lineGone_ = got < 0;
            eventHandled_ = true;
            stateCv_.notify_all();
        }
        RunTriggerPasses();
    }
    {
        std::lock_guard lk(stateMutex_);
        eventHandled_ = true;
        stateCv_.notify_all();
    }
    dispatcherDone_ = true;
}

void TFxBaseDispatcher::RefreshLineState() {
    const std::uint8_t lines = device_->readModemLines();
    SerialDevice::Counters now;
    const bool haveCounters = device_->readCounters(now);
    std::lock_guard lk(stateMutex_);
    const std::uint8_t before = modemStatus_ & msLineMask;
    const std::uint8_t changed = before ^ lines;
    std::uint8_t deltas = modemStatus_ & ~msLineMask;
    if (changed & msCTS) deltas |= msDeltaCTS;
    if (changed & msDSR) deltas |= msDeltaDSR;
    if (changed & msDCD) deltas |= msDeltaDCD;
    if ((before & msRI) && !(lines & msRI)) deltas |= msTrailingEdgeRing;
    if (haveCounters && haveCounters_) {
        if (now.ring != counters_.ring) deltas |= msTrailingEdgeRing;
        if (now.overrun != counters_.overrun) lineErrors_ |= leOverrun;
        if (now.parity != counters_.parity) lineErrors_ |= leParity;
        if (now.frame != counters_.frame) lineErrors_ |= leFraming;
        if (now.brk != counters_.brk) lineErrors_ |= leBreak;
    }
    counters_ = now;
    haveCounters_ = haveCounters;
    modemStatus_ = static_cast<std::uint8_t>(lines | deltas);
}

int TFxBaseDispatcher::PullFromDevice() {
    std::lock_guard lk(inputMutex_);
    return PullFromDeviceLocked();
}

int TFxBaseDispatcher::PullFromDeviceLocked() {
    int total = 0;
    for (;;) {
        int room = 0;
        char* span = input_.tailSpan(room);
        if (room == 0) break;
        const int n = device_->readSome(span, room);
        if (n < 0) {
            if (total == 0) return -1;
            break;
        }
        if (n == 0) break;
        input_.commitTail(n);
        total += n;
    }
    if (total > 0) inputCv_.notify_all();
    return total;
}

void TFxBaseDispatcher::RunTriggerPasses() {
    for (int pass = 0; pass < kMaxPassesPerRound; ++pass) {
        if (closing_) return;
        std::vector<TriggerEvent> events;
        std::uint64_t baseHead = 0;
        if (!CollectEvents(events, baseHead)) return;
        for (const TriggerEvent& e : events) Deliver(e, baseHead);
    }
    KickDispatcher();  // more may be pending: look again without waiting
}

// One pass: the first kind in the order status, data, timer that has something to report.
bool TFxBaseDispatcher::CollectEvents(std::vector<TriggerEvent>& events, std::uint64_t& baseHead) {
    std::lock_guard lk(stateMutex_);
    if (holdCount_ > 0 || closing_) return false;
    if (auto e = triggers_.checkStatus(SnapshotLine())) {
        events.push_back(*e);
        return true;
    }
    {
        std::lock_guard in(inputMutex_);
        baseHead = input_.head();
        if (triggers_.scanData(input_, scan_, events)) return true;
    }
    if (auto e = triggers_.checkTimers()) {
        events.push_back(*e);
        return true;
    }
    return false;
}

// Called with stateMutex_ held.
LineSnapshot TFxBaseDispatcher::SnapshotLine() {
    LineSnapshot line;
    line.modemStatus = modemStatus_;
    line.lineErrors = lineErrors_;
    std::lock_guard out(outputMutex_);
    line.outFree = output_.freeSpace();
    line.outUsed = output_.used();
    line.outSent = output_.empty() && !writerBusy_;
    return line;
}

void TFxBaseDispatcher::Deliver(TriggerEvent event, std::uint64_t baseHead) {
    std::vector<int> ids;
    {
        std::lock_guard lk(stateMutex_);
        delivering_ = true;
        for (const Handler& h : handlers_) ids.push_back(h.id);
    }
    int maxConsumed = 0;
    for (int id : ids) {
        TriggerProc proc;
        std::shared_ptr<TriggerDelivery> posted;
        QThread* target = nullptr;
        {
            std::lock_guard lk(stateMutex_);
            auto it = std::find_if(handlers_.begin(), handlers_.end(),
                                   [id](const Handler& h) { return h.id == id; });
            if (it == handlers_.end() || it->detached) continue;
            if (it->proc) {
                proc = it->proc;
            } else if (it->window) {
                // Posted under the lock: a handler object is detached (under the same lock)
                // before it is destroyed, and Qt drops the events of a destroyed receiver.
                target = it->window->thread();
                posted = PostToWindow(it->window, event);
            }
        }
        int consumed = 0;
        if (proc) {
            TriggerEvent e = event;
            try {
                proc(e);
            } catch (...) {
                // A worker thread has nobody to report to; the handler's own state tells.
            }
            consumed = e.consumed;
        } else if (posted) {
            // A port closed from the handler's own thread (from inside the handler, say)
            // cannot see that handler return before the close does: stop waiting then.
            consumed = AwaitDelivery(posted, kHandlerTimeoutMs, [this, target] {
                return closing_.load() && closingThread_.load() == target;
            });
        }
        maxConsumed = std::max(maxConsumed, consumed);
    }
    {
        std::lock_guard lk(stateMutex_);
        delivering_ = false;
        handlers_.erase(std::remove_if(handlers_.begin(), handlers_.end(),
                                       [](const Handler& h) { return h.detached; }),
                        handlers_.end());
    }
    if (CarriesData(event.kind) && maxConsumed > 0) {
        std::lock_guard in(inputMutex_);
        input_.advanceHeadTo(baseHead + static_cast<std::uint64_t>(maxConsumed));
        inputCv_.notify_all();
    }
}

void TFxBaseDispatcher::KickDispatcher() {
    std::lock_guard lk(stateMutex_);
    kicked_ = true;
    stateCv_.notify_all();
}

// ---- writer ----

void TFxBaseDispatcher::WriterLoop() {
    SignalStarted();
    std::vector<char> chunk;
    while (!closing_) {
        std::uint64_t start;
        int size;
        {
            std::unique_lock lk(outputMutex_);
            outputCv_.wait(lk, [&] { return closing_ || !output_.empty(); });
            if (closing_) break;
            start = output_.head();
            size = output_.used();
            chunk.resize(static_cast<std::size_t>(size));
            output_.peek(chunk.data(), size);
            writerBusy_ = true;
        }
        int written = 0;
        bool failed = false;
        while (written < size && !closing_) {
            const int n = device_->writeSome(chunk.data() + written, size - written);
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0) {
                pollfd fds[2] = {{device_->fd(), POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
                if (::poll(fds, 2, -1) < 0 && errno != EINTR) failed = true;
                if (failed || (fds[0].revents & (POLLERR | POLLNVAL))) {
                    failed = true;
                    break;
                }
                continue;
            }
            written += n;
            {
                // A purge meanwhile has moved the head past us; advancing is then a no-op.
                std::lock_guard lk(outputMutex_);
                output_.advanceHeadTo(start + static_cast<std::uint64_t>(written));
            }
            KickDispatcher();
        }
        {
            std::lock_guard lk(outputMutex_);
            if (failed) {
                writeError_ = ecPutBlockFailed;
                output_.clear();
            }
            writerBusy_ = false;
        }
        if (failed) {
            // Reported at once as a line error, not only to the next write.
            std::lock_guard lk(stateMutex_);
            lineErrors_ |= leWriteFailed;
        }
        KickDispatcher();
    }
    writerDone_ = true;
}

// ---- handlers ----

int TFxBaseDispatcher::AttachHandler(QObject* window) {
    std::lock_guard lk(stateMutex_);
    Handler h;
    h.id = ++lastHandlerId_;
    h.window = window;
    handlers_.push_back(h);
    return h.id;
}

int TFxBaseDispatcher::AttachHandler(TriggerProc proc) {
    std::lock_guard lk(stateMutex_);
    Handler h;
    h.id = ++lastHandlerId_;
    h.proc = std::move(proc);
    handlers_.push_back(h);
    return h.id;
}

void TFxBaseDispatcher::DetachHandler(int id) {
    std::lock_guard lk(stateMutex_);
    for (Handler& h : handlers_)
        if (h.id == id) h.detached = true;
    if (!delivering_)
        handlers_.erase(std::remove_if(handlers_.begin(), handlers_.end(),
                                       [](const Handler& h) { return h.detached; }),
                        handlers_.end());
}

void TFxBaseDispatcher::DetachHandler(QObject* window) {
    std::vector<int> ids;
    {
        std::lock_guard lk(stateMutex_);
        for (const Handler& h : handlers_)
            if (!h.proc && h.window == window) ids.push_back(h.id);
    }
    for (int id : ids) DetachHandler(id);
}

void TFxBaseDispatcher::HoldDispatch(bool hold) {
    {
        std::lock_guard lk(stateMutex_);
        holdCount_ = std::max(0, holdCount_ + (hold ? 1 : -1));
    }
    if (!hold) KickDispatcher();
}

}  // namespace corvane
