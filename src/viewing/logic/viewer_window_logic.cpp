#include "viewing/logic/viewer_window_logic.h"

#include <cmath>
#include <iterator>

namespace corvane {

std::optional<int> ZoomIn(int zoom) {
    for (int step : kZoomSteps)
        if (step > zoom) return step;
    return std::nullopt;
}

std::optional<int> ZoomOut(int zoom) {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom) return *it;
    return std::nullopt;
}

QString ZoomMenuText(int zoom) {
    return QString("%1%").arg(zoom * 2);
}

DisplayScale ZoomScale(int zoom) {
    switch (zoom) {
        case 25:
            return {1, 4, 1, 4};
        case 50:
            return {1, 2, 1, 2};
        case 75:
            return {3, 4, 3, 4};
        default:
            return {};
    }
}

int StartZoom(int viewWidth, int pageWidth) {
    if (pageWidth > 0 && viewWidth < pageWidth &&
        std::lround(double(viewWidth) / pageWidth * 150) <= 36)
        return 25;
    return 50;
}

QString ViewerStatusText(const QString& title, int page, int pageCount) {
    if (pageCount < 1) return "No file loaded";
    if (title.isEmpty()) return QString("Page %1 of %2").arg(page).arg(pageCount);
    return QString("%1: Page %2 of %3").arg(title).arg(page).arg(pageCount);
}

QString AltViewerStatusText(const QString& title, int page, int pageCount, int zoom) {
    if (pageCount < 1) return "No file loaded";
    return ViewerStatusText(title, page, pageCount) + QString(", %1 percent").arg(zoom * 2);
}

QString ViewerErrorText(int code) {
    return QString("Viewer error %1").arg(code);
}

NavigationButtons NavigationFor(int page, int pageCount) {
    NavigationButtons b;
    b.first = b.previous = page > 1;
    b.next = b.last = page < pageCount;
    return b;
}

}  // namespace corvane
