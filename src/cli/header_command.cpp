#include "cli/cli_commands.h"

namespace corvane::cli {

int runHeaderCommand(const QStringList&) {
    err("corvane-cli header: not available yet");
    return 2;
}

}  // namespace corvane::cli
