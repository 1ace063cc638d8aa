#include "cli/cli_commands.h"

namespace corvane::cli {

int runApfCommand(const QStringList&) {
    err("corvane-cli apf: not available yet");
    return 2;
}

}  // namespace corvane::cli
