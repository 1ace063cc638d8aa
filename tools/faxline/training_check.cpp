#include "training_check.h"

namespace corvane::faxline {
namespace {

// spandsp 0.0.6 keeps its T.30 states to itself; this is T30_STATE_F_TCF (waiting for the
// training check after a DCS), "state 7" in its log.
constexpr int kStateWaitingForTcf = 7;

}  // namespace

void TrainingCheckPutBit(void* user, int bit) {
    auto* t30 = static_cast<t30_state_t*>(user);
    if (bit == SIG_STATUS_TRAINING_FAILED && t30->state == kStateWaitingForTcf && !t30->rx_trained)
        bit = SIG_STATUS_TRAINING_SUCCEEDED;  // no zeros follow: FTT when the carrier drops
    t30_non_ecm_put_bit(t30, bit);
}

bool PageReceiverSink(fax_state_t* fax, put_bit_func_t** put, void*** user) {
    fax_modems_state_t& m = fax->modems;
    switch (m.current_rx_type) {
        case T30_MODEM_V17:
            *put = &m.fast_modems.v17_rx.put_bit;
            *user = &m.fast_modems.v17_rx.put_bit_user_data;
            return true;
        case T30_MODEM_V29:
            *put = &m.fast_modems.v29_rx.put_bit;
            *user = &m.fast_modems.v29_rx.put_bit_user_data;
            return true;
        case T30_MODEM_V27TER:
            *put = &m.fast_modems.v27ter_rx.put_bit;
            *user = &m.fast_modems.v27ter_rx.put_bit_user_data;
            return true;
        default:
            return false;
    }
}

void HookTrainingCheck(fax_state_t* fax) {
    put_bit_func_t* put = nullptr;
    void** user = nullptr;
    if (!PageReceiverSink(fax, &put, &user)) return;
    if (*put == static_cast<put_bit_func_t>(&t30_non_ecm_put_bit)) *put = &TrainingCheckPutBit;
}

}  // namespace corvane::faxline
