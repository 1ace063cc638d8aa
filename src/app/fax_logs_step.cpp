#include "app/fax_logs_step.h"

namespace corvane {

// The log tables are wired in here as they become available.
bool FaxLogsStep::open() {
    return true;
}
void FaxLogsStep::attach(TMainScreen&) {}
void FaxLogsStep::close() {}

}  // namespace corvane
