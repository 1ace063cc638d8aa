#include "telephone_line.h"

#include <algorithm>

#include "spandsp_api.h"

namespace corvane::faxline {
namespace {

// North American ring cadence: 2 s of ringing, 4 s of silence; the first ring comes a second
// after dialling. Busy is recognised by the caller after a second of busy tone.
constexpr int64_t kFirstRingMs = 1000;
constexpr int64_t kRingPeriodMs = 6000;
constexpr int64_t kRingBurstMs = 2000;
constexpr int64_t kBusyDetectMs = 1000;
constexpr int64_t kHangUpNoticeMs = 1000;
// A modem waits this long (its S6 default) for a dial tone before it gives up.
constexpr int64_t kDialToneWaitMs = 2000;
// A page counts as through once its confirmation had time to reach the sender.
constexpr int64_t kDropAfterPageMs = 1500;

}  // namespace

TelephoneLine::TelephoneLine(const LineOptions& options) : options_(options) {
    if (options_.noise) noise_ = awgn_init_dbm0(nullptr, 1234567, options_.noiseDbm0);
}

TelephoneLine::~TelephoneLine() {
    if (noise_) awgn_free(noise_);
}

void TelephoneLine::Attach(LineParty* first, LineParty* second) {
    parties_ = {first, second};
    const int delay = static_cast<int>(MsToSamples(options_.delayMs));
    forward_.samples.assign(delay, 0);
    backward_.samples.assign(delay, 0);
}

LineParty* TelephoneLine::Other(LineParty* party) const {
    return party == parties_[0] ? parties_[1] : parties_[0];
}

void TelephoneLine::Schedule(int64_t delayMs, LineParty* party, LineEvent event) {
    if (party) pending_.push_back({now_ + MsToSamples(delayMs), party, event});
}

void TelephoneLine::Dial(LineParty* caller, const char* number) {
    if (state_ != State::Idle) {
        Schedule(kBusyDetectMs, caller, LineEvent::Busy);
        return;
    }
    number_ = number ? number : "";
    drainUntil_ = -1;
    // The line's faults count from the start of each call of a run (--calls).
    pagesDone_ = 0;
    pageDataSamples_ = 0;
    dropped_ = false;
    caller_ = caller;
    callee_ = Other(caller);
    outcome_.clear();
    if (options_.noDialtone) {
        // Nothing is dialled; a modem that dials blind waits for an answer that never comes.
        outcome_ = "no-dialtone";
        Schedule(kDialToneWaitMs, caller, LineEvent::NoDialTone);
        return;
    }
    if (options_.callee == LineOptions::CalleeBehaviour::Busy) {
        outcome_ = "busy";
        state_ = State::BusyTone;
        Schedule(kFirstRingMs + kBusyDetectMs, caller, LineEvent::Busy);
        return;
    }
    state_ = State::Ringing;
    nextRing_ = now_ + MsToSamples(kFirstRingMs);
}

void TelephoneLine::Answer(LineParty* callee) {
    if (state_ != State::Ringing || callee != callee_) return;
    if (options_.callee == LineOptions::CalleeBehaviour::NoAnswer) return;
    state_ = State::Connected;
    everConnected_ = true;
    Schedule(0, caller_, LineEvent::Answered);
}

void TelephoneLine::HangUp(LineParty* party) {
    switch (state_) {
        case State::Idle:
            return;
        case State::BusyTone:
        case State::Ringing:
            if (party == caller_) {
                if (state_ == State::Ringing) outcome_ = "no-answer";
                state_ = State::Idle;
                std::erase_if(pending_, [&](const PendingEvent& e) {
                    return e.party == caller_ && e.event == LineEvent::Busy;
                });
            }
            return;
        case State::Connected:
            EndCall(party);
            return;
    }
}

void TelephoneLine::EndCall(LineParty* hungUpBy) {
    state_ = State::Idle;
    dropDue_ = -1;
    drainUntil_ = now_ + MsToSamples(options_.delayMs);
    hungUpBy_ = hungUpBy;
    Schedule(kHangUpNoticeMs, Other(hungUpBy), LineEvent::FarEndHungUp);
}

void TelephoneLine::Drop() {
    if (state_ != State::Connected) return;
    dropped_ = true;
    state_ = State::Idle;
    dropDue_ = -1;
    drainUntil_ = -1;
    Schedule(kHangUpNoticeMs, parties_[0], LineEvent::FarEndHungUp);
    Schedule(kHangUpNoticeMs, parties_[1], LineEvent::FarEndHungUp);
}

void TelephoneLine::NotePageDone() {
    ++pagesDone_;
    if (options_.dropAfterPage > 0 && pagesDone_ == options_.dropAfterPage &&
        state_ == State::Connected)
        dropDue_ = now_ + MsToSamples(kDropAfterPageMs);
}

void TelephoneLine::DeliverDueEvents() {
    // Handlers may schedule further events, so take the due ones out first.
    std::vector<PendingEvent> due;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due <= now_) {
            due.push_back(*it);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    for (const PendingEvent& e : due) e.party->OnLineEvent(e.event);
}

void TelephoneLine::Carry(DelayLine& path, const int16_t* in, int16_t* out, int len) {
    for (int i = 0; i < len; ++i) path.samples.push_back(in[i]);
    for (int i = 0; i < len; ++i) {
        int value = path.samples.front();
        path.samples.pop_front();
        if (noise_) value += awgn(noise_);
        out[i] = static_cast<int16_t>(std::clamp(value, -32768, 32767));
    }
    // A quiet line leaves spandsp's detectors alone; a noisy one needs a receiver that tells
    // the noise from a signal.
    if (noise_) path.squelch.Process(out, len);
}

bool TelephoneLine::RingingAt(const LineParty* party) const {
    if (state_ != State::Ringing || party != callee_ ||
        options_.callee == LineOptions::CalleeBehaviour::NoAnswer)
        return false;
    const int64_t burstStart = nextRing_ - MsToSamples(kRingPeriodMs);
    return now_ >= burstStart && now_ - burstStart < MsToSamples(kRingBurstMs);
}

void TelephoneLine::RunBlock() {
    DeliverDueEvents();
    if (state_ == State::Ringing && now_ >= nextRing_) {
        nextRing_ += MsToSamples(kRingPeriodMs);
        if (options_.callee != LineOptions::CalleeBehaviour::NoAnswer)
            callee_->OnLineEvent(LineEvent::Ring);
    }
    if (dropDue_ >= 0 && now_ >= dropDue_) Drop();

    std::array<int16_t, kBlockSamples> outFirst{};
    std::array<int16_t, kBlockSamples> outSecond{};
    std::array<int16_t, kBlockSamples> inFirst{};
    std::array<int16_t, kBlockSamples> inSecond{};
    parties_[0]->Transmit(outFirst.data(), kBlockSamples);
    parties_[1]->Transmit(outSecond.data(), kBlockSamples);
    if (state_ == State::Connected) {
        Carry(forward_, outFirst.data(), inSecond.data(), kBlockSamples);
        Carry(backward_, outSecond.data(), inFirst.data(), kBlockSamples);
        if (parties_[0]->CarriesPageData() || parties_[1]->CarriesPageData()) {
            pageDataSamples_ += kBlockSamples;
            if (options_.dropAfterPageDataMs > 0 &&
                pageDataSamples_ >= MsToSamples(options_.dropAfterPageDataMs))
                Drop();
        }
    } else if (now_ < drainUntil_) {
        // The party that hung up sends nothing more; what it sent before still arrives.
        if (hungUpBy_ == parties_[0]) outFirst.fill(0);
        if (hungUpBy_ == parties_[1]) outSecond.fill(0);
        Carry(forward_, outFirst.data(), inSecond.data(), kBlockSamples);
        Carry(backward_, outSecond.data(), inFirst.data(), kBlockSamples);
    } else {
        std::fill(forward_.samples.begin(), forward_.samples.end(), 0);
        std::fill(backward_.samples.begin(), backward_.samples.end(), 0);
    }
    parties_[0]->Receive(inFirst.data(), kBlockSamples);
    parties_[1]->Receive(inSecond.data(), kBlockSamples);
    now_ += kBlockSamples;
}

}  // namespace corvane::faxline
