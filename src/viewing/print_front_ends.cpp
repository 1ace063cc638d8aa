#include "viewing/print_front_ends.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <memory>

#include "core/file_naming.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "viewing/fax_printer.h"
#include "viewing/logic/fax_source.h"
#include "viewing/print_dialogs.h"
#include "viewing/printer_selection.h"

namespace corvane {

namespace {

PrePrintRunner& runner() {
    static PrePrintRunner run = [](TPrePrintForm& form) {
        return form.exec() == QDialog::Accepted;
    };
    return run;
}

std::unique_ptr<QPrinter> makeTarget(const QString& pdfFile) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!pdfFile.isEmpty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfFile);
    } else {
        ApplySelectedPrinter(*printer);
    }
    return printer;
}

QString targetName(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                         : printer.printerName();
}

QFont marginFont() {
    QFont font("Arial");
    font.setPointSizeF(8);
    return font;
}

void setMargins(TFxFaxPrinter& printer, const QString& title, const PrintSettings& choices) {
    printer.FaxHeader = {title, choices.Header, marginFont()};
    printer.FaxFooter = {"Page: $P of $N", choices.Footer, marginFont()};
}

void applyDrawingMethods(TFxFaxPrinter& printer, const PrintSettings& s) {
    printer.UseAlternatePrintMethod = s.UseAlternatePrintMethod;
    printer.UseDDBPrintMethod = s.UseAlternatePrintMethod && s.UseDDBPrintMethod;
}

// Runs the print with its progress window.
Status printWithStatus(TFxFaxPrinter& printer, QPrinter& target, QWidget* parent) {
    printer.Caption = "Corvane Fax Printer";
    TFxFaxPrinterStatus status(printer, parent);
    status.show();
    const Status done = printer.PrintFax(target);
    status.close();
    return done;
}

// Shows the pre-print form for `printer`'s file; stores the choices (also on Cancel).
bool askChoices(QWidget* parent, TFxFaxPrinter& printer, QPrinter& target, int from, int to,
                bool rangeEnabled, bool multiPageEnabled, PrintSettings& choices, int& outFrom,
                int& outTo) {
    LoadPrintSettings();
    choices = GlobalPrintSettings();
    TPrePrintForm form(parent);
    form.setRange(printer.PageCount(), from, to, rangeEnabled);
    form.setChoices(choices, multiPageEnabled);
    form.setPrinterName(targetName(target));
    QObject::connect(&form, &TPrePrintForm::printSetupRequested, &form, [&] {
        QPrintDialog dialog(&target, &form);
        if (dialog.exec() == QDialog::Accepted) {
            SelectPrinterName(target.printerName());
            form.setPrinterName(targetName(target));
        }
    });
    const bool ok = runner()(form);
    choices = form.choices(choices);
    GlobalPrintSettings() = choices;
    (void)SavePrintSettings();  // the choices are only a convenience for the next time
    outFrom = form.fromPage();
    outTo = form.toPage();
    return ok;
}

}  // namespace

void SetPrePrintRunner(PrePrintRunner run) {
    runner() = std::move(run);
}

bool PrintFromViewer(QWidget* parent, const QString& file, const QString& header, int currentPage,
                     ViewerPrintRange& range, const QString& pdfFile) {
    if (pdfFile.isEmpty() && !EnsurePrinterSelected(true, parent)) return false;
    if (file.isEmpty()) return false;
    TFxFaxPrinter printer;
    if (!printer.setFileName(file) || printer.PageCount() < 1) return false;
    if (!range.initialised) range = {true, 1, printer.PageCount()};
    auto target = makeTarget(pdfFile);
    const bool wholeFax = currentPage < 1;
    PrintSettings choices;
    int from = 0, to = 0;
    const bool ok =
        askChoices(parent, printer, *target, wholeFax ? range.from : currentPage,
                   wholeFax ? range.to : currentPage, wholeFax, wholeFax, choices, from, to);
    if (!ok) return false;
    if (wholeFax) range = {true, from, to};
    printer.FirstPageToPrint = wholeFax ? from : currentPage;
    printer.LastPageToPrint = wholeFax ? to : currentPage;
    printer.Scale = choices.Stretch ? PrintScale::Stretch : PrintScale::TrueSize;
    printer.MultiPage = wholeFax && choices.MultiPage;
    applyDrawingMethods(printer, choices);
    setMargins(printer, header, choices);
    return bool(printWithStatus(printer, *target, parent));  // errors end the run quietly
}

bool PrintSelectedFax(QWidget* parent, const QString& title, const QString& cover,
                      const QString& document, QLabel* statusPanel, const QString& pdfFile) {
    if (pdfFile.isEmpty() && !EnsurePrinterSelected(true, parent)) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (statusPanel) statusPanel->setText("Preparing files for printing...");
    const auto [file, workFile] = CombineCoverAndDocument(cover, document);
    bool printed = false;
    if (file.isEmpty()) {
        QApplication::restoreOverrideCursor();
        ShowInformation("Error - fax file missing");
    } else {
        TFxFaxPrinter printer;
        if (printer.setFileName(file) && printer.PageCount() > 0) {
            auto target = makeTarget(pdfFile);
            PrintSettings choices;
            int from = 0, to = 0;
            QApplication::restoreOverrideCursor();
            if (askChoices(parent, printer, *target, 1, printer.PageCount(), true, true, choices,
                           from, to)) {
                printer.FirstPageToPrint = from;
                printer.LastPageToPrint = to;
                printer.Scale = choices.Stretch ? PrintScale::Stretch : PrintScale::TrueSize;
                printer.MultiPage = choices.MultiPage;
                applyDrawingMethods(printer, choices);
                setMargins(printer, title, choices);
                const Status done = printWithStatus(printer, *target, parent);
                if (!done && !printer.aborted()) ShowInformation(done.message());
                printed = bool(done);
            }
        } else {
            QApplication::restoreOverrideCursor();
            ShowInformation("Error - fax file missing");
        }
    }
    if (statusPanel) statusPanel->clear();
    if (!workFile.isEmpty()) QFile::remove(workFile);
    return printed;
}

bool PrintReceivedFax(const QString& file, const QString& stationId, const QString& date,
                      const QString& time, const std::function<void(const QString&)>& log,
                      const QString& pdfFile) {
    const QString wanted = GlobalSettings().PrintOnReceiptPrinter;
    log("Printing fax to: " + wanted);
    if (pdfFile.isEmpty() && wanted != kDefaultPrinterName) {
        if (QPrinterInfo::availablePrinterNames().contains(wanted))
            SelectPrinterName(wanted);
        else
            log("Unable to find: " + wanted + " in Windows printer list");
    }
    TFxFaxPrinter printer;
    if (!printer.setFileName(file)) return false;
    if (pdfFile.isEmpty() && !EnsurePrinterSelected(false)) return false;
    log("Printing fax file: " + file);
    const QString title = "From: " + stationId + "             Received: " + date + " at " + time +
                          "             Fax File:        " + file.toLower();
    LoadPrintSettings();
    const PrintSettings& s = GlobalPrintSettings();
    printer.Scale = s.Stretch ? PrintScale::Stretch : PrintScale::TrueSize;
    printer.MultiPage = false;
    applyDrawingMethods(printer, s);
    setMargins(printer, title, s);
    auto target = makeTarget(pdfFile);
    log("Starting printout");
    printer.Caption = "Corvane Fax Printer";
    const Status done = printer.PrintFax(*target);
    log("Finished printout");
    return bool(done);
}

bool PrintToPdfFile(QWidget* parent, const QString& file, const QString& header) {
    const QString suggested = QFileInfo(file).completeBaseName() + ".pdf";
    const QString pdf =
        QFileDialog::getSaveFileName(parent, "Print to PDF", suggested, "PDF File (*.pdf)");
    if (pdf.isEmpty()) return false;
    ViewerPrintRange range;
    return PrintFromViewer(parent, file, header, 0, range, pdf);
}

}  // namespace corvane
