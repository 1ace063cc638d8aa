#include "covers/cover_renderer.h"

#include <QFontMetrics>
#include <algorithm>
#include <array>
#include <cmath>

#include "covers/cover_drawing.h"
#include "covers/cover_text.h"
#include "covers/fax_graphic_control.h"
#include "covers/stored_picture.h"
#include "faxdoc/bmp_file.h"

namespace corvane {

namespace {

// Coordinates from a render file are kept inside this range before they reach the painter;
// pages are a few thousand pixels, and larger values only come from damaged files.
constexpr int kCoordinateLimit = 100000;
// Longest text drawn from one record: a line on a page never holds more.
constexpr int kMaxDrawnText = 2000;
// Multi-line text laid out from one record, in characters.
constexpr int kMaxMultiLineText = 65536;

// The importance line's prefixes up to each box's inside.
const std::array<QString, 5> kImportancePrefixes = {
    QStringLiteral("["),
    QStringLiteral("[  ]Urgent     ["),
    QStringLiteral("[  ]Urgent     [  ]For Review     ["),
    QStringLiteral("[  ]Urgent     [  ]For Review     [  ]Please Comment     ["),
    QStringLiteral(
        "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     ["),
};

int Clamp(qint64 v) {
    return static_cast<int>(std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit));
}

QImage DecodeStoredPicture(const QByteArray& bmp) {
    if (!CheckStoredPictureSize(bmp).ok()) return {};
    return DecodeBmp(bmp).value_or(QImage());
}

}  // namespace

Status CoverRenderer::RenderTemplate(QPainter& painter, const QByteArray& renderFile, int divisor) {
    RenderFileReader reader(renderFile);
    RenderRecord record;
    while (reader.next(record)) drawRecord(painter, record, std::max(1, divisor));
    if (reader.damaged()) return Status::Error(reader.error());
    return Status::Ok();
}

void CoverRenderer::drawRecord(QPainter& painter, const RenderRecord& rec, int d) {
    const int x = Clamp(qint64(rec.left) / d + margin_);
    const int y = Clamp(qint64(rec.top) / d + margin_);
    const int w = Clamp(qint64(rec.width) / d);
    const int h = Clamp(qint64(rec.height) / d);
    // Font sizes are stored for a 96 pixels-per-inch screen; so is the page.
    const int points =
        static_cast<int>(std::trunc(double(rec.s2) * 96.0 / kScreenPixelsPerInch / d));
    auto font = [&] {
        return CoverQFont(rec.fontName, points, rec.bold, rec.italic, rec.underline);
    };
    switch (rec.kind) {
        case rkLabel:
        case rkSymbol:
            DrawCoverText(painter, font(), x, y, rec.caption.left(kMaxDrawnText));
            break;
        case rkShape: {
            const int k = static_cast<int>(std::trunc(std::max(w, h) * double(rec.i[4]) * 0.01));
            const int shape = rec.i[0];
            if (shape < stRectangle || shape > stCircle) break;
            const int fill = std::clamp(rec.i[1], 0, 2);
            DrawCoverShape(painter, static_cast<TShapeType>(shape),
                           static_cast<TShapeFillType>(fill), x, y, x + w, y + h, rec.i[2] / d,
                           std::clamp(k, 0, kCoordinateLimit));
            break;
        }
        case rkLine: {
            const int pen = rec.i[2] / d;
            switch (rec.i[3]) {
                case stHorizontal:
                    DrawCoverLine(painter, x, y, x + w, y, pen);
                    break;
                case stVertical:
                    DrawCoverLine(painter, x, y, x, y + h, pen);
                    break;
                case stAngleSlopingUp:
                    DrawCoverLine(painter, x, y + h, x + w, y, pen);
                    break;
                case stAngleSlopingDown:
                    DrawCoverLine(painter, x, y, x + w, y + h, pen);
                    break;
                default:
                    break;
            }
            break;
        }
        case rkImportance: {
            if (!data_.anyFlag()) break;
            const QFont f = font();
            DrawCoverText(painter, f, x, y, kImportanceCaption);
            const QFontMetrics metrics(f);
            for (int i = 0; i < 5; ++i) {
                if (data_.flag(i))
                    DrawCoverText(painter, f, x + metrics.horizontalAdvance(kImportancePrefixes[i]),
                                  y, QStringLiteral("X"));
            }
            break;
        }
        case rkField:
            DrawCoverText(painter, font(), x, y, data_.field(rec.i[5]).left(kMaxDrawnText));
            break;
        case rkMessage:
            drawMessage(painter, QRect(QPoint(x, y), QPoint(x + w, y + h)), font(), 0);
            break;
        case rkImage: {
            const QImage picture = DecodeStoredPicture(rec.imageBmp);
            if (!picture.isNull() && w > 0 && h > 0) {
                painter.save();
                painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
                painter.drawImage(QRect(x, y, w, h), picture);
                painter.restore();
            }
            break;
        }
        case rkMultiLine:
            drawMultiLine(painter, rec, QRect(x, y, w, h), font());
            break;
        default:
            break;
    }
}

// `box` runs from its left to its right edge inclusive, as the message box's corners say.
void CoverRenderer::drawMessage(QPainter& painter, const QRect& box, const QFont& font,
                                int startLine) {
    const QFontMetrics metrics(font);
    const QStringList lines = WrapLines(message_, box.right() - box.left() + 1, metrics);
    const int t = metrics.height();
    int cy = box.top();
    nextLine_ = -1;
    int i = startLine;
    for (; i < lines.size(); ++i) {
        DrawCoverText(painter, font, box.left(), cy, lines[i].left(kMaxDrawnText));
        nextLine_ = i + 1;
        if (cy + 2 * t >= box.bottom()) break;
        cy += t;
    }
    if (i >= lines.size() - 1) nextLine_ = -1;
    lastBox_ = box;
    lastFont_ = font;
}

void CoverRenderer::RenderContinuation(QPainter& painter) {
    if (nextLine_ < 0) return;
    if (!continuing_) {
        continuationBox_ = lastBox_;
        continuationBox_.setTop(kContinuationTop);
        continuationBox_.setBottom(lastBox_.bottom() - kContinuationTop);
        continuing_ = true;
    }
    drawMessage(painter, continuationBox_, lastFont_, nextLine_);
}

void CoverRenderer::drawMultiLine(QPainter& painter, const RenderRecord& rec, const QRect& box,
                                  const QFont& font) {
    QStringList lines;
    int budget = kMaxMultiLineText;
    for (const QString& item : rec.items) {
        if (budget <= 0) break;
        lines << item.left(budget);
        budget -= static_cast<int>(item.size());
    }
    const QFontMetrics metrics(font);
    if (rec.wordWrap) lines = WrapLines(lines, box.width(), metrics);
    const int t = metrics.height();
    const int lowestBottom = box.top() + box.height() + t;
    int top = box.top();
    for (const QString& line : lines) {
        if (top + t > lowestBottom) break;
        const QString text = line.left(kMaxDrawnText);
        const int lineWidth = metrics.horizontalAdvance(text);
        int lx = box.left();
        if (rec.alignment == taRightJustify)
            lx = box.left() + box.width() - lineWidth - 1;
        else if (rec.alignment == taCenter)
            lx = box.left() + box.width() / 2 - lineWidth / 2;
        painter.save();
        painter.setClipRect(QRect(box.left(), top, box.width(), t), Qt::IntersectClip);
        DrawCoverText(painter, font, lx, top, text);
        painter.restore();
        top += t;
    }
}

}  // namespace corvane
