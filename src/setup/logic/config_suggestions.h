#pragma once
// ConfigSuggestions: the decisions of "Corvane Configuration Suggestions" without its window.
// Given the current modem settings and the init strings suggested for the chosen modem, it
// lists the changes that apply (each shown ticked), and applies the ones left ticked.

#include <QString>
#include <vector>

namespace corvane {

// The nine values the suggestions may change. Classes: 0 automatic, 1 Class 1, 2 Class 2,
// 3 Class 2.0; rates in bits per second.
struct ModemConfig {
    QString resetString;
    int sendClass = 1;
    int sendRate = 9600;
    QString sendInit;
    bool sendEcm = false;
    int receiveClass = 1;
    int receiveRate = 9600;
    QString receiveInit;
    bool receiveEcm = false;

    bool operator==(const ModemConfig&) const = default;
};

enum class SuggestionSection { ModemReset, Sending, Receiving };
enum class SuggestionKind { UseAtz, ClassOne, Rate9600, RecommendedInit, EcmOff };

struct Suggestion {
    SuggestionSection section;
    SuggestionKind kind;
    QString text;
    bool applies = false;  // hidden when false
    bool ticked = false;   // starts as `applies`
};

class ConfigSuggestions {
  public:
    ConfigSuggestions(const QString& suggestedSendInit, const QString& suggestedReceiveInit,
                      const ModemConfig& current, bool showSending, bool showReceiving);

    std::vector<Suggestion>& items() { return items_; }
    const std::vector<Suggestion>& items() const { return items_; }
    bool sectionShown(SuggestionSection section) const;
    // A shown section where nothing applies reads "No changes".
    bool sectionHasChanges(SuggestionSection section) const;

    // "OK": the current values with every ticked suggestion that applies taken.
    ModemConfig applied() const;

  private:
    QString suggestedSend_;
    QString suggestedReceive_;
    ModemConfig current_;
    bool showSending_;
    bool showReceiving_;
    std::vector<Suggestion> items_;
};

}  // namespace corvane
