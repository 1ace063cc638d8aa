#include "sending/send_fax_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "sending/fax_error_form.h"
#include "sending/fax_status_form.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {

PreferencesOpener& Opener() {
    static PreferencesOpener opener;
    return opener;
}

}  // namespace

void SetSendPreferencesOpener(PreferencesOpener opener) {
    Opener() = std::move(opener);
}

TSendFaxForm::TSendFaxForm(const OutgoingFaxToSend& fax, const Settings& settings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      state_(fax, settings),
      session_(settings, *static_cast<SendSessionUi*>(this)) {
    setObjectName("SendFaxForm");
    setWindowTitle("Send Fax");
    auto* col = new QVBoxLayout(this);

    auto* about = new QFormLayout;
    auto* to = new QLabel(state_.to(), this);
    to->setObjectName("ToLabel");
    auto* subject = new QLabel(state_.subject(), this);
    subject->setObjectName("SubjectLabel");
    about->addRow("To:", to);
    about->addRow("Subject:", subject);
    col->addLayout(about);

    auto* dialing = new QGroupBox("Dialing", this);
    auto* grid = new QGridLayout(dialing);
    sfPhoneNumber = new QLineEdit(dialing);
    sfPhoneNumber->setObjectName("sfPhoneNumber");
    sfPhoneNumber->setMaxLength(kPhoneNumberMaxLength);
    sfDialPrefix = new QLineEdit(dialing);
    sfDialPrefix->setObjectName("sfDialPrefix");
    sfDialsuffix = new QLineEdit(dialing);
    sfDialsuffix->setObjectName("sfDialsuffix");
    DisablePrefix = new QCheckBox("Disable", dialing);
    DisablePrefix->setObjectName("DisablePrefix");
    DisableSuffix = new QCheckBox("Disable", dialing);
    DisableSuffix->setObjectName("DisableSuffix");
    grid->addWidget(new QLabel("Fax number:", dialing), 0, 0);
    grid->addWidget(sfPhoneNumber, 0, 1);
    grid->addWidget(new QLabel("Dial prefix:", dialing), 1, 0);
    grid->addWidget(sfDialPrefix, 1, 1);
    grid->addWidget(DisablePrefix, 1, 2);
    grid->addWidget(new QLabel("Dial suffix:", dialing), 2, 0);
    grid->addWidget(sfDialsuffix, 2, 1);
    grid->addWidget(DisableSuffix, 2, 2);
    grid->setColumnStretch(1, 1);
    col->addWidget(dialing);

    auto* tips = new QGroupBox("Sending tips", this);
    auto* tipGrid = new QGridLayout(tips);
    int row = 0;
    for (const SendingTip& tip : SendingTips()) {
        auto* button = new QPushButton("?", tips);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("??") + 12);
        button->setToolTip(tip.label);
        tipButtons_ << button;
        tipGrid->addWidget(button, row / 2, (row % 2) * 2);
        tipGrid->addWidget(new QLabel(tip.label, tips), row / 2, (row % 2) * 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, text = tip.text] {
            QMessageBox box(QMessageBox::Information, kSendingTipTitle, text, QMessageBox::Ok,
                            this);
            box.exec();
        });
        ++row;
    }
    tipGrid->setColumnStretch(1, 1);
    tipGrid->setColumnStretch(3, 1);
    col->addWidget(tips);

    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName("StatusPanel");
    statusPanel_->setFrameShape(QFrame::StyledPanel);
    statusPanel_->setAlignment(Qt::AlignCenter);
    statusPanel_->setMinimumHeight(statusPanel_->fontMetrics().height() + 10);
    statusPanel_->hide();
    col->addWidget(statusPanel_);

    auto* buttons = new QHBoxLayout;
    SendFaxButton = new QPushButton("&Send Fax Now", this);
    SendFaxButton->setObjectName("SendFaxButton");
    SendFaxButton->setDefault(true);
    CloseButton = new QPushButton("C&lose", this);
    CloseButton->setObjectName("CloseButton");
    Helpbutton = new QPushButton("&Help", this);
    Helpbutton->setObjectName("Helpbutton");
    ProblemSolverButton = new QPushButton("Technical Help", this);
    ProblemSolverButton->setObjectName("ProblemSolverButton");
    PreferencesButton = new QPushButton("Preferences", this);
    PreferencesButton->setObjectName("PreferencesButton");
    connect(Helpbutton, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, "1016"); });
    connect(ProblemSolverButton, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, "10000"); });
    SetHelpTopic(this, "1016");
    if (!Opener()) {
        PreferencesButton->setEnabled(false);
        PreferencesButton->setToolTip(
            "The preferences window is not part of this version yet; the modem settings are "
            "in QX.INI in the data folder.");
    }
    buttons->addWidget(SendFaxButton);
    buttons->addWidget(CloseButton);
    buttons->addStretch(1);
    buttons->addWidget(PreferencesButton);
    buttons->addWidget(ProblemSolverButton);
    buttons->addWidget(Helpbutton);
    col->addLayout(buttons);

    connect(SendFaxButton, &QPushButton::clicked, this, &TSendFaxForm::SendFaxButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, [this] {
        if (!SendFaxFormState::CloseAllowed(busy())) {
            QApplication::beep();
            return;
        }
        readFields();
        accept();
    });
    connect(PreferencesButton, &QPushButton::clicked, this, [this] {
        if (busy() || !Opener()) return;
        Opener()(this);
        state_.loadDialing(settings_);
        showDialing();
    });
    session_.onIdle = [this] { applyBusy(); };
    showDialing();
    resize(560, sizeHint().height());
}

TSendFaxForm::~TSendFaxForm() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

const SendFaxFormState& TSendFaxForm::state() {
    readFields();
    return state_;
}

void TSendFaxForm::showDialing() {
    sfDialPrefix->setText(state_.prefix);
    sfDialsuffix->setText(state_.suffix);
    DisablePrefix->setChecked(state_.prefixDisabled);
    DisableSuffix->setChecked(state_.suffixDisabled);
}

void TSendFaxForm::readFields() {
    state_.number = sfPhoneNumber->text();
    state_.prefix = sfDialPrefix->text();
    state_.suffix = sfDialsuffix->text();
    state_.prefixDisabled = DisablePrefix->isChecked();
    state_.suffixDisabled = DisableSuffix->isChecked();
}

void TSendFaxForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (firstShow_) {
        firstShow_ = false;
        sfPhoneNumber->setText(state_.number);
    }
}

void TSendFaxForm::SendFaxButtonClick() {
    switch (SendFaxFormState::CheckSendNow(sfPhoneNumber->text(), busy())) {
        case SendFaxFormState::SendNow::NumberBlank:
            ShowInformation(kPhoneNumberBlankMessage);
            sfPhoneNumber->setFocus();
            return;
        case SendFaxFormState::SendNow::Busy:
            QApplication::beep();
            return;
        case SendFaxFormState::SendNow::Go:
            break;
    }
    readFields();
    statusPanel_->show();
    session_.start(state_.request());
    applyBusy();
}

void TSendFaxForm::applyBusy() {
    const bool on = busy();
    for (QWidget* w : std::initializer_list<QWidget*>{sfPhoneNumber, sfDialPrefix, sfDialsuffix,
                                                      DisablePrefix, DisableSuffix})
        w->setEnabled(!on);
}

void TSendFaxForm::closeEvent(QCloseEvent* e) {
    if (!SendFaxFormState::CloseAllowed(busy())) {
        QApplication::beep();
        e->ignore();
        return;
    }
    readFields();
    QDialog::closeEvent(e);
}

void TSendFaxForm::reject() {
    if (!SendFaxFormState::CloseAllowed(busy())) {
        QApplication::beep();
        return;
    }
    readFields();
    QDialog::reject();
}

void TSendFaxForm::setStatus(const QString& text) {
    statusPanel_->setText(text);
    statusPanel_->setVisible(!text.isEmpty());
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TSendFaxForm::showFaxError(const FaxErrorRequest& request) {
    return ShowFaxError(request, this);
}

void TSendFaxForm::showMessage(const QString& text) {
    ShowInformation(text);
}

void TSendFaxForm::setWaitCursor(bool on) {
    if (on == waitCursor_) return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TSendFaxForm::transmissionStarted(TFxSendFax& fax) {
    delete statusForm_;
    statusForm_ = new TFaxStatusForm(state_.request(), this);
    statusForm_->onCancel = [this] { session_.cancel(); };
    statusForm_->show();
    statusForm_->showStatus(fax);
}

void TSendFaxForm::faxStatus(TFxSendFax& fax) {
    if (statusForm_) statusForm_->showStatus(fax);
}

void TSendFaxForm::transmissionEnded() {
    if (!statusForm_) return;
    statusForm_->detach();
    statusForm_->close();
    statusForm_->deleteLater();
    statusForm_ = nullptr;
}

}  // namespace corvane
