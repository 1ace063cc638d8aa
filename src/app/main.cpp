// corvane: the desktop fax program.

#include <QApplication>

#include "app/startup.h"
#include "core/version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    QApplication::setApplicationVersion(CORVANE_VERSION);
    return corvane::RunCorvane(app);
}
