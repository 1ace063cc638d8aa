#include "setup/logic/select_modem.h"

#include "setup/logic/init_string_rules.h"
#include "setup/logic/modem_database.h"

namespace corvane {

SelectedModem SelectKnownModem(const QString& name) {
    const ModemFamily family = LookupModemFamily(name);
    return {name, UsableInitString(family.sendingInit), UsableInitString(family.receivingInit)};
}

SelectModemLogic::SelectModemLogic(const QStringList& installedModems)
    : installed_(installedModems), shown_(installedModems) {
    if (shown_.isEmpty()) shown_ << kStandardModemFamily;
}

QStringList SelectModemLogic::genericTexts() const {
    QStringList texts;
    for (const GenericModemType& t : GenericModemTypes()) texts << QString::fromLatin1(t.text);
    return texts;
}

SelectedModem SelectModemLogic::result() const {
    SelectedModem chosen;
    if (useGenericType) {
        const auto types = GenericModemTypes();
        if (genericIndex >= 0 && genericIndex < static_cast<int>(types.size()))
            chosen.sendingInit = chosen.receivingInit =
                GenericTypeInitString(types[genericIndex], true);
    } else {
        const QString shownName = shown_.value(installedIndex, kStandardModemFamily);
        chosen = SelectKnownModem(shownName);
        chosen.name = installed_.value(installedIndex);
    }
    chosen.sendingInit = RewriteCarrierWait(chosen.sendingInit, hangUpBoxTicked);
    return chosen;
}

}  // namespace corvane
