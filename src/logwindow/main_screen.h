#pragma once
// TMainScreen: the program's only top-level window.

#include <QMainWindow>

class QTabBar;
class QStackedWidget;

namespace corvane {

class TMainScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainScreen(QWidget* parent = nullptr);

private:
    QTabBar* tabs_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
};

}  // namespace corvane
