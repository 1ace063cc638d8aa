// corvane: the desktop fax program.

#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvane");
    QApplication::setApplicationVersion("3.07");
    return corvane::RunCorvane(app);
}
