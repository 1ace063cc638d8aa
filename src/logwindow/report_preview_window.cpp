#include "logwindow/report_preview_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"

namespace corvane {

namespace {

constexpr int kZoomSteps[] = {10, 25, 50, 75, 100, 125, 150, 200, 300, 400};
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 400;

}  // namespace

ReportPreviewWindow::ReportPreviewWindow(std::vector<ReportPage> pages, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)) {
    SetHelpTopic(this, "report");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto button = [&](const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    firstButton = button("|<", "First page");
    previousButton = button("<", "Previous page");
    nextButton = button(">", "Next page");
    lastButton = button(">|", "Last page");
    QPushButton* in = button("+", "Zoom in");
    QPushButton* out = button("-", "Zoom out");
    QPushButton* width = button("Page Width", "Zoom to the page width");
    QPushButton* whole = button("Whole Page", "Zoom to the whole page");
    QPushButton* actual = button("100%", "Actual size");
    bar->addStretch();
    QPushButton* help = button("Help", "Help");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "report"); });
    okButton = button("OK", "Close the preview");
    layout->addLayout(bar);
    canvas = new QLabel;
    canvas->setAlignment(Qt::AlignCenter);
    canvas->setCursor(Qt::CrossCursor);  // the magnifier
    canvas->installEventFilter(this);
    scroller = new QScrollArea;
    scroller->setWidget(canvas);
    scroller->setAlignment(Qt::AlignCenter);
    scroller->installEventFilter(this);
    layout->addWidget(scroller, 1);

    connect(firstButton, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(previousButton, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(nextButton, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(lastButton, &QPushButton::clicked, this, [this] { showPage(pageCount()); });
    connect(in, &QPushButton::clicked, this, &ReportPreviewWindow::zoomIn);
    connect(out, &QPushButton::clicked, this, &ReportPreviewWindow::zoomOut);
    connect(width, &QPushButton::clicked, this, &ReportPreviewWindow::fitWidth);
    connect(whole, &QPushButton::clicked, this, &ReportPreviewWindow::fitPage);
    connect(actual, &QPushButton::clicked, this, [this] { setZoom(100); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    resize(800, 900);
    LoadFormPlacement(this);
    render();
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

void ReportPreviewWindow::showPage(int page) {
    page_ = qBound(1, page, std::max(1, pageCount()));
    render();
}

void ReportPreviewWindow::setZoom(int percent) {
    zoom_ = qBound(kMinZoom, percent, kMaxZoom);
    render();
}

void ReportPreviewWindow::zoomIn() {
    for (int step : kZoomSteps)
        if (step > zoom_) return setZoom(step);
}

void ReportPreviewWindow::zoomOut() {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom_) return setZoom(*it);
}

void ReportPreviewWindow::fitWidth() {
    if (pages_.empty()) return;
    const double dpi = logicalDpiX();
    const int room = scroller->viewport()->width() - 8;
    setZoom(int(room * 100 / (pages_[0].sizeInches().width() * dpi)));
}

void ReportPreviewWindow::fitPage() {
    if (pages_.empty()) return;
    const double dpi = logicalDpiX();
    const QSize room = scroller->viewport()->size() - QSize(8, 8);
    const QSizeF page = pages_[0].sizeInches() * dpi;
    setZoom(int(std::min(room.width() / page.width(), room.height() / page.height()) * 100));
}

void ReportPreviewWindow::render() {
    const int count = pageCount();
    setWindowTitle(QString("Preview Page %1 of %2 ( %3% )").arg(page_).arg(count).arg(zoom_));
    const bool several = count > 1;
    for (QPushButton* b : {firstButton, previousButton, nextButton, lastButton})
        b->setVisible(several);
    firstButton->setEnabled(page_ > 1);
    previousButton->setEnabled(page_ > 1);
    nextButton->setEnabled(page_ < count);
    lastButton->setEnabled(page_ < count);
    if (pages_.empty()) return;
    const ReportPage& page = pages_[size_t(page_ - 1)];
    const double dpi = logicalDpiX() * zoom_ / 100.0;
    const QSize size = (page.sizeInches() * dpi).toSize();
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    page.paint(painter, dpi);
    painter.end();
    canvas->setPixmap(pixmap);
    canvas->resize(size);
}

bool ReportPreviewWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == canvas && e->type() == QEvent::MouseButtonPress) {
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton ? zoomIn() : zoomOut();
        return true;
    }
    if (watched == scroller && e->type() == QEvent::KeyPress) {
        QScrollBar* bar = scroller->verticalScrollBar();
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            bar->setValue(bar->value() + (key == Qt::Key_Down ? 1 : -1) * bar->singleStep());
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void ReportPreviewWindow::done(int result) {
    (void)SaveFormPlacement(this);  // a placement that cannot be saved is not worth a message
    QDialog::done(result);
}

}  // namespace corvane
