#pragma once
// The help window: one browser over the shipped help pages, shown by topic from every Help
// button, F1 and the Help menu. There is one window per process; asking for another topic
// shows it in the same window and brings it to the front.

#include <QString>

class QWidget;

namespace corvane {

// Shows `topic` (a help number such as "1016", or a name such as "quick-start").
void ShowHelpTopic(QWidget* parent, const QString& topic);

// Makes F1 in `window` (and its children) show `topic`.
void InstallHelpKey(QWidget* window, const QString& topic);

}  // namespace corvane
