#include "cli/cli_commands.h"

namespace corvane::cli {

int runApfFromImage(const QStringList&) {
    err("corvane-cli apf from-image: not available yet");
    return 2;
}

}  // namespace corvane::cli
