#include "logwindow/page_range.h"

namespace corvane {

QString PageTotalText(int pageCount) {
    if (pageCount < 2) return "This fax file has a total of 1 page";
    return QString("This fax file has a total of %1 pages").arg(pageCount);
}

bool ValidPageRange(int from, int to, int pageCount) {
    return from > 0 && from <= to && to <= pageCount;
}

PageRange MakePageRange(int from, int to, int pageCount) {
    return {from, to, from == 1 && to == pageCount};
}

QString PageChoiceText(const PageRange& range, int pageCount) {
    if (range.allPages) return QString("All %1 to be copied").arg(pageCount);
    return QString("Page %1 to %2").arg(range.from).arg(range.to);
}

}  // namespace corvane
