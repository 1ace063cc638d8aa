#include "page_spoiler.h"

namespace corvane::faxline {
namespace {

// Where a page modulator takes its bits from; `current` is what it calls right now (its own
// training pattern until training ends, then `get`).
struct BitSource {
    get_bit_func_t* get = nullptr;
    void** user = nullptr;
    get_bit_func_t* current = nullptr;
};

bool PageTransmitterSource(fax_state_t* fax, BitSource& source) {
    fax_modems_state_t& m = fax->modems;
    switch (m.current_tx_type) {
        case T30_MODEM_V17:
            source = {&m.fast_modems.v17_tx.get_bit, &m.fast_modems.v17_tx.get_bit_user_data,
                      &m.fast_modems.v17_tx.current_get_bit};
            return true;
        case T30_MODEM_V29:
            source = {&m.fast_modems.v29_tx.get_bit, &m.fast_modems.v29_tx.get_bit_user_data,
                      &m.fast_modems.v29_tx.current_get_bit};
            return true;
        case T30_MODEM_V27TER:
            source = {&m.fast_modems.v27ter_tx.get_bit, &m.fast_modems.v27ter_tx.get_bit_user_data,
                      &m.fast_modems.v27ter_tx.current_get_bit};
            return true;
        default:
            return false;
    }
}

}  // namespace

void OutgoingPageSpoiler::Hook(fax_state_t* fax) {
    fax_ = fax;
    BitSource source;
    if (!PageTransmitterSource(fax, source)) return;
    if (*source.get != static_cast<get_bit_func_t>(&t30_non_ecm_get_bit)) return;
    if (*source.current == *source.get) *source.current = &OutgoingPageSpoiler::GetBit;
    *source.get = &OutgoingPageSpoiler::GetBit;
    *source.user = this;
}

void OutgoingPageSpoiler::OnFrame(bool incoming, uint8_t fcf) {
    if (!incoming && fcf == T30_DCS) pageTx_ = false;
    if (!incoming) return;
    const bool onThisPage = pageTx_ && confirmed_ + 1 == page_;
    if (fcf == T30_RTN && onThisPage) ++refused_;
    if (fcf == T30_MCF || fcf == T30_RTP) ++confirmed_;
    if (fcf == T30_CFR || fcf == T30_MCF || fcf == T30_RTP) {
        pageTx_ = true;
    }
}

// Random damage to the bit stream is a poor copy-quality test: it wipes out EOLs, so that
// many damaged rows decode as a few long bad ones, and below the 5 % that passes. A noisy line
// that hits each row is what gets RTN, so the spoiler reads one row ahead (its codes up to and
// with the EOL that ends it) and inverts the first four bits of its codes: the row decodes to
// the wrong length, and its EOL, well behind, is left whole. An EOL with no codes before it
// (the page's closing RTC) is passed on as it is.
int OutgoingPageSpoiler::GetBit(void* user) {
    auto* self = static_cast<OutgoingPageSpoiler*>(user);
    if (!self->ahead_.empty()) {
        const int bit = self->ahead_.front();
        self->ahead_.pop_front();
        return bit;
    }
    t30_state_t* t30 = fax_get_t30_state(self->fax_);
    if (!self->pageTx_ || self->confirmed_ + 1 != self->page_ || self->refused_ >= self->times_)
        return t30_non_ecm_get_bit(t30);
    int zeros = 0;
    bool codes = false;
    while (true) {
        const int bit = t30_non_ecm_get_bit(t30);
        self->ahead_.push_back(bit);
        if (bit < 0) break;
        if (bit == 1 && zeros >= kEolZeros) break;
        if (bit == 1) codes = true;
        zeros = bit == 0 ? zeros + 1 : 0;
    }
    if (codes && self->ahead_.size() >= kSpoiltBits + kEolZeros + 1) {
        for (size_t i = 0; i < kSpoiltBits; ++i) self->ahead_[i] ^= 1;
    }
    const int bit = self->ahead_.front();
    self->ahead_.pop_front();
    return bit;
}

}  // namespace corvane::faxline
