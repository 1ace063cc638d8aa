#pragma once
// The About window: product name and version.

#include <QDialog>

namespace corvane {

class TAboutWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutWindow(QWidget* parent = nullptr);
};

}  // namespace corvane
