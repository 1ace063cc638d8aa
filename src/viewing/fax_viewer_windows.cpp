#include "viewing/fax_viewer_windows.h"

#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>

#include "core/message_boxes.h"
#include "viewing/fax_viewer_control.h"
#include "viewing/logic/viewer_window_logic.h"

namespace corvane {

TFaxViewer::TFaxViewer(const QString& file, const QString& title, QWidget* parent)
    : ViewerWindowBase(file, title, parent) {
    setObjectName("TFaxViewer");
    zoom_ = 66;  // until a file is shown
    viewer_ = new TFxFaxViewer;
    buildFrame(viewer_, "View using Alternate Fax Viewer");
    viewMenu()->addSeparator();
    auto* group = new QActionGroup(this);
    const char* const texts[] = {"No rotation", "Rotate 90 degrees", "Rotate 180 degrees",
                                 "Rotate 270 degrees"};
    for (int r = 0; r < 4; ++r) {
        rotationItems_[r] = viewMenu()->addAction(texts[r], this, [this, r] { setRotation(r); });
        rotationItems_[r]->setCheckable(true);
        group->addAction(rotationItems_[r]);
    }
    connect(viewer_, &TFxFaxViewer::OnPageChange, this, [this] { showNavigation(); });
    connect(viewer_, &TFxFaxViewer::OnViewerError, this, [this](int code, const QString& text) {
        errorText_ = ViewerErrorText(code) + ": " + text;
        setStatus(errorText_);
    });
    connect(viewer_, &TFxFaxViewer::OnDropFile, this, [this](const QString& path) {
        file_ = viewer_->FileName().isEmpty() ? file_ : path;
        showNavigation();
    });
    showNavigation();
}

void TFaxViewer::showEvent(QShowEvent* event) {
    ViewerWindowBase::showEvent(event);
    if (activated_) return;
    activated_ = true;
    for (QAction* item : rotationItems_) item->setChecked(false);
    SetFaxFile();
}

void TFaxViewer::SetFaxFile() {
    errorText_.clear();
    const Status opened = viewer_->apwViewSetFile(file_);
    if (!opened || viewer_->apwViewGetNumPages() < 1) {
        (void)viewer_->apwViewSetFile(QString());
        ShowInformation("Error opening fax file");
        showNavigation();
        return;
    }
    zoom_ = StartZoom(viewer_->viewport()->width(), viewer_->apwViewGetPageDim().width());
    applyZoom();
    widenFor(viewer_->viewport(), viewer_->store().displaySize().width());
    showNavigation();
    // Keys page and scroll from the start, without a click into the page first.
    viewer_->setFocus();
}

int TFaxViewer::pageCount() const {
    return viewer_->apwViewGetNumPages();
}
int TFaxViewer::currentPage() const {
    return viewer_->apwViewGetCurPage();
}

void TFaxViewer::setRotation(int quarterTurns) {
    viewer_->apwViewSetRotation(quarterTurns);
    rotationItems_[quarterTurns & 3]->setChecked(true);
}

void TFaxViewer::applyZoom() {
    viewer_->apwViewSetScale(ZoomScale(zoom_));
}

void TFaxViewer::gotoPage(int page) {
    if (page == currentPage() && (page == 1 || page == pageCount())) {
        // Already there: the control scrolls to the top left.
        page == 1 ? viewer_->vFirstPage() : viewer_->vLastPage();
        return;
    }
    errorText_.clear();
    (void)viewer_->apwViewGotoPage(page);  // buttons only offer pages that exist
}

QString TFaxViewer::currentStatusText() const {
    if (!errorText_.isEmpty()) return errorText_;
    return ViewerStatusText(title_, currentPage(), pageCount());
}

TAltFaxViewer::TAltFaxViewer(const QString& file, const QString& title, QWidget* parent)
    : ViewerWindowBase(file, title, parent) {
    setObjectName("TAltFaxViewer");
    scroll_ = new QScrollArea;
    scroll_->setBackgroundRole(QPalette::Dark);
    panel_ = new QLabel;
    panel_->setScaledContents(true);
    scroll_->setWidget(panel_);
    buildFrame(scroll_, "View using Regular Fax Viewer");
    showNavigation();
}

void TAltFaxViewer::showEvent(QShowEvent* event) {
    ViewerWindowBase::showEvent(event);
    if (activated_) return;
    activated_ = true;
    try {
        pageCount_ = FaxPageCount(file_);
    } catch (const EFaxError& e) {
        pageCount_ = 0;
        errorText_ = e.text();
    }
    page_ = pageCount_ > 0 ? 1 : 0;
    showPage();
    widenFor(scroll_->viewport(), panel_->width());
    scroll_->setFocus();
}

QSize TAltFaxViewer::panelSize() const {
    return panel_->size();
}

void TAltFaxViewer::showPage() {
    bitmap_ = QImage();
    if (page_ > 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            errorText_.clear();
            // Standard pages come out with every line twice, at their true proportions.
            bitmap_ = DecodeFaxPage(file_, page_, StandardPages::DoubleHeight);
        } catch (const EFaxError& e) {
            errorText_ = ViewerErrorText(e.code()) + ": " + e.text();
        }
        QApplication::restoreOverrideCursor();
    }
    applyZoom();
    showNavigation();
}

void TAltFaxViewer::applyZoom() {
    if (bitmap_.isNull()) {
        panel_->clear();
        panel_->resize(0, 0);
        return;
    }
    const QSize size = bitmap_.size() * (zoom_ / 100.0);
    QImage shown = bitmap_.convertToFormat(QImage::Format_RGB32)
                       .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    panel_->setPixmap(QPixmap::fromImage(shown));
    panel_->resize(size);
}

void TAltFaxViewer::gotoPage(int page) {
    if (page < 1 || page > pageCount_) return;
    if (page == page_) {
        scroll_->ensureVisible(0, 0);
        return;
    }
    page_ = page;
    showPage();
}

QString TAltFaxViewer::currentStatusText() const {
    if (!errorText_.isEmpty()) return errorText_;
    return AltViewerStatusText(title_, page_, pageCount_, zoom_);
}

}  // namespace corvane
