#include "logwindow/system_information_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "logwindow/system_information.h"
#include "uicommon/help_window.h"

namespace corvane {

SystemInformationWindow::SystemInformationWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("SystemInformationWindow");
    setWindowTitle("Configuration Information");
    resize(720, 560);
    auto* column = new QVBoxLayout(this);
    report_ = new QPlainTextEdit(this);
    report_->setReadOnly(true);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setPlainText(SystemInformationReport(GlobalSettings()));
    column->addWidget(report_);
    auto* buttons = new QDialogButtonBox(this);
    connect(buttons->addButton("&Copy", QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
            &SystemInformationWindow::copy);
    connect(buttons->addButton("&Save...", QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, &SystemInformationWindow::save);
    connect(buttons->addButton("&Print...", QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, &SystemInformationWindow::print);
    connect(buttons->addButton(QDialogButtonBox::Help), &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, "support"); });
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    SetHelpTopic(this, "support");
}

QString SystemInformationWindow::text() const {
    return report_->toPlainText();
}

void SystemInformationWindow::copy() {
    QApplication::clipboard()->setText(text());
}

void SystemInformationWindow::save() {
    const QString path = QFileDialog::getSaveFileName(this, "Save Configuration Information",
                                                      "corvane-system-information.txt",
                                                      "Text files (*.txt);;All files (*)");
    if (path.isEmpty()) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text().toUtf8()) < 0 ||
        !file.commit())
        ShowInformation("Cannot write " + path + ": " + file.errorString());
}

void SystemInformationWindow::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) report_->print(&printer);
}

}  // namespace corvane
