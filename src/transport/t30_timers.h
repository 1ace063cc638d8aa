#pragma once
// The T.30 timers, in ticks of the transport's clock (ticks.h), at their standard values.
// Where an engine waits on one of them, it names it; its other waits (for the modem's own
// replies, for page data) are the program's, not the procedure's.

#include "transport/ticks.h"

namespace corvane {

// T1: the time to identify the remote station after the call is connected (35 s).
constexpr int kT1Ticks = SecondsToTicks(35);
// T2: the time to wait for a command after a response, or for page data (6 s).
constexpr int kT2Ticks = SecondsToTicks(6);
// T3: the time to get the operator's attention after a procedure interrupt (10 s).
constexpr int kT3Ticks = SecondsToTicks(10);
// T4: the time to wait for the response to a command before repeating it (3 s).
constexpr int kT4Ticks = SecondsToTicks(3);
// T5: error correction, the time a sender waits for a busy receiver to become ready (60 s).
constexpr int kT5Ticks = SecondsToTicks(60);

}  // namespace corvane
