#include "viewing/viewer_window_base.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/settings.h"
#include "uicommon/help_window.h"
#include "uicommon/window_placement.h"
#include "viewing/export_dialog.h"
#include "viewing/fax_printer.h"
#include "viewing/logic/viewer_window_logic.h"
#include "viewing/printer_selection.h"

namespace corvane {

ViewerWindowBase::ViewerWindowBase(const QString& file, const QString& title, QWidget* parent)
    : QDialog(parent), file_(file), title_(title) {
    SetHelpTopic(this, "1021");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowTitle(title.isEmpty() ? QString("Fax Viewer") : title);
}

ViewerWindowBase::~ViewerWindowBase() = default;

void ViewerWindowBase::buildFrame(QWidget* pageArea, const QString& switchText) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menus = new QMenuBar(this);
    QMenu* fileMenu = menus->addMenu("&File");
    printItems_ << fileMenu->addAction("&Print...", this, &ViewerWindowBase::PrintClick);
    printItems_ << fileMenu->addAction("Print &current page...", this,
                                       &ViewerWindowBase::PrintCurrentPageClick);
    printItems_ << fileMenu->addAction("Printer &setup...", this,
                                       &ViewerWindowBase::PrinterSetupClick);
    fileMenu->addAction("Print pre&view...", this, &ViewerWindowBase::PrintPreviewClick);
    fileMenu->addAction("Print to P&DF...", this, &ViewerWindowBase::PrintToPdfClick);
    fileMenu->addSeparator();
    fileMenu->addAction("&Export...", this, &ViewerWindowBase::ExportClick);
    fileMenu->addSeparator();
    fileMenu->addAction("&Close", QKeySequence::Close, this, &QDialog::close);
    printItems_[0]->setShortcut(QKeySequence::Print);
    // No printer installed: printing goes to PDF only.
    const bool havePrinter = !QPrinterInfo::availablePrinterNames().isEmpty();
    for (QAction* item : printItems_) item->setEnabled(havePrinter);

    viewMenu_ = menus->addMenu("&View");
    auto* zoomGroup = new QActionGroup(this);
    for (int step : kZoomSteps) {
        QAction* item =
            viewMenu_->addAction(ZoomMenuText(step), this, [this, step] { setZoom(step); });
        item->setCheckable(true);
        zoomGroup->addAction(item);
        zoomItems_[step] = item;
    }
    viewMenu_->addAction("Zoom &in", QKeySequence::ZoomIn, this, &ViewerWindowBase::ZoomInClick);
    viewMenu_->addAction("Zoom &out", QKeySequence::ZoomOut, this, &ViewerWindowBase::ZoomOutClick);
    viewMenu_->addSeparator();
    switchViewer_ = viewMenu_->addAction(switchText, this, &ViewerWindowBase::SwitchViewerClick);
    layout->setMenuBar(menus);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 0);
    auto makeButton = [&](const QString& text, Qt::ArrowType arrow,
                          void (ViewerWindowBase::*slot)()) {
        auto* b = new QToolButton;
        b->setText(text);
        b->setToolTip(text);
        b->setArrowType(arrow);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    first_ = makeButton("First page", Qt::NoArrow, &ViewerWindowBase::FirstPageClick);
    previous_ = makeButton("Previous page", Qt::LeftArrow, &ViewerWindowBase::PreviousPageClick);
    next_ = makeButton("Next page", Qt::RightArrow, &ViewerWindowBase::NextPageClick);
    last_ = makeButton("Last page", Qt::NoArrow, &ViewerWindowBase::LastPageClick);
    bar->addStretch();
    layout->addLayout(bar);
    layout->addWidget(pageArea, 1);
    status_ = new QLabel;
    status_->setContentsMargins(6, 2, 6, 4);
    layout->addWidget(status_);
    resize(760, 900);
    LoadFormPlacement(this);
}

QString ViewerWindowBase::statusText() const {
    return status_ ? status_->text() : QString();
}

void ViewerWindowBase::setStatus(const QString& text) {
    if (status_) status_->setText(text);
}

void ViewerWindowBase::widenFor(const QWidget* area, int contentWidth) {
    const int missing = contentWidth - area->width();
    if (missing <= 0) return;
    int wanted = width() + missing;
    if (const QScreen* s = screen()) wanted = std::min(wanted, s->availableGeometry().width());
    if (wanted > width()) resize(wanted, height());
}

void ViewerWindowBase::showNavigation() {
    const NavigationButtons b = NavigationFor(currentPage(), pageCount());
    first_->setEnabled(b.first);
    previous_->setEnabled(b.previous);
    next_->setEnabled(b.next);
    last_->setEnabled(b.last);
    for (auto it = zoomItems_.begin(); it != zoomItems_.end(); ++it)
        it.value()->setChecked(it.key() == zoom_);
    setStatus(currentStatusText());
}

void ViewerWindowBase::setZoom(int zoom) {
    zoom_ = zoom;
    applyZoom();
    showNavigation();
}

void ViewerWindowBase::ZoomInClick() {
    if (const auto next = ZoomIn(zoom_))
        setZoom(*next);
    else
        QApplication::beep();
}

void ViewerWindowBase::ZoomOutClick() {
    if (const auto next = ZoomOut(zoom_))
        setZoom(*next);
    else
        QApplication::beep();
}

void ViewerWindowBase::FirstPageClick() {
    gotoPage(1);
}
void ViewerWindowBase::PreviousPageClick() {
    gotoPage(currentPage() - 1);
}
void ViewerWindowBase::NextPageClick() {
    gotoPage(currentPage() + 1);
}
void ViewerWindowBase::LastPageClick() {
    gotoPage(pageCount());
}

void ViewerWindowBase::PrintClick() {
    if (pageCount() > 0) PrintFromViewer(this, file_, title_, 0, printRange_);
}

void ViewerWindowBase::PrintCurrentPageClick() {
    if (pageCount() > 0) PrintFromViewer(this, file_, title_, currentPage(), printRange_);
}

void ViewerWindowBase::PrintToPdfClick() {
    if (pageCount() > 0) PrintToPdfFile(this, file_, title_);
}

void ViewerWindowBase::PrintPreviewClick() {
    if (pageCount() < 1) return;
    QPrinter printer(QPrinter::HighResolution);
    ApplySelectedPrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        LoadPrintSettings();
        const PrintSettings& s = GlobalPrintSettings();
        TFxFaxPrinter fax;
        if (!fax.setFileName(file_)) return;
        fax.Scale = s.Stretch ? PrintScale::Stretch : PrintScale::TrueSize;
        fax.MultiPage = s.MultiPage;
        QFont font("Arial");
        font.setPointSizeF(8);
        fax.FaxHeader = {title_, s.Header, font};
        fax.FaxFooter = {"Page: $P of $N", s.Footer, font};
        (void)fax.PrintFax(*target);  // a page that does not decode ends the preview there
    });
    preview.exec();
}

void ViewerWindowBase::PrinterSetupClick() {
    if (!EnsurePrinterSelected(true, this)) return;
    TFxFaxPrinter fax;
    if (!fax.setFileName(file_)) return;
    QPrinter printer(QPrinter::HighResolution);
    ApplySelectedPrinter(printer);
    if (fax.PrinterSetup(printer, this)) {
        SelectPrinterName(printer.printerName());
        printRange_ = {true, fax.FirstPageToPrint, fax.LastPageToPrint};
    }
}

void ViewerWindowBase::ExportClick() {
    // The viewer's file may be a cover joined to its document: what is shown is exported.
    OpenExportDialog(file_, this, ExportDialogState::Pages::AsViewed);
}

void ViewerWindowBase::SwitchViewerClick() {
    GlobalSettings().UseAlternateFaxViewer = switchToAlternate();
    (void)SaveSettings();  // the choice also holds for this showing when the file is read-only
    close();
}

void ViewerWindowBase::closeEvent(QCloseEvent* event) {
    (void)SaveFormPlacement(this);  // a read-only QX.INI only loses the placement
    QDialog::closeEvent(event);
}

}  // namespace corvane
