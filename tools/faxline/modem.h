#pragma once
// A simulated fax modem: a party on the line driven by AT commands from a DTE.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "line_party.h"
#include "personality.h"

namespace corvane::faxline {

// Bytes from a modem to its DTE (the program on the pseudo-terminal).
using DteWriter = std::function<void(const uint8_t* data, size_t len)>;

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

    // True while the modem hears the far end's carrier in a call (what DCD shows under &C1).
    virtual bool CarrierUp() const = 0;
    // DCD as the DTE sees it: &C1 (the factory setting) follows the carrier, &C0 holds it on.
    bool DcdOn() const { return ampC_ == 0 || CarrierUp(); }
    // DTR went from on to off on the status line channel. &D2 and &D3 hang up and return to
    // command mode, &D3 then restores the stored profile as ATZ does; &D1 returns an online
    // data call to command mode (as "+++" does) and hangs up anything else; &D0 ignores DTR.
    void DtrDropped() {
        if (ampD_ == 0) return;
        if (ampD_ == 1 && EscapeDataCall()) return;
        const bool reset = ampD_ == 3;
        HangUpForDtr();
        if (reset) ResetForDtr();
    }
    // DTR as the status line channel has it; while it is down (and not ignored under &D0)
    // the modem does not answer by itself.
    void SetDtr(bool up) { dtrUp_ = up; }

    // The faults of real modems this one shows (--personality).
    void SetPersonality(const Personality& p) { personality_ = p; }
    // Whether the DTE's port stops its output on XOFF (set by the session).
    void SetDteStopsOnXoff(std::function<bool()> query) { dteStopsOnXoff_ = std::move(query); }

    int underruns() const { return underruns_; }
    // Whether an under-run by itself spoils the page. A Class 1 modem drops its carrier; a
    // Class 2 modem sends zero bits, which are harmless fill between coded lines and damage
    // only a line they fall into, and the far end's row count shows that damage.
    virtual bool UnderrunFailsPage() const { return true; }
    int overflows() const { return overflows_; }

  protected:
    // Ends the call (or the dialling) as the DTE's dropped DTR asks.
    virtual void HangUpForDtr() = 0;
    // &D3: the stored profile again, without a result to the DTE.
    virtual void ResetForDtr() = 0;
    // An online data call goes to command mode with OK; false when there is none.
    virtual bool EscapeDataCall() = 0;
    // &C and &D: kept by the AT layers from command lines they accepted; ATZ and &F restore
    // the factory values.
    void SetLineBehaviour(char letter, int value) {
        (letter == 'C' ? ampC_ : ampD_) = value < 0 ? 0 : value;
    }
    void ResetLineBehaviour() {
        ampC_ = 1;
        ampD_ = 2;
    }

    bool AutoAnswerAllowed() const { return dtrUp_ || ampD_ == 0; }

    Personality personality_;
    std::function<bool()> dteStopsOnXoff_;
    int ampC_ = 1;
    int ampD_ = 2;
    bool dtrUp_ = true;
    int underruns_ = 0;
    int overflows_ = 0;
};

}  // namespace corvane::faxline
