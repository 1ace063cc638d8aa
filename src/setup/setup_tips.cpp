#include "setup/setup_tips.h"

#include <QMessageBox>
#include <QPushButton>

namespace corvane {

QPushButton* MakeTipButton(QWidget* parent, const QString& title, const QString& text) {
    auto* button = new QPushButton(QStringLiteral("?"), parent);
    button->setFixedWidth(24);
    button->setToolTip(text);
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QPushButton::clicked, parent, [parent, title, text] {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
        box.exec();
    });
    return button;
}

}  // namespace corvane
