// corvane: the desktop fax program.

#include <QApplication>

#include "app/startup.h"
#include "core/version.h"
#include "viewing/standalone_viewer.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    QApplication::setApplicationVersion(CORVANE_VERSION);
    // `corvane --view FILE`: only the viewer, as a file manager opens a fax.
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--view") return corvane::RunStandaloneViewer(args[2]);
    return corvane::RunCorvane(app);
}
