#include "cli/cli_commands.h"
#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/settings.h"

namespace corvane::cli {

// `settings show`: every setting after LoadSettings, one "[Section] Key=value" a line, then
// the print options and PortUnconfigured.
// `settings save`: loads and saves again, as the program does when it closes.
int runSettingsCommand(const QStringList& args) {
    const QString verb = args.value(0);
    if ((verb != "show" && verb != "save") || args.size() != 1) {
        err("usage: corvane-cli settings show|save");
        return 2;
    }
    Settings& s = GlobalSettings();
    LoadSettings();
    LoadPrintSettings();
    if (verb == "save") {
        Status saved = SaveSettings();
        if (saved.ok()) saved = SavePrintSettings();
        if (saved.ok()) return 0;
        err("corvane-cli: " + saved.message());
        return 1;
    }
    out("# " + SettingsFileName());
    for (const auto& d : SettingDescriptors())
        out(QStringLiteral("[%1] %2=%3").arg(d.section, d.key, SettingValueText(s, d)));
    const PrintSettings& p = GlobalPrintSettings();
    out(QStringLiteral("[Printing] MultiPage=%1").arg(int(p.MultiPage)));
    out(QStringLiteral("[Printing] Header=%1").arg(int(p.Header)));
    out(QStringLiteral("[Printing] Footer=%1").arg(int(p.Footer)));
    out(QStringLiteral("[Printing] Stretch=%1").arg(int(p.Stretch)));
    out(QStringLiteral("PortUnconfigured=%1").arg(int(s.PortUnconfigured)));
    return 0;
}

}  // namespace corvane::cli
