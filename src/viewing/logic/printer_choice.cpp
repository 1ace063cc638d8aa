#include "viewing/logic/printer_choice.h"

namespace corvane {

PrinterChoice ChoosePrinter(const PrinterChoiceInput& in, bool mayAsk) {
    PrinterChoice choice;
    if (in.printers.isEmpty()) return choice;
    for (const QString& name : {in.selected, in.receiptPrinter, in.systemDefault}) {
        if (!name.isEmpty() && in.printers.contains(name)) {
            choice.kind = PrinterChoice::Use;
            choice.printer = name;
            return choice;
        }
    }
    choice.kind = mayAsk ? PrinterChoice::Ask : PrinterChoice::Refuse;
    choice.preselect = PreselectedPrinterRow(in.printers);
    return choice;
}

int PreselectedPrinterRow(const QStringList& printers) {
    if (printers.size() > 1 && printers.first().contains("CORVANE", Qt::CaseInsensitive))
        return int(printers.size()) - 1;
    return 0;
}

}  // namespace corvane
