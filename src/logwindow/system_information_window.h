#pragma once
// The window that shows the system information report with Copy, Save and Print.

#include <QDialog>

class QPlainTextEdit;

namespace corvane {

class SystemInformationWindow : public QDialog {
  public:
    explicit SystemInformationWindow(QWidget* parent = nullptr);
    QString text() const;

  private:
    void copy();
    void save();
    void print();

    QPlainTextEdit* report_;
};

}  // namespace corvane
