#pragma once
// The dialogs around a print run: TPrePrintForm (range, header, footer, pages per sheet,
// stretch) and TFxFaxPrinterStatus, the progress window with its Abort button.

#include <QDialog>

#include "core/settings.h"

class QCheckBox;
class QLabel;
class QSpinBox;

namespace corvane {

class TFxFaxPrinter;

class TPrePrintForm : public QDialog {
    Q_OBJECT
  public:
    explicit TPrePrintForm(QWidget* parent = nullptr);

    // Range 1..pageCount showing from..to; a disabled range shows and keeps one page.
    void setRange(int pageCount, int from, int to, bool enabled);
    void setChoices(const PrintSettings& settings, bool multiPageEnabled);
    PrintSettings choices(const PrintSettings& base) const;
    int fromPage() const;
    int toPage() const;
    void setPrinterName(const QString& name);

    QSpinBox* FromPage = nullptr;
    QSpinBox* ToPage = nullptr;
    QCheckBox* PrintHeader = nullptr;
    QCheckBox* PrintFooter = nullptr;
    QCheckBox* PrintMultiPage = nullptr;
    QCheckBox* StretchToFit = nullptr;
    QLabel* PrintTo = nullptr;

  signals:
    void printSetupRequested();

  public slots:
    // Beeps and stays open when the range is enabled and To < From.
    void OkClick();
};

class TFxFaxPrinterStatus : public QDialog {
    Q_OBJECT
  public:
    explicit TFxFaxPrinterStatus(TFxFaxPrinter& printer, QWidget* parent = nullptr);

  private:
    void refresh(int status);

    TFxFaxPrinter& printer_;
    QLabel* fileLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* detailsLabel_ = nullptr;
};

}  // namespace corvane
