#pragma once
// The transport's clock: ticks of 55 ms (18.2 per second), converted from seconds with the
// same integer rule everywhere so that timer values agree with the modem's expectations.

#include <cstdint>

namespace corvane {

constexpr int kTickMs = 55;
constexpr int kTicksPerSecondNumerator = 1675;
constexpr int kTicksPerSecondDenominator = 92;
// Longest wait a timer accepts; longer requests are cut to it.
constexpr std::int64_t kMaxWaitTicks = 39045157;

// seconds x 1675 / 92 in integer arithmetic: 1 s = 18 ticks, 6 s = 109 ticks, 10 s = 182 ticks.
constexpr int SecondsToTicks(int seconds) {
    return static_cast<int>(static_cast<std::int64_t>(seconds) * kTicksPerSecondNumerator /
                            kTicksPerSecondDenominator);
}
constexpr std::int64_t TicksToMs(std::int64_t ticks) {
    return ticks * kTickMs;
}

// Milliseconds since an arbitrary start, from the chosen clock source.
std::int64_t MillisecondClock();
// Whole ticks since the same start.
std::int64_t TickCount();

// The plain (coarse) clock instead of the high-resolution one; applied from the settings.
void SetUseLegacyTimer(bool legacy);
bool UsesLegacyTimer();
// Makes LoadSettings apply UseLegacyTimer through SetUseLegacyTimer (done at start-up already).
void InstallTimerChoiceHook();

// A timer counted in ticks: its start and its expiry, kept in milliseconds so that a one-tick
// timer lasts a full tick whatever the phase of the clock.
class EventTimer {
  public:
    void set(std::int64_t ticks);
    bool expired() const;
    std::int64_t remainingMs() const;
    std::int64_t elapsedTicks() const;

  private:
    std::int64_t startMs_ = 0;
    std::int64_t expiryMs_ = 0;
};

// Waits `ms` milliseconds; with `yield` the calling thread's pending events are processed
// meanwhile (the program's "processing window messages").
void DelayMs(int ms, bool yield);
void DelayTicks(int ticks, bool yield);

}  // namespace corvane
