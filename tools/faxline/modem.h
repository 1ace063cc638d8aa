#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "line_party.h"

namespace corvane::faxline {

// Bytes from a modem to its DTE (the program on the pseudo-terminal).
using DteWriter = std::function<void(const uint8_t* data, size_t len)>;

// A simulated fax modem: a party on the line driven by AT commands from a DTE.
class Modem : public LineParty {
  public:
    // Takes bytes from the DTE; returns how many were taken. Fewer than offered means the
    // modem holds the DTE back (flow control) and wants the rest later.
    virtual size_t FromDte(const uint8_t* data, size_t len) = 0;
    // The DTE dropped DTR (speed B0) or closed the port.
    virtual void DteHungUp() = 0;
    // True while the modem waits for the DTE: simulated time must then run in real time.
    virtual bool WaitsForDte() const = 0;
    // True while page data flows between the DTE and the line.
    virtual bool InPageData() const = 0;
    // True while a call is set up or up (off hook, dialling or answering).
    virtual bool OffHook() const = 0;
    // True while the modem is in command mode, on hook, with no command outstanding.
    virtual bool IdleOnHook() const = 0;
    // Work paced by the wall clock rather than by the line; called on every loop turn.
    virtual void ServiceDte() {}

    int underruns() const { return underruns_; }
    // Whether an under-run by itself spoils the page. A Class 1 modem drops its carrier; a
    // Class 2 modem sends zero bits, which are harmless fill between coded lines and damage
    // only a line they fall into, and the far end's row count shows that damage.
    virtual bool UnderrunFailsPage() const { return true; }
    int overflows() const { return overflows_; }

  protected:
    int underruns_ = 0;
    int overflows_ = 0;
};

}  // namespace corvane::faxline
