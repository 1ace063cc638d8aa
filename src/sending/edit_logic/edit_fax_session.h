#pragma once
// What the outgoing fax editor decides, without widgets: what it opens from the record and
// its files, what counts as blank, what is refused at save and why, and exactly which files
// are written, copied and deleted when the fax is saved. The dialog (EditOutgoingFax) and
// `corvane-cli fax new|edit` both drive it.
//
// Files, all in SendFolder():
//   the cover file (FAXCOVER, "COV" + 5 digits) and its cover data file (cover_data_file.h);
//   the document file (FAXDOC, a new one "FAX" + 5 digits);
//   "_tempcov.apf", "_tempdoc.apf": working copies of cover and document while the editor is
//   open (the preview generates the cover into "_tempcov.apf"); "_tmphold.apf": the document
//   held while pages of another fax are appended to it.
// The stored files and the record change only in Save(); Close() (and the destructor)
// delete the working copies.
//
// The session uses the outgoing log of the TFDM it is given; for an existing fax that log's
// current record at open() is the fax, and Save() writes that record whatever the log shows
// by then.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/status.h"
#include "sending/edit_logic/cover_data_file.h"

namespace corvane {

class DocumentImport;
class TFDM;

inline const QString kTempCoverName = QStringLiteral("_tempcov.apf");
inline const QString kTempDocumentName = QStringLiteral("_tempdoc.apf");
inline const QString kHoldName = QStringLiteral("_tmphold.apf");

// The editor's four pages.
enum class EditPage { Recipient, Sender, CoverPage, FaxPages };

// The values of the editor's controls (named as the controls are).
struct EditFaxFields {
    QString Recipient, RecipientFax, Regarding, Notes, Codes;  // the record's fields
    QString Name, FaxNumber, Voicenumber, Company;             // the sender, for the cover
    ImportanceFlags flags{};  // cUrgent, cForReview, cPleaseComment, cPleaseReply, cPleaseRecycle
    QString FaxMessage;       // as typed; hard lines separated by line breaks
};

// Longest text each edit takes (the record's field widths for the recipient page).
struct EditFieldLimit {
    const char* control;
    int maxLength;
    EditPage page;
};
const std::vector<EditFieldLimit>& EditFieldLimits();

// Why Save() cannot go ahead: the message to show, the page to show and the control to focus.
struct EditRefusal {
    QString message;
    EditPage page;
    QString focus;  // control name; empty for the page itself
};

// The message's hard lines; blank when there are none or each is empty after trimming.
QStringList MessageLines(const QString& text);
bool IsBlankMessage(const QStringList& lines);

class EditFaxSession {
  public:
    EditFaxSession(TFDM& fdm, bool isNew);
    ~EditFaxSession();
    EditFaxSession(const EditFaxSession&) = delete;
    EditFaxSession& operator=(const EditFaxSession&) = delete;

    // Reads the record (existing fax), copies its files to the working copies, reads the
    // cover data file and fills the sender from the settings. Left-over working copies of an
    // editor that never closed are removed first. Fails only when an existing fax has no
    // current record.
    Status open();

    bool isNew() const { return isNew_; }
    QString caption() const;  // "Create New Fax" / "Edit Fax"

    EditFaxFields fields;
    // The template's render file name ("qx0001.fct").
    QString templateName() const { return templateName_; }
    QString templateLabel() const;  // "Template: qx0001.fct"
    // A chosen template file (design or render file, with or without folder) becomes the
    // template: its name with the extension ".fct" unless it ends in "T" or "t".
    void chooseTemplate(const QString& file);

    int pageCount() const { return pageCount_; }
    bool documentChanged() const { return documentChanged_; }
    QString docStatusText() const;  // "Fax pages: Fax has n pages" / "Fax pages: No fax pages"
    bool canDeletePages() const { return pageCount_ > 0; }
    // Full paths of the working copies.
    QString workingCover() const;
    QString workingDocument() const;
    // Marks the document changed and recounts its pages (after pages were deleted from the
    // working document, or it was replaced).
    void documentEdited();

    // Attaches the pages of document files (PDF, PostScript, TIFF, pictures) after the
    // working document's. On failure or cancel the working document is as it was.
    Status attachDocuments(const QStringList& files, DocumentImport& import);
    // Appends the pages of another outgoing fax's document (its FAXDOC); an empty result
    // means done, else the message to show.
    QString appendFax(const QString& faxDocName);

    // Checks in the order the user is told: recipient, recipient fax number, something to
    // send; then that no text is longer than its field (only scripts can type more).
    std::optional<EditRefusal> validate() const;
    // Writes cover, cover data file, document and record. Call after validate() passed. A
    // failure leaves the record as it was and deletes no stored file; a cover generated
    // before the failure stays (the next save regenerates it).
    Status save();
    // Deletes the working copies; the session is finished.
    void close();

    // The files the preview shows, cover first ("_tempcov.apf" generated from the current
    // values), or the message "No cover message and no fax document - nothing to preview".
    Result<QStringList> preparePreview();

    // "Add to Phonebook": the message to show.
    QString addToPhoneBook();
    // "Save as Default" / "Restore From Default": the four sender fields and the settings.
    Status saveSenderAsDefault();
    void restoreSenderFromDefault();

    // The record and cover file names Save() wrote.
    QString coverName() const { return coverName_; }
    QString documentName() const { return documentName_; }
    quint32 recordNumber() const { return recno_; }

  private:
    QString sendPath(const QString& name) const;
    void recount();
    Status writeRecord();

    TFDM& fdm_;
    bool isNew_;
    bool open_ = false;
    quint32 recno_ = 0;
    QString templateName_;
    QString coverName_;     // FAXCOVER as opened / saved
    QString documentName_;  // FAXDOC as opened / saved
    int pageCount_ = 0;
    bool documentChanged_ = false;
};

}  // namespace corvane
