#pragma once
// Start-up step that opens the fax logs for the main window and closes them at shutdown.

namespace corvane {

class TMainScreen;

class FaxLogsStep {
  public:
    // Opens or creates both logs; false (after telling the user) when the program must end.
    bool open();
    // Connects the open logs to the main window.
    void attach(TMainScreen& window);
    void close();
};

}  // namespace corvane
