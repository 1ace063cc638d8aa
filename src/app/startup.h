#pragma once
// The start-up order of the program, from the single-instance guard to the running main
// window, and the shutdown that follows.

class QApplication;

namespace corvane {

// Runs Corvane in `app` and returns the process exit status: 0 after a normal close or after
// handing over to an instance that is already running, 1 when the fax logs cannot be opened.
int RunCorvane(QApplication& app);

}  // namespace corvane
