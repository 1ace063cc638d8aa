#include "viewing/print_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "uicommon/help_window.h"
#include "viewing/fax_printer.h"

namespace corvane {

TPrePrintForm::TPrePrintForm(QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "53000");
    setWindowTitle("Print");
    auto* layout = new QVBoxLayout(this);
    auto* range = new QFormLayout;
    FromPage = new QSpinBox;
    ToPage = new QSpinBox;
    range->addRow("From Page:", FromPage);
    range->addRow("To Page:", ToPage);
    layout->addLayout(range);
    PrintHeader = new QCheckBox("Print Header");
    PrintFooter = new QCheckBox("Print Footer");
    PrintMultiPage = new QCheckBox("Print 4 faxes to a page");
    StretchToFit = new QCheckBox("Stretch/shrink faxes to fit on page");
    for (QCheckBox* box : {PrintHeader, PrintFooter, PrintMultiPage, StretchToFit})
        layout->addWidget(box);
    PrintTo = new QLabel;
    layout->addWidget(PrintTo);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("Ok");
    auto* cancel = new QPushButton("Cancel");
    auto* setup = new QPushButton("Print Setup");
    ok->setDefault(true);
    for (QPushButton* b : {ok, cancel, setup}) buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TPrePrintForm::OkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(setup, &QPushButton::clicked, this, &TPrePrintForm::printSetupRequested);
}

void TPrePrintForm::setRange(int pageCount, int from, int to, bool enabled) {
    for (QSpinBox* box : {FromPage, ToPage}) {
        box->setRange(1, std::max(1, pageCount));
        box->setEnabled(enabled);
    }
    FromPage->setValue(from);
    ToPage->setValue(to);
}

void TPrePrintForm::setChoices(const PrintSettings& s, bool multiPageEnabled) {
    PrintHeader->setChecked(s.Header);
    PrintFooter->setChecked(s.Footer);
    PrintMultiPage->setChecked(multiPageEnabled && s.MultiPage);
    PrintMultiPage->setEnabled(multiPageEnabled);
    StretchToFit->setChecked(s.Stretch);
}

PrintSettings TPrePrintForm::choices(const PrintSettings& base) const {
    PrintSettings s = base;
    s.Header = PrintHeader->isChecked();
    s.Footer = PrintFooter->isChecked();
    if (PrintMultiPage->isEnabled()) s.MultiPage = PrintMultiPage->isChecked();
    s.Stretch = StretchToFit->isChecked();
    return s;
}

int TPrePrintForm::fromPage() const {
    return FromPage->value();
}
int TPrePrintForm::toPage() const {
    return ToPage->value();
}

void TPrePrintForm::setPrinterName(const QString& name) {
    PrintTo->setText("Print to:  " + name);
}

void TPrePrintForm::OkClick() {
    if (FromPage->isEnabled() && ToPage->value() < FromPage->value()) {
        QApplication::beep();
        return;
    }
    accept();
}

TFxFaxPrinterStatus::TFxFaxPrinterStatus(TFxFaxPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
    SetHelpTopic(this, "53000");
    setWindowTitle("Print Status");
    auto* layout = new QVBoxLayout(this);
    fileLabel_ = new QLabel(QFileInfo(printer.FileName()).fileName().toUpper());
    statusLabel_ = new QLabel;
    detailsLabel_ =
        new QLabel(QString("Total Pages: %1\nResolution: %2\nWidth: %3\nFirst Page to Print: %4\n"
                           "Last Page to Print: %5")
                       .arg(printer.PageCount())
                       .arg(printer.FineResolution() ? "high" : "standard")
                       .arg(printer.PageWidth())
                       .arg(printer.FirstPageToPrint)
                       .arg(printer.LastPageToPrint));
    auto* abort = new QPushButton("Abort");
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileLabel_, statusLabel_, detailsLabel_, abort})
        layout->addWidget(w);
    connect(abort, &QPushButton::clicked, &printer, &TFxFaxPrinter::AbortPrint);
    connect(&printer, &TFxFaxPrinter::OnFaxPrintStatus, this, &TFxFaxPrinterStatus::refresh);
    connect(&printer, &TFxFaxPrinter::printFinished, this, &QDialog::close);
    refresh(printer.StatusCode());
}

void TFxFaxPrinterStatus::refresh(int status) {
    statusLabel_->setText(QString("%1 %2 of %3")
                              .arg(FaxPrintStatusText(status))
                              .arg(printer_.CurrentPage())
                              .arg(printer_.LastPageToPrint));
}

}  // namespace corvane
