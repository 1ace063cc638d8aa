#include "viewing/fax_viewer_control.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "viewing/logic/mono_shrink.h"

namespace corvane {

namespace {

constexpr int kAutoScrollMs = 50;
constexpr int kFarOutside = 20;
constexpr int kJumpSteps = 10;

// Shows the busy cursor while a page may be decoded.
class BusyCursor {
  public:
    explicit BusyCursor(const QCursor& cursor) { QApplication::setOverrideCursor(cursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TFxFaxViewer::TFxFaxViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    autoScrollTimer_.setInterval(kAutoScrollMs);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &TFxFaxViewer::autoScroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    store_.onPageChange = [this] { pageChanged(); };
    store_.onViewerError = [this](int code, const QString& text) {
        emit OnViewerError(code, text);
    };
}

void TFxFaxViewer::setAcceptDragged(bool on) {
    acceptDragged_ = on;
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
}

Status TFxFaxViewer::apwViewSetFile(const QString& path) {
    BusyCursor busy(busyCursor_);
    const Status opened = store_.setFile(path);
    if (opened && !store_.hasFile()) pageChanged();
    return opened;
}

void TFxFaxViewer::apwViewSetFG(const QColor& color) {
    fg_ = color;
    rebuildDisplay();
}

void TFxFaxViewer::apwViewSetBG(const QColor& color) {
    bg_ = color;
    rebuildDisplay();
}

void TFxFaxViewer::apwViewSetScale(const DisplayScale& scale) {
    if (updating_) {
        // Stored only; shown at apwViewEndUpdate.
        const auto keep = store_.onPageChange;
        store_.onPageChange = nullptr;
        store_.setScale(scale);
        store_.onPageChange = keep;
        return;
    }
    store_.setScale(scale);
}

void TFxFaxViewer::apwViewEndUpdate() {
    updating_ = false;
    pageChanged();
}

void TFxFaxViewer::apwViewSetScroll(int horizontal, int vertical) {
    horizScroll_ = std::max(1, horizontal);
    vertScroll_ = std::max(1, vertical);
    horizontalScrollBar()->setSingleStep(horizScroll_);
    verticalScrollBar()->setSingleStep(vertScroll_);
}

void TFxFaxViewer::apwViewSelectAll() {
    store_.selectAll();
    viewport()->update();
}

void TFxFaxViewer::apwViewSelect(const QRect& display) {
    store_.select(display);
    viewport()->update();
}

Status TFxFaxViewer::apwViewCopy() {
    const Result<QImage> marked = store_.markedImage();
    if (!marked) return marked.status();
    QApplication::clipboard()->setImage(marked.value());
    return Status::Ok();
}

Status TFxFaxViewer::apwViewGotoPage(int page) {
    BusyCursor busy(busyCursor_);
    return store_.gotoPage(page);
}

FaxPageInfo TFxFaxViewer::apwViewGetPageFlags() const {
    if (store_.currentPage() < 1) return {};
    try {
        return FaxPage(store_.fileName(), store_.currentPage());
    } catch (const EFaxError&) {
        return {};  // the file went away; the page shown is all there is
    }
}

void TFxFaxViewer::apwViewSetDesignMode(const QString& text) {
    designText_ = text;
    viewport()->update();
}

void TFxFaxViewer::apwViewSetRotation(int quarterTurns) {
    BusyCursor busy(busyCursor_);
    store_.setRotation(quarterTurns);
}

void TFxFaxViewer::vPageUp() {
    BusyCursor busy(busyCursor_);
    store_.previousPage();
}

void TFxFaxViewer::vPageDown() {
    BusyCursor busy(busyCursor_);
    store_.nextPage();
}

void TFxFaxViewer::vFirstPage() {
    BusyCursor busy(busyCursor_);
    if (!store_.firstPage()) scrollToTopLeft();
}

void TFxFaxViewer::vLastPage() {
    BusyCursor busy(busyCursor_);
    if (!store_.lastPage()) scrollToTopLeft();
}

QPoint TFxFaxViewer::scrollOffset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TFxFaxViewer::pageChanged() {
    if (updating_) return;
    marking_ = false;
    autoScrollTimer_.stop();
    rebuildDisplay();
    scrollToTopLeft();
    emit OnPageChange();
}

void TFxFaxViewer::rebuildDisplay() {
    const QImage& page = store_.bitmap();
    if (page.isNull()) {
        display_ = QImage();
    } else {
        const QSize size = store_.displaySize();
        if (CanShrinkMonoPage(page, size)) {
            // Half and quarter size: averaged straight from the bits, a few times faster.
            display_ = ShrinkMonoPage(page, size, fg_.rgb(), bg_.rgb());
        } else {
            QImage colored = page;
            colored.setColorTable({fg_.rgb(), bg_.rgb()});
            // Shrinking averages the pixels into grey, which keeps small print readable.
            display_ = colored.convertToFormat(QImage::Format_RGB32)
                           .scaled(size, Qt::IgnoreAspectRatio,
                                   size.width() < page.width() || size.height() < page.height()
                                       ? Qt::SmoothTransformation
                                       : Qt::FastTransformation);
        }
    }
    updateScrollRanges();
    viewport()->update();
}

void TFxFaxViewer::updateScrollRanges() {
    const QSize size = display_.size();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setSingleStep(horizScroll_);
    verticalScrollBar()->setSingleStep(vertScroll_);
}

void TFxFaxViewer::scrollToTopLeft() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TFxFaxViewer::scrollBy(int dx, int dy) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void TFxFaxViewer::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), bg_);
    if (!designText_.isEmpty()) {
        painter.setPen(fg_);
        painter.drawText(QPoint(3, 3 + painter.fontMetrics().ascent()), designText_);
        return;
    }
    if (display_.isNull()) return;
    const QPoint offset = scrollOffset();
    // Around the page a darker ground and a line, so that a white page shows where it ends.
    const QRect page(-offset, display_.size());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Mid));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(page.adjusted(-1, -1, 0, 0));
    painter.drawImage(page.topLeft(), display_);
    if (store_.hasMark()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(store_.markRect().translated(-offset), Qt::white);
    }
}

void TFxFaxViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void TFxFaxViewer::keyPressEvent(QKeyEvent* event) {
    if (marking_) return;  // keys wait while the mouse marks
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const int steps = ctrl ? kJumpSteps : 1;
    switch (event->key()) {
        case Qt::Key_PageUp:
            ctrl ? v->setValue(0) : vPageUp();
            break;
        case Qt::Key_PageDown:
            ctrl ? v->setValue(v->maximum()) : vPageDown();
            break;
        case Qt::Key_Home:
            ctrl ? vFirstPage() : h->setValue(0);
            break;
        case Qt::Key_End:
            ctrl ? vLastPage() : h->setValue(h->maximum());
            break;
        case Qt::Key_Left:
            scrollBy(-horizScroll_ * steps, 0);
            break;
        case Qt::Key_Right:
            scrollBy(horizScroll_ * steps, 0);
            break;
        case Qt::Key_Up:
            scrollBy(0, -vertScroll_ * steps);
            break;
        case Qt::Key_Down:
            scrollBy(0, vertScroll_ * steps);
            break;
        default:
            if (event->matches(QKeySequence::Copy)) {
                (void)apwViewCopy();  // nothing marked: nothing to copy
                break;
            }
            QAbstractScrollArea::keyPressEvent(event);
    }
}

QPoint TFxFaxViewer::toDisplay(QPoint viewportPoint) const {
    return viewportPoint + scrollOffset();
}

void TFxFaxViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || display_.isNull()) return;
    marking_ = true;
    lastPointer_ = event->position().toPoint();
    store_.startMark(toDisplay(lastPointer_));
    viewport()->update();
}

void TFxFaxViewer::mouseMoveEvent(QMouseEvent* event) {
    if (!marking_) return;
    lastPointer_ = event->position().toPoint();
    store_.extendMark(toDisplay(lastPointer_));
    if (viewport()->rect().contains(lastPointer_))
        autoScrollTimer_.stop();
    else if (!autoScrollTimer_.isActive())
        autoScrollTimer_.start();
    viewport()->update();
}

void TFxFaxViewer::autoScroll() {
    if (!marking_) {
        autoScrollTimer_.stop();
        return;
    }
    const QRect view = viewport()->rect();
    auto stepFor = [](int pos, int low, int high, int step) {
        if (pos < low) return -(low - pos > kFarOutside ? 2 : 1) * step;
        if (pos > high) return (pos - high > kFarOutside ? 2 : 1) * step;
        return 0;
    };
    scrollBy(stepFor(lastPointer_.x(), view.left(), view.right(), horizScroll_),
             stepFor(lastPointer_.y(), view.top(), view.bottom(), vertScroll_));
    store_.extendMark(toDisplay(lastPointer_));
    viewport()->update();
}

void TFxFaxViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !marking_) return;
    marking_ = false;
    autoScrollTimer_.stop();
    store_.endMark();
    viewport()->update();
}

void TFxFaxViewer::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDragged_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFxFaxViewer::dropEvent(QDropEvent* event) {
    if (!acceptDragged_) return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    const QString path = urls.first().toLocalFile();
    event->acceptProposedAction();
    const Status opened = apwViewSetFile(path);
    if (!opened) emit OnViewerError(0, opened.message());
    emit OnDropFile(path);
}

}  // namespace corvane
