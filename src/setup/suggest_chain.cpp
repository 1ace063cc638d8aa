#include "setup/suggest_chain.h"

#include "core/settings.h"
#include "setup/logic/suggest_config.h"
#include "setup/select_modem_form.h"
#include "setup/suggest_config_form.h"

namespace corvane {

SuggestOutcome RunSuggestChain(QWidget* parent, Settings& settings) {
    SuggestOutcome outcome;
    QString name = settings.UseTAPI ? settings.TAPIDevice : QString();
    QString sendInit;
    QString receiveInit;
    if (!SelectModem(parent, name, sendInit, receiveInit)) return outcome;
    outcome.modemChosen = true;
    if (!name.trimmed().isEmpty()) {
        settings.UseTAPI = true;
        settings.TAPIDevice = name;
    }
    ModemConfig config = ModemConfigFromSettings(settings);
    if (!ShowConfigSuggestions(parent, sendInit, receiveInit, config, true, false)) return outcome;
    ApplyModemConfig(config, settings);
    outcome.applied = true;
    if (&settings == &GlobalSettings()) outcome.saved = SaveSettings();
    return outcome;
}

}  // namespace corvane
