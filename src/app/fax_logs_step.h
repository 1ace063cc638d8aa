#pragma once
// Start-up step that owns the data module: opens the fax logs before the main window exists
// and closes them at shutdown.

#include <memory>

namespace corvane {

class TFDM;
class TMainScreen;

class FaxLogsStep {
  public:
    FaxLogsStep();
    ~FaxLogsStep();

    // Opens or creates both logs; false (after telling the user) when the program must end.
    bool open();
    // Lets the main window reach the logs; the first activation rebuilds indexes that lack a
    // tag of this version.
    void attach(TMainScreen& window);
    void close();

    TFDM& dataModule() { return *fdm_; }

  private:
    std::unique_ptr<TFDM> fdm_;
};

}  // namespace corvane
