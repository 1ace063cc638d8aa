#pragma once
// Window placement rules as pure functions over rectangles, so that they can be checked
// without a screen. Bounds follow the file's convention: Left, Top, Right, Bottom with
// width = Right - Left and height = Bottom - Top. The widget adapters live in uicommon.

#include <QRect>
#include <QSize>
#include <QString>

namespace corvane {

class IniFile;

struct Bounds {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Bounds&) const = default;

    static Bounds fromRect(const QRect& r) {
        return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    }
    QRect toRect() const { return QRect(left, top, width(), height()); }
};

struct FormPlacement {
    Bounds bounds;
    bool maximized = false;
};

// Section name: class name + "3_Placement", with the logical resolution appended above 96 dpi.
QString PlacementSectionName(const QString& className, int logicalDpi);

FormPlacement ReadFormPlacement(const IniFile& ini, const QString& section, bool designedMaximized);
void WriteFormPlacement(IniFile& ini, const QString& section, const FormPlacement& placement);

// True when saved bounds may be used on a screen of the given size: right >= left,
// bottom >= top, width and height each 100 or more and no more than the screen's, and every
// edge within the screen.
bool PlacementBoundsUsable(const Bounds& b, const QSize& screen);

Bounds CenteredOnScreen(const QSize& window, const QSize& screen);
Bounds CenteredOver(const QSize& window, const Bounds& over);

// Where CenterForm puts a window: over the main window unless it is the main window or the
// main window is minimised; on the screen when that result is unusable.
Bounds CenterFormBounds(const QSize& window, bool isMainWindow, bool mainMinimized,
                        const Bounds& mainBounds, const QSize& screen);

// What LoadFormPlacement does with a saved placement.
struct PlacementDecision {
    bool maximize = false;
    Bounds bounds;  // meaningful when !maximize
};
// `centered` is where CenterForm would put the window now, `current` its present bounds.
PlacementDecision DecideFormPlacement(const FormPlacement& saved, const Bounds& centered,
                                      const QSize& screen);

}  // namespace corvane
