#include "covers/selection_frame.h"

#include <algorithm>
#include <cstdlib>

namespace corvane {

namespace {

// The frame's snapping truncates toward zero, as integer division does.
int Snap(int v, int grid) {
    return grid * (v / grid);
}

// Shift+Left and Shift+Up stop shrinking at this side.
constexpr int kMinKeyedSide = 10;

}  // namespace

QRect FrameAround(const QRect& b) {
    return QRect(b.left() - 2, b.top() - 2, b.width() + 5, b.height() + 5);
}

ResizeMode ResizeModeAt(const QPoint& p, const QSize& frame, bool singleSelection) {
    if (!singleSelection) return ResizeMode::Move;
    const int w = frame.width();
    const int h = frame.height();
    const bool nearLeft = p.x() < kHandleReach;
    const bool nearRight = p.x() >= w - kHandleReach;
    const bool nearTop = p.y() < kHandleReach;
    const bool nearBottom = p.y() >= h - kHandleReach;
    if (nearTop && nearLeft) return ResizeMode::TopLeft;
    if (nearTop && nearRight) return ResizeMode::TopRight;
    if (nearBottom && nearLeft) return ResizeMode::BottomLeft;
    if (nearBottom && nearRight) return ResizeMode::BottomRight;
    const bool middleX = std::abs(p.x() - w / 2) <= kMiddleReach;
    const bool middleY = std::abs(p.y() - h / 2) <= kMiddleReach;
    if (nearTop && middleX) return ResizeMode::Top;
    if (nearBottom && middleX) return ResizeMode::Bottom;
    if (nearLeft && middleY) return ResizeMode::Left;
    if (nearRight && middleY) return ResizeMode::Right;
    return ResizeMode::Move;
}

bool MovesLeftEdge(ResizeMode m) {
    return m == ResizeMode::TopLeft || m == ResizeMode::BottomLeft || m == ResizeMode::Left;
}
bool MovesRightEdge(ResizeMode m) {
    return m == ResizeMode::TopRight || m == ResizeMode::BottomRight || m == ResizeMode::Right;
}
bool MovesTopEdge(ResizeMode m) {
    return m == ResizeMode::TopLeft || m == ResizeMode::TopRight || m == ResizeMode::Top;
}
bool MovesBottomEdge(ResizeMode m) {
    return m == ResizeMode::BottomLeft || m == ResizeMode::BottomRight || m == ResizeMode::Bottom;
}

QPoint ConfineDisplacement(const QRect& f, ResizeMode mode, const QPoint& d, const QSize& page) {
    const int right = f.left() + f.width();
    const int bottom = f.top() + f.height();
    // A frame already past an edge (an object at 0 has its frame at -2) is not pushed further
    // out, nor forced back in.
    int dx = d.x();
    int dy = d.y();
    if (mode == ResizeMode::Move || MovesLeftEdge(mode)) dx = std::max(dx, std::min(0, -f.left()));
    if (mode == ResizeMode::Move || MovesRightEdge(mode))
        dx = std::min(dx, std::max(0, page.width() - right));
    if (mode == ResizeMode::Move || MovesTopEdge(mode)) dy = std::max(dy, std::min(0, -f.top()));
    if (mode == ResizeMode::Move || MovesBottomEdge(mode))
        dy = std::min(dy, std::max(0, page.height() - bottom));
    return QPoint(dx, dy);
}

QRect DraggedFrame(const QRect& f, ResizeMode mode, const QPoint& displacement, int grid,
                   const QSize& page) {
    grid = std::max(1, grid);
    const QPoint d = ConfineDisplacement(f, mode, displacement, page);
    int left = f.left();
    int top = f.top();
    int width = f.width();
    int height = f.height();
    if (mode == ResizeMode::Move) {
        left = Snap(left + d.x(), grid);
        top = Snap(top + d.y(), grid);
    } else {
        if (MovesLeftEdge(mode)) {
            const int newLeft = Snap(left + d.x(), grid);
            width += left - newLeft;
            left = newLeft;
        }
        if (MovesRightEdge(mode)) width = Snap(width + d.x(), grid) - 1;
        if (MovesTopEdge(mode)) {
            const int newTop = Snap(top + d.y(), grid);
            height += top - newTop;
            top = newTop;
        }
        if (MovesBottomEdge(mode)) height = Snap(height + d.y(), grid) - 1;
    }
    return QRect(left, top, std::max(width, kMinFrameSide), std::max(height, kMinFrameSide));
}

QRect KeyedOutline(const QRect& o, ArrowKey key, bool shift, bool singleSelection,
                   const QSize& page) {
    QRect r = o;
    if (!shift) {
        switch (key) {
            case ArrowKey::Left:
                if (r.left() > 0) r.translate(-1, 0);
                break;
            case ArrowKey::Right:
                if (r.left() + r.width() < page.width()) r.translate(1, 0);
                break;
            case ArrowKey::Up:
                if (r.top() > 0) r.translate(0, -1);
                break;
            case ArrowKey::Down:
                if (r.top() + r.height() < page.height()) r.translate(0, 1);
                break;
        }
        return r;
    }
    if (!singleSelection) return r;
    switch (key) {
        case ArrowKey::Left:
            if (r.width() > kMinKeyedSide) r.setWidth(r.width() - 1);
            break;
        case ArrowKey::Up:
            if (r.height() > kMinKeyedSide) r.setHeight(r.height() - 1);
            break;
        case ArrowKey::Right:
            if (r.left() + r.width() < page.width()) r.setWidth(r.width() + 1);
            break;
        case ArrowKey::Down:
            if (r.top() + r.height() < page.height()) r.setHeight(r.height() + 1);
            break;
    }
    return r;
}

}  // namespace corvane
