#pragma once
// The triggers of one open port and the rules by which they fire. The table knows nothing of
// threads or locks: the dispatcher holds its state lock around every call and hands in what a
// check needs to see (line state, output buffer counts, the dispatch ring).
//
// Each trigger has a handle (a small number unique within the port, 1..32767) and is armed or
// disarmed. Data triggers are armed while they exist; timers and status triggers fire once
// per arming.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "transport/byte_ring.h"
#include "transport/stream_matcher.h"
#include "transport/ticks.h"
#include "transport/trigger_event.h"

namespace corvane {

// What the status triggers look at, read once per check.
struct LineSnapshot {
    std::uint8_t modemStatus = 0;  // ModemStatusBits
    std::uint8_t lineErrors = 0;   // LineErrorBits
    int outFree = 0;               // bytes free in the output ring
    int outUsed = 0;               // bytes waiting in the output ring
    bool outSent = false;          // the ring is empty and the writer idle
};

// Where the data scan stands in the dispatch ring (stream positions, see ByteRing).
struct DataScan {
    std::uint64_t scanPos = 0;       // next byte the data triggers have not seen
    std::uint64_t announcedPos = 0;  // bytes before this were announced to the handlers
};

class TriggerTable {
  public:
    // Handles > 0, or ecNoMoreTriggers when none is free (or `kind` is no status kind).
    int addData(const QByteArray& text, bool ignoreCase);
    int addTimer();
    int addStatus(TriggerKind kind);
    bool remove(int handle);
    // Arms with `ticks` or disarms; false for a handle that is no timer.
    bool setTimer(int handle, std::int64_t ticks, bool activate);
    // Arms with its value (modem status mask, byte count) or disarms; `modemStatus` is the
    // status now, against which a modem status trigger looks for changes.
    bool setStatus(int handle, int value, bool activate, std::uint8_t modemStatus);

    // The first armed status trigger that fires, disarmed.
    std::optional<TriggerEvent> checkStatus(const LineSnapshot& line);
    // Feeds the bytes of `input` not yet scanned to the data triggers. When one or more complete
    // on a byte: the bytes before it as one Avail event, then one Data event per completed
    // trigger (in reverse order of the table); else one Avail event for every byte not yet
    // announced. Counts are from `input`'s head. False when there is nothing to report.
    bool scanData(const ByteRing& input, DataScan& scan, std::vector<TriggerEvent>& events);
    // The first expired armed timer, disarmed.
    std::optional<TriggerEvent> checkTimers();

    // Purged input: partial matches start afresh.
    void resetDataMatches();
    // Milliseconds until the nearest armed timer expires, at most `ceiling`.
    std::int64_t msToNearestTimer(std::int64_t ceiling) const;

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

    int nextHandle();
    Trigger* find(int handle);
    int add(Trigger trigger);

    std::vector<Trigger> triggers_;
    int lastHandle_ = 0;
};

bool IsStatusTrigger(TriggerKind kind);

}  // namespace corvane
