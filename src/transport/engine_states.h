#pragma once
// The rows of a fax machine's state table: what the shared event loop of TFxAbstractFax needs
// to know of each state, and the function that runs it. Each machine keeps one table with one
// row per state, in the order of its state enum.

#include <QString>
#include <cstddef>

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

// One row of a machine's table: the state, its name from the design, its kind, the function
// that runs it (none: a state nothing drives), what a reply time-out does there (none: the
// call ends with a fatal time-out) and its flags.
template <class Machine, class State>
struct StateRow {
    State state;
    const char* name;
    StateKind kind;
    void (*step)(Machine&, FaxLineEvent, const QString&);
    void (Machine::*timedOut)();
    unsigned flags;
};

// True when `rows` hold one row per state, in the order of the state enum, up to `last`.
template <class Row, std::size_t N>
constexpr bool OneRowPerState(const Row (&rows)[N], int last) {
    int n = 0;
    for (const Row& r : rows)
        if (r.state != n++) return false;
    return n == last + 1;
}

// The part of a row that the event loop reads.
template <class Row>
StateFacts FactsOf(const Row& r) {
    return {r.name, r.kind, r.flags};
}

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
