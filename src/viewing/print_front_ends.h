#pragma once
// The three ways a fax gets printed: from the main window (the selected fax, cover first),
// from a viewer window (the whole fax or the page shown), and after a reception.
//
// Each may be pointed at a PDF file instead of a printer (`pdfFile` not empty): no printer
// is needed then, which is how faxes are printed to PDF and how the tests print.

#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace corvane {

class TPrePrintForm;

// A viewer window's print range, kept between its print runs.
struct ViewerPrintRange {
    bool initialised = false;
    int from = 1;
    int to = 1;
};

// Shows the pre-print dialog; true for "Ok". Tests replace it to answer the dialog.
using PrePrintRunner = std::function<bool(TPrePrintForm& form)>;
void SetPrePrintRunner(PrePrintRunner runner);

// Viewer "Print" (currentPage 0: the whole fax) and "Print current page" (currentPage n).
// Errors while printing are not shown. True when something was printed.
bool PrintFromViewer(QWidget* parent, const QString& file, const QString& header, int currentPage,
                     ViewerPrintRange& range, const QString& pdfFile = {});

// Main window "Print Selected Fax": cover pages first, then the document; either may be
// missing. `title` heads every page when the header is chosen.
bool PrintSelectedFax(QWidget* parent, const QString& title, const QString& cover,
                      const QString& document, QLabel* statusPanel = nullptr,
                      const QString& pdfFile = {});

// After a reception with printing on receipt: no dialog, choices from the settings, every
// step written to `log`.
bool PrintReceivedFax(const QString& file, const QString& stationId, const QString& date,
                      const QString& time, const std::function<void(const QString&)>& log,
                      const QString& pdfFile = {});

// Asks for a PDF file name and prints the whole fax into it (no printer needed).
bool PrintToPdfFile(QWidget* parent, const QString& file, const QString& header);

}  // namespace corvane
