#include "cli/cli_commands.h"

namespace corvane::cli {

int runModemCommand(const QStringList&) {
    err("corvane-cli modem: not available yet");
    return 2;
}

}  // namespace corvane::cli
