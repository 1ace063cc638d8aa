#include "uicommon/gui_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace corvane {

namespace {
bool ask(const QString& text, const QString& title, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}
}  // namespace

void GuiMessageBoxes::showInformation(const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool GuiMessageBoxes::askYesNo(const QString& text, const QString& title) {
    return ask(text, title, QMessageBox::Yes);
}

bool GuiMessageBoxes::askYesNoDefaultNo(const QString& text, const QString& title) {
    return ask(text, title, QMessageBox::No);
}

}  // namespace corvane
