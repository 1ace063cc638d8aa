#include "viewing/logic/page_store.h"

#include <QFileInfo>
#include <algorithm>

#include "viewing/logic/mono_rotate.h"

namespace corvane {

namespace {

const QString kBadArgument = QStringLiteral("Bad argument passed to function");

int scaled(int value, int mult, int div) {
    return int(qint64(value) * mult / div);
}

}  // namespace

Status FaxPageStore::setFile(const QString& path) {
    if (path.isEmpty()) {
        clear();
        return Status::Ok();
    }
    int count = 0;
    try {
        count = FaxPageCount(path);
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
    clear();
    fileName_ = path;
    pages_.assign(size_t(count), QImage());
    current_ = count > 0 ? 1 : 0;
    rotation_ = 0;
    scale_ = DisplayScale();
    if (loadWhole_)
        for (int page = 1; page <= count; ++page) loadPage(page);
    initPage();
    return Status::Ok();
}

void FaxPageStore::clear() {
    fileName_.clear();
    pages_.clear();
    current_ = 0;
    clearMark();
}

Status FaxPageStore::gotoPage(int page) {
    if (page < 1 || page > pageCount()) return Status::Error(kBadArgument);
    if (inInitPage_) return Status::Ok();
    current_ = page;
    initPage();
    return Status::Ok();
}

bool FaxPageStore::nextPage() {
    if (inInitPage_ || current_ >= pageCount()) return false;
    ++current_;
    initPage();
    return true;
}

bool FaxPageStore::previousPage() {
    if (inInitPage_ || current_ <= 1) return false;
    --current_;
    initPage();
    return true;
}

bool FaxPageStore::firstPage() {
    if (inInitPage_ || current_ <= 1) return false;
    current_ = 1;
    initPage();
    return true;
}

bool FaxPageStore::lastPage() {
    if (inInitPage_ || current_ >= pageCount()) return false;
    current_ = pageCount();
    initPage();
    return true;
}

void FaxPageStore::setRotation(int quarterTurns) {
    const int target = ((quarterTurns % 4) + 4) % 4;
    const int delta = (target - rotation_ + 4) % 4;
    rotation_ = target;
    if (delta == 0) return;
    for (QImage& page : pages_)
        if (!page.isNull()) page = RotateMonoImage(page, delta);
    clearMark();
    if (onPageChange && current_ > 0) onPageChange();
}

void FaxPageStore::setStandardPages(StandardPages mode) {
    if (mode == standard_) return;
    standard_ = mode;
    if (!hasFile()) return;
    for (QImage& page : pages_) page = QImage();
    initPage();
}

void FaxPageStore::setLoadWholeFax(bool on) {
    if (on == loadWhole_) return;
    loadWhole_ = on;
    if (!hasFile()) return;
    if (on)
        for (int page = 1; page <= pageCount(); ++page) loadPage(page);
    else
        freeAllBut(current_);
}

void FaxPageStore::setScale(const DisplayScale& requested) {
    DisplayScale s = requested;
    for (int* part : {&s.horizMult, &s.horizDiv, &s.vertMult, &s.vertDiv})
        if (*part <= 0) *part = 1;
    if (s.horizMult == s.horizDiv) s.horizMult = s.horizDiv = 1;
    if (s.vertMult == s.vertDiv) s.vertMult = s.vertDiv = 1;
    if (s == scale_) return;
    scale_ = s;
    if (current_ > 0 && !bitmap().isNull()) initPage();
}

const QImage& FaxPageStore::bitmap() const {
    static const QImage kNone;
    if (current_ < 1 || current_ > pageCount()) return kNone;
    return pages_[size_t(current_ - 1)];
}

QSize FaxPageStore::pageSize() const {
    return bitmap().size();
}

QSize FaxPageStore::displaySize() const {
    const QSize page = pageSize();
    return QSize(scaled(page.width(), scale_.horizMult, scale_.horizDiv),
                 scaled(page.height(), scale_.vertMult, scale_.vertDiv));
}

QRect FaxPageStore::displayToPage(const QRect& display) const {
    const int left = scaled(display.left(), scale_.horizDiv, scale_.horizMult);
    const int top = scaled(display.top(), scale_.vertDiv, scale_.vertMult);
    const int right = scaled(display.left() + display.width(), scale_.horizDiv, scale_.horizMult);
    const int bottom = scaled(display.top() + display.height(), scale_.vertDiv, scale_.vertMult);
    return QRect(left, top, right - left, bottom - top).intersected(QRect(QPoint(), pageSize()));
}

QPoint FaxPageStore::clampToDisplay(QPoint p) const {
    const QSize size = displaySize();
    return QPoint(std::clamp(p.x(), 0, size.width()), std::clamp(p.y(), 0, size.height()));
}

void FaxPageStore::startMark(QPoint at) {
    anchor_ = clampToDisplay(at);
    mark_ = QRect(anchor_, QSize(0, 0));
    hasMark_ = !bitmap().isNull();
}

void FaxPageStore::extendMark(QPoint to) {
    if (!hasMark_) return;
    const QPoint end = clampToDisplay(to);
    mark_ = QRect(QPoint(std::min(anchor_.x(), end.x()), std::min(anchor_.y(), end.y())),
                  QSize(std::abs(end.x() - anchor_.x()), std::abs(end.y() - anchor_.y())));
}

void FaxPageStore::endMark() {
    if (hasMark_ && (mark_.width() == 0 || mark_.height() == 0)) clearMark();
}

void FaxPageStore::selectAll() {
    select(QRect(QPoint(), displaySize()));
}

void FaxPageStore::select(const QRect& display) {
    mark_ = display.normalized().intersected(QRect(QPoint(), displaySize()));
    hasMark_ = !bitmap().isNull() && !mark_.isEmpty();
}

void FaxPageStore::clearMark() {
    hasMark_ = false;
    mark_ = QRect();
}

Result<QImage> FaxPageStore::markedImage() const {
    if (bitmap().isNull()) return Status::Error("No image loaded into viewer");
    if (!hasMark_) return Status::Error("No block of image marked");
    const QRect area = displayToPage(mark_);
    if (area.isEmpty()) return Status::Error("No block of image marked");
    return bitmap().copy(area);
}

void FaxPageStore::loadPage(int page) {
    QImage& slot = pages_[size_t(page - 1)];
    if (!slot.isNull()) return;
    try {
        slot = RotateMonoImage(DecodeFaxPage(fileName_, page, standard_), rotation_);
    } catch (const EFaxError& e) {
        slot = QImage();
        if (onViewerError) onViewerError(e.code(), e.text());
    }
}

void FaxPageStore::freeAllBut(int page) {
    for (int i = 1; i <= pageCount(); ++i)
        if (i != page) pages_[size_t(i - 1)] = QImage();
}

void FaxPageStore::initPage() {
    if (inInitPage_ || current_ < 1) return;
    inInitPage_ = true;
    if (!loadWhole_ && bitmap().isNull()) {
        freeAllBut(current_);
        loadPage(current_);
    }
    clearMark();
    inInitPage_ = false;
    if (onPageChange) onPageChange();
}

}  // namespace corvane
