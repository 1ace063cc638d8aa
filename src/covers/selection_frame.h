#pragma once
// The selection frame's arithmetic (TFaxHandle): the frame that lies round the selected
// objects, which of its eight handles is under the pointer, and where a mouse drag or the
// arrow keys put it. Plain functions on rectangles in page pixels (at the page's zoom), so
// the widget only forwards pointer positions and keys.
//
// The frame lies 2 pixels outside the union of the selected objects on the left and top and
// 3 on the right and bottom. A drag moves or resizes the frame; the selected objects then
// change by the same amounts as the frame did (DesignPage::ApplyFrame).

#include <QPoint>
#include <QRect>
#include <QSize>

namespace corvane {

// The frame's resize modes; the numbers are the frame's own (0 move, 1 to 8 the handles).
enum class ResizeMode {
    Move = 0,
    TopLeft = 1,
    TopRight = 2,
    BottomLeft = 3,
    BottomRight = 4,
    Top = 5,
    Left = 6,
    Bottom = 7,
    Right = 8,
};

// Corners answer within this distance of both edges, edge middles within kMiddleReach of the
// middle and kHandleReach of the edge.
inline constexpr int kHandleReach = 8;
inline constexpr int kMiddleReach = 6;
// A frame never gets narrower or lower than this.
inline constexpr int kMinFrameSide = 5;
// A press shorter than this is a click: it moves nothing.
inline constexpr int kMinDragMilliseconds = 150;

// The frame round the union of the selected objects' bounds.
QRect FrameAround(const QRect& selectionBounds);

// The mode under `p` (relative to the frame's top-left corner). Only a single selection has
// handles; a multiple selection always moves.
ResizeMode ResizeModeAt(const QPoint& p, const QSize& frame, bool singleSelection);

bool MovesLeftEdge(ResizeMode mode);
bool MovesRightEdge(ResizeMode mode);
bool MovesTopEdge(ResizeMode mode);
bool MovesBottomEdge(ResizeMode mode);

// Limits a pointer displacement so that the edges the mode moves stay on the page (left and
// top not below 0, right and bottom not beyond the page's width and height).
QPoint ConfineDisplacement(const QRect& frame, ResizeMode mode, const QPoint& d, const QSize& page);

// The frame after a drag by `d` (confined to the page first), snapped to `grid` (1 without
// snapping, else 4 or 8): s(v) = grid * (v div grid).
//   Move:         left = s(left + dx), top = s(top + dy)
//   left edge:    left = s(left + dx), width grows by the amount left moved
//   right edge:   width = s(width + dx) - 1
//   (top and bottom edges likewise with dy), then sides below kMinFrameSide become it.
QRect DraggedFrame(const QRect& frame, ResizeMode mode, const QPoint& d, int grid,
                   const QSize& page);

enum class ArrowKey { Left, Right, Up, Down };

// One arrow key on the outline of the selection. Without Shift the outline moves one pixel and
// stays on the page; Shift with a single selection shrinks (Left, Up) while the side is more
// than 10 pixels or grows (Right, Down) while it stays on the page. Anything else leaves the
// outline as it is.
QRect KeyedOutline(const QRect& outline, ArrowKey key, bool shift, bool singleSelection,
                   const QSize& page);

}  // namespace corvane
