#include "setup/modify_fax_header_form.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/settings.h"
#include "setup/logic/header_sample.h"
#include "uicommon/help_window.h"

namespace corvane {

TModifyFaxHeaderForm::TModifyFaxHeaderForm(const QString& headerTemplate, QWidget* parent)
    : QDialog(parent) {
    SetHelpTopic(this, "fax-header");
    setObjectName("ModifyFaxHeaderForm");
    setWindowTitle("Modify Fax Header Template");
    const HeaderTestValues defaults;
    auto* col = new QVBoxLayout(this);
    col->addWidget(new QLabel("Fax Header  Template  (enter text and variables)", this));
    template_ = new QLineEdit(headerTemplate, this);
    template_->setObjectName("Template");
    template_->setMinimumWidth(560);
    col->addWidget(template_);
    col->addWidget(
        new QLabel("Sample Output  (this is roughly what the fax header will look like)", this));
    sample_ = new QLabel(this);
    sample_->setObjectName("Sample");
    sample_->setFrameShape(QFrame::StyledPanel);
    sample_->setTextFormat(Qt::PlainText);
    QFont mono = sample_->font();
    mono.setFamily("Courier New");
    sample_->setFont(mono);
    col->addWidget(sample_);

    auto* variables = new QLabel(
        "$R  recipient's name\n$I  your fax number (station ID)\n$F  sender's name\n"
        "$N  total number of pages\n$P  current page number\n$D  fax transmission date\n"
        "$T  fax transmission time",
        this);
    variables->setTextFormat(Qt::PlainText);
    col->addWidget(variables);

    auto* form = new QFormLayout;
    auto field = [&](const QString& label, const QString& value) {
        auto* edit = new QLineEdit(value, this);
        form->addRow(label, edit);
        connect(edit, &QLineEdit::textChanged, this, &TModifyFaxHeaderForm::updateSample);
        return edit;
    };
    stationId_ = field("StationID", defaults.stationId);
    sender_ = field("Sender", defaults.sender);
    recipient_ = field("Recipient", defaults.recipient);
    page_ = field("Page", defaults.page);
    total_ = field("Total Pages", defaults.totalPages);
    col->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    connect(buttons->addButton("Restore Default", QDialogButtonBox::ResetRole),
            &QPushButton::clicked, this, &TModifyFaxHeaderForm::restoreDefault);
    connect(buttons->addButton("Use Blank", QDialogButtonBox::ResetRole), &QPushButton::clicked,
            this, &TModifyFaxHeaderForm::useBlank);
    QPushButton* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    buttons->addButton("Help", QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { ShowHelpTopic(this, "fax-header"); });
    connect(buttons, &QDialogButtonBox::accepted, this, &TModifyFaxHeaderForm::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    col->addWidget(buttons);

    connect(template_, &QLineEdit::textChanged, this, &TModifyFaxHeaderForm::updateSample);
    updateSample();
}

QString TModifyFaxHeaderForm::templateText() const {
    return template_->text();
}

void TModifyFaxHeaderForm::updateSample() {
    HeaderTestValues v;
    v.stationId = stationId_->text();
    v.sender = sender_->text();
    v.recipient = recipient_->text();
    v.page = page_->text();
    v.totalPages = total_->text();
    sample_->setText(HeaderSample(template_->text(), v));
}

void TModifyFaxHeaderForm::restoreDefault() {
    template_->setText(kDefaultHeaderTemplate);
}

void TModifyFaxHeaderForm::useBlank() {
    template_->clear();
}

void TModifyFaxHeaderForm::okClicked() {
    if (template_->text().trimmed().isEmpty() &&
        !AskYesNo(kBlankTemplateQuestion, kBlankTemplateCaption))
        return;
    accept();
}

}  // namespace corvane
