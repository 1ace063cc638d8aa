#include "logwindow/log_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "logs/fax_log_schema.h"
#include "logwindow/phone_book_window.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {

// OK / Cancel (/ Help, on the help page of the fax logs) under a dialog.
QDialogButtonBox* okCancel(QDialog* d, const QString& ok, const QString& cancel,
                           const QString& help = {}) {
    auto* box = new QDialogButtonBox(d);
    QPushButton* okButton = box->addButton(ok, QDialogButtonBox::AcceptRole);
    okButton->setDefault(true);
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    if (!help.isEmpty()) {
        box->addButton(help, QDialogButtonBox::HelpRole);
        QObject::connect(box, &QDialogButtonBox::helpRequested, d,
                         [d] { ShowHelpTopic(d, "logs"); });
    }
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

}  // namespace

TDeleteWhat::TDeleteWhat(QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "logs");
    setWindowTitle("Delete Fax");
    auto* col = new QVBoxLayout(this);
    cover = new QRadioButton("Delete Fax Cover", this);
    body = new QRadioButton("Delete Fax Body", this);
    both = new QRadioButton("Delete Both Fax Cover && Fax Body", this);
    both->setChecked(true);
    for (QRadioButton* r : {cover, body, both}) col->addWidget(r);
    col->addWidget(okCancel(this, "&Ok", "Cance&l", "&Help"));
}

DeleteWhat TDeleteWhat::choice() const {
    if (cover->isChecked()) return DeleteWhat::Cover;
    if (body->isChecked()) return DeleteWhat::Body;
    return DeleteWhat::Both;
}

TEditReceiveNotes::TEditReceiveNotes(QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "logs");
    setWindowTitle("Received Fax");
    auto* form = new QFormLayout(this);
    from = new QLineEdit(this);
    from->setMaxLength(20);  // width of FROM
    notes = new QLineEdit(this);
    notes->setMaxLength(60);  // width of NOTES
    notes->setMinimumWidth(380);
    form->addRow("From Fax #:", from);
    form->addRow("Notes", notes);
    form->addRow(okCancel(this, "&OK", "Cance&l", "Help"));
}

FindFaxForm::FindFaxForm(LogPage page, QWidget* parent) : QDialog(parent) {
    SetHelpTopic(this, "logs");
    QStringList captions;
    if (page == LogPage::Outgoing) {
        setWindowTitle("Find Outgoing Fax");
        captions = {"SUBJECT contains the text:", "RECIPIENT contains the text:",
                    "FAX # contains the text:"};
        fieldNames_ = {"SUBJECT", "RECIPIENT", "PHONE"};
    } else {
        setWindowTitle("Find Incoming (received) Fax");
        captions = {"FROM contains the text:", "NOTES contains the text:"};
        fieldNames_ = {"FROM", "NOTES"};
    }
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < captions.size(); ++i) {
        auto* radio = new QRadioButton(captions[i], this);
        auto* edit = new QLineEdit(this);
        edit->setMinimumWidth(220);
        choices << radio;
        edits << edit;
        grid->addWidget(radio, i, 0);
        grid->addWidget(edit, i, 1);
        connect(radio, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) choose(i);
        });
    }
    grid->addWidget(okCancel(this, "Ok", "Cancel"), int(captions.size()), 0, 1, 2);
    choices[0]->setChecked(true);
    choose(0);
}

void FindFaxForm::choose(int chosen) {
    for (int i = 0; i < edits.size(); ++i) {
        edits[i]->setEnabled(i == chosen);
        if (i != chosen) edits[i]->clear();
    }
    edits[chosen]->setFocus();
}

QList<FindField> FindFaxForm::fields() const {
    // Searched in the order recipient, number, subject (outgoing) or from, notes.
    QList<int> order;
    if (fieldNames_.size() == 3)
        order = {1, 2, 0};
    else
        order = {0, 1};
    QList<FindField> result;
    for (int i : order) result.push_back({fieldNames_[i], edits[i]->text()});
    return result;
}

TSelectSpecificPagesForm::TSelectSpecificPagesForm(int pageCount, const PageRange& previous,
                                                   QWidget* parent)
    : QDialog(parent), pageCount_(pageCount) {
    SetHelpTopic(this, "logs");
    setWindowTitle("Select Pages From Fax");
    auto* col = new QVBoxLayout(this);
    description = new QLabel(PageTotalText(pageCount), this);
    col->addWidget(description);
    auto* row = new QHBoxLayout;
    FromSpinner = new QSpinBox(this);
    ToSpinner = new QSpinBox(this);
    for (QSpinBox* s : {FromSpinner, ToSpinner}) s->setRange(1, std::max(1, pageCount));
    FromSpinner->setValue(previous.from >= 1 ? previous.from : 1);
    ToSpinner->setValue(previous.to >= 1 ? previous.to : pageCount);
    allButton = new QPushButton("All", this);
    connect(allButton, &QPushButton::clicked, this, [this] {
        FromSpinner->setValue(1);
        ToSpinner->setValue(pageCount_);
    });
    row->addWidget(new QLabel("From page:", this));
    row->addWidget(FromSpinner);
    row->addWidget(new QLabel("to", this));
    row->addWidget(ToSpinner);
    row->addWidget(allButton);
    col->addLayout(row);
    col->addWidget(okCancel(this, "OK", "Cancel"));
}

PageRange TSelectSpecificPagesForm::range() const {
    return MakePageRange(FromSpinner->value(), ToSpinner->value(), pageCount_);
}

void TSelectSpecificPagesForm::accept() {
    if (!ValidPageRange(FromSpinner->value(), ToSpinner->value(), pageCount_)) {
        ShowInformation("Invalid Page Range");
        return;
    }
    QDialog::accept();
}

TFaxForwardOrClone::TFaxForwardOrClone(ForwardOrCloneRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    SetHelpTopic(this, "logs");
    setWindowTitle(request.title);
    auto* col = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    Recipient = new QLineEdit(request.recipient.trimmed(), this);
    Recipient->setMaxLength(35);
    FaxNumber = new QLineEdit(request.faxNumber.trimmed(), this);
    FaxNumber->setMaxLength(25);
    Subject = new QLineEdit(request.subject.trimmed(), this);
    Subject->setMaxLength(50);
    Subject->setMinimumWidth(320);
    form->addRow("Recipient:", Recipient);
    form->addRow("Fax Number:", FaxNumber);
    form->addRow("Subject:", Subject);
    col->addLayout(form);
    phonebook = new QPushButton("&Phonebook", this);
    col->addWidget(phonebook, 0, Qt::AlignLeft);
    connect(phonebook, &QPushButton::clicked, this, [this] {
        QString name, number;
        if (pickFromPhoneBook && pickFromPhoneBook(name, number)) {
            Recipient->setText(name.trimmed());
            FaxNumber->setText(number.trimmed());
        }
    });

    PageOptionsBox = new QGroupBox(this);
    auto* box = new QVBoxLayout(PageOptionsBox);
    pageChoice = new QLabel(PageChoiceText(request.pages, request.pageCount), PageOptionsBox);
    selectPages = new QPushButton("Select Fax Pages", PageOptionsBox);
    cbIncludeFaxCover = new QCheckBox("Include Fax Cover Page", PageOptionsBox);
    cbIncludeFaxCover->setChecked(request.includeCover);
    noCoverLabel = new QLabel("No cover page", PageOptionsBox);
    box->addWidget(pageChoice);
    box->addWidget(selectPages, 0, Qt::AlignLeft);
    box->addWidget(cbIncludeFaxCover);
    box->addWidget(noCoverLabel);
    col->addWidget(PageOptionsBox);
    connect(selectPages, &QPushButton::clicked, this, [this] {
        TSelectSpecificPagesForm pages(request_.pageCount, request_.pages, this);
        if (pages.exec() == QDialog::Accepted) request_.pages = pages.range();
        pageChoice->setText(PageChoiceText(request_.pages, request_.pageCount));
    });
    const bool pagesShown = !request.documentPath.isEmpty() && request.showPageChoice;
    pageChoice->setVisible(pagesShown);
    selectPages->setVisible(pagesShown);
    cbIncludeFaxCover->setVisible(request.showCoverChoice);
    noCoverLabel->setVisible(request.showNoCoverLabel);
    PageOptionsBox->setVisible(pagesShown || request.showCoverChoice ||
                               (request.showNoCoverLabel && !request.documentPath.isEmpty()));
    col->addWidget(okCancel(this, "OK", "Cancel"));
    adjustSize();
}

void TFaxForwardOrClone::accept() {
    request_.recipient = Recipient->text();
    request_.faxNumber = FaxNumber->text();
    request_.subject = Subject->text();
    if (cbIncludeFaxCover->isVisible() || request_.showCoverChoice)
        request_.includeCover = cbIncludeFaxCover->isChecked();
    QDialog::accept();
}

std::optional<DeleteWhat> GuiLogDialogs::askDeleteWhat() {
    TDeleteWhat d(parent_);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.choice();
}

bool GuiLogDialogs::editReceiveNotes(QString& from, QString& notes) {
    TEditReceiveNotes d(parent_);
    d.from->setText(from.trimmed());
    d.notes->setText(notes.trimmed());
    if (d.exec() != QDialog::Accepted) return false;
    from = d.from->text();
    notes = d.notes->text();
    return true;
}

std::optional<QList<FindField>> GuiLogDialogs::askFind(LogPage page) {
    FindFaxForm d(page, parent_);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.fields();
}

bool GuiLogDialogs::forwardOrClone(ForwardOrCloneRequest& request) {
    TFaxForwardOrClone d(request, parent_);
    if (fdm_) {
        TFDM* fdm = fdm_;
        d.pickFromPhoneBook = [fdm, &d](QString& name, QString& number) {
            return TPhoneBook::Pick(*fdm, &d, name, number);
        };
    }
    d.phonebook->setVisible(bool(d.pickFromPhoneBook));
    return d.exec() == QDialog::Accepted;
}

void GuiLogDialogs::beep() {
    QApplication::beep();
}

}  // namespace corvane
