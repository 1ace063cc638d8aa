#pragma once
// TFaxCoverPanelX: the white design page on screen. It paints what its DesignPage holds (the
// objects in drawing order, the grid, the selection marks, dotted outlines for the page, a
// rubber band and the frame being dragged) and turns the pointer and keys into the page's
// commands. Menus and dialogs are the window's: the page only asks for them by signal.

#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "covers/design_page.h"

class QScrollBar;

namespace corvane {

class TFaxCoverPanelX : public QWidget {
    Q_OBJECT
  public:
    TFaxCoverPanelX(DesignPage& page, QWidget* parent = nullptr);

    DesignPage& page() { return page_; }
    // Takes the page's size after a zoom or a load, and repaints.
    void refresh();
    // Painting waits while the window rebuilds the page (zoom, loading).
    void setPaintSuspended(bool suspended);
    bool DrawOutline = true;

  signals:
    void objectPlaced(TFaxGraphicControl* object);
    void objectMenuRequested(TFaxGraphicControl* object, const QPoint& globalPos);
    void pageMenuRequested(const QPoint& globalPos);
    void zoomInRequested();
    void zoomOutRequested();
    void copyRequested();
    void cutRequested();
    void pasteRequested();
    void deleteRequested();
    // After the selection changed or the tool gave way to the pointer.
    void selectionChanged();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

  private:
    enum class Gesture { None, Band, Place, Drag };
    void paintGrid(QPainter& p, const QRect& area) const;
    void paintMarks(QPainter& p) const;
    void updateCursor(const QPoint& pos);
    void keepVisible(const QPoint& pos);
    QScrollBar* verticalBar() const;
    void autoScroll();

    DesignPage& page_;
    bool paintSuspended_ = false;
    Gesture gesture_ = Gesture::None;
    QPoint pressAt_;
    QPoint pointer_;
    bool shiftAtPress_ = false;
    ResizeMode mode_ = ResizeMode::Move;
    // When the press happened, by the events' own clock.
    quint64 pressTime_ = 0;
    // The dotted outline shown while dragging, banding, placing or moving by keys.
    std::optional<QRect> outline_;
    bool keyedOutline_ = false;
    // Scrolls while a drag runs above or below the visible part of the page.
    QTimer autoScroll_;
};

}  // namespace corvane
