#include <QApplication>

#include "logwindow/main_screen.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    corvane::TMainScreen window;
    window.show();
    return app.exec();
}
