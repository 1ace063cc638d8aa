#include "setup/logic/init_string_assistant.h"

#include "setup/logic/init_string_rules.h"
#include "setup/logic/modem_database.h"

namespace corvane {

namespace {
const QString kKeepOptionText =
    QStringLiteral("Option 4:   Leave the initialization string the way it is:");
}  // namespace

InitStringAssistantLogic::InitStringAssistantLogic(const QString& current, bool forSending,
                                                   const QStringList& installedModems,
                                                   int callerIndex)
    : current_(current), forSending_(forSending), installed_(installedModems) {
    hangUpBoxTicked = forSending && CarrierWaitAboveDefault(current);
    option = keepOptionVisible() ? InitStringOption::KeepCurrent : InitStringOption::Blank;
    if (installed_.isEmpty()) installed_ << kStandardModemFamily;
    if (callerIndex >= 0 && callerIndex < installed_.size()) installedIndex = callerIndex;
}

QStringList InitStringAssistantLogic::genericTexts() const {
    QStringList texts;
    for (const GenericModemType& t : GenericModemTypes()) texts << QString::fromLatin1(t.text);
    return texts;
}

QString InitStringAssistantLogic::keepOptionCaption() const {
    if (!keepOptionVisible()) return kKeepOptionText;
    QString shown = current_;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return kKeepOptionText + "\r   ( " + shown + "  )";
}

QString InitStringAssistantLogic::result() const {
    QString text;
    switch (option) {
        case InitStringOption::GenericType: {
            const auto types = GenericModemTypes();
            if (genericIndex >= 0 && genericIndex < static_cast<int>(types.size()))
                text = GenericTypeInitString(types[genericIndex], forSending_);
            break;
        }
        case InitStringOption::FromInstalledModem: {
            const QString name = installed_.value(installedIndex, kStandardModemFamily);
            text = UsableInitString(LookupModemFamily(name).initString(forSending_));
            break;
        }
        case InitStringOption::Blank:
            break;
        case InitStringOption::KeepCurrent:
            text = current_;
            break;
    }
    if (forSending_ && !text.trimmed().isEmpty()) text = RewriteCarrierWait(text, hangUpBoxTicked);
    return text;
}

}  // namespace corvane
