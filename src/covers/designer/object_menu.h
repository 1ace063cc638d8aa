#pragma once
// The context menu of a cover object: the commands every object has (order, clipboard,
// Locked, Unselectable, centring) followed by its class's own (font, text, field kind, line
// thickness, fill, rounding, line style, image options, alignment, word wrap), with check marks
// set from the object's current values just before it opens.

#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

namespace corvane {

class DesignPage;
class TFaxGraphicControl;

struct ObjectMenuContext {
    QWidget* parent = nullptr;
    DesignPage* page = nullptr;
    // The page's last image folder, shared with "Load Image From Disk".
    QString* imageFolder = nullptr;
    // Repaint and refresh the window after a command.
    std::function<void()> refresh;
};

// Shows the menu of `object` at `globalPos` and runs the chosen command.
void ShowObjectMenu(const ObjectMenuContext& context, TFaxGraphicControl* object,
                    const QPoint& globalPos);

}  // namespace corvane
