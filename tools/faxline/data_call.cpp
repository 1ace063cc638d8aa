#include "data_call.h"

#include "line_party.h"
#include "spandsp_api.h"

namespace corvane::faxline {
namespace {

// A second of unbroken marks (300 bit/s) is a data carrier: HDLC flags break it every
// eight bits.
constexpr int kMarksForCarrier = 300;
constexpr int kDataRate = 300;
// The carrier must stay away this long before the modem says it was lost (S10, 1.4 s).
constexpr int64_t kCarrierLossMs = 1400;

}  // namespace

DataCall::DataCall() {
    rx_ = fsk_rx_init(nullptr, &preset_fsk_specs[FSK_V21CH2], FSK_FRAME_MODE_SYNC,
                      &DataCall::PutBit, this);
}

DataCall::~DataCall() {
    fsk_rx_free(rx_);
}

void DataCall::Start(int64_t give_up_at) {
    state_ = State::kWaitingForCarrier;
    give_up_at_ = give_up_at;
    marks_ = 0;
    rx_carrier_ = false;
    carrier_gone_at_ = -1;
    escapes_ = 0;
    last_dte_ms_ = -1;
    fsk_rx_restart(rx_, &preset_fsk_specs[FSK_V21CH2], FSK_FRAME_MODE_SYNC);
}

void DataCall::End() {
    state_ = State::kNone;
}

void DataCall::Resume() {
    if (state_ == State::kEscaped) state_ = State::kOnline;
    escapes_ = 0;
    last_dte_ms_ = -1;
}

void DataCall::PutBit(void* user, int bit) {
    auto* self = static_cast<DataCall*>(user);
    if (bit < 0) {
        if (bit == SIG_STATUS_CARRIER_UP) self->rx_carrier_ = true;
        if (bit == SIG_STATUS_CARRIER_DOWN) {
            self->rx_carrier_ = false;
            self->marks_ = 0;
        }
        return;
    }
    self->marks_ = bit ? self->marks_ + 1 : 0;
}

DataCall::Event DataCall::Receive(const int16_t* amp, int len, int64_t now) {
    if (state_ == State::kNone) return Event::kNone;
    fsk_rx(rx_, amp, len);
    if (state_ == State::kWaitingForCarrier) {
        if (marks_ >= kMarksForCarrier) {
            state_ = State::kOnline;
            carrier_gone_at_ = -1;
            return Event::kCarrierFound;
        }
        if (now >= give_up_at_) {
            state_ = State::kNone;
            return Event::kGaveUp;
        }
        return Event::kNone;
    }
    if (rx_carrier_) {
        carrier_gone_at_ = -1;
    } else if (carrier_gone_at_ < 0) {
        carrier_gone_at_ = now;
    } else if (now - carrier_gone_at_ >= MsToSamples(kCarrierLossMs)) {
        state_ = State::kNone;
        return Event::kCarrierLost;
    }
    return Event::kNone;
}

void DataCall::FromDte(const uint8_t* data, size_t len, int64_t wall_ms, uint8_t escape,
                       int64_t guard_ms) {
    for (size_t i = 0; i < len; ++i) {
        const bool quiet_before = last_dte_ms_ < 0 || wall_ms - last_dte_ms_ >= guard_ms;
        if (data[i] != escape || escapes_ >= 3) {
            escapes_ = 0;
        } else if (escapes_ == 0) {
            escapes_ = quiet_before ? 1 : 0;
        } else {
            // The escape characters follow each other within the guard time; one after a
            // pause starts the sequence again.
            escapes_ = quiet_before ? 1 : escapes_ + 1;
        }
        last_dte_ms_ = wall_ms;
    }
}

bool DataCall::TakeEscape(int64_t wall_ms, int64_t guard_ms) {
    if (state_ != State::kOnline || escapes_ < 3 || wall_ms - last_dte_ms_ < guard_ms) return false;
    escapes_ = 0;
    state_ = State::kEscaped;
    return true;
}

bool DataCall::Escape() {
    if (state_ != State::kOnline) return false;
    escapes_ = 0;
    state_ = State::kEscaped;
    return true;
}

std::string DataCall::ConnectText(int result_level) {
    return result_level == 0 ? "CONNECT" : "CONNECT " + std::to_string(kDataRate);
}

}  // namespace corvane::faxline
