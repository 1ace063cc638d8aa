// corvane: the desktop fax program.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/startup.h"
#include "core/version.h"
#include "viewing/standalone_viewer.h"

namespace {

const char* const kUsage =
    "Usage: corvane [--view FILE]\n"
    "\n"
    "The desktop fax program. Without arguments it opens the main window over the fax logs\n"
    "in the data folder ($CORVANE_HOME, else ~/.local/share/corvane/).\n"
    "\n"
    "Options:\n"
    "  --view FILE    open only the fax viewer on FILE (.apf or a TIFF fax)\n"
    "  -h, --help     show this text\n"
    "  -v, --version  show the version\n"
    "\n"
    "Qt's own options (-platform, -display, -style...) are passed on to Qt.\n"
    "See also corvane-cli --help and man corvane.\n";

// Options are checked before Qt starts, so that --help and mistakes work without a display.
// Returns -1 when the program should go on, otherwise the exit status.
int CheckOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(arg, "--version") || !std::strcmp(arg, "-v")) {
            std::printf("corvane %s\n", CORVANE_VERSION);
            return 0;
        }
        if (!std::strcmp(arg, "--view")) {
            if (i + 1 >= argc) {
                std::fputs("corvane: --view needs a fax file\n", stderr);
                return 2;
            }
            ++i;
            continue;
        }
        // Qt's options take one dash; they are Qt's to check.
        if (arg[0] == '-' && arg[1] == '-') {
            std::fprintf(stderr, "corvane: unknown option \"%s\" (see corvane --help)\n", arg);
            return 2;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = CheckOptions(argc, argv); status >= 0) return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    QApplication::setApplicationVersion(CORVANE_VERSION);
    // `corvane --view FILE`: only the viewer, as a file manager opens a fax.
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--view") return corvane::RunStandaloneViewer(args[2]);
    if (args.size() > 1) {
        std::fprintf(stderr, "corvane: unexpected argument \"%s\" (see corvane --help)\n",
                     qPrintable(args[1]));
        return 2;
    }
    return corvane::RunCorvane(app);
}
