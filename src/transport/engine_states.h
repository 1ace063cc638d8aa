#pragma once
// The rows of a fax machine's state table: what the shared event loop of TFxAbstractFax needs
// to know of each state, and the function that runs it. Each machine keeps one table with one
// row per state, in the order of its state enum.

#include <QString>

#include "transport/fax_line.h"

namespace corvane {

enum class StateKind {
    Idle,    // the machine does not run: before its start and after its end
    Action,  // runs at once, without waiting for input
    Reply,   // waits for a reply line of the modem (or a frame after CONNECT)
    Event,   // takes the line's events itself: page data, output pacing, its own timers
};

// Facts of a state beyond its kind.
enum StateFlag : unsigned {
    kToleratesError = 1u << 0,     // an ERROR reply is an answer it handles, not a failure
    kTakesHangup = 1u << 1,        // a hang-up report is part of the answer it waits for
    kTakesFrames = 1u << 2,        // CONNECT starts a frame, collected up to DLE ETX
    kRerunOnInput = 1u << 3,       // an Event state that runs again while input waits
    kEndsOnSecondTimer = 1u << 4,  // the second timer limits the whole wait (an answered call)
};

// The part of a row that the event loop reads.
struct StateFacts {
    const char* name = "?";
    StateKind kind = StateKind::Idle;
    unsigned flags = 0;

    bool has(StateFlag flag) const { return (flags & flag) != 0; }
};

// Runs a state's function whatever it takes: nothing, the reply line, or the line event.
// A table row stores StateStep<&Machine::stName>::run.
template <auto F>
struct StateStep;

template <class M, void (M::*F)()>
struct StateStep<F> {
    static void run(M& m, FaxLineEvent, const QString&) { (m.*F)(); }
};

template <class M, void (M::*F)(const QString&)>
struct StateStep<F> {
    static void run(M& m, FaxLineEvent, const QString& reply) { (m.*F)(reply); }
};

template <class M, void (M::*F)(FaxLineEvent)>
struct StateStep<F> {
    static void run(M& m, FaxLineEvent event, const QString&) { (m.*F)(event); }
};

}  // namespace corvane
