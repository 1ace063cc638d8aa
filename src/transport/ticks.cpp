#include "transport/ticks.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <ctime>

#include "core/settings.h"

namespace corvane {

namespace {

std::atomic<bool> g_legacyTimer{false};

std::int64_t ReadClockMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::int64_t MillisecondClock() {
    return ReadClockMs(g_legacyTimer.load(std::memory_order_relaxed) ? CLOCK_MONOTONIC_COARSE
                                                                     : CLOCK_MONOTONIC);
}

std::int64_t TickCount() {
    return MillisecondClock() / kTickMs;
}

void SetUseLegacyTimer(bool legacy) {
    g_legacyTimer.store(legacy);
}
bool UsesLegacyTimer() {
    return g_legacyTimer.load();
}

void InstallTimerChoiceHook() {
    SetTimerChoiceHook(&SetUseLegacyTimer);
}

namespace {
// Every program that uses the port links this file, so the settings reach the clock without a
// call from main(); the hook pointer is constant-initialised, so the order of start-up is safe.
[[maybe_unused]] const bool g_timerHookInstalled = (InstallTimerChoiceHook(), true);
}  // namespace

void EventTimer::set(std::int64_t ticks) {
    ticks = std::clamp<std::int64_t>(ticks, 0, kMaxWaitTicks);
    startMs_ = MillisecondClock();
    expiryMs_ = startMs_ + TicksToMs(ticks);
}

bool EventTimer::expired() const {
    return MillisecondClock() >= expiryMs_;
}

std::int64_t EventTimer::remainingMs() const {
    return std::max<std::int64_t>(0, expiryMs_ - MillisecondClock());
}

std::int64_t EventTimer::elapsedTicks() const {
    return (MillisecondClock() - startMs_) / kTickMs;
}

void DelayMs(int ms, bool yield) {
    const std::int64_t end = MillisecondClock() + std::max(ms, 0);
    const bool canYield = yield && QCoreApplication::instance() != nullptr;
    for (;;) {
        const std::int64_t left = end - MillisecondClock();
        if (left <= 0) return;
        if (canYield) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(left));
            QThread::msleep(static_cast<unsigned long>(std::min<std::int64_t>(left, 5)));
        } else {
            QThread::msleep(static_cast<unsigned long>(left));
        }
    }
}

void DelayTicks(int ticks, bool yield) {
    DelayMs(static_cast<int>(TicksToMs(ticks)), yield);
}

}  // namespace corvane
