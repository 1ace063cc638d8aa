#pragma once
// spandsp's T.30 judges a training check (TCF) only when its page receiver trained on it; a
// check it could not train on at all goes unanswered, and when the sender repeats its DCS after
// T4, T.30, still waiting for the check, ends the call as "unexpected message". A hardware
// receiver that heard the high-speed carrier and failed to train answers FTT, and the sender
// steps down. These route the page receivers' bits of a fax terminal through a filter that
// makes T.30 do the same: a failed training counts as a check without a run of zeros.

#include "spandsp_api.h"

namespace corvane::faxline {

// Hooks the current page receiver of the terminal (again after each change of receiver).
void HookTrainingCheck(fax_state_t* fax);
// The filter, for code that hooks the page bits itself and passes them on (user: the T.30).
void TrainingCheckPutBit(void* user, int bit);
// Where the current page receiver delivers its bits, or false when none is running.
bool PageReceiverSink(fax_state_t* fax, put_bit_func_t** put, void*** user);

}  // namespace corvane::faxline
