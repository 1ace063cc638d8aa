#pragma once
// The printer print runs go to: chosen once per session from the printers CUPS lists.

#include <QString>

class QPrinter;
class QWidget;

namespace corvane {

// The printer chosen in this session (empty before a choice).
QString SelectedPrinterName();
void SelectPrinterName(const QString& name);

// Makes sure a printer is chosen (see ChoosePrinter). With `showMessages` the user is told
// when no printer is installed and is asked to pick one ("Select Printer") when no choice
// follows from the settings; without, such cases give false quietly.
bool EnsurePrinterSelected(bool showMessages, QWidget* parent = nullptr);

// Points `printer` at the chosen printer.
void ApplySelectedPrinter(QPrinter& printer);

}  // namespace corvane
