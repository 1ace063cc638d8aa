#pragma once
// What the two viewer windows show around the page: zoom steps and their menu labels, the
// start zoom, the status texts and which navigation buttons are enabled.

#include <QString>
#include <optional>

#include "viewing/logic/page_store.h"

namespace corvane {

// Zoom values are 25, 50, 75 and 100 (the page at that percentage of its pixels); the menus
// call them "50%" ... "200%", a fax pixel being about half a screen pixel.
inline constexpr int kZoomSteps[] = {25, 50, 75, 100};

// The next step up or down; none at the ends (the window beeps).
std::optional<int> ZoomIn(int zoom);
std::optional<int> ZoomOut(int zoom);
// "50%", "100%", "150%", "200%".
QString ZoomMenuText(int zoom);
// 25 -> 1/4 ... 100 -> 1/1 across and down.
DisplayScale ZoomScale(int zoom);
// 50, or 25 when the view is much narrower than the page (view / page x 150 at most 36).
int StartZoom(int viewWidth, int pageWidth);

// "Title: Page 2 of 5", "Page 2 of 5" without a title, "No file loaded" without pages.
QString ViewerStatusText(const QString& title, int page, int pageCount);
// The alternate viewer adds ", 100 percent" (twice the zoom value).
QString AltViewerStatusText(const QString& title, int page, int pageCount, int zoom);
QString ViewerErrorText(int code);

struct NavigationButtons {
    bool first = false, previous = false, next = false, last = false;
};
NavigationButtons NavigationFor(int page, int pageCount);

}  // namespace corvane
