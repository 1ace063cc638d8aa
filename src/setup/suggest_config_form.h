#pragma once
// TSuggestConfigForm ("Corvane Configuration Suggestions"): the suggested changes as ticked
// boxes under "Modem Reset", "Sending" and "Receiving"; OK applies the boxes left ticked.
// ShowConfigSuggestions is the call the Suggest chain makes.

#include <QDialog>
#include <vector>

#include "setup/logic/config_suggestions.h"

class QCheckBox;

namespace corvane {

class TSuggestConfigForm : public QDialog {
    Q_OBJECT
  public:
    TSuggestConfigForm(const QString& suggestedSendInit, const QString& suggestedReceiveInit,
                       const ModemConfig& current, bool showSending, bool showReceiving,
                       QWidget* parent = nullptr);

    // The boxes, parallel to the logic's items.
    const std::vector<QCheckBox*>& boxes() const { return boxes_; }
    ModemConfig result();

  private:
    ConfigSuggestions logic_;
    std::vector<QCheckBox*> boxes_;
};

// True when the user pressed OK; only then is `config` changed.
bool ShowConfigSuggestions(QWidget* parent, const QString& suggestedSendInit,
                           const QString& suggestedReceiveInit, ModemConfig& config,
                           bool showSending, bool showReceiving);

}  // namespace corvane
