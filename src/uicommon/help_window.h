#pragma once
// The help window: one browser over the shipped help pages, shown by topic from every Help
// button, F1 and the Help menu. There is one window per process; asking for another topic
// shows it in the same window and brings it to the front.

#include <QString>

class QWidget;

namespace corvane {

// Shows `topic` (a help number such as "1016", or a name such as "quick-start").
void ShowHelpTopic(QWidget* parent, const QString& topic);

// Names the topic F1 shows in `window`. One handler serves the whole application: F1 shows
// the topic of the focused widget's nearest ancestor that names one, so a message box or a
// dialog that names none shows its opener's topic, and a window with no named ancestor shows
// the contents. The handler is installed with the first topic named.
void SetHelpTopic(QWidget* window, const QString& topic);

// The topic F1 shows for `widget`.
QString HelpTopicFor(const QWidget* widget);

}  // namespace corvane
