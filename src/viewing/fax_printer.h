#pragma once
// TFxFaxPrinter: prints the pages of an APF file on a QPrinter (a CUPS printer or a PDF
// file), each page decoded to a bitmap and drawn into the printable area, with optional
// header and footer lines and optionally four (portrait) or two (landscape) fax pages per
// sheet. The geometry comes from viewing/logic/print_layout.h.

#include <QFont>
#include <QObject>
#include <QString>

#include "core/status.h"

class QPainter;
class QPrinter;
class QWidget;

namespace corvane {

struct TFxFaxPrinterMargin {
    QString Caption;
    bool Enabled = true;
    QFont Font;
};

enum class PrintScale { TrueSize, Stretch };

// Status codes shown in the progress window.
enum FaxPrintStatus { fpsIdle = 0, fpsComposing, fpsRendering, fpsSubmitting, fpsConverting };
QString FaxPrintStatusText(int status);

class TFxFaxPrinter : public QObject {
    Q_OBJECT
  public:
    explicit TFxFaxPrinter(QObject* parent = nullptr);

    QString FileName() const { return fileName_; }
    // Reads page count, resolution and width of page 1; the range becomes 1..page count.
    // A file that cannot be read leaves no pages to print and says why.
    Status setFileName(const QString& path);
    int PageCount() const { return pageCount_; }
    bool FineResolution() const { return fine_; }
    int PageWidth() const { return width_; }

    TFxFaxPrinterMargin FaxHeader;
    TFxFaxPrinterMargin FaxFooter;
    bool MultiPage = false;
    PrintScale Scale = PrintScale::Stretch;
    QString Caption = QStringLiteral("Fx Fax Printer");
    int FirstPageToPrint = 1;
    int LastPageToPrint = 0;
    // Tiles of the screen's size, each resampled and sent on its own; with the second also
    // set, through a pixmap.
    bool UseAlternatePrintMethod = false;
    bool UseDDBPrintMethod = false;

    int StatusCode() const { return status_; }
    int CurrentPage() const { return currentPage_; }
    bool aborted() const { return aborted_; }

    // Prints FirstPageToPrint..LastPageToPrint on `printer`. Nothing happens without pages.
    // A page that does not decode ends the run with its error.
    Status PrintFax(QPrinter& printer);
    // The system print dialog with the page range preselected; the chosen range becomes the
    // print range. False when cancelled.
    bool PrinterSetup(QPrinter& printer, QWidget* parent);

  public slots:
    void AbortPrint();

  signals:
    void OnFaxPrintStatus(int status);
    void OnFaxPrintLog(const QString& line);
    void OnFaxPrintProgress(int page, int pageCount);
    void printStarted();
    void printFinished();

  private:
    void setStatus(int status);
    bool keepGoing(QPrinter& printer);
    QRect drawMargin(QPainter& painter, QRect rect, const TFxFaxPrinterMargin& margin, int page,
                     bool top);
    void drawBitmap(QPainter& painter, const QImage& page, const QRect& target,
                    const QRect& source);

    QString fileName_;
    int pageCount_ = 0;
    bool fine_ = false;
    int width_ = 1728;
    int status_ = fpsIdle;
    int currentPage_ = 0;
    bool aborted_ = false;
};

}  // namespace corvane
