#pragma once
// The telephone line between two parties: call set-up with ring cadence, busy and no-answer
// numbers, a one-way delay in each direction, optional noise and injected line drops. The far
// end of a hang-up learns of it about one second later, as the exchange would tell it.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "carrier_squelch.h"
#include "line_party.h"

struct awgn_state_s;

namespace corvane::faxline {

struct LineOptions {
    enum class CalleeBehaviour { Answers, Busy, NoAnswer };
    CalleeBehaviour callee = CalleeBehaviour::Answers;
    bool noDialtone = false;  // the line is dead: a caller hears no dial tone
    int delayMs = 0;          // one-way delay of the audio
    bool noise = false;
    double noiseDbm0 = -50.0;     // noise level when enabled
    int dropAfterPage = 0;        // cut the line once this many pages went through (0: never)
    int dropAfterPageDataMs = 0;  // cut the line after this much page data (0: never)
};

class TelephoneLine : public LineControl {
  public:
    enum class State { Idle, BusyTone, Ringing, Connected };

    explicit TelephoneLine(const LineOptions& options);
    ~TelephoneLine() override;
    TelephoneLine(const TelephoneLine&) = delete;
    TelephoneLine& operator=(const TelephoneLine&) = delete;

    void Attach(LineParty* first, LineParty* second);

    void Dial(LineParty* caller, const char* number) override;
    void Answer(LineParty* callee) override;
    void HangUp(LineParty* party) override;

    // A page went through at the fax machine end; counts toward the page drop.
    void NotePageDone();

    // Advances the simulated line by one block of audio.
    void RunBlock();

    int64_t nowSamples() const { return now_; }
    // True while a ring burst sounds at this party (what its modem shows on RI).
    bool RingingAt(const LineParty* party) const;
    State state() const { return state_; }
    bool everConnected() const { return everConnected_; }
    bool dropped() const { return dropped_; }
    const std::string& dialledNumber() const { return number_; }
    // How the last call set-up ended for the caller: "busy", "no-answer", "no-dialtone" or
    // empty.
    const std::string& outcome() const { return outcome_; }

  private:
    struct PendingEvent {
        int64_t due;
        LineParty* party;
        LineEvent event;
    };
    struct DelayLine {
        std::deque<int16_t> samples;
        CarrierSquelch squelch;  // the carrier detector of the party at the far end
    };

    LineParty* Other(LineParty* party) const;
    void Schedule(int64_t delayMs, LineParty* party, LineEvent event);
    void EndCall(LineParty* hungUpBy);
    void Drop();
    void DeliverDueEvents();
    void Carry(DelayLine& path, const int16_t* in, int16_t* out, int len);

    LineOptions options_;
    std::array<LineParty*, 2> parties_{nullptr, nullptr};
    State state_ = State::Idle;
    LineParty* caller_ = nullptr;
    LineParty* callee_ = nullptr;
    std::string number_;
    std::string outcome_;
    int64_t now_ = 0;
    int64_t nextRing_ = 0;
    int64_t pageDataSamples_ = 0;
    int64_t dropDue_ = -1;
    // After a hang-up the audio already under way still arrives, until this time.
    int64_t drainUntil_ = -1;
    LineParty* hungUpBy_ = nullptr;
    int pagesDone_ = 0;
    bool everConnected_ = false;
    bool dropped_ = false;
    std::vector<PendingEvent> pending_;
    DelayLine forward_;   // first party to second
    DelayLine backward_;  // second party to first
    awgn_state_s* noise_ = nullptr;
};

}  // namespace corvane::faxline
