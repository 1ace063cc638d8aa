#include "cli/cli_commands.h"

namespace corvane::cli {

int runSettingsCommand(const QStringList&) {
    err("corvane-cli settings: not available yet");
    return 2;
}

}  // namespace corvane::cli
