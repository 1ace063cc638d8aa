#include "setup/logic/suggest_config.h"

#include "core/settings.h"
#include "setup/logic/modem_database.h"

namespace corvane {

SuggestedConfig SuggestConfig(const QString& modemName) {
    const ModemFamily family = LookupModemFamily(modemName);
    return {family.name, UsableInitString(family.sendingInit),
            UsableInitString(family.receivingInit)};
}

ModemConfig ModemConfigFromSettings(const Settings& s) {
    return {s.ResetString,     s.FaxClass,          s.MaximumBPS,        s.InitString, s.ECM,
            s.FaxClassReceive, s.MaximumBPSReceive, s.InitStringReceive, s.ECMReceive};
}

void ApplyModemConfig(const ModemConfig& c, Settings& s) {
    s.ResetString = c.resetString;
    s.FaxClass = c.sendClass;
    s.MaximumBPS = c.sendRate;
    s.InitString = c.sendInit;
    s.ECM = c.sendEcm;
    s.FaxClassReceive = c.receiveClass;
    s.MaximumBPSReceive = c.receiveRate;
    s.InitStringReceive = c.receiveInit;
    s.ECMReceive = c.receiveEcm;
}

}  // namespace corvane
