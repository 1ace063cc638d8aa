#pragma once
// The Suggest chain of the fax error window ("&Suggest"): the modem selection, then the
// configuration suggestions for sending, then the settings saved. The send session calls it
// with the program's settings record:
//
//     const SuggestOutcome outcome = RunSuggestChain(this, GlobalSettings());
//     if (outcome.modemChosen) { /* disable "&Continue" and its description */ }
//
// Preferences runs the same two steps on its controls ("Quick Recommendations"). The headless
// lookup behind both is setup/logic/suggest_config.h.

#include "core/status.h"

class QWidget;

namespace corvane {

struct Settings;

struct SuggestOutcome {
    bool modemChosen = false;  // the selection was confirmed
    bool applied = false;      // the suggestions were confirmed and the settings saved
    Status saved;              // why saving failed, when it did
};

// Stops nothing by itself: the caller stops its own auto-close timer first. With UseTAPI the
// selection starts from TAPIDevice and asks nothing. A chosen installed modem sets UseTAPI and
// TAPIDevice. Only the modem reset and sending sections are offered.
SuggestOutcome RunSuggestChain(QWidget* parent, Settings& settings);

}  // namespace corvane
