#pragma once
// TFxFaxViewer: the fax viewer control. A scroll area that paints the current page of a
// FaxPageStore, scaled and rotated, and turns keys, mouse marking and dropped files into
// store operations. All page logic lives in the store.

#include <QAbstractScrollArea>
#include <QColor>
#include <QCursor>
#include <QImage>
#include <QTimer>

#include "viewing/logic/page_store.h"

namespace corvane {

class TFxFaxViewer : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TFxFaxViewer(QWidget* parent = nullptr);

    // Properties.
    QColor FGColor() const { return fg_; }
    QColor BGColor() const { return bg_; }
    int HorizScroll() const { return horizScroll_; }
    int VertScroll() const { return vertScroll_; }
    bool AcceptDragged() const { return acceptDragged_; }
    void setAcceptDragged(bool on);
    bool LoadWholeFax() const { return store_.loadWholeFax(); }
    QString FileName() const { return store_.fileName(); }

    // Operations.
    Status apwViewSetFile(const QString& path);
    void apwViewSetFG(const QColor& color);
    void apwViewSetBG(const QColor& color);
    void apwViewSetScale(const DisplayScale& scale);
    void apwViewSetScroll(int horizontal, int vertical);
    void apwViewSelectAll();
    void apwViewSelect(const QRect& display);
    // "No image loaded into viewer" / "No block of image marked" when there is nothing to copy.
    Status apwViewCopy();
    const QImage& apwViewGetBitmap() const { return store_.bitmap(); }
    int apwViewGetNumPages() const { return store_.pageCount(); }
    // Between these two, scale changes are stored but not shown.
    void apwViewStartUpdate() { updating_ = true; }
    void apwViewEndUpdate();
    Status apwViewGotoPage(int page);
    int apwViewGetCurPage() const { return store_.currentPage(); }
    // Shows only `text` at (3, 3); an empty text ends design mode.
    void apwViewSetDesignMode(const QString& text);
    void apwViewSetRotation(int quarterTurns);
    int rotation() const { return store_.rotation(); }
    void apwViewSetAutoScale(StandardPages mode) { store_.setStandardPages(mode); }
    QSize apwViewGetPageDim() const { return store_.pageSize(); }
    // Resolution and width of the current page as coded (fine = false without a page).
    FaxPageInfo apwViewGetPageFlags() const;
    void apwViewSetLoadWholeFax(bool on) { store_.setLoadWholeFax(on); }
    void apwViewSetBusyCursor(const QCursor& cursor) { busyCursor_ = cursor; }

    // Navigation steps; first/last on the first/last page scroll to the top left instead.
    void vPageUp();
    void vPageDown();
    void vFirstPage();
    void vLastPage();

    FaxPageStore& store() { return store_; }
    QPoint scrollOffset() const;

  signals:
    void OnPageChange();
    void OnViewerError(int code, const QString& text);
    void OnDropFile(const QString& path);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void pageChanged();
    void rebuildDisplay();
    void updateScrollRanges();
    void scrollToTopLeft();
    void scrollBy(int dx, int dy);
    void autoScroll();
    QPoint toDisplay(QPoint viewportPoint) const;

    FaxPageStore store_;
    QImage display_;  // the current page as painted: scaled, in the ink and paper colours
    QColor fg_ = Qt::black;
    QColor bg_ = Qt::white;
    int horizScroll_ = 8;
    int vertScroll_ = 8;
    bool acceptDragged_ = true;
    bool updating_ = false;
    bool marking_ = false;
    QString designText_;
    QCursor busyCursor_{Qt::WaitCursor};
    QTimer autoScrollTimer_;
    QPoint lastPointer_;
};

}  // namespace corvane
