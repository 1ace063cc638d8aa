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

void DataCall::Start(int64_t giveUpAt) {
    state_ = State::WaitingForCarrier;
    giveUpAt_ = giveUpAt;
    marks_ = 0;
    rxCarrier_ = false;
    carrierGoneAt_ = -1;
    escapes_ = 0;
    lastDteMs_ = -1;
    fsk_rx_restart(rx_, &preset_fsk_specs[FSK_V21CH2], FSK_FRAME_MODE_SYNC);
}

void DataCall::End() {
    state_ = State::None;
}

void DataCall::Resume() {
    if (state_ == State::Escaped) state_ = State::Online;
    escapes_ = 0;
    lastDteMs_ = -1;
}

void DataCall::PutBit(void* user, int bit) {
    auto* self = static_cast<DataCall*>(user);
    if (bit < 0) {
        if (bit == SIG_STATUS_CARRIER_UP) self->rxCarrier_ = true;
        if (bit == SIG_STATUS_CARRIER_DOWN) {
            self->rxCarrier_ = false;
            self->marks_ = 0;
        }
        return;
    }
    self->marks_ = bit ? self->marks_ + 1 : 0;
}

DataCall::Event DataCall::Receive(const int16_t* amp, int len, int64_t now) {
    if (state_ == State::None) return Event::None;
    fsk_rx(rx_, amp, len);
    if (state_ == State::WaitingForCarrier) {
        if (marks_ >= kMarksForCarrier) {
            state_ = State::Online;
            carrierGoneAt_ = -1;
            return Event::CarrierFound;
        }
        if (now >= giveUpAt_) {
            state_ = State::None;
            return Event::GaveUp;
        }
        return Event::None;
    }
    if (rxCarrier_) {
        carrierGoneAt_ = -1;
    } else if (carrierGoneAt_ < 0) {
        carrierGoneAt_ = now;
    } else if (now - carrierGoneAt_ >= MsToSamples(kCarrierLossMs)) {
        state_ = State::None;
        return Event::CarrierLost;
    }
    return Event::None;
}

void DataCall::FromDte(const uint8_t* data, size_t len, int64_t wallMs, uint8_t escape,
                       int64_t guardMs) {
    for (size_t i = 0; i < len; ++i) {
        const bool quietBefore = lastDteMs_ < 0 || wallMs - lastDteMs_ >= guardMs;
        if (data[i] != escape || escapes_ >= 3) {
            escapes_ = 0;
        } else if (escapes_ == 0) {
            escapes_ = quietBefore ? 1 : 0;
        } else {
            // The escape characters follow each other within the guard time; one after a
            // pause starts the sequence again.
            escapes_ = quietBefore ? 1 : escapes_ + 1;
        }
        lastDteMs_ = wallMs;
    }
}

bool DataCall::TakeEscape(int64_t wallMs, int64_t guardMs) {
    if (state_ != State::Online || escapes_ < 3 || wallMs - lastDteMs_ < guardMs) return false;
    escapes_ = 0;
    state_ = State::Escaped;
    return true;
}

bool DataCall::Escape() {
    if (state_ != State::Online) return false;
    escapes_ = 0;
    state_ = State::Escaped;
    return true;
}

std::string DataCall::ConnectText(int resultLevel) {
    return resultLevel == 0 ? "CONNECT" : "CONNECT " + std::to_string(kDataRate);
}

}  // namespace corvane::faxline
