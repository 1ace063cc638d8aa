#pragma once
// "Fax Information" (TShowFaxInfoForm): the information sheet of one fax, with printing and
// copying of its fax file.

#include <QDialog>
#include <functional>

#include "logwindow/log_commands.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QPrinter;

namespace corvane {

class TShowFaxInfoForm : public QDialog {
    Q_OBJECT
  public:
    explicit TShowFaxInfoForm(const FaxInformation& info, QWidget* parent = nullptr);

    // Draws the sheet on a printer (or any paint device the printer stands for).
    static void PrintSheet(QPrinter& printer, const QStringList& lines);
    // Asks for the target; by default a save dialog. Tests answer it.
    std::function<QString(const QString& suggested)> chooseTarget;

    void clickPrint();
    void clickCopy();

    QLineEdit* fileName;
    QPlainTextEdit* text;
    QPushButton* okButton;
    QPushButton* printButton;
    QPushButton* copyButton;

  private:
    FaxInformation info_;
};

}  // namespace corvane
