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
    if (options_.noise) noise_ = awgn_init_dbm0(nullptr, 1234567, options_.noise_dbm0);
}

TelephoneLine::~TelephoneLine() {
    if (noise_) awgn_free(noise_);
}

void TelephoneLine::Attach(LineParty* first, LineParty* second) {
    parties_ = {first, second};
    const int delay = static_cast<int>(MsToSamples(options_.delay_ms));
    forward_.samples.assign(delay, 0);
    backward_.samples.assign(delay, 0);
}

LineParty* TelephoneLine::Other(LineParty* party) const {
    return party == parties_[0] ? parties_[1] : parties_[0];
}

void TelephoneLine::Schedule(int64_t delay_ms, LineParty* party, LineEvent event) {
    if (party) pending_.push_back({now_ + MsToSamples(delay_ms), party, event});
}

void TelephoneLine::Dial(LineParty* caller, const char* number) {
    if (state_ != State::kIdle) {
        Schedule(kBusyDetectMs, caller, LineEvent::kBusy);
        return;
    }
    number_ = number ? number : "";
    drain_until_ = -1;
    // The line's faults count from the start of each call of a run (--calls).
    pages_done_ = 0;
    page_data_samples_ = 0;
    dropped_ = false;
    caller_ = caller;
    callee_ = Other(caller);
    outcome_.clear();
    if (options_.no_dialtone) {
        // Nothing is dialled; a modem that dials blind waits for an answer that never comes.
        outcome_ = "no-dialtone";
        Schedule(kDialToneWaitMs, caller, LineEvent::kNoDialTone);
        return;
    }
    if (options_.callee == LineOptions::CalleeBehaviour::kBusy) {
        outcome_ = "busy";
        state_ = State::kBusyTone;
        Schedule(kFirstRingMs + kBusyDetectMs, caller, LineEvent::kBusy);
        return;
    }
    state_ = State::kRinging;
    next_ring_ = now_ + MsToSamples(kFirstRingMs);
}

void TelephoneLine::Answer(LineParty* callee) {
    if (state_ != State::kRinging || callee != callee_) return;
    if (options_.callee == LineOptions::CalleeBehaviour::kNoAnswer) return;
    state_ = State::kConnected;
    ever_connected_ = true;
    Schedule(0, caller_, LineEvent::kAnswered);
}

void TelephoneLine::HangUp(LineParty* party) {
    switch (state_) {
        case State::kIdle:
            return;
        case State::kBusyTone:
        case State::kRinging:
            if (party == caller_) {
                if (state_ == State::kRinging) outcome_ = "no-answer";
                state_ = State::kIdle;
                std::erase_if(pending_, [&](const PendingEvent& e) {
                    return e.party == caller_ && e.event == LineEvent::kBusy;
                });
            }
            return;
        case State::kConnected:
            EndCall(party);
            return;
    }
}

void TelephoneLine::EndCall(LineParty* hung_up_by) {
    state_ = State::kIdle;
    drop_due_ = -1;
    drain_until_ = now_ + MsToSamples(options_.delay_ms);
    hung_up_by_ = hung_up_by;
    Schedule(kHangUpNoticeMs, Other(hung_up_by), LineEvent::kFarEndHungUp);
}

void TelephoneLine::Drop() {
    if (state_ != State::kConnected) return;
    dropped_ = true;
    state_ = State::kIdle;
    drop_due_ = -1;
    drain_until_ = -1;
    Schedule(kHangUpNoticeMs, parties_[0], LineEvent::kFarEndHungUp);
    Schedule(kHangUpNoticeMs, parties_[1], LineEvent::kFarEndHungUp);
}

void TelephoneLine::NotePageDone() {
    ++pages_done_;
    if (options_.drop_after_page > 0 && pages_done_ == options_.drop_after_page &&
        state_ == State::kConnected)
        drop_due_ = now_ + MsToSamples(kDropAfterPageMs);
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
    if (state_ != State::kRinging || party != callee_ ||
        options_.callee == LineOptions::CalleeBehaviour::kNoAnswer)
        return false;
    const int64_t burst_start = next_ring_ - MsToSamples(kRingPeriodMs);
    return now_ >= burst_start && now_ - burst_start < MsToSamples(kRingBurstMs);
}

void TelephoneLine::RunBlock() {
    DeliverDueEvents();
    if (state_ == State::kRinging && now_ >= next_ring_) {
        next_ring_ += MsToSamples(kRingPeriodMs);
        if (options_.callee != LineOptions::CalleeBehaviour::kNoAnswer)
            callee_->OnLineEvent(LineEvent::kRing);
    }
    if (drop_due_ >= 0 && now_ >= drop_due_) Drop();

    std::array<int16_t, kBlockSamples> out_first{};
    std::array<int16_t, kBlockSamples> out_second{};
    std::array<int16_t, kBlockSamples> in_first{};
    std::array<int16_t, kBlockSamples> in_second{};
    parties_[0]->Transmit(out_first.data(), kBlockSamples);
    parties_[1]->Transmit(out_second.data(), kBlockSamples);
    if (state_ == State::kConnected) {
        Carry(forward_, out_first.data(), in_second.data(), kBlockSamples);
        Carry(backward_, out_second.data(), in_first.data(), kBlockSamples);
        if (parties_[0]->CarriesPageData() || parties_[1]->CarriesPageData()) {
            page_data_samples_ += kBlockSamples;
            if (options_.drop_after_page_data_ms > 0 &&
                page_data_samples_ >= MsToSamples(options_.drop_after_page_data_ms))
                Drop();
        }
    } else if (now_ < drain_until_) {
        // The party that hung up sends nothing more; what it sent before still arrives.
        if (hung_up_by_ == parties_[0]) out_first.fill(0);
        if (hung_up_by_ == parties_[1]) out_second.fill(0);
        Carry(forward_, out_first.data(), in_second.data(), kBlockSamples);
        Carry(backward_, out_second.data(), in_first.data(), kBlockSamples);
    } else {
        std::fill(forward_.samples.begin(), forward_.samples.end(), 0);
        std::fill(backward_.samples.begin(), backward_.samples.end(), 0);
    }
    parties_[0]->Receive(in_first.data(), kBlockSamples);
    parties_[1]->Receive(in_second.data(), kBlockSamples);
    now_ += kBlockSamples;
}

}  // namespace corvane::faxline
