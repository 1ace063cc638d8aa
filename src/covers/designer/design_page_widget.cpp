#include "covers/designer/design_page_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

namespace corvane {

namespace {

constexpr int kMarkSize = 5;
constexpr int kAutoScrollMilliseconds = 100;
constexpr int kAutoScrollLines = 4;
const QColor kGridColor(0x00, 0x80, 0x00);

QColor FromBgr(unsigned c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

void DottedRect(QPainter& p, const QRect& r) {
    // Dots in black over white, like an inverted outline on the white page.
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

// The rectangle between the press and the pointer, as wide as the pointer moved.
QRect DragRect(const QPoint& a, const QPoint& b) {
    return QRect(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()),
                 std::abs(b.y() - a.y()));
}

Qt::CursorShape CursorFor(ResizeMode m) {
    switch (m) {
        case ResizeMode::TopLeft:
        case ResizeMode::BottomRight:
            return Qt::SizeFDiagCursor;
        case ResizeMode::TopRight:
        case ResizeMode::BottomLeft:
            return Qt::SizeBDiagCursor;
        case ResizeMode::Top:
        case ResizeMode::Bottom:
            return Qt::SizeVerCursor;
        case ResizeMode::Left:
        case ResizeMode::Right:
            return Qt::SizeHorCursor;
        case ResizeMode::Move:
            break;
    }
    return Qt::OpenHandCursor;
}

}  // namespace

TFaxCoverPanelX::TFaxCoverPanelX(DesignPage& page, QWidget* parent) : QWidget(parent), page_(page) {
    setObjectName("DesignPage");
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(false);
    autoScroll_.setInterval(kAutoScrollMilliseconds);
    connect(&autoScroll_, &QTimer::timeout, this, &TFaxCoverPanelX::autoScroll);
    refresh();
}

QScrollBar* TFaxCoverPanelX::verticalBar() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w)) return area->verticalScrollBar();
    return nullptr;
}

void TFaxCoverPanelX::autoScroll() {
    QScrollBar* bar = verticalBar();
    if (gesture_ == Gesture::None || !bar) {
        autoScroll_.stop();
        return;
    }
    const QRect visible = visibleRegion().boundingRect();
    if (pointer_.y() < visible.top())
        bar->setValue(bar->value() - kAutoScrollLines * bar->singleStep());
    else if (pointer_.y() > visible.bottom())
        bar->setValue(bar->value() + kAutoScrollLines * bar->singleStep());
}

void TFaxCoverPanelX::refresh() {
    setFixedSize(page_.size());
    update();
}

void TFaxCoverPanelX::setPaintSuspended(bool suspended) {
    paintSuspended_ = suspended;
    if (!suspended) refresh();
}

// --- painting -------------------------------------------------------------------------------

void TFaxCoverPanelX::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (paintSuspended_) return;
    for (const auto& o : page_.objects()) {
        if (!e->rect().intersects(o->BoundsRect().adjusted(-1, -1, 1, 1))) continue;
        o->PaintOnPage(p);
    }
    if (page_.ShowGrid) paintGrid(p, e->rect());
    paintMarks(p);
    if (DrawOutline) DottedRect(p, rect());
    if (outline_) DottedRect(p, *outline_);
}

void TFaxCoverPanelX::paintGrid(QPainter& p, const QRect& area) const {
    const int pitch = page_.gridPitch();
    p.setPen(kGridColor);
    const int x0 = 2 + std::max(0, (area.left() - 2) / pitch) * pitch;
    const int y0 = 2 + std::max(0, (area.top() - 2) / pitch) * pitch;
    for (int y = y0; y <= area.bottom(); y += pitch)
        for (int x = x0; x <= area.right(); x += pitch) p.drawPoint(x, y);
}

void TFaxCoverPanelX::paintMarks(QPainter& p) const {
    const auto& selection = page_.selection();
    const bool single = selection.size() == 1;
    const QColor color = FromBgr(single ? kSelectionColor : kSecondarySelectionColor);
    for (const TFaxGraphicControl* o : selection) {
        const QRect b = o->BoundsRect().adjusted(-2, -2, 2, 2);
        const int l = b.left();
        const int t = b.top();
        const int r = b.left() + b.width() - kMarkSize;
        const int bt = b.top() + b.height() - kMarkSize;
        std::vector<QPoint> at{{l, t}, {r, t}, {l, bt}, {r, bt}};
        if (single) {
            const int mx = b.left() + b.width() / 2 - kMarkSize / 2;
            const int my = b.top() + b.height() / 2 - kMarkSize / 2;
            at.insert(at.end(), {{mx, t}, {mx, bt}, {l, my}, {r, my}});
        }
        for (const QPoint& q : at) p.fillRect(QRect(q, QSize(kMarkSize, kMarkSize)), color);
    }
}

// --- pointer --------------------------------------------------------------------------------

void TFaxCoverPanelX::updateCursor(const QPoint& pos) {
    if (!page_.Pointing()) {
        setCursor(Qt::CrossCursor);
        return;
    }
    const std::optional<QRect> f = page_.frame();
    if (f && f->contains(pos))
        setCursor(CursorFor(page_.modeAt(pos)));
    else if (page_.objectAt(pos))
        setCursor(Qt::PointingHandCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void TFaxCoverPanelX::keepVisible(const QPoint& pos) {
    // Scrolls the page while a drag runs past the visible part.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            area->ensureVisible(pos.x(), pos.y(), 16, 16);
            return;
        }
    }
}

void TFaxCoverPanelX::mousePressEvent(QMouseEvent* e) {
    setFocus();
    const QPoint pos = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    pressAt_ = pointer_ = pos;
    shiftAtPress_ = shift;
    pressTime_ = e->timestamp();
    keyedOutline_ = false;

    if (e->button() == Qt::RightButton) {
        TFaxGraphicControl* o = page_.objectAt(pos);
        if (o && !(page_.isSelected(o) && page_.selection().size() > 1)) {
            page_.clickObject(o, false);
            emit selectionChanged();
            update();
            emit objectMenuRequested(o, e->globalPosition().toPoint());
        } else {
            emit pageMenuRequested(e->globalPosition().toPoint());
        }
        return;
    }
    if (e->button() != Qt::LeftButton) return;

    if (!page_.Pointing()) {
        gesture_ = Gesture::Place;
        outline_ = QRect(pos, QSize(1, 1));
        update();
        return;
    }
    const std::optional<QRect> f = page_.frame();
    if (f && f->contains(pos)) {
        if (shift) {
            page_.deselectAt(pos);
            emit selectionChanged();
            update();
            return;
        }
        gesture_ = Gesture::Drag;
        mode_ = page_.modeAt(pos);
        outline_ = *f;
        update();
        return;
    }
    if (TFaxGraphicControl* o = page_.objectAt(pos)) {
        page_.clickObject(o, shift);
        emit selectionChanged();
        // A press on an object goes straight on into moving the selection.
        if (page_.isSelected(o) && !shift) {
            gesture_ = Gesture::Drag;
            mode_ = ResizeMode::Move;
            outline_ = page_.frame();
        }
        update();
        return;
    }
    gesture_ = Gesture::Band;
    outline_ = QRect(pos, QSize(1, 1));
    update();
}

void TFaxCoverPanelX::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    pointer_ = pos;
    switch (gesture_) {
        case Gesture::None:
            updateCursor(pos);
            return;
        case Gesture::Band:
        case Gesture::Place:
            outline_ = DragRect(pressAt_, pos);
            break;
        case Gesture::Drag:
            if (const std::optional<QRect> f = page_.frame())
                outline_ = DraggedFrame(*f, mode_, pos - pressAt_, page_.frameGrid(), page_.size());
            break;
    }
    keepVisible(pos);
    if (!autoScroll_.isActive()) autoScroll_.start();
    update();
}

void TFaxCoverPanelX::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || gesture_ == Gesture::None) return;
    const QPoint pos = e->position().toPoint();
    const Gesture g = gesture_;
    gesture_ = Gesture::None;
    autoScroll_.stop();
    outline_.reset();
    switch (g) {
        case Gesture::None:
            break;
        case Gesture::Band:
            page_.bandSelect(DragRect(pressAt_, pos), shiftAtPress_);
            emit selectionChanged();
            break;
        case Gesture::Place: {
            const QRect r = DragRect(pressAt_, pos);
            if (TFaxGraphicControl* o = page_.placeObject(r)) emit objectPlaced(o);
            emit selectionChanged();
            break;
        }
        case Gesture::Drag:
            page_.finishDrag(mode_, pos - pressAt_, qint64(e->timestamp() - pressTime_));
            break;
    }
    updateCursor(pos);
    update();
}

void TFaxCoverPanelX::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    gesture_ = Gesture::None;
    outline_.reset();
    if (TFaxGraphicControl* o = page_.objectAt(pos)) {
        page_.clickObject(o, false);
        emit selectionChanged();
        update();
        emit objectMenuRequested(o, e->globalPosition().toPoint());
    }
}

// --- keys -----------------------------------------------------------------------------------

void TFaxCoverPanelX::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (ctrl && e->key() == Qt::Key_C) return emit copyRequested();
    if (ctrl && e->key() == Qt::Key_X) return emit cutRequested();
    if (ctrl && e->key() == Qt::Key_V) return emit pasteRequested();
    if (e->key() == Qt::Key_Delete) return emit deleteRequested();
    if ((e->modifiers() & Qt::KeypadModifier) && e->key() == Qt::Key_Plus)
        return emit zoomInRequested();
    if ((e->modifiers() & Qt::KeypadModifier) && e->key() == Qt::Key_Minus)
        return emit zoomOutRequested();

    std::optional<ArrowKey> key;
    switch (e->key()) {
        case Qt::Key_Left:
            key = ArrowKey::Left;
            break;
        case Qt::Key_Right:
            key = ArrowKey::Right;
            break;
        case Qt::Key_Up:
            key = ArrowKey::Up;
            break;
        case Qt::Key_Down:
            key = ArrowKey::Down;
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (QScrollBar* bar = verticalBar()) {
                const int k = e->key();
                bar->setValue(k == Qt::Key_Home     ? bar->minimum()
                              : k == Qt::Key_End    ? bar->maximum()
                              : k == Qt::Key_PageUp ? bar->value() - bar->singleStep()
                                                    : bar->value() + bar->singleStep());
            }
            return;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    const std::optional<QRect> f = page_.frame();
    if (!f) return;
    if (!keyedOutline_ || !outline_) outline_ = *f;
    keyedOutline_ = true;
    outline_ = KeyedOutline(*outline_, *key, shift, page_.selection().size() == 1, page_.size());
    update();
}

void TFaxCoverPanelX::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat() || !keyedOutline_ || !outline_) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    const QRect target = *outline_;
    keyedOutline_ = false;
    outline_.reset();
    if (page_.frame() != target) page_.applyFrame(target);
    update();
}

}  // namespace corvane
