#pragma once
// Drawing primitives shared by the design page and the cover renderer: text written from its
// top-left corner and figures whose outline is centred on the edges of a rectangle, black
// ink on white paper, without grey edges.

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

#include "covers/cover_types.h"

namespace corvane {

// Writes `text` with its top-left corner at (x, y), black, transparent background.
void DrawCoverText(QPainter& painter, const QFont& font, int x, int y, const QString& text);

// Rectangle, rounded rectangle or ellipse in the corners (x1, y1) and (x2, y2), right and
// bottom edge exclusive. The outline is `penWidth` wide (0 draws a one-pixel outline) and
// centred on the figure's edges; `roundK` is the corner ellipse's size for rounded shapes.
void DrawCoverShape(QPainter& painter, TShapeType shape, TShapeFillType fill, int x1, int y1,
                    int x2, int y2, int penWidth, int roundK);

// A straight black line; the end point itself is not drawn.
void DrawCoverLine(QPainter& painter, int x1, int y1, int x2, int y2, int penWidth);

}  // namespace corvane
