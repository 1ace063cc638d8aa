#pragma once
// The state of the fax viewer control without its window: the open file, the decoded page
// bitmaps, the current page, rotation, display scale and the marked rectangle. The widget
// paints what this holds and turns keys and mouse moves into calls here.
//
// Only the current page is decoded unless the whole fax is asked for, so opening a long fax
// costs one page. A page that does not decode is reported through onViewerError and shown
// blank; the other pages stay readable.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

#include "core/status.h"
#include "viewing/logic/fax_source.h"

namespace corvane {

struct DisplayScale {
    int horizMult = 1, horizDiv = 1, vertMult = 1, vertDiv = 1;
    bool operator==(const DisplayScale&) const = default;
};

class FaxPageStore {
  public:
    using ViewerErrorEvent = std::function<void(int code, const QString& text)>;
    using PageChangeEvent = std::function<void()>;

    // An empty name closes the file. A missing file ("File not found") or one that is not
    // an APF file ("File is not an APF file") leaves everything as it was. Otherwise page 1
    // becomes current, rotation 0 and scale 1/1.
    Status setFile(const QString& path);
    void clear();
    bool hasFile() const { return !fileName_.isEmpty(); }
    QString fileName() const { return fileName_; }
    int pageCount() const { return int(pages_.size()); }
    // 1-based; 0 without pages.
    int currentPage() const { return current_; }

    // "Bad argument passed to function" unless 1 <= page <= pageCount().
    Status gotoPage(int page);
    // Each returns false when the page did not change (already at that end).
    bool nextPage();
    bool previousPage();
    bool firstPage();
    bool lastPage();

    // Quarter turns clockwise, 0..3 (taken modulo 4).
    int rotation() const { return rotation_; }
    void setRotation(int quarterTurns);

    // How standard-resolution pages are decoded; default: every line twice (true proportions).
    StandardPages standardPages() const { return standard_; }
    void setStandardPages(StandardPages mode);

    // Decode every page now (an error on one page is reported and that page stays blank),
    // or keep only the current one.
    bool loadWholeFax() const { return loadWhole_; }
    void setLoadWholeFax(bool on);

    // A pair with equal values is kept as 1/1; zero parts are taken as 1.
    DisplayScale scale() const { return scale_; }
    void setScale(const DisplayScale& scale);

    // The current page, rotated; null when there is none or it did not decode.
    const QImage& bitmap() const;
    QSize pageSize() const;
    // The page size with the display scale applied.
    QSize displaySize() const;
    // Display coordinates to page pixels and back.
    QRect displayToPage(const QRect& display) const;

    // Marking, in display coordinates, always inside the displayed page.
    void startMark(QPoint at);
    void extendMark(QPoint to);
    // A mark of zero width or height is dropped.
    void endMark();
    void selectAll();
    void select(const QRect& display);
    void clearMark();
    bool hasMark() const { return hasMark_; }
    QRect markRect() const { return hasMark_ ? mark_ : QRect(); }
    // The marked part of the page in page pixels: "No image loaded into viewer" without a
    // bitmap, "No block of image marked" without a mark.
    Result<QImage> markedImage() const;

    ViewerErrorEvent onViewerError;
    PageChangeEvent onPageChange;

  private:
    void initPage();
    // Decodes `page` when it has no bitmap yet; an error is reported and leaves it null.
    void loadPage(int page);
    void freeAllBut(int page);
    QPoint clampToDisplay(QPoint p) const;

    QString fileName_;
    std::vector<QImage> pages_;  // index page - 1; null = not decoded (or did not decode)
    int current_ = 0;
    int rotation_ = 0;
    StandardPages standard_ = StandardPages::DoubleHeight;
    bool loadWhole_ = false;
    DisplayScale scale_;
    bool inInitPage_ = false;
    QPoint anchor_;
    QRect mark_;
    bool hasMark_ = false;
};

}  // namespace corvane
