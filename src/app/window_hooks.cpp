#include "app/window_hooks.h"

#include "core/app_folders.h"
#include "core/settings.h"
#include "covers/designer/template_picker_hook.h"
#include "sending/fax_error_form.h"
#include "sending/send_fax_form.h"
#include "sending/send_fax_form_port_choice.h"
#include "sending/template_picker.h"
#include "setup/preferences_form.h"
#include "setup/quick_setup_form.h"
#include "setup/suggest_chain.h"

namespace corvane {

void InstallWindowHooks() {
    SetTemplatePicker([](QWidget* parent, const QString& current, bool viewOnly) {
        TSelectCoverTemplate picker(CoversFolder(), current, parent);
        if (viewOnly) picker.setWindowTitle("Preview Fax Cover Templates");
        if (picker.exec() != QDialog::Accepted || viewOnly) return QString();
        return picker.chosen();
    });
    SetQuickSetupRunner([](QWidget* parent) { return RunQuickSetup(parent, GlobalSettings()); });
    SetSendPreferencesOpener([](QWidget* parent) { RunPreferences(parent); });
    SetFaxErrorSuggester(
        [](QWidget* parent) { return RunSuggestChain(parent, GlobalSettings()).modemChosen; });
}

}  // namespace corvane
