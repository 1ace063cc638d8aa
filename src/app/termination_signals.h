#pragma once
// SIGTERM, SIGINT and SIGHUP close the main window the ordinary way, so that settings and
// window placement are saved when Corvane is stopped from a terminal or a session manager.

class QWidget;

namespace corvane {

// Installs the handlers; a signal then closes `window` on the GUI thread.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace corvane
