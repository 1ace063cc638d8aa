#include "setup/logic/config_suggestions.h"

namespace corvane {

namespace {
const QString kAtz = QStringLiteral("ATZ");
constexpr int kSuggestedRate = 9600;
constexpr int kSuggestedClass = 1;
}  // namespace

ConfigSuggestions::ConfigSuggestions(const QString& suggestedSendInit,
                                     const QString& suggestedReceiveInit,
                                     const ModemConfig& current, bool showSending,
                                     bool showReceiving)
    : suggestedSend_(suggestedSendInit),
      suggestedReceive_(suggestedReceiveInit),
      current_(current),
      showSending_(showSending),
      showReceiving_(showReceiving) {
    auto add = [this](SuggestionSection s, SuggestionKind k, const char* text, bool applies) {
        items_.push_back({s, k, QString::fromLatin1(text), applies, applies});
    };
    add(SuggestionSection::ModemReset, SuggestionKind::UseAtz,
        "Use ATZ to reset the modem before sending or receiving",
        current.resetString.toUpper() != kAtz);
    auto side = [&](SuggestionSection s, int faxClass, int rate, const QString& init,
                    const QString& suggested, bool ecm) {
        add(s, SuggestionKind::ClassOne, "Change Fax Class to Class 1",
            faxClass != kSuggestedClass);
        add(s, SuggestionKind::Rate9600, "Reduce transfer rate to 9600", rate > kSuggestedRate);
        add(s, SuggestionKind::RecommendedInit,
            "Use our recommended initialization string for the selected modem",
            suggested.compare(init, Qt::CaseInsensitive) != 0);
        add(s, SuggestionKind::EcmOff, "Turn off Fax Error Control", ecm);
    };
    if (showSending)
        side(SuggestionSection::Sending, current.sendClass, current.sendRate, current.sendInit,
             suggestedSendInit, current.sendEcm);
    if (showReceiving)
        side(SuggestionSection::Receiving, current.receiveClass, current.receiveRate,
             current.receiveInit, suggestedReceiveInit, current.receiveEcm);
}

bool ConfigSuggestions::sectionShown(SuggestionSection section) const {
    switch (section) {
        case SuggestionSection::ModemReset:
            return true;
        case SuggestionSection::Sending:
            return showSending_;
        case SuggestionSection::Receiving:
            return showReceiving_;
    }
    return false;
}

bool ConfigSuggestions::sectionHasChanges(SuggestionSection section) const {
    for (const Suggestion& s : items_)
        if (s.section == section && s.applies) return true;
    return false;
}

ModemConfig ConfigSuggestions::applied() const {
    ModemConfig c = current_;
    for (const Suggestion& s : items_) {
        if (!s.applies || !s.ticked) continue;
        const bool sending = s.section == SuggestionSection::Sending;
        switch (s.kind) {
            case SuggestionKind::UseAtz:
                c.resetString = kAtz;
                break;
            case SuggestionKind::ClassOne:
                (sending ? c.sendClass : c.receiveClass) = kSuggestedClass;
                break;
            case SuggestionKind::Rate9600:
                (sending ? c.sendRate : c.receiveRate) = kSuggestedRate;
                break;
            case SuggestionKind::RecommendedInit:
                (sending ? c.sendInit : c.receiveInit) =
                    sending ? suggestedSend_ : suggestedReceive_;
                break;
            case SuggestionKind::EcmOff:
                (sending ? c.sendEcm : c.receiveEcm) = false;
                break;
        }
    }
    return c;
}

}  // namespace corvane
