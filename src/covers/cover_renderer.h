#pragma once
// CoverRenderer draws a template's render file with one fax's data onto a page: the cover
// page at fax resolution (divisor 1: stored coordinates are already doubled) or the preview
// at screen resolution (divisor 2). A message too long for the template's message box is
// continued on further pages; the renderer keeps where it stopped for one generation.

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include "core/status.h"
#include "covers/cover_data.h"
#include "covers/render_file.h"

namespace corvane {

// The half-inch left margin a setting adds to every coordinate, in page pixels.
inline constexpr int kHalfInchMargin = 98;
// Where the message starts on continuation pages, and how far above the message box's bottom
// it ends there.
inline constexpr int kContinuationTop = 196;

class CoverRenderer {
  public:
    CoverRenderer(CoverData data, QStringList message, int margin = 0)
        : data_(std::move(data)), message_(std::move(message)), margin_(margin) {}

    // Draws every record of `renderFile` (its bytes) in order. Drawing stops at the first
    // record that cannot be decoded; what came before stays drawn and the status says what
    // was wrong.
    Status RenderTemplate(QPainter& painter, const QByteArray& renderFile, int divisor);

    // True when the last message box drawn left lines for another page.
    bool HasContinuation() const { return nextLine_ >= 0; }
    // Draws the next continuation page's lines into the continuation box (the last message
    // box from y = 196 to 196 above its bottom).
    void RenderContinuation(QPainter& painter);

  private:
    void drawRecord(QPainter& painter, const RenderRecord& record, int divisor);
    void drawMessage(QPainter& painter, const QRect& box, const QFont& font, int startLine);
    void drawMultiLine(QPainter& painter, const RenderRecord& record, const QRect& box,
                       const QFont& font);

    CoverData data_;
    QStringList message_;
    int margin_;
    // Continuation state of one generation.
    int nextLine_ = -1;
    QRect lastBox_;
    QFont lastFont_;
    // Taken from the last message box once, when the first continuation page is drawn.
    QRect continuationBox_;
    bool continuing_ = false;
};

}  // namespace corvane
