#include "setup/check_fax_class_form.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "setup/logic/fax_class_check.h"
#include "transport/port_operations.h"
#include "uicommon/help_window.h"

namespace corvane {

TCheckFaxClassForm::TCheckFaxClassForm(TFxComPort& port, TapiDevice& tapi,
                                       const FaxClassCheckRequest& request, QWidget* parent)
    : QDialog(parent), check_(std::make_unique<FaxClassCheck>(port, tapi, request)) {
    SetHelpTopic(this, "fax-class");
    setObjectName("CheckFaxClassForm");
    setWindowTitle("Finding Fax Class...Please wait");
    auto* col = new QVBoxLayout(this);
    auto* heading = new QLabel("Fax Classes:", this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    col->addWidget(heading);
    for (int i = 0; i < 3; ++i) {
        classes_[i] = new QLabel(check_->classLines()[i].text, this);
        classes_[i]->setObjectName(QStringLiteral("ClassLine%1").arg(i + 1));
        QFont mono = classes_[i]->font();
        mono.setFamily("Courier New");
        classes_[i]->setFont(mono);
        col->addWidget(classes_[i]);
    }
    status_ = new QLabel(check_->status(), this);
    status_->setObjectName("Status");
    status_->setWordWrap(true);
    status_->setMinimumSize(360, 80);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    col->addWidget(status_);
    ok_ = new QPushButton("Ok", this);
    ok_->setDefault(true);
    ok_->hide();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    col->addWidget(ok_, 0, Qt::AlignHCenter);
    check_->onChange = [this] { refresh(); };
}

TCheckFaxClassForm::~TCheckFaxClassForm() = default;

void TCheckFaxClassForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!checked_) QTimer::singleShot(0, this, &TCheckFaxClassForm::runCheck);
}

void TCheckFaxClassForm::refresh() {
    for (int i = 0; i < 3; ++i) {
        const FaxClassCheck::ClassLine& line = check_->classLines()[i];
        classes_[i]->setText(line.text);
        QFont f = classes_[i]->font();
        f.setBold(line.bold);
        classes_[i]->setFont(f);
    }
    QString status = check_->status();
    status_->setText(status.replace('\r', '\n'));
}

void TCheckFaxClassForm::runCheck() {
    if (checked_) return;
    checked_ = true;
    check_->run();
    refresh();
    QApplication::beep();
    ok_->show();
    ok_->setFocus();
    setWindowTitle("Check Fax Class");
}

int TCheckFaxClassForm::resultIndex() const {
    return check_->resultIndex();
}

QString TCheckFaxClassForm::resultName() const {
    return check_->resultName();
}

int CheckFaxClass(QWidget* parent, TFxComPort& port, TapiDevice& tapi,
                  const FaxClassCheckRequest& request, int chosenItem) {
    if (request.useTapi) ReleaseTapiPort(port, tapi);
    int item = chosenItem;
    {
        TCheckFaxClassForm form(port, tapi, request, parent);
        form.exec();
        if (!form.checked()) form.runCheck();
        if (form.resultIndex() >= 0 && form.resultIndex() + 1 != chosenItem &&
            AskYesNo("Set fax class as " + form.resultName() + " ?", kFaxClassQuestionCaption))
            item = form.resultIndex() + 1;
    }
    if (request.useTapi) ReleaseTapiPort(port, tapi);
    return item;
}

}  // namespace corvane
