#include "receive_error_window.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace corvane {

bool ShowReceiveFaxError(QWidget* parent, const ReceiveFaxError& error, int autoCloseMs) {
    auto* box = new QMessageBox(parent);
    box->setObjectName("ReceiveFaxError");
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(error.phase.isEmpty() ? QStringLiteral("Fax Error") : error.phase);
    box->setText(QStringLiteral("%1\n\nError code: %2").arg(error.message).arg(error.code));
    if (!error.detail.isEmpty()) box->setInformativeText(error.detail);
    if (error.allowContinue) {
        QPushButton* go = box->addButton(QStringLiteral("Continue"), QMessageBox::AcceptRole);
        box->addButton(QMessageBox::Cancel);
        box->exec();
        const bool goOn = box->clickedButton() == go;
        delete box;
        return goOn;
    }
    box->addButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    if (error.autoClose) QTimer::singleShot(autoCloseMs, box, &QWidget::close);
    box->show();
    return false;
}

}  // namespace corvane
