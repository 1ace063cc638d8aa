#pragma once
// What the two viewer windows share: the menus (print, export, zoom, switching viewers), the
// navigation buttons, the status line, printing and export of the shown file, and keeping
// the window's placement. Each window supplies the page area and the page logic.

#include <QDialog>
#include <QMap>

#include "viewing/print_front_ends.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPrinter;
class QToolButton;
class QVBoxLayout;

namespace corvane {

class ViewerWindowBase : public QDialog {
    Q_OBJECT
  public:
    // `file` and `title` as given to ShowFaxViewer; the title also heads printed pages.
    ViewerWindowBase(const QString& file, const QString& title, QWidget* parent);
    ~ViewerWindowBase() override;

    QString fileName() const { return file_; }
    QString title() const { return title_; }
    int zoom() const { return zoom_; }
    QString statusText() const;

    QToolButton* firstButton() const { return first_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }
    QToolButton* lastButton() const { return last_; }
    QAction* zoomItem(int zoom) const { return zoomItems_.value(zoom); }
    QAction* switchViewerItem() const { return switchViewer_; }

    // Page count and current page as the window shows them.
    virtual int pageCount() const = 0;
    virtual int currentPage() const = 0;

  public slots:
    void ZoomInClick();
    void ZoomOutClick();
    void setZoom(int zoom);
    void FirstPageClick();
    void PreviousPageClick();
    void NextPageClick();
    void LastPageClick();
    void PrintClick();
    void PrintCurrentPageClick();
    void PrintToPdfClick();
    void PrintPreviewClick();
    void PrinterSetupClick();
    void ExportClick();
    // Turns the alternate-viewer setting over and closes; ShowFaxViewer opens the other one.
    void SwitchViewerClick();

  protected:
    // Builds the common frame around `pageArea`.
    void buildFrame(QWidget* pageArea, const QString& switchText);
    QMenu* viewMenu() const { return viewMenu_; }
    void showNavigation();
    void setStatus(const QString& text);
    // Widens the window, as far as the screen allows, until `area` is `contentWidth` wide.
    void widenFor(const QWidget* area, int contentWidth);

    virtual void applyZoom() = 0;
    virtual void gotoPage(int page) = 0;
    virtual QString currentStatusText() const = 0;
    virtual bool switchToAlternate() const = 0;

    void closeEvent(QCloseEvent* event) override;

    QString file_;
    QString title_;
    int zoom_ = 50;
    ViewerPrintRange printRange_;

  private:
    QMenu* viewMenu_ = nullptr;
    QLabel* status_ = nullptr;
    QToolButton* first_ = nullptr;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
    QToolButton* last_ = nullptr;
    QMap<int, QAction*> zoomItems_;
    QAction* switchViewer_ = nullptr;
    QList<QAction*> printItems_;
};

}  // namespace corvane
