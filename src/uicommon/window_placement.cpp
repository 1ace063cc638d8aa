#include "uicommon/window_placement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "core/app_folders.h"
#include "core/form_placement.h"
#include "core/ini_file.h"

namespace corvane {

namespace {

QPointer<QWidget> g_mainWindow;

QScreen* screenOf(const QWidget* w) {
    QScreen* s = w ? w->screen() : nullptr;
    return s ? s : QGuiApplication::primaryScreen();
}

QSize screenSize(const QWidget* w) {
    QScreen* s = screenOf(w);
    return s ? s->geometry().size() : QSize(1024, 768);
}

Bounds normalBounds(const QWidget* w) {
    const QRect r = (w->isMaximized() || w->isMinimized()) && w->normalGeometry().isValid()
                        ? w->normalGeometry()
                        : w->geometry();
    return Bounds::fromRect(r);
}

Bounds centeredBounds(const QWidget* w) {
    const QWidget* main = g_mainWindow.data();
    const bool isMain = (w == main) || !main;
    return CenterFormBounds(w->size(), isMain, main && main->isMinimized(),
                            main ? normalBounds(main) : Bounds{}, screenSize(w));
}

}  // namespace

void SetMainWindow(QWidget* window) {
    g_mainWindow = window;
}
QWidget* MainWindow() {
    return g_mainWindow.data();
}

QString PlacementSectionFor(const QWidget* window) {
    QString className = QString::fromLatin1(window->metaObject()->className());
    className = className.mid(className.lastIndexOf(':') + 1);
    QScreen* s = screenOf(window);
    return PlacementSectionName(className, s ? qRound(s->logicalDotsPerInch()) : 96);
}

void LoadFormPlacement(QWidget* window, bool designedMaximized) {
    const IniFile ini(SettingsFileName());
    const FormPlacement saved =
        ReadFormPlacement(ini, PlacementSectionFor(window), designedMaximized);
    const PlacementDecision d =
        DecideFormPlacement(saved, centeredBounds(window), screenSize(window));
    if (d.maximize) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
        return;
    }
    window->setGeometry(d.bounds.toRect());
}

Status SaveFormPlacement(const QWidget* window) {
    IniFile ini(SettingsFileName());
    WriteFormPlacement(ini, PlacementSectionFor(window),
                       {normalBounds(window), window->isMaximized()});
    return ini.save();
}

void CenterForm(QWidget* window) {
    window->setGeometry(centeredBounds(window).toRect());
}

}  // namespace corvane
