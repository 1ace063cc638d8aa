#pragma once
// "Print Preview": the pages of a report kept in memory, one at a time, with page navigation
// and zoom. The caption reads "Preview Page n of m ( z% )". A click zooms in with the left
// button and out with any other; the arrow keys scroll.

#include <QDialog>
#include <vector>

#include "logwindow/logic/report_page.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace corvane {

class ReportPreviewWindow : public QDialog {
    Q_OBJECT
  public:
    ReportPreviewWindow(std::vector<ReportPage> pages, QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    int page() const { return page_; }  // 1-based
    int pageCount() const { return int(pages_.size()); }
    int zoom() const { return zoom_; }  // percent
    void showPage(int page);
    void setZoom(int percent);
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();

    QPushButton* firstButton;
    QPushButton* previousButton;
    QPushButton* nextButton;
    QPushButton* lastButton;
    QPushButton* okButton;
    QScrollArea* scroller;
    QLabel* canvas;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void done(int result) override;

  private:
    void render();

    std::vector<ReportPage> pages_;
    int page_ = 1;
    int zoom_ = 100;
};

}  // namespace corvane
