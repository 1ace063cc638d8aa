#pragma once
// The small assistant buttons beside the setup dialogs' items: each shows a short explanation
// in a window with the dialog's own tip title ("Preferences Tip", "Modem Init String Tip",
// "Select Modem Tip", "Configuration Tip").

#include <QString>

class QPushButton;
class QWidget;

namespace corvane {

// A "?" button that shows `text` in an information window titled `title`.
QPushButton* MakeTipButton(QWidget* parent, const QString& title, const QString& text);

}  // namespace corvane
