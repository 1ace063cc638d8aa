#include "covers/cover_drawing.h"

#include <QFontMetrics>
#include <QPen>
#include <algorithm>

namespace corvane {

namespace {

// Pens from damaged files are kept below this width; wider ones would only paint the page.
constexpr int kMaxPenWidth = 512;

QPen InkPen(int width) {
    QPen pen(Qt::black);
    pen.setWidth(std::clamp(width, 0, kMaxPenWidth));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A pen w wide (w div 2 = h) on the edge pixel x covers pixels x - h .. x - h + w - 1, as the
// screen draws it; its centre line therefore runs this far right of x.
double CentreOffset(int penWidth) {
    const int w = std::max(1, penWidth);
    return w / 2.0 - w / 2;
}

}  // namespace

void DrawCoverText(QPainter& painter, const QFont& font, int x, int y, const QString& text) {
    if (text.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
    painter.restore();
}

void DrawCoverShape(QPainter& painter, TShapeType shape, TShapeFillType fill, int x1, int y1,
                    int x2, int y2, int penWidth, int roundK) {
    if (x2 <= x1 || y2 <= y1) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    switch (fill) {
        case sftFilledWhite:
            painter.setBrush(Qt::white);
            break;
        case sftFilledBlack:
            painter.setBrush(Qt::black);
            break;
        default:
            painter.setBrush(Qt::NoBrush);
            break;
    }
    painter.setPen(InkPen(penWidth));
    const double off = CentreOffset(penWidth);
    const QRectF figure(x1 + off, y1 + off, x2 - x1 - 1, y2 - y1 - 1);
    switch (shape) {
        case stRectangle:
        case stSquare:
            painter.drawRect(figure);
            break;
        case stRoundRect:
        case stRoundSquare: {
            const double r = std::max(0, roundK) / 2.0;
            painter.drawRoundedRect(figure, r, r);
            break;
        }
        case stEllipse:
        case stCircle:
            painter.drawEllipse(figure);
            break;
    }
    painter.restore();
}

void DrawCoverLine(QPainter& painter, int x1, int y1, int x2, int y2, int penWidth) {
    if (x1 == x2 && y1 == y2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen = InkPen(penWidth);
    painter.setPen(pen);
    // Across the line the pen sits as on a shape's edge; along a straight line it runs from
    // the start pixel up to, not including, the end pixel.
    const double off = CentreOffset(penWidth);
    const double ox = y1 == y2 ? 0.0 : off;
    const double oy = x1 == x2 ? 0.0 : off;
    painter.drawLine(QPointF(x1 + ox, y1 + oy), QPointF(x2 + ox, y2 + oy));
    painter.restore();
}

}  // namespace corvane
