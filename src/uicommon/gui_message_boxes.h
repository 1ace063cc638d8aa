#pragma once
// The message-box interface shown with QMessageBox.

#include "core/message_boxes.h"

namespace corvane {

class GuiMessageBoxes : public MessageBoxes {
  public:
    void showInformation(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askYesNoDefaultNo(const QString& text, const QString& title) override;
};

}  // namespace corvane
