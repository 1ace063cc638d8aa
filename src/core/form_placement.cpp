#include "core/form_placement.h"

#include "core/ini_file.h"

namespace corvane {

namespace {
constexpr int kStandardDpi = 96;
constexpr int kMinimumExtent = 100;
}  // namespace

QString PlacementSectionName(const QString& className, int logicalDpi) {
    QString name = className + QStringLiteral("3_Placement");
    if (logicalDpi > kStandardDpi) name += QString::number(logicalDpi);
    return name;
}

FormPlacement ReadFormPlacement(const IniFile& ini, const QString& section,
                                bool designedMaximized) {
    FormPlacement p;
    p.bounds.left = ini.readInteger(section, "Left", 0);
    p.bounds.top = ini.readInteger(section, "Top", 0);
    p.bounds.right = ini.readInteger(section, "Right", 0);
    p.bounds.bottom = ini.readInteger(section, "Bottom", 0);
    p.maximized = ini.readBool(section, "Maximized", designedMaximized);
    return p;
}

void WriteFormPlacement(IniFile& ini, const QString& section, const FormPlacement& p) {
    ini.writeInteger(section, "Left", p.bounds.left);
    ini.writeInteger(section, "Top", p.bounds.top);
    ini.writeInteger(section, "Right", p.bounds.right);
    ini.writeInteger(section, "Bottom", p.bounds.bottom);
    ini.writeBool(section, "Maximized", p.maximized);
}

bool PlacementBoundsUsable(const Bounds& b, const QSize& screen) {
    const int sw = screen.width();
    const int sh = screen.height();
    auto within = [](int v, int hi) { return v >= 0 && v <= hi; };
    return b.right >= b.left && b.bottom >= b.top && b.width() >= kMinimumExtent &&
           b.height() >= kMinimumExtent && b.width() <= sw && b.height() <= sh &&
           within(b.left, sw) && within(b.right, sw) && within(b.top, sh) && within(b.bottom, sh);
}

Bounds CenteredOnScreen(const QSize& window, const QSize& screen) {
    const int left = (screen.width() - window.width()) / 2;
    const int top = (screen.height() - window.height()) / 2;
    return {left, top, left + window.width(), top + window.height()};
}

Bounds CenteredOver(const QSize& window, const Bounds& over) {
    const int left = over.left + (over.width() - window.width()) / 2;
    const int top = over.top + (over.height() - window.height()) / 2;
    return {left, top, left + window.width(), top + window.height()};
}

Bounds CenterFormBounds(const QSize& window, bool isMainWindow, bool mainMinimized,
                        const Bounds& mainBounds, const QSize& screen) {
    const Bounds b = (isMainWindow || mainMinimized) ? CenteredOnScreen(window, screen)
                                                     : CenteredOver(window, mainBounds);
    return PlacementBoundsUsable(b, screen) ? b : CenteredOnScreen(window, screen);
}

PlacementDecision DecideFormPlacement(const FormPlacement& saved, const Bounds& centered,
                                      const QSize& screen) {
    if (saved.maximized) return {true, {}};
    // Nothing saved yet: the centred bounds stand in for the saved ones.
    const Bounds candidate = saved.bounds.bottom == 0 ? centered : saved.bounds;
    return {false, PlacementBoundsUsable(candidate, screen) ? candidate : centered};
}

}  // namespace corvane
