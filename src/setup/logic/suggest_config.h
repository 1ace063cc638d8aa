#pragma once
// The headless side of the Suggest chain (modem selection, then configuration suggestions) that
// Preferences' "Quick Recommendations" and the fax error window's "&Suggest" run: what the
// database suggests for a modem name, and the settings the suggestions look at and change.
//
// The windows are in setup/suggest_chain.h.

#include <QString>

#include "setup/logic/config_suggestions.h"

namespace corvane {

struct Settings;

struct SuggestedConfig {
    QString family;
    QString sendingInit;    // "BLANK" already made empty
    QString receivingInit;  // "BLANK" already made empty
};

// The family of `modemName` and its init strings. Never fails: an unknown name gives the
// "Standard Modem" strings.
SuggestedConfig SuggestConfig(const QString& modemName);

// The nine values of the suggestions from the settings record (reset string, sending and
// receiving class, rate, init string and error control), and back.
ModemConfig ModemConfigFromSettings(const Settings& settings);
void ApplyModemConfig(const ModemConfig& config, Settings& settings);

}  // namespace corvane
