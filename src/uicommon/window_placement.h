#pragma once
// Widget side of window placement: applies the rules of core/form_placement.h to real windows
// and keeps placements in QX.INI, one section per window class and screen resolution.

#include <QString>

#include "core/status.h"

class QWidget;

namespace corvane {

// The program's main window; dialogs are centred over it. Set by the main window.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

// Section name, e.g. "TMainScreen3_Placement", from the widget's class (namespace dropped)
// and its screen's logical resolution.
QString PlacementSectionFor(const QWidget* window);

void LoadFormPlacement(QWidget* window, bool designedMaximized = false);
// Fails, saying why, when QX.INI cannot be written.
Status SaveFormPlacement(const QWidget* window);
void CenterForm(QWidget* window);

}  // namespace corvane
