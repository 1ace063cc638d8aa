#include "covers/design_page.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "covers/cover_template_files.h"
#include "covers/design_stream.h"

namespace corvane {

namespace {

constexpr int kMaxObjectNumber = 1000;
// A dragged rectangle narrower or lower than these gets the replacement sizes.
constexpr int kNarrowPlacement = 25;
constexpr int kPlacedWidth = 50;
constexpr int kMinPlacedHeight = 15;
// The smallest object a tool places.
constexpr int kMinObjectWidth = 10;

int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

QRect UnionOf(const std::vector<TFaxGraphicControl*>& objects) {
    QRect u;
    for (const TFaxGraphicControl* o : objects) {
        const QRect b(o->Left(), o->Top(), std::max(o->Width(), 0), std::max(o->Height(), 0));
        u = u.isNull() ? b : u.united(b);
    }
    return u;
}

bool Meets(const QRect& a, const QRect& b) {
    return a.left() < b.left() + b.width() && b.left() < a.left() + a.width() &&
           a.top() < b.top() + b.height() && b.top() < a.top() + a.height();
}

std::unique_ptr<TFaxGraphicControl> NewObjectFor(TLPanelState tool) {
    switch (tool) {
        case psPointing:
            return nullptr;
        case psLabel: {
            auto o = std::make_unique<TFaxCoverLabel>();
            o->SetCaption(QStringLiteral("<text>"));
            return o;
        }
        case psSymbolLabel:
            return std::make_unique<TFaxCoverSymbol>();
        case psRectangle:
        case psEllipse:
        case psRoundRectangle: {
            auto o = std::make_unique<TFaxCoverShapes>();
            o->SetShape(tool == psEllipse          ? stEllipse
                        : tool == psRoundRectangle ? stRoundRect
                                                   : stRectangle);
            return o;
        }
        case psLine: {
            auto o = std::make_unique<TFaxCoverLine>();
            o->SetLineStyle(stVertical);
            return o;
        }
        case psMessage:
            return std::make_unique<TFaxCoverMessage>();
        case psImportance:
            return std::make_unique<TFaxCoverImportance>();
        case psField:
            return std::make_unique<TFaxCoverField>();
        case psImage:
            return std::make_unique<TFaxImage>();
        case psMultiLineLabel:
            return std::make_unique<TFaxMultiLineLabel>();
    }
    return nullptr;
}

}  // namespace

float ZoomedIn(float zoom) {
    if (zoom > kMaxZoom) return zoom;
    return zoom + kZoomStep;
}

float ZoomedOut(float zoom) {
    if (zoom < kMinZoom) return zoom;
    return zoom - kZoomStep;
}

QString ZoomCaption(float zoom) {
    return QString::number(static_cast<int>(std::lround(double(zoom) * 100))) + QLatin1Char('%');
}

DesignPage::DesignPage(QString clipboardPath)
    : clipboardPath_(std::move(clipboardPath)), size_(kDesignPageWidth, kDesignPageHeight) {
    clock = [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

void DesignPage::changed() {
    if (onChange) onChange();
}

// --- objects --------------------------------------------------------------------------------

void DesignPage::clear() {
    selection_.clear();
    objects_.clear();
}

bool DesignPage::nameTaken(const QString& name) const {
    return std::any_of(objects_.begin(), objects_.end(),
                       [&](const auto& o) { return o->Name() == name; });
}

TFaxGraphicControl* DesignPage::adopt(std::unique_ptr<TFaxGraphicControl> o, const QString& prefix,
                                      int first) {
    for (int n = first; n <= kMaxObjectNumber; ++n) {
        const QString name = prefix + QString::number(n);
        if (!nameTaken(name)) {
            o->SetName(name);
            break;
        }
    }
    objects_.push_back(std::move(o));
    return objects_.back().get();
}

void DesignPage::setObjects(CoverObjectList objects) {
    clear();
    for (auto& o : objects) {
        o->SetZoom(zoom_);
        if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o.get())) label->GrowToCaption();
        adopt(std::move(o), QStringLiteral("Component"), 0);
    }
}

int DesignPage::indexOf(const TFaxGraphicControl* o) const {
    for (size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].get() == o) return static_cast<int>(i);
    return -1;
}

void DesignPage::remove(TFaxGraphicControl* o) {
    std::erase(selection_, o);
    std::erase_if(objects_, [o](const auto& p) { return p.get() == o; });
}

// --- zoom -----------------------------------------------------------------------------------

bool DesignPage::ZoomIn() {
    const float z = ZoomedIn(zoom_);
    if (z == zoom_) return false;
    SetZoom(z);
    return true;
}

bool DesignPage::ZoomOut() {
    const float z = ZoomedOut(zoom_);
    if (z == zoom_) return false;
    SetZoom(z);
    return true;
}

void DesignPage::SetZoom(float zoom) {
    if (zoom == zoom_ || zoom <= 0.0f) return;
    selection_.clear();
    // From the page's own size rather than the last zoom's, so that rounding never drifts:
    // back at 100 % the page is 768 x 960 again.
    size_ = QSize(RoundHalfEven(kDesignPageWidth * double(zoom)),
                  RoundHalfEven(kDesignPageHeight * double(zoom)));
    zoom_ = zoom;
    for (auto& o : objects_) o->SetZoom(zoom);
}

// --- selection ------------------------------------------------------------------------------

bool DesignPage::isSelected(const TFaxGraphicControl* o) const {
    return std::find(selection_.begin(), selection_.end(), o) != selection_.end();
}

void DesignPage::clickObject(TFaxGraphicControl* o, bool shift) {
    if (!o || o->Unselectable()) return;
    if (!shift) selection_.clear();
    if (!isSelected(o)) selection_.push_back(o);
}

TFaxGraphicControl* DesignPage::objectAt(const QPoint& p) const {
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
        const TFaxGraphicControl* o = it->get();
        if (!o->Unselectable() && o->BoundsRect().contains(p)) return it->get();
    }
    return nullptr;
}

void DesignPage::bandSelect(const QRect& band, bool shift) {
    const QRect b = band.normalized();
    if (!shift) selection_.clear();
    for (auto& o : objects_) {
        if (!Meets(b, o->BoundsRect())) continue;
        if (shift && isSelected(o.get()))
            std::erase(selection_, o.get());
        else if (!isSelected(o.get()))
            selection_.push_back(o.get());
    }
}

void DesignPage::deselectAt(const QPoint& p) {
    std::erase_if(selection_, [&](TFaxGraphicControl* o) { return o->BoundsRect().contains(p); });
}

void DesignPage::selectAll() {
    selection_.clear();
    for (auto& o : objects_) selection_.push_back(o.get());
}

// --- the selection frame --------------------------------------------------------------------

std::optional<QRect> DesignPage::frame() const {
    if (selection_.empty()) return std::nullopt;
    return FrameAround(UnionOf(selection_));
}

ResizeMode DesignPage::modeAt(const QPoint& p) const {
    const std::optional<QRect> f = frame();
    if (!f) return ResizeMode::Move;
    return ResizeModeAt(p - f->topLeft(), f->size(), selection_.size() == 1);
}

bool DesignPage::finishDrag(ResizeMode mode, const QPoint& d, qint64 milliseconds) {
    const std::optional<QRect> f = frame();
    if (!f || milliseconds < kMinDragMilliseconds || d.isNull()) return false;
    const QRect target = DraggedFrame(*f, mode, d, frameGrid(), size_);
    if (target == *f) return false;
    applyFrame(target);
    return true;
}

void DesignPage::applyFrame(const QRect& newFrame) {
    const std::optional<QRect> f = frame();
    if (!f) return;
    const int dl = newFrame.left() - f->left();
    const int dt = newFrame.top() - f->top();
    const int dw = newFrame.width() - f->width();
    const int dh = newFrame.height() - f->height();
    for (TFaxGraphicControl* o : selection_) {
        if (o->Locked()) continue;
        // An object of no width or height would be dropped when the template is saved.
        o->SetBounds(o->Left() + dl, o->Top() + dt, std::max(1, o->Width() + dw),
                     std::max(1, o->Height() + dh));
    }
    changed();
}

// --- placing --------------------------------------------------------------------------------

TFaxGraphicControl* DesignPage::placeObject(const QRect& dragged) {
    std::unique_ptr<TFaxGraphicControl> o = NewObjectFor(state_);
    if (!o) return nullptr;
    // Dragged up or left, the rectangle has a negative size from the press point.
    QRect r = dragged;
    if (r.width() < 0) r = QRect(r.left() + r.width(), r.top(), -r.width(), r.height());
    if (r.height() < 0) r = QRect(r.left(), r.top() + r.height(), r.width(), -r.height());
    if (r.width() < kNarrowPlacement) r.setWidth(kPlacedWidth);
    if (r.height() < kMinPlacedHeight) r.setHeight(kMinPlacedHeight);
    o->AdoptZoom(zoom_);
    o->SetBounds(r.left(), r.top(), std::max(r.width(), kMinObjectWidth),
                 std::max(r.height(), kMinPlacedHeight));
    if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o.get());
        label && (state_ == psImportance || state_ == psField))
        label->GrowToCaption();
    TFaxGraphicControl* placed = adopt(std::move(o), QStringLiteral("Special"), 1);
    state_ = psPointing;
    changed();
    return placed;
}

// --- commands -------------------------------------------------------------------------------

std::vector<TFaxGraphicControl*> DesignPage::targets(TFaxGraphicControl* menuObject) const {
    if (menuObject && !isSelected(menuObject)) return {menuObject};
    return selection_;
}

void DesignPage::moveToEnd(const std::vector<TFaxGraphicControl*>& objects, bool front) {
    if (objects.empty()) return;
    auto chosen = [&](const std::unique_ptr<TFaxGraphicControl>& p) {
        return std::find(objects.begin(), objects.end(), p.get()) != objects.end();
    };
    // Stable: the moved objects keep their order among themselves, and so do the others.
    if (front)
        std::stable_partition(objects_.begin(), objects_.end(),
                              [&](const auto& p) { return !chosen(p); });
    else
        std::stable_partition(objects_.begin(), objects_.end(), chosen);
    changed();
}

void DesignPage::bringToFront(const std::vector<TFaxGraphicControl*>& objects) {
    moveToEnd(objects, true);
}

void DesignPage::sendToBack(const std::vector<TFaxGraphicControl*>& objects) {
    moveToEnd(objects, false);
}

void DesignPage::deleteObjects(const std::vector<TFaxGraphicControl*>& objects) {
    if (objects.empty()) return;
    const std::vector<TFaxGraphicControl*> doomed = objects;  // may be the selection itself
    for (TFaxGraphicControl* o : doomed) remove(o);
    changed();
}

void DesignPage::alignLefts() {
    if (selection_.empty()) return;
    int left = INT_MAX;
    for (auto* o : selection_) left = std::min(left, o->Left());
    for (auto* o : selection_) o->SetLeft(left);
    changed();
}

void DesignPage::alignRights() {
    if (selection_.empty()) return;
    int right = INT_MIN;
    for (auto* o : selection_) right = std::max(right, o->Left() + o->Width());
    for (auto* o : selection_) o->SetLeft(right - o->Width());
    changed();
}

void DesignPage::alignTops() {
    if (selection_.empty()) return;
    int top = INT_MAX;
    for (auto* o : selection_) top = std::min(top, o->Top());
    for (auto* o : selection_) o->SetTop(top);
    changed();
}

void DesignPage::alignBottoms() {
    if (selection_.empty()) return;
    int bottom = INT_MIN;
    for (auto* o : selection_) bottom = std::max(bottom, o->Top() + o->Height());
    for (auto* o : selection_) o->SetTop(bottom - o->Height());
    changed();
}

void DesignPage::centerVertically(const std::vector<TFaxGraphicControl*>& objects) {
    if (objects.empty()) return;
    for (auto* o : objects) o->CenterVertically(size_.height());
    changed();
}

void DesignPage::centerHorizontally(const std::vector<TFaxGraphicControl*>& objects) {
    if (objects.empty()) return;
    for (auto* o : objects) o->CenterHorizontally(size_.width());
    changed();
}

void DesignPage::lockAll(bool locked) {
    if (objects_.empty()) return;
    for (auto& o : objects_) o->SetLocked(locked);
    changed();
}

void DesignPage::markAllUnselectable(bool unselectable) {
    if (objects_.empty()) return;
    for (auto& o : objects_) o->SetUnselectable(unselectable);
    if (unselectable) selection_.clear();
    changed();
}

void DesignPage::makeUnselectable(TFaxGraphicControl* o) {
    o->SetUnselectable(true);
    std::erase(selection_, o);
    changed();
}

void DesignPage::applyFont(const CoverFont& font) {
    if (selection_.empty()) return;
    for (auto* o : selection_) {
        if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o))
            label->AssignFont(font);
        else if (auto* multi = dynamic_cast<TFaxMultiLineBaseLabel*>(o))
            multi->AssignFont(font);
    }
    changed();
}

// --- clipboard file -------------------------------------------------------------------------

bool DesignPage::clipboardExists() const {
    return QFile::exists(clipboardPath_);
}

Status DesignPage::copy(const std::vector<TFaxGraphicControl*>& objects) {
    if (objects.empty()) return Status::Ok();
    // In page order, at 100 %: a paste at another zoom scales them to it.
    CoverObjectList copies;
    for (auto& o : objects_) {
        if (std::find(objects.begin(), objects.end(), o.get()) == objects.end()) continue;
        copies.push_back(o->Clone());
        copies.back()->SetZoom(1.0f);
    }
    return WriteFileReplacing(clipboardPath_, EncodeDesignStream(copies));
}

Status DesignPage::cut(const std::vector<TFaxGraphicControl*>& objects) {
    if (Status s = copy(objects); !s.ok()) return s;
    deleteObjects(objects);
    return Status::Ok();
}

Status DesignPage::paste() {
    if (!clipboardExists()) return Status::Ok();
    const qint64 now = clock();
    if (lastPaste_ && now - *lastPaste_ < kPasteRepeatMilliseconds) return Status::Ok();
    Result<QByteArray> bytes = ReadTemplateFile(clipboardPath_);
    if (!bytes.ok()) return bytes.status();
    Result<CoverObjectList> read = DecodeDesignStream(bytes.value());
    if (!read.ok()) return Status::Error(clipboardPath_ + QStringLiteral(": ") + read.message());
    lastPaste_ = now;
    CoverObjectList pasted = std::move(read).value();
    if (pasted.empty()) return Status::Ok();
    selection_.clear();
    for (auto& o : pasted) {
        o->SetBounds(o->Left() + kPasteOffset, o->Top() + kPasteOffset, o->Width(), o->Height());
        o->SetZoom(zoom_);
        if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o.get())) label->GrowToCaption();
        selection_.push_back(adopt(std::move(o), QStringLiteral("Component"), 0));
    }
    changed();
    return Status::Ok();
}

TFaxGraphicControl* DesignPage::clone(TFaxGraphicControl* o) {
    if (!o) return nullptr;
    // Through the stream, as a paste would: the copy holds only what a file keeps.
    CoverObjectList one;
    one.push_back(o->Clone());
    Result<CoverObjectList> copy = DecodeDesignStream(EncodeDesignStream(one));
    if (!copy.ok() || copy.value().size() != 1) return nullptr;
    std::unique_ptr<TFaxGraphicControl> c = std::move(std::move(copy).value().front());
    c->AdoptZoom(o->Zoom());
    c->SetBounds(o->Left(), o->Top() + kCloneOffset, o->Width(), o->Height());
    TFaxGraphicControl* placed = adopt(std::move(c), QStringLiteral("Component"), 0);
    selection_ = {placed};
    changed();
    return placed;
}

}  // namespace corvane
