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

constexpr int kMaxTriggers = 64;
// Events in a row before the dispatcher looks at the device again.
constexpr int kMaxPassesPerRound = 64;
constexpr auto kPullInterval = std::chrono::milliseconds(kPullIntervalMs);

bool IsStatusKind(TriggerKind kind) {
    switch (kind) {
        case TriggerKind::ModemStatus:
        case TriggerKind::LineError:
        case TriggerKind::OutbuffFree:
        case TriggerKind::OutbuffUsed:
        case TriggerKind::OutSent:
            return true;
        default:
            return false;
    }
}

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
    try {
        stop();
    } catch (const EFaxError&) {
    }
}

// ---- life cycle ----

void TFxBaseDispatcher::start() {
    {
        std::lock_guard lk(stateMutex_);
        if (started_) throw EFaxError(ecAlreadyOpen, QStringLiteral("Dispatcher already started"));
        started_ = true;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        stop();
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
    if (!launch(reader_, &TFxBaseDispatcher::readerLoop, 1) ||
        !launch(dispatcher_, &TFxBaseDispatcher::dispatcherLoop, 2) ||
        !launch(writer_, &TFxBaseDispatcher::writerLoop, 3)) {
        stop();
        throw EFaxError(ecEventObjects);
    }
}

void TFxBaseDispatcher::signalStarted() {
    std::lock_guard lk(stateMutex_);
    ++startedThreads_;
    stateCv_.notify_all();
}

bool TFxBaseDispatcher::onDispatcherThread() const {
    return std::this_thread::get_id() == dispatcherId_.load();
}

void TFxBaseDispatcher::stop() {
    // The dispatcher thread cannot wait for itself to end.
    if (onDispatcherThread())
        throw EFaxError(ecDeviceNotOpen,
                        QStringLiteral("A port cannot be closed from its own trigger handler"));
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
        waitForThread(writer_, writerDone_);
        waitForThread(reader_, readerDone_);
        waitForThread(dispatcher_, dispatcherDone_);
        bool wasStarted;
        {
            std::lock_guard lk(stateMutex_);
            wasStarted = started_;
        }
        if (wasStarted) tellHandlersClosing();
        device_->close();
        if (wakeFd_ >= 0) ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void TFxBaseDispatcher::waitForThread(std::thread& thread, std::atomic<bool>& finished) {
    if (!thread.joinable()) return;
    // A handler object on this very thread may be what the thread is waiting for: keep this
    // thread's events flowing until it has finished.
    while (!finished.load()) PumpOrSleep();
    thread.join();
}

void TFxBaseDispatcher::tellHandlersClosing() {
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
                TFxTriggerEvent event(delivery);
                QCoreApplication::sendEvent(h.window, &event);
            } else {
                PostToWindow(h.window, closing);
            }
        }
    }
}

// ---- reader ----

void TFxBaseDispatcher::readerLoop() {
    signalStarted();
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

void TFxBaseDispatcher::dispatcherLoop() {
    dispatcherId_ = std::this_thread::get_id();
    signalStarted();
    while (!closing_) {
        bool fromReader;
        {
            std::unique_lock lk(stateMutex_);
            auto wait = kPullInterval;
            for (const Trigger& t : triggers_)
                if (t.kind == TriggerKind::Timer && t.armed)
                    wait = std::min<std::chrono::milliseconds>(
                        wait, std::chrono::milliseconds(t.timer.remainingMs()));
            stateCv_.wait_for(lk, wait, [&] { return eventReady_ || kicked_ || closing_; });
            if (closing_) break;
            fromReader = eventReady_;
            eventReady_ = false;
            kicked_ = false;
        }
        refreshLineState();
        const int got = pullFromDevice();
        if (fromReader) {
            std::lock_guard lk(stateMutex_);
            lineGone_ = got < 0;
            eventHandled_ = true;
            stateCv_.notify_all();
        }
        runTriggerPasses();
    }
    {
        std::lock_guard lk(stateMutex_);
        eventHandled_ = true;
        stateCv_.notify_all();
    }
    dispatcherDone_ = true;
}

void TFxBaseDispatcher::refreshLineState() {
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

int TFxBaseDispatcher::pullFromDevice() {
    std::lock_guard lk(inputMutex_);
    return pullFromDeviceLocked();
}

int TFxBaseDispatcher::pullFromDeviceLocked() {
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

void TFxBaseDispatcher::runTriggerPasses() {
    for (int pass = 0; pass < kMaxPassesPerRound; ++pass) {
        if (closing_) return;
        std::vector<TriggerEvent> events;
        std::uint64_t baseHead = 0;
        if (!collectEvents(events, baseHead)) return;
        for (const TriggerEvent& e : events) deliver(e, baseHead);
    }
    kickDispatcher();  // more may be pending: look again without waiting
}

// One pass: the first kind in the order status, data, timer that has something to report.
bool TFxBaseDispatcher::collectEvents(std::vector<TriggerEvent>& events, std::uint64_t& baseHead) {
    std::lock_guard lk(stateMutex_);
    if (holdCount_ > 0 || closing_) return false;
    return collectStatusEvent(events) || collectDataEvents(events, baseHead) ||
           collectTimerEvent(events);
}

bool TFxBaseDispatcher::collectStatusEvent(std::vector<TriggerEvent>& events) {
    for (Trigger& t : triggers_) {
        if (!t.armed || !IsStatusKind(t.kind)) continue;
        int count = 0;
        bool fires = false;
        switch (t.kind) {
            case TriggerKind::ModemStatus:
                fires = ((modemStatus_ ^ t.statusAtArm) & t.value & msLineMask) != 0;
                count = modemStatus_;
                break;
            case TriggerKind::LineError:
                fires = lineErrors_ != 0;
                count = lineErrors_;
                break;
            default: {
                std::lock_guard out(outputMutex_);
                if (t.kind == TriggerKind::OutbuffFree) {
                    count = output_.freeSpace();
                    fires = count >= t.value;
                } else if (t.kind == TriggerKind::OutbuffUsed) {
                    count = output_.used();
                    fires = count <= t.value;
                } else {
                    fires = output_.empty() && !writerBusy_;
                }
                break;
            }
        }
        if (fires) {
            t.armed = false;
            events.push_back({t.kind, t.handle, count, 0});
            return true;
        }
    }
    return false;
}

bool TFxBaseDispatcher::collectDataEvents(std::vector<TriggerEvent>& events,
                                          std::uint64_t& baseHead) {
    std::lock_guard in(inputMutex_);
    baseHead = input_.head();
    scanPos_ = std::max(scanPos_, baseHead);
    announcedPos_ = std::max(announcedPos_, baseHead);
    std::vector<int> completed;
    for (std::uint64_t pos = scanPos_; pos < input_.tail(); ++pos) {
        const char c = input_.at(pos);
        for (Trigger& t : triggers_)
            if (t.kind == TriggerKind::Data && t.armed && t.matcher.feed(c))
                completed.push_back(t.handle);
        if (completed.empty()) continue;
        if (pos > announcedPos_)
            events.push_back({TriggerKind::Avail, 0, static_cast<int>(pos - announcedPos_), 0});
        for (auto it = completed.rbegin(); it != completed.rend(); ++it)
            events.push_back({TriggerKind::Data, *it, static_cast<int>(pos + 1 - baseHead), 0});
        scanPos_ = announcedPos_ = pos + 1;
        return true;
    }
    scanPos_ = input_.tail();
    if (input_.tail() > announcedPos_) {
        events.push_back(
            {TriggerKind::Avail, 0, static_cast<int>(input_.tail() - announcedPos_), 0});
        announcedPos_ = input_.tail();
        return true;
    }
    return false;
}

bool TFxBaseDispatcher::collectTimerEvent(std::vector<TriggerEvent>& events) {
    for (Trigger& t : triggers_) {
        if (t.kind != TriggerKind::Timer || !t.armed || !t.timer.expired()) continue;
        t.armed = false;
        events.push_back({TriggerKind::Timer, t.handle, 0, 0});
        return true;
    }
    return false;
}

void TFxBaseDispatcher::deliver(TriggerEvent event, std::uint64_t baseHead) {
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

void TFxBaseDispatcher::kickDispatcher() {
    std::lock_guard lk(stateMutex_);
    kicked_ = true;
    stateCv_.notify_all();
}

// ---- writer ----

void TFxBaseDispatcher::writerLoop() {
    signalStarted();
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
            kickDispatcher();
        }
        {
            std::lock_guard lk(outputMutex_);
            if (failed) {
                writeError_ = ecPutBlockFailed;
                output_.clear();
            }
            writerBusy_ = false;
        }
        kickDispatcher();
    }
    writerDone_ = true;
}

// ---- input operations ----

int TFxBaseDispatcher::inBuffUsed() {
    std::lock_guard lk(inputMutex_);
    pullFromDeviceLocked();
    return input_.used();
}

bool TFxBaseDispatcher::getChar(char& c) {
    std::lock_guard lk(inputMutex_);
    if (input_.empty()) pullFromDeviceLocked();
    if (input_.read(&c, 1) != 1) return false;
    inputCv_.notify_all();
    return true;
}

bool TFxBaseDispatcher::peekChar(int index, char& c) {
    std::lock_guard lk(inputMutex_);
    if (input_.used() <= index) pullFromDeviceLocked();
    if (index < 0 || input_.used() <= index) return false;
    c = input_.at(input_.head() + static_cast<std::uint64_t>(index));
    return true;
}

int TFxBaseDispatcher::getBlock(char* data, int max) {
    std::lock_guard lk(inputMutex_);
    if (input_.used() < max) pullFromDeviceLocked();
    const int n = input_.read(data, max);
    if (n > 0) inputCv_.notify_all();
    return n;
}

bool TFxBaseDispatcher::waitForInput(int ms) {
    std::unique_lock lk(inputMutex_);
    if (input_.empty()) pullFromDeviceLocked();
    if (!input_.empty()) return true;
    inputCv_.wait_for(lk, std::chrono::milliseconds(ms),
                      [&] { return closing_ || !input_.empty(); });
    if (input_.empty()) pullFromDeviceLocked();
    return !input_.empty();
}

void TFxBaseDispatcher::purgeInput() {
    std::lock_guard st(stateMutex_);
    for (Trigger& t : triggers_)
        if (t.kind == TriggerKind::Data) t.matcher.reset();
    std::lock_guard lk(inputMutex_);
    device_->flushInput();
    input_.clear();
    scanPos_ = announcedPos_ = input_.tail();
    inputCv_.notify_all();
}

// ---- output operations ----

int TFxBaseDispatcher::outBuffFree() {
    std::lock_guard lk(outputMutex_);
    return output_.freeSpace();
}

int TFxBaseDispatcher::outBuffUsed() {
    std::lock_guard lk(outputMutex_);
    return output_.used();
}

void TFxBaseDispatcher::putBlock(const char* data, int size) {
    if (size <= 0) return;
    {
        std::lock_guard lk(outputMutex_);
        if (size > output_.freeSpace()) throw EFaxError(ecOutputBufferTooSmall);
        output_.write(data, size);
        outputCv_.notify_all();
    }
}

void TFxBaseDispatcher::purgeOutput() {
    std::lock_guard lk(outputMutex_);
    output_.clear();
    device_->flushOutput();
}

bool TFxBaseDispatcher::resizeOutput(int size) {
    std::lock_guard lk(outputMutex_);
    return output_.resize(size);
}

int TFxBaseDispatcher::takeWriteError() {
    std::lock_guard lk(outputMutex_);
    return std::exchange(writeError_, 0);
}

// ---- line state ----

std::uint8_t TFxBaseDispatcher::modemStatus() {
    refreshLineState();
    std::lock_guard lk(stateMutex_);
    const std::uint8_t status = modemStatus_;
    modemStatus_ &= msLineMask;
    return status;
}

std::uint8_t TFxBaseDispatcher::lineErrors() {
    refreshLineState();
    std::lock_guard lk(stateMutex_);
    return std::exchange(lineErrors_, std::uint8_t{0});
}

void TFxBaseDispatcher::setDTR(bool on) {
    device_->setDTR(on);
}
void TFxBaseDispatcher::setRTS(bool on) {
    device_->setRTS(on);
}

// ---- triggers ----

int TFxBaseDispatcher::nextHandle() {
    if (static_cast<int>(triggers_.size()) >= kMaxTriggers) return ecNoMoreTriggers;
    for (;;) {
        lastHandle_ = lastHandle_ >= 0x7fff ? 1 : lastHandle_ + 1;
        if (!findTrigger(lastHandle_)) return lastHandle_;
    }
}

TFxBaseDispatcher::Trigger* TFxBaseDispatcher::findTrigger(int handle) {
    for (Trigger& t : triggers_)
        if (t.handle == handle) return &t;
    return nullptr;
}

int TFxBaseDispatcher::addDataTrigger(const QByteArray& text, bool ignoreCase) {
    std::lock_guard lk(stateMutex_);
    const int handle = nextHandle();
    if (handle < 0) return handle;
    Trigger t;
    t.handle = handle;
    t.kind = TriggerKind::Data;
    t.armed = !text.isEmpty();
    t.matcher = StreamMatcher(text, ignoreCase);
    triggers_.push_back(std::move(t));
    return handle;
}

int TFxBaseDispatcher::addTimerTrigger() {
    std::lock_guard lk(stateMutex_);
    const int handle = nextHandle();
    if (handle < 0) return handle;
    Trigger t;
    t.handle = handle;
    t.kind = TriggerKind::Timer;
    triggers_.push_back(std::move(t));
    return handle;
}

int TFxBaseDispatcher::addStatusTrigger(TriggerKind kind) {
    if (!IsStatusKind(kind)) return ecNoMoreTriggers;
    std::lock_guard lk(stateMutex_);
    const int handle = nextHandle();
    if (handle < 0) return handle;
    Trigger t;
    t.handle = handle;
    t.kind = kind;
    triggers_.push_back(std::move(t));
    return handle;
}

bool TFxBaseDispatcher::removeTrigger(int handle) {
    std::lock_guard lk(stateMutex_);
    const auto it = std::find_if(triggers_.begin(), triggers_.end(),
                                 [handle](const Trigger& t) { return t.handle == handle; });
    if (it == triggers_.end()) return false;
    triggers_.erase(it);
    return true;
}

bool TFxBaseDispatcher::setTimerTrigger(int handle, std::int64_t ticks, bool activate) {
    {
        std::lock_guard lk(stateMutex_);
        Trigger* t = findTrigger(handle);
        if (!t || t->kind != TriggerKind::Timer) return false;
        t->timer.set(ticks);
        t->armed = activate;
    }
    kickDispatcher();  // the dispatcher sleeps no longer than the nearest timer
    return true;
}

bool TFxBaseDispatcher::setStatusTrigger(int handle, int value, bool activate) {
    {
        std::lock_guard lk(stateMutex_);
        Trigger* t = findTrigger(handle);
        if (!t || !IsStatusKind(t->kind)) return false;
        t->value = value;
        t->statusAtArm = modemStatus_;
        t->armed = activate;
    }
    kickDispatcher();
    return true;
}

// ---- handlers ----

int TFxBaseDispatcher::attachHandler(QObject* window) {
    std::lock_guard lk(stateMutex_);
    Handler h;
    h.id = ++lastHandlerId_;
    h.window = window;
    handlers_.push_back(h);
    return h.id;
}

int TFxBaseDispatcher::attachHandler(TriggerProc proc) {
    std::lock_guard lk(stateMutex_);
    Handler h;
    h.id = ++lastHandlerId_;
    h.proc = std::move(proc);
    handlers_.push_back(h);
    return h.id;
}

void TFxBaseDispatcher::detachHandler(int id) {
    std::lock_guard lk(stateMutex_);
    for (Handler& h : handlers_)
        if (h.id == id) h.detached = true;
    if (!delivering_)
        handlers_.erase(std::remove_if(handlers_.begin(), handlers_.end(),
                                       [](const Handler& h) { return h.detached; }),
                        handlers_.end());
}

void TFxBaseDispatcher::detachHandler(QObject* window) {
    std::vector<int> ids;
    {
        std::lock_guard lk(stateMutex_);
        for (const Handler& h : handlers_)
            if (!h.proc && h.window == window) ids.push_back(h.id);
    }
    for (int id : ids) detachHandler(id);
}

void TFxBaseDispatcher::holdDispatch(bool hold) {
    {
        std::lock_guard lk(stateMutex_);
        holdCount_ = std::max(0, holdCount_ + (hold ? 1 : -1));
    }
    if (!hold) kickDispatcher();
}

}  // namespace corvane
