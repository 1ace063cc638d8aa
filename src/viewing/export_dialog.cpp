#include "viewing/export_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "uicommon/help_window.h"
#include "viewing/logic/fax_source.h"

namespace corvane {

namespace {

TExportFaxDialog::SaveNameAsker& asker() {
    static TExportFaxDialog::SaveNameAsker ask = [](QWidget* parent, const QString& caption,
                                                    const QString& start, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, start, filter);
    };
    return ask;
}

}  // namespace

void TExportFaxDialog::setSaveNameAsker(SaveNameAsker ask) {
    asker() = std::move(ask);
}

TExportFaxDialog::TExportFaxDialog(const QString& fax, int pageCount, QWidget* parent,
                                   ExportDialogState::Pages shown)
    : QDialog(parent), fax_(fax), state_(pageCount, GlobalSettings().LastExportType, shown) {
    SetHelpTopic(this, "export");
    setWindowTitle("Export Fax");
    auto* layout = new QVBoxLayout(this);
    ThisFax = new QLabel;
    layout->addWidget(ThisFax);

    auto* pages = new QGroupBox("Pages");
    auto* pagesLayout = new QHBoxLayout(pages);
    rPageCurrent = new QRadioButton("Single Page Only");
    PageNumber = new QSpinBox;
    rPageMulti = new QRadioButton("All Pages");
    pagesLayout->addWidget(rPageCurrent);
    pagesLayout->addWidget(PageNumber);
    pagesLayout->addWidget(rPageMulti);
    layout->addWidget(pages);

    auto* types = new QGroupBox("Save as");
    auto* typesLayout = new QVBoxLayout(types);
    rTypeTIFF = new QRadioButton("TIFF");
    rTypeBMP = new QRadioButton("BMP (single page only)");
    rTypePCX = new QRadioButton("PCX (single page only)");
    rTypeDCX = new QRadioButton("DCX");
    rTypePDF = new QRadioButton("PDF");
    auto* typeGroup = new QButtonGroup(this);
    for (QRadioButton* b : {rTypeTIFF, rTypeBMP, rTypePCX, rTypeDCX, rTypePDF}) {
        typesLayout->addWidget(b);
        typeGroup->addButton(b);
    }
    layout->addWidget(types);
    ActionLabel = new QLabel;
    layout->addWidget(ActionLabel);

    auto* buttons = new QHBoxLayout;
    auto* exportNow = new QPushButton("Export Now");
    auto* close = new QPushButton("Close");
    exportNow->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(exportNow);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    PageNumber->setRange(1, state_.pageCount());
    connect(PageNumber, &QSpinBox::valueChanged, this, [this](int page) {
        state_.setPage(page);
        showState();
    });
    connect(rPageMulti, &QRadioButton::toggled, this, [this](bool on) {
        state_.setAllPages(on);
        showState();
    });
    for (ExportFormat f : {ExportFormat::Tiff, ExportFormat::Bmp, ExportFormat::Pcx,
                           ExportFormat::Dcx, ExportFormat::Pdf}) {
        connect(buttonFor(f), &QRadioButton::toggled, this, [this, f](bool on) {
            if (!on) return;
            state_.setFormat(f);
            showState();
        });
    }
    connect(exportNow, &QPushButton::clicked, this, &TExportFaxDialog::ExportNowClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    showState();
}

QRadioButton* TExportFaxDialog::buttonFor(ExportFormat format) const {
    switch (format) {
        case ExportFormat::Tiff:
            return rTypeTIFF;
        case ExportFormat::Bmp:
            return rTypeBMP;
        case ExportFormat::Pcx:
            return rTypePCX;
        case ExportFormat::Dcx:
            return rTypeDCX;
        case ExportFormat::Pdf:
            return rTypePDF;
    }
    return rTypeTIFF;
}

void TExportFaxDialog::showState() {
    if (showing_) return;
    showing_ = true;
    ThisFax->setText(state_.thisFaxText());
    rPageMulti->setText(state_.allPagesButtonText());
    rPageMulti->setEnabled(state_.allPagesEnabled());
    (state_.allPages() ? rPageMulti : rPageCurrent)->setChecked(true);
    PageNumber->setValue(state_.page());
    PageNumber->setVisible(state_.pageChooserVisible());
    for (ExportFormat f : {ExportFormat::Tiff, ExportFormat::Bmp, ExportFormat::Pcx,
                           ExportFormat::Dcx, ExportFormat::Pdf})
        buttonFor(f)->setEnabled(state_.formatEnabled(f));
    buttonFor(state_.format())->setChecked(true);
    ActionLabel->setText(state_.actionText());
    showing_ = false;
}

bool TExportFaxDialog::ExportNowClick() {
    Settings& settings = GlobalSettings();
    const QString start = settings.LastExportPath.isEmpty()
                              ? state_.saveFileName()
                              : QDir(settings.LastExportPath).filePath(state_.saveFileName());
    QString target = asker()(this, "Export Fax", start, state_.saveFilter());
    if (target.isEmpty()) return false;
    if (QFileInfo(target).suffix().isEmpty())
        target += "." + ExportFormatExtension(state_.format()).toLower();
    settings.LastExportType = int(state_.format());
    // The folder chosen this time is where the next export starts.
    settings.LastExportPath = QFileInfo(target).absolutePath();
    (void)SaveSettings();  // only a convenience for the next export

    QProgressDialog progress("Exporting...", "Cancel", 0, state_.pageCount(), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status done = ExportFax(fax_, target, state_.format(), state_.exportPage(),
                                  [&progress](int pages, int total) {
                                      progress.setMaximum(total);
                                      progress.setValue(pages);
                                      return !progress.wasCanceled();
                                  });
    QApplication::restoreOverrideCursor();
    progress.close();
    if (!done) {
        ShowInformation(done.message());
        return false;
    }
    if (QFileInfo::exists(target)) ShowInformation("Export complete");
    return true;
}

void OpenExportDialog(const QString& fax, QWidget* parent, ExportDialogState::Pages shown) {
    if (!QFileInfo(fax).isFile()) return;
    int pages = 0;
    try {
        pages = FaxPageCount(fax);
    } catch (const EFaxError& e) {
        ShowInformation(e.text());
        return;
    }
    if (pages < 1) return;
    TExportFaxDialog dialog(fax, pages, parent, shown);
    dialog.exec();
}

}  // namespace corvane
