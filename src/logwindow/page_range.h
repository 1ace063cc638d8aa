#pragma once
// The page-range choice of forward and clone ("Select Pages From Fax"), without widgets.

#include <QString>

namespace corvane {

struct PageRange {
    int from = 1;
    int to = 1;
    bool allPages = true;  // from = 1 and to = the page count
};

// "This fax file has a total of 1 page" / "... of n pages".
QString PageTotalText(int pageCount);
// Accepted when 0 < from <= to <= pageCount; the caller shows "Invalid Page Range" otherwise.
bool ValidPageRange(int from, int to, int pageCount);
PageRange MakePageRange(int from, int to, int pageCount);
// The page box's line: "All n to be copied" or "Page f to t".
QString PageChoiceText(const PageRange& range, int pageCount);

}  // namespace corvane
