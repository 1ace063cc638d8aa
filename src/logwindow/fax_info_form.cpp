#include "logwindow/fax_info_form.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "uicommon/help_window.h"

namespace corvane {

TShowFaxInfoForm::TShowFaxInfoForm(const FaxInformation& info, QWidget* parent)
    : QDialog(parent), info_(info) {
    SetHelpTopic(this, "logs");
    setWindowTitle("Fax Information");
    auto* col = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    fileName = new QLineEdit(info.fileName, this);
    fileName->setReadOnly(true);
    form->addRow("Fax File", fileName);
    col->addLayout(form);
    text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    text->setPlainText(info.lines().join('\n'));
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(460, 200);
    col->addWidget(text, 1);
    auto* row = new QHBoxLayout;
    okButton = new QPushButton("OK", this);
    printButton = new QPushButton("Print Fax Information", this);
    copyButton = new QPushButton("Copy Fax File To..", this);
    copyButton->setEnabled(info.fileExists);
    row->addWidget(okButton);
    row->addStretch(1);
    row->addWidget(printButton);
    row->addWidget(copyButton);
    col->addLayout(row);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(printButton, &QPushButton::clicked, this, &TShowFaxInfoForm::clickPrint);
    connect(copyButton, &QPushButton::clicked, this, &TShowFaxInfoForm::clickCopy);
    chooseTarget = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, "Copy Fax File To", suggested,
                                            "APF File (*.APF)");
    };
}

void TShowFaxInfoForm::PrintSheet(QPrinter& printer, const QStringList& lines) {
    QPainter p(&printer);
    QFont font;
    for (const char* family : {"Courier New", "Courier", "Arial"}) {
        if (QFontDatabase::hasFamily(family)) {
            font = QFont(family);
            break;
        }
    }
    font.setPointSize(11);
    const int dpi = printer.resolution();
    const int half = dpi / 2;
    QFont title = font;
    title.setBold(true);
    title.setUnderline(true);
    p.setFont(title);
    const int lineHeight = QFontMetrics(font, &printer).boundingRect("W").height();
    p.drawText(half, half + lineHeight, "Fax Information Sheet");
    p.setFont(font);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(half, half + (i + 2) * lineHeight + lineHeight, lines[i]);
}

void TShowFaxInfoForm::clickPrint() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintSheet(printer, info_.lines());
    ShowInformation(windowTitle() + " Printed!");
}

void TShowFaxInfoForm::clickCopy() {
    if (!info_.fileExists) return;
    const QString suggested = AppFolder() + "Copy of " + QFileInfo(info_.filePath).fileName();
    const QString target = chooseTarget(suggested);
    if (target.isEmpty()) return;
    QString withExtension = target;
    if (QFileInfo(target).suffix().isEmpty()) withExtension += ".APF";
    ShowInformation(LogCommands::CopyFaxFile(info_.filePath, withExtension));
}

}  // namespace corvane
