#include "viewing/printer_selection.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "uicommon/help_window.h"
#include "viewing/logic/printer_choice.h"

namespace corvane {

namespace {

QString& selection() {
    static QString name;
    return name;
}

// TGetDefaultPrinterForm: the list of printers to pick the one to print on.
class TGetDefaultPrinterForm : public QDialog {
  public:
    TGetDefaultPrinterForm(const QStringList& printers, int preselect, QWidget* parent)
        : QDialog(parent) {
        SetHelpTopic(this, "53000");
        setWindowTitle("Select Printer");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel("Choose the printer to print faxes on:"));
        list_ = new QListWidget;
        list_->addItems(printers);
        list_->setCurrentRow(preselect);
        layout->addWidget(list_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        layout->addWidget(buttons);
    }
    QString chosen() const { return list_->currentItem() ? list_->currentItem()->text() : ""; }

  private:
    QListWidget* list_;
};

}  // namespace

QString SelectedPrinterName() {
    return selection();
}
void SelectPrinterName(const QString& name) {
    selection() = name;
}

bool EnsurePrinterSelected(bool showMessages, QWidget* parent) {
    PrinterChoiceInput input;
    input.printers = QPrinterInfo::availablePrinterNames();
    input.systemDefault = QPrinterInfo::defaultPrinterName();
    input.selected = selection();
    input.receiptPrinter = GlobalSettings().PrintOnReceiptPrinter;
    const PrinterChoice choice = ChoosePrinter(input, showMessages);
    switch (choice.kind) {
        case PrinterChoice::NoPrinters:
            if (showMessages) ShowInformation("Corvane cannot find any installed printers.");
            return false;
        case PrinterChoice::Use:
            selection() = choice.printer;
            return true;
        case PrinterChoice::Refuse:
            return false;
        case PrinterChoice::Ask:
            break;
    }
    TGetDefaultPrinterForm form(input.printers, choice.preselect, parent);
    if (form.exec() != QDialog::Accepted || form.chosen().isEmpty()) return false;
    if (QPrinterInfo::printerInfo(form.chosen()).isNull()) {
        ShowInformation(
            "We are unable to select the printer. \rThis may to be related to starting the "
            "Corvane\rprogram directly from the Corvane Printer Driver on this\rsystem. Please "
            "close Corvane and start it again by\rclicking on its desktop icon");
        return false;
    }
    selection() = form.chosen();
    return true;
}

void ApplySelectedPrinter(QPrinter& printer) {
    if (!selection().isEmpty()) printer.setPrinterName(selection());
}

}  // namespace corvane
