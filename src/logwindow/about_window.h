#pragma once
// The About window: product name and version.

#include <QDialog>

namespace corvane {

class AboutWindow : public QDialog {
    Q_OBJECT
  public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace corvane
