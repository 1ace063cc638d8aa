#include "cli/cli_commands.h"

namespace corvane::cli {

int runLogCommand(const QStringList&) {
    err("corvane-cli log: not available yet");
    return 2;
}

}  // namespace corvane::cli
