#include "logwindow/rebuild_indexes_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "logs/rebuild_indexes.h"
#include "uicommon/help_window.h"

namespace corvane {

RebuildIndexesWindow::RebuildIndexesWindow(TFDM& fdm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), fdm_(fdm) {
    SetHelpTopic(this, "logs");
    setWindowTitle("Rebuild Indexes");
    auto* col = new QVBoxLayout(this);
    gauge = new QProgressBar(this);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    status = new QLabel(this);
    status->setMinimumWidth(360);
    col->addWidget(gauge);
    col->addWidget(status);
}

void RebuildIndexesWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (running_) return;
    running_ = true;
    // Starts once the window is on the screen.
    QTimer::singleShot(0, this, [this] {
        RebuildIndexes rebuild;
        rebuild.onStatus = [this](const QString& text) {
            statusTexts << text;
            status->setText(text);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        rebuild.onGauge = [this](int percent) {
            gauge->setValue(percent);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        ok_ = rebuild.run(fdm_);
        running_ = false;
        accept();
    });
}

void RebuildIndexesWindow::closeEvent(QCloseEvent* e) {
    // No closing half-way through a pack.
    if (running_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

bool RebuildIndexesWindow::Run(TFDM& fdm, QWidget* parent) {
    RebuildIndexesWindow window(fdm, parent);
    window.exec();
    return window.ok_;
}

}  // namespace corvane
