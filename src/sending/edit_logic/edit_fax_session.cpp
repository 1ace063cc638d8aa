#include "sending/edit_logic/edit_fax_session.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#include "core/app_folders.h"
#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "core/settings.h"
#include "covers/cover_data.h"
#include "covers/cover_generator.h"
#include "covers/cover_template_files.h"
#include "covers/cover_text.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "logs/fax_data_module.h"
#include "sending/import/document_import.h"

namespace corvane {

namespace {

// A stored name is a bare file name in SEND/; anything that could reach outside it counts as
// no file, so a damaged record never makes the editor copy or delete a stranger's file.
bool IsBareName(const QString& name) {
    return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

bool IsFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

int PageCountOf(const QString& path) {
    if (!IsFile(path)) return 0;
    try {
        return GetApfPageCount(path);
    } catch (const EFaxError&) {
        return 0;
    }
}

void RemoveQuietly(const QString& path) {
    // A working copy or an old file that cannot be removed changes nothing for the fax.
    if (!path.isEmpty()) QFile::remove(path);
}

}  // namespace

const std::vector<EditFieldLimit>& EditFieldLimits() {
    static const std::vector<EditFieldLimit> limits{
        {"Recipient", 35, EditPage::Recipient}, {"RecipientFax", 25, EditPage::Recipient},
        {"Regarding", 50, EditPage::Recipient}, {"Notes", 50, EditPage::Recipient},
        {"Codes", 25, EditPage::Recipient},     {"Name", 35, EditPage::Sender},
        {"FaxNumber", 20, EditPage::Sender},    {"Voicenumber", 20, EditPage::Sender},
        {"Company", 35, EditPage::Sender},
    };
    return limits;
}

QStringList MessageLines(const QString& text) {
    return SplitTextLines(text);
}

bool IsBlankMessage(const QStringList& lines) {
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty()) return false;
    return true;
}

EditFaxSession::EditFaxSession(TFDM& fdm, bool isNew) : fdm_(fdm), isNew_(isNew) {}

EditFaxSession::~EditFaxSession() {
    close();
}

QString EditFaxSession::sendPath(const QString& name) const {
    return ResolveName(SendFolder(), name);
}

QString EditFaxSession::workingCover() const {
    return sendPath(kTempCoverName);
}

QString EditFaxSession::workingDocument() const {
    return sendPath(kTempDocumentName);
}

QString EditFaxSession::caption() const {
    return isNew_ ? QStringLiteral("Create New Fax") : QStringLiteral("Edit Fax");
}

QString EditFaxSession::templateLabel() const {
    return "Template: " + templateName_;
}

void EditFaxSession::chooseTemplate(const QString& file) {
    templateName_ = RenderFileNameFor(QFileInfo(file).fileName());
}

QString EditFaxSession::docStatusText() const {
    if (pageCount_ > 0) return QStringLiteral("Fax pages: Fax has %1 pages").arg(pageCount_);
    return QStringLiteral("Fax pages: No fax pages");
}

void EditFaxSession::recount() {
    pageCount_ = PageCountOf(workingDocument());
}

void EditFaxSession::documentEdited() {
    documentChanged_ = true;
    recount();
}

Status EditFaxSession::open() {
    xbase::XbaseTable& t = fdm_.FaxTable;
    QDir().mkpath(SendFolder());
    // Copies an editor left behind (a crash) would otherwise pass for this fax's files.
    for (const QString& name : {kTempCoverName, kTempDocumentName, kHoldName})
        RemoveQuietly(sendPath(name));
    const Settings& s = GlobalSettings();
    templateName_ = s.LastUsedCoversheetTemplate;
    fields = EditFaxFields();
    if (!isNew_) {
        if (!t.isOpen() || t.eof() || t.recNo() == 0 || t.recNo() > t.recCount())
            return Status::Error("No fax is selected");
        recno_ = t.recNo();
        coverName_ = t.fieldText("FAXCOVER").trimmed();
        documentName_ = t.fieldText("FAXDOC").trimmed();
        fields.Recipient = t.fieldText("RECIPIENT");
        fields.RecipientFax = t.fieldText("PHONE");
        fields.Regarding = t.fieldText("SUBJECT");
        fields.Notes = t.fieldText("NOTES");
        fields.Codes = t.fieldText("CODES");
    }
    open_ = true;
    const QString cover = IsBareName(coverName_) ? sendPath(coverName_) : QString();
    const QString document = IsBareName(documentName_) ? sendPath(documentName_) : QString();
    if (IsFile(cover)) CopyWholeFile(cover, workingCover());
    if (IsFile(document)) CopyWholeFile(document, workingDocument());
    recount();
    if (!isNew_ && !coverName_.isEmpty() && IsBareName(coverName_)) {
        if (const auto data = ReadCoverDataFile(CoverDataFileName(cover))) {
            if (!data->templateName.isEmpty())
                templateName_ = RenderFileNameFor(data->templateName);
            fields.flags = data->flags();
            fields.FaxMessage = data->message.join('\n');
        }
    }
    fields.Name = s.UserName;
    fields.FaxNumber = s.UserFax;
    fields.Voicenumber = s.UserVoice;
    fields.Company = s.UserCompany;
    return Status::Ok();
}

std::optional<EditRefusal> EditFaxSession::validate() const {
    // Emptiness as typed: a recipient of spaces is a recipient.
    if (fields.Recipient.isEmpty())
        return EditRefusal{"Please enter a recipient", EditPage::Recipient, "Recipient"};
    if (fields.RecipientFax.isEmpty())
        return EditRefusal{"Please enter a recipient fax number", EditPage::Recipient,
                           "RecipientFax"};
    if (IsBlankMessage(MessageLines(fields.FaxMessage)) && !IsFile(workingDocument()))
        return EditRefusal{"You must have either a Fax Cover Page or a Fax Document or both",
                           EditPage::FaxPages, QString()};
    const QString values[] = {fields.Recipient, fields.RecipientFax, fields.Regarding,
                              fields.Notes,     fields.Codes,        fields.Name,
                              fields.FaxNumber, fields.Voicenumber,  fields.Company};
    for (size_t i = 0; i < EditFieldLimits().size(); ++i) {
        const EditFieldLimit& limit = EditFieldLimits()[i];
        if (values[i].size() > limit.maxLength)
            return EditRefusal{QStringLiteral("%1 takes at most %2 characters")
                                   .arg(QLatin1String(limit.control))
                                   .arg(limit.maxLength),
                               limit.page, QLatin1String(limit.control)};
    }
    return std::nullopt;
}

namespace {

CoverData CoverDataOf(const EditFaxFields& f) {
    CoverData data;
    StampCoverData(data, QDateTime::currentDateTime());
    data.Regarding = f.Regarding;
    data.Recipient = f.Recipient;
    data.RecipientFax = f.RecipientFax;
    data.Sender = f.Name;
    data.SenderCompany = f.Company;
    data.SenderFax = f.FaxNumber;
    data.SenderVoice = f.Voicenumber;
    data.Urgent = f.flags[0];
    data.ForReview = f.flags[1];
    data.PleaseComment = f.flags[2];
    data.PleaseReply = f.flags[3];
    data.PleaseRecycle = f.flags[4];
    return data;
}

}  // namespace

Status EditFaxSession::save() {
    if (!open_) return Status::Error("The fax editor is not open");
    if (isNew_) GlobalSettings().LastUsedCoversheetTemplate = templateName_;
    const QStringList lines = MessageLines(fields.FaxMessage);
    const bool blank = IsBlankMessage(lines);

    // Everything new is written first; what the saved record no longer names is deleted
    // only after the record is committed, so a failure on the way loses nothing.
    const QString oldCover =
        IsBareName(coverName_) && IsFile(sendPath(coverName_)) ? sendPath(coverName_) : QString();
    QString newCover;
    QStringList madeHere;  // removed again when the save fails
    QStringList obsolete;  // removed once the record is written
    if (!blank) {
        CoverGenerator generator;
        const Result<QString> made = generator.GenerateCover(
            oldCover, CoversFolder() + templateName_, CoverDataOf(fields), lines);
        if (!made.ok()) return made.status();
        newCover = made.value();
        if (oldCover.isEmpty() && !newCover.isEmpty()) madeHere << newCover;
    } else if (!oldCover.isEmpty()) {
        obsolete << oldCover << CoverDataFileName(oldCover);
    }

    QString document = documentName_;
    auto failed = [&](const QString& message) {
        for (const QString& path : madeHere) RemoveQuietly(path);
        return Status::Error(message);
    };
    if (documentChanged_) {
        const QString stored = IsBareName(documentName_) ? sendPath(documentName_) : QString();
        if (IsFile(workingDocument())) {
            QString target = IsFile(stored) ? stored : QString();
            if (target.isEmpty()) {
                const Result<QString> name = GetUniqueSendFileName("FAX");
                if (!name.ok()) return failed(name.message());
                target = name.value();
                madeHere << target;
            }
            if (!CopyWholeFile(workingDocument(), target))
                return failed("The fax document could not be written to " + target);
            document = QFileInfo(target).fileName();
        } else {
            if (IsFile(stored)) obsolete << stored;
            document.clear();
        }
    }

    const QString cover = newCover.isEmpty() ? QString() : QFileInfo(newCover).fileName();
    xbase::XbaseTable& t = fdm_.FaxTable;
    Status written = Status::Ok();
    if (isNew_) {
        OutgoingFaxFields f{
            fields.Regarding, fields.Recipient, fields.RecipientFax, document, cover,
            fields.Notes,     fields.Codes};
        written = fdm_.AppendOutgoingFax(f);
        if (written.ok()) recno_ = t.recNo();
    } else if (!t.go(recno_)) {
        written = Status::Error("the fax's record is gone");
    } else {
        const std::pair<const char*, QString> values[] = {{"RECIPIENT", fields.Recipient},
                                                          {"SUBJECT", fields.Regarding},
                                                          {"PHONE", fields.RecipientFax},
                                                          {"NOTES", fields.Notes},
                                                          {"CODES", fields.Codes},
                                                          {"FAXCOVER", cover},
                                                          {"FAXDOC", document}};
        for (const auto& [field, value] : values) {
            written = t.replaceText(field, value);
            if (!written.ok()) break;
        }
        if (written.ok()) written = t.commit();
    }
    if (!written.ok())
        return failed("The fax could not be written to the outgoing log: " + written.message());
    coverName_ = cover;
    documentName_ = document;
    documentChanged_ = false;
    for (const QString& path : obsolete) RemoveQuietly(path);

    if (!newCover.isEmpty()) {
        CoverDataFile data;
        data.templateName = templateName_;
        data.importance = CoverDataFile::ImportanceText(fields.flags);
        data.message = lines;
        if (Status s = WriteCoverDataFile(CoverDataFileName(newCover), data); !s.ok()) return s;
    }
    return Status::Ok();
}

void EditFaxSession::close() {
    if (!open_) return;
    open_ = false;
    RemoveQuietly(workingCover());
    RemoveQuietly(workingDocument());
    RemoveQuietly(sendPath(kHoldName));
}

Status EditFaxSession::attachDocuments(const QStringList& files, DocumentImport& import) {
    const Result<QString> temp = GetUniqueSendFileName("_att");
    if (!temp.ok()) return temp.status();
    const Result<int> pages = import.Import(files, temp.value());
    if (!pages.ok()) return pages.status();
    Status result;
    if (IsFile(workingDocument())) {
        const QString hold = sendPath(kHoldName);
        if (!CopyWholeFile(workingDocument(), hold) ||
            !JoinTwoApfFiles(workingDocument(), hold, temp.value()))
            result = Status::Error("We encountered an error attempting to attach this document");
        RemoveQuietly(hold);
    } else if (!CopyWholeFile(temp.value(), workingDocument())) {
        result = Status::Error("We encountered an error attempting to attach this document");
    }
    RemoveQuietly(temp.value());
    if (result.ok()) documentEdited();
    return result;
}

QString EditFaxSession::appendFax(const QString& faxDocName) {
    const QString name = faxDocName.trimmed();
    const QString source = IsBareName(name) ? sendPath(name) : QString();
    if (!IsHighResApf(source)) return "Unable to work with lower resolution faxes";
    QString message;
    if (IsFile(workingDocument())) {
        const QString hold = sendPath(kHoldName);
        if (!CopyWholeFile(workingDocument(), hold) ||
            !JoinTwoApfFiles(workingDocument(), hold, source))
            message = "We encountered an error attempting to attach this fax";
        RemoveQuietly(hold);
    } else if (!CopyWholeFile(source, workingDocument())) {
        message = "We encountered an error attempting to attach this fax";
    }
    documentEdited();
    return message;
}

Result<QStringList> EditFaxSession::preparePreview() {
    const QStringList lines = MessageLines(fields.FaxMessage);
    const bool blank = IsBlankMessage(lines);
    if (blank && !IsFile(workingDocument()))
        return Status::Error("No cover message and no fax document - nothing to preview");
    if (blank) {
        RemoveQuietly(workingCover());
    } else {
        CoverGenerator generator;
        const Result<QString> made = generator.GenerateCover(
            workingCover(), CoversFolder() + templateName_, CoverDataOf(fields), lines);
        if (!made.ok()) return made.status();
    }
    QStringList files;
    for (const QString& path : {workingCover(), workingDocument()})
        if (IsFile(path)) files << path;
    return files;
}

QString EditFaxSession::addToPhoneBook() {
    if (fields.Recipient.isEmpty() || fields.RecipientFax.isEmpty())
        return "Nothing to add - please fill in the receipient and fax number fields";
    switch (fdm_.AddPhoneBookEntry(fields.Recipient, fields.RecipientFax)) {
        case 0:
            return "Added to phone book";
        case 2:
            return "Entry already in phone book";
        default:
            return "Unable to add to phone book";
    }
}

Status EditFaxSession::saveSenderAsDefault() {
    Settings& s = GlobalSettings();
    s.UserName = fields.Name;
    s.UserFax = fields.FaxNumber;
    s.UserVoice = fields.Voicenumber;
    s.UserCompany = fields.Company;
    return SaveSettings();
}

void EditFaxSession::restoreSenderFromDefault() {
    const Settings& s = GlobalSettings();
    fields.Name = s.UserName;
    fields.FaxNumber = s.UserFax;
    fields.Voicenumber = s.UserVoice;
    fields.Company = s.UserCompany;
}

}  // namespace corvane
