#pragma once
// The outgoing fax editor (TEditAddFaxForm): four pages of controls over an EditFaxSession,
// which decides everything; this window shows the session's state, forwards the commands
// and asks the user what the session cannot (files to attach, templates, faxes to append).
//
//   if (EditOutgoingFax(fdm, /*isNew=*/true, mainWindow)) ... the fax was saved

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "sending/edit_logic/edit_fax_session.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace corvane {

class TFDM;

class TEditAddFaxForm : public QDialog {
    Q_OBJECT
  public:
    // Opens the session; check openStatus() before showing the window.
    TEditAddFaxForm(TFDM& fdm, bool isNew, QWidget* parent = nullptr);
    ~TEditAddFaxForm() override;

    const Status& openStatus() const { return opened_; }
    EditFaxSession& session() { return *session_; }

    void showPage(EditPage page);
    EditPage currentPage() const;
    // The control of a name as the design names it ("Recipient", "FaxMessage", "DocStatus").
    QWidget* control(const QString& name) const;
    QPushButton* button(const QString& caption) const;
    QLabel* docStatus() const { return docStatus_; }
    QLabel* templateLabel() const { return templateLabel_; }

    // Commands.
    void SaveClick();
    void PreviewClick();
    void AttachDocuments(const QStringList& files);
    void SelectTemplateClick();
    void AppendFaxClick();
    void DeleteFaxPagesbuttonClick();
    void DeleteMessageClick();
    void PhonebookClick();
    void AddToPhonebookClick();
    void SaveAsDefaultClick();
    void RestoreFromDefaultClick();
    void SetButtons();

    // Tests answer the file dialog of "Attach a document..." (empty list: Cancel).
    using FileAsker = std::function<QStringList(QWidget* parent)>;
    void SetFileAsker(FileAsker asker) { askFiles_ = std::move(asker); }

  protected:
    // Files dropped on the Fax Pages page are attached.
    bool eventFilter(QObject* watched, QEvent* e) override;
    // The page count is shown afresh whenever the window becomes active.
    void changeEvent(QEvent* e) override;

  private:
    QWidget* buildRecipientPage();
    QWidget* buildSenderPage();
    QWidget* buildCoverPage();
    QWidget* buildFaxPagesPage();
    QLineEdit* addEdit(QWidget* page, const QString& name, const QString& caption, int maxLength);
    void toFields();
    void fromFields();

    TFDM& fdm_;
    std::unique_ptr<EditFaxSession> session_;
    Status opened_;
    QStackedWidget* pages_ = nullptr;
    QList<QPushButton*> pageButtons_;
    QList<QPushButton*> commands_;
    QList<QLineEdit*> edits_;
    QCheckBox* flags_[kImportanceFlags] = {};
    QPlainTextEdit* message_ = nullptr;
    QLabel* templateLabel_ = nullptr;
    QLabel* docStatus_ = nullptr;
    FileAsker askFiles_;
};

// Opens the editor on a new fax or on the outgoing log's current record; true when saved.
bool EditOutgoingFax(TFDM& fdm, bool isNew, QWidget* parent);

}  // namespace corvane
