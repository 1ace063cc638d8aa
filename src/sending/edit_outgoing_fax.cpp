#include "sending/edit_outgoing_fax.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "logwindow/phone_book_window.h"
#include "sending/append_fax_picker.h"
#include "sending/delete_pages_dialog.h"
#include "sending/import/document_import.h"
#include "sending/template_picker.h"
#include "uicommon/help_window.h"
#include "viewing/show_viewer.h"

namespace corvane {

namespace {

const char* const kPageCaptions[] = {"Recipient", "Sender", "Cover Page", "Fax Pages"};
const char* const kFlagCaptions[] = {"Urgent", "For Review", "Please Comment", "Please Reply",
                                     "Please Recycle"};
const char* const kFlagNames[] = {"cUrgent", "cForReview", "cPleaseComment", "cPleaseReply",
                                  "cPleaseRecycle"};
const char* const kTips[] = {
    "Type the recipient's name and fax number, or pick them from the phone book.",
    "The sender's details appear on the cover page. Save them as the default for new faxes.",
    "A fax has a cover page when it has a cover message. Choose a template and tick the "
    "boxes that apply.",
    "Attach PDF, PostScript, TIFF or picture files (or drop them here), add the pages of "
    "another fax, or delete pages."};
// Documents of more pages than this show a progress window with Cancel.
constexpr int kProgressAfterMs = 400;

class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

TEditAddFaxForm::TEditAddFaxForm(TFDM& fdm, bool isNew, QWidget* parent)
    : QDialog(parent), fdm_(fdm), session_(std::make_unique<EditFaxSession>(fdm, isNew)) {
    opened_ = session_->open();
    setWindowTitle(session_->caption());

    auto* pageRow = new QHBoxLayout;
    pages_ = new QStackedWidget(this);
    pages_->addWidget(buildRecipientPage());
    pages_->addWidget(buildSenderPage());
    pages_->addWidget(buildCoverPage());
    pages_->addWidget(buildFaxPagesPage());
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(kPageCaptions[i], this);
        b->setCheckable(true);
        connect(b, &QPushButton::clicked, this, [this, i] { showPage(EditPage(i)); });
        pageButtons_ << b;
        pageRow->addWidget(b);
    }
    pageRow->addStretch(1);

    auto* preview = new QPushButton("Preview Fax", this);
    auto* help = new QPushButton("Help", this);
    auto* save = new QPushButton("&Save", this);
    auto* cancel = new QPushButton("Cance&l", this);
    commands_ << preview << help << save << cancel;
    save->setDefault(true);
    connect(preview, &QPushButton::clicked, this, &TEditAddFaxForm::PreviewClick);
    connect(save, &QPushButton::clicked, this, &TEditAddFaxForm::SaveClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        QMessageBox::information(this, "Fax Editing Tip", kTips[int(currentPage())]);
    });
    SetHelpTopic(this, "edit-fax");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(preview);
    bottom->addStretch(1);
    bottom->addWidget(help);
    bottom->addWidget(save);
    bottom->addWidget(cancel);

    auto* main = new QVBoxLayout(this);
    main->addLayout(pageRow);
    main->addWidget(pages_, 1);
    main->addLayout(bottom);
    resize(640, 460);
    fromFields();
    showPage(EditPage::Recipient);
    SetButtons();
}

TEditAddFaxForm::~TEditAddFaxForm() = default;

QLineEdit* TEditAddFaxForm::addEdit(QWidget* page, const QString& name, const QString& caption,
                                    int maxLength) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    static_cast<QFormLayout*>(page->layout())->addRow(caption, edit);
    edits_ << edit;
    return edit;
}

QWidget* TEditAddFaxForm::buildRecipientPage() {
    auto* page = new QWidget(this);
    new QFormLayout(page);
    for (const auto& [name, caption] : {std::pair{"Recipient", "Recipient:"},
                                        {"RecipientFax", "Fax number:"},
                                        {"Regarding", "Regarding:"},
                                        {"Notes", "Notes:"},
                                        {"Codes", "Codes:"}}) {
        int limit = 0;
        for (const EditFieldLimit& l : EditFieldLimits())
            if (QLatin1String(l.control) == QLatin1String(name)) limit = l.maxLength;
        addEdit(page, name, caption, limit);
    }
    auto* row = new QHBoxLayout;
    auto* phonebook = new QPushButton("Phonebook", page);
    auto* add = new QPushButton("Add to Phonebook", page);
    connect(phonebook, &QPushButton::clicked, this, &TEditAddFaxForm::PhonebookClick);
    connect(add, &QPushButton::clicked, this, &TEditAddFaxForm::AddToPhonebookClick);
    commands_ << phonebook << add;
    row->addWidget(phonebook);
    row->addWidget(add);
    row->addStretch(1);
    static_cast<QFormLayout*>(page->layout())->addRow(row);
    return page;
}

QWidget* TEditAddFaxForm::buildSenderPage() {
    auto* page = new QWidget(this);
    new QFormLayout(page);
    for (const auto& [name, caption] : {std::pair{"Name", "Name:"},
                                        {"FaxNumber", "Fax number:"},
                                        {"Voicenumber", "Voice number:"},
                                        {"Company", "Company:"}}) {
        int limit = 0;
        for (const EditFieldLimit& l : EditFieldLimits())
            if (QLatin1String(l.control) == QLatin1String(name)) limit = l.maxLength;
        addEdit(page, name, caption, limit);
    }
    auto* row = new QHBoxLayout;
    auto* saveDefault = new QPushButton("Save as Default", page);
    auto* restore = new QPushButton("Restore From Default", page);
    connect(saveDefault, &QPushButton::clicked, this, &TEditAddFaxForm::SaveAsDefaultClick);
    connect(restore, &QPushButton::clicked, this, &TEditAddFaxForm::RestoreFromDefaultClick);
    commands_ << saveDefault << restore;
    row->addWidget(saveDefault);
    row->addWidget(restore);
    row->addStretch(1);
    static_cast<QFormLayout*>(page->layout())->addRow(row);
    return page;
}

QWidget* TEditAddFaxForm::buildCoverPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    templateLabel_ = new QLabel(page);
    templateLabel_->setObjectName("CurrentQFileLabel");
    auto* choose = new QPushButton("Select a different cover template", page);
    connect(choose, &QPushButton::clicked, this, &TEditAddFaxForm::SelectTemplateClick);
    commands_ << choose;
    top->addWidget(templateLabel_, 1);
    top->addWidget(choose);
    layout->addLayout(top);
    auto* flags = new QHBoxLayout;
    for (int i = 0; i < kImportanceFlags; ++i) {
        flags_[i] = new QCheckBox(kFlagCaptions[i], page);
        flags_[i]->setObjectName(kFlagNames[i]);
        flags->addWidget(flags_[i]);
    }
    flags->addStretch(1);
    layout->addLayout(flags);
    message_ = new QPlainTextEdit(page);
    message_->setObjectName("FaxMessage");
    message_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(message_, &QPlainTextEdit::textChanged, this, &TEditAddFaxForm::SetButtons);
    layout->addWidget(message_, 1);
    auto* clear = new QPushButton("Delete the cover message", page);
    connect(clear, &QPushButton::clicked, this, &TEditAddFaxForm::DeleteMessageClick);
    commands_ << clear;
    layout->addWidget(clear, 0, Qt::AlignLeft);
    return page;
}

QWidget* TEditAddFaxForm::buildFaxPagesPage() {
    auto* page = new QWidget(this);
    page->setObjectName("FaxPagesPage");
    page->setAcceptDrops(true);
    page->installEventFilter(this);
    auto* layout = new QVBoxLayout(page);
    docStatus_ = new QLabel(page);
    docStatus_->setObjectName("DocStatus");
    layout->addWidget(docStatus_);
    auto* attach = new QPushButton("Attach a document...", page);
    auto* append = new QPushButton("Add  one or more pages from another fax", page);
    auto* remove = new QPushButton("Delete one or more pages from this Fax ", page);
    connect(attach, &QPushButton::clicked, this, [this] {
        const QStringList files =
            askFiles_ ? askFiles_(this)
                      : QFileDialog::getOpenFileNames(this, "Attach a document", QString(),
                                                      ImportFileFilter());
        if (!files.isEmpty()) AttachDocuments(files);
    });
    connect(append, &QPushButton::clicked, this, &TEditAddFaxForm::AppendFaxClick);
    connect(remove, &QPushButton::clicked, this, &TEditAddFaxForm::DeleteFaxPagesbuttonClick);
    commands_ << attach << append << remove;
    for (QPushButton* b : {attach, append, remove}) layout->addWidget(b, 0, Qt::AlignLeft);
    auto* hint = new QLabel("You can also drop PDF, PostScript, TIFF or picture files here.", page);
    hint->setEnabled(false);
    layout->addWidget(hint);
    layout->addStretch(1);
    return page;
}

QWidget* TEditAddFaxForm::control(const QString& name) const {
    return findChild<QWidget*>(name);
}

QPushButton* TEditAddFaxForm::button(const QString& caption) const {
    for (QPushButton* b : pageButtons_ + commands_)
        if (b->text() == caption) return b;
    return nullptr;
}

void TEditAddFaxForm::showPage(EditPage page) {
    pages_->setCurrentIndex(int(page));
    for (int i = 0; i < pageButtons_.size(); ++i) {
        QPushButton* b = pageButtons_[i];
        const bool chosen = i == int(page);
        b->setChecked(chosen);
        QFont font = b->font();
        font.setBold(chosen);
        b->setFont(font);
    }
}

EditPage TEditAddFaxForm::currentPage() const {
    return EditPage(pages_->currentIndex());
}

void TEditAddFaxForm::fromFields() {
    const EditFaxFields& f = session_->fields;
    const QString values[] = {f.Recipient, f.RecipientFax, f.Regarding,   f.Notes,  f.Codes,
                              f.Name,      f.FaxNumber,    f.Voicenumber, f.Company};
    for (int i = 0; i < edits_.size(); ++i) edits_[i]->setText(values[i]);
    for (int i = 0; i < kImportanceFlags; ++i) flags_[i]->setChecked(f.flags[size_t(i)]);
    message_->setPlainText(f.FaxMessage);
    templateLabel_->setText(session_->templateLabel());
}

void TEditAddFaxForm::toFields() {
    EditFaxFields& f = session_->fields;
    QString* values[] = {&f.Recipient, &f.RecipientFax, &f.Regarding,   &f.Notes,  &f.Codes,
                         &f.Name,      &f.FaxNumber,    &f.Voicenumber, &f.Company};
    for (int i = 0; i < edits_.size(); ++i) *values[i] = edits_[i]->text();
    for (int i = 0; i < kImportanceFlags; ++i) f.flags[size_t(i)] = flags_[i]->isChecked();
    // The editor wraps long lines on screen only: the text holds the hard lines as typed.
    f.FaxMessage = message_->toPlainText();
}

void TEditAddFaxForm::SetButtons() {
    docStatus_->setText(session_->docStatusText());
    if (QPushButton* b = button("Delete one or more pages from this Fax "))
        b->setEnabled(session_->canDeletePages());
}

void TEditAddFaxForm::SaveClick() {
    toFields();
    if (const auto refusal = session_->validate()) {
        ShowInformation(refusal->message);
        showPage(refusal->page);
        if (QWidget* w = control(refusal->focus); w && !refusal->focus.isEmpty()) w->setFocus();
        return;
    }
    Status saved;
    {
        WaitCursor wait;
        saved = session_->save();
    }
    if (!saved.ok()) {
        // Nothing is lost: the window stays open with everything as typed.
        ShowInformation(saved.message());
        return;
    }
    accept();
}

void TEditAddFaxForm::PreviewClick() {
    toFields();
    Result<QStringList> files = Status::Error(QString());
    {
        WaitCursor wait;
        files = session_->preparePreview();
    }
    if (!files.ok()) {
        ShowInformation(files.message());
        return;
    }
    const QString cover =
        files.value().contains(session_->workingCover()) ? session_->workingCover() : QString();
    const QString document = files.value().contains(session_->workingDocument())
                                 ? session_->workingDocument()
                                 : QString();
    ViewCoverAndDocument("Copy of fax being edited", cover, document, nullptr, this);
}

void TEditAddFaxForm::AttachDocuments(const QStringList& files) {
    QProgressDialog progress("Attaching documents...", "Cancel", 0, 1, this);
    progress.setWindowTitle("Attach a document");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressAfterMs);
    DocumentImport import;
    import.setOnProgress([&](const ImportProgress& p) {
        progress.setMaximum(std::max(1, p.pages));
    progress.setValue(std::max(0, p.page - 1));
    progress.setLabelText(
        p.pages > 0 ? QStringLiteral("%1: page %2 of %3").arg(p.fileName).arg(p.page).arg(p.pages)
                    : QStringLiteral("Opening %1...").arg(p.fileName));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
});
const Status attached = session_->attachDocuments(files, import);
progress.reset();
if (!attached.ok() && !import.cancelled()) ShowInformation(attached.message());
SetButtons();
}  // namespace corvane

void TEditAddFaxForm::SelectTemplateClick() {
    TSelectCoverTemplate picker(CoversFolder(), session_->templateName(), this);
    if (picker.exec() != QDialog::Accepted) return;
    session_->chooseTemplate(picker.chosen());
    templateLabel_->setText(session_->templateLabel());
}

void TEditAddFaxForm::AppendFaxClick() {
    QString chosen;
    {
        TSelectFaxToAppend picker(fdm_, this);
        if (picker.exec() == QDialog::Accepted) chosen = picker.chosenDocument();
    }
    if (!chosen.isEmpty()) {
        const QString message = session_->appendFax(chosen);
        if (!message.isEmpty()) ShowInformation(message);
    }
    SetButtons();
}

void TEditAddFaxForm::DeleteFaxPagesbuttonClick() {
    if (DeletePagesFromFax(session_->workingDocument(), this)) session_->documentEdited();
    SetButtons();
}

void TEditAddFaxForm::DeleteMessageClick() {
    if (AskYesNo("Delete the cover sheet message?", "DELETE MESSAGE")) message_->clear();
}

void TEditAddFaxForm::PhonebookClick() {
    QString name, number;
    if (!TPhoneBook::Pick(fdm_, this, name, number)) return;
    if (auto* e = qobject_cast<QLineEdit*>(control("Recipient"))) e->setText(name.trimmed());
    if (auto* e = qobject_cast<QLineEdit*>(control("RecipientFax"))) e->setText(number.trimmed());
}

void TEditAddFaxForm::AddToPhonebookClick() {
    toFields();
    ShowInformation(session_->addToPhoneBook());
}

void TEditAddFaxForm::SaveAsDefaultClick() {
    toFields();
    if (const Status saved = session_->saveSenderAsDefault(); !saved.ok())
        ShowInformation(saved.message());
}

void TEditAddFaxForm::RestoreFromDefaultClick() {
    toFields();
    session_->restoreSenderFromDefault();
    fromFields();
}

bool TEditAddFaxForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == pages_->widget(int(EditPage::FaxPages))) {
        if (e->type() == QEvent::DragEnter) {
            auto* drag = static_cast<QDragEnterEvent*>(e);
            if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
            return true;
        }
        if (e->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(e);
            QStringList files;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) files << url.toLocalFile();
            drop->acceptProposedAction();
            if (!files.isEmpty()) AttachDocuments(files);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TEditAddFaxForm::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) SetButtons();
    QDialog::changeEvent(e);
}

bool EditOutgoingFax(TFDM& fdm, bool isNew, QWidget* parent) {
    TEditAddFaxForm form(fdm, isNew, parent);
    if (!form.openStatus().ok()) {
        ShowInformation(form.openStatus().message());
        return false;
    }
    return form.exec() == QDialog::Accepted;
}

}  // namespace corvane
