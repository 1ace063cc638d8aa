#pragma once
// The two viewer windows. TFaxViewer shows the page in the viewer control (rotation, marking,
// keys); TAltFaxViewer decodes each page to a picture and shows it in a plain zoomable
// panel. Each can hand over to the other (ShowFaxViewer reopens the file there).

#include <QImage>
#include <QScrollArea>

#include "viewing/viewer_window_base.h"

class QLabel;

namespace corvane {

class TFxFaxViewer;

class TFaxViewer : public ViewerWindowBase {
    Q_OBJECT
  public:
    TFaxViewer(const QString& file, const QString& title, QWidget* parent = nullptr);

    TFxFaxViewer* viewer() const { return viewer_; }
    int pageCount() const override;
    int currentPage() const override;
    QAction* rotationItem(int quarterTurns) const { return rotationItems_[quarterTurns & 3]; }

  public slots:
    void setRotation(int quarterTurns);

  protected:
    void showEvent(QShowEvent* event) override;
    void applyZoom() override;
    void gotoPage(int page) override;
    QString currentStatusText() const override;
    bool switchToAlternate() const override { return true; }

  private:
    void SetFaxFile();

    TFxFaxViewer* viewer_ = nullptr;
    QAction* rotationItems_[4] = {};
    bool activated_ = false;
    QString errorText_;
};

class TAltFaxViewer : public ViewerWindowBase {
    Q_OBJECT
  public:
    TAltFaxViewer(const QString& file, const QString& title, QWidget* parent = nullptr);

    int pageCount() const override { return pageCount_; }
    int currentPage() const override { return page_; }
    QSize panelSize() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void applyZoom() override;
    void gotoPage(int page) override;
    QString currentStatusText() const override;
    bool switchToAlternate() const override { return false; }

  private:
    void showPage();

    QScrollArea* scroll_ = nullptr;
    QLabel* panel_ = nullptr;
    QImage bitmap_;
    int pageCount_ = 0;
    int page_ = 0;
    bool activated_ = false;
    QString errorText_;
};

}  // namespace corvane
