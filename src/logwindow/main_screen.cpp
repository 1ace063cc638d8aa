#include "logwindow/main_screen.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace corvane {

TMainScreen::TMainScreen(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Corvane");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    tabs_ = new QTabBar(central);
    tabs_->addTab("Outgoing Faxes");
    tabs_->addTab("Incoming Faxes");
    notebook_ = new QStackedWidget(central);
    notebook_->addWidget(new QWidget(notebook_));
    notebook_->addWidget(new QWidget(notebook_));
    layout->addWidget(tabs_);
    layout->addWidget(notebook_, 1);
    setCentralWidget(central);
    connect(tabs_, &QTabBar::currentChanged, notebook_, &QStackedWidget::setCurrentIndex);
}

}  // namespace corvane
