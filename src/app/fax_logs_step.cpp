#include "app/fax_logs_step.h"

#include "core/locale_formats.h"
#include "logs/fax_data_module.h"
#include "logwindow/main_screen.h"

namespace corvane {

FaxLogsStep::FaxLogsStep() : fdm_(std::make_unique<TFDM>()) {}
FaxLogsStep::~FaxLogsStep() = default;

bool FaxLogsStep::open() {
    fdm_->Formats = GlobalLocaleFormats();
    return OpenFaxLogs(*fdm_);
}

void FaxLogsStep::attach(TMainScreen& window) {
    window.SetDataModule(fdm_.get());
}

void FaxLogsStep::close() {
    fdm_->CloseTables();
}

}  // namespace corvane
