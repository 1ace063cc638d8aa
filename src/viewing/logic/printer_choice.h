#pragma once
// Which printer a print run uses, decided from the printers CUPS lists, the choice made
// earlier in this session, the print-on-receipt printer and the system default.

#include <QString>
#include <QStringList>

namespace corvane {

struct PrinterChoiceInput {
    QStringList printers;    // as listed, in order
    QString systemDefault;   // empty when the system has none
    QString selected;        // chosen earlier in this session, empty when none
    QString receiptPrinter;  // the PrintOnReceiptPrinter setting
};

struct PrinterChoice {
    enum Kind {
        NoPrinters,  // "Corvane cannot find any installed printers."
        Use,         // print on `printer`
        Ask,         // let the user pick from the list, `preselect` highlighted
        Refuse,      // no choice can be made without asking
    } kind = NoPrinters;
    QString printer;
    int preselect = 0;
};

// In order: nothing listed; the printer chosen earlier while it is still listed; the
// print-on-receipt printer when listed; the system default; else ask (or refuse when no
// question may be asked).
PrinterChoice ChoosePrinter(const PrinterChoiceInput& input, bool mayAsk);

// The row preselected in the printer list: the first, or the last when the first is the
// program's own fax printer (its name holds "CORVANE") and there are others.
int PreselectedPrinterRow(const QStringList& printers);

}  // namespace corvane
