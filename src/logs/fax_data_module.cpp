#include "logs/fax_data_module.h"

#include <QDateTime>
#include <QFileInfo>

#include "core/app_folders.h"
#include "logs/fax_log_schema.h"
#include "core/message_boxes.h"
#include "xbase/text_encoding.h"

namespace corvane {

using xbase::OpenMode;
using xbase::XbaseTable;

namespace {

// Days after which an outgoing record's date counts as "not sent" (includes the empty date).
constexpr int kNotSentAfterDays = 2000;

QString padOrCut(const QString& text, int width) {
    return text.left(width).leftJustified(width, ' ');
}

QString tablePath(const char* fileName) {
    return ResolveName(AppFolder(), fileName);
}

bool indexMissing(const XbaseTable& table) {
    return !QFileInfo::exists(XbaseTable::indexPathFor(table.path()));
}

}  // namespace

TFDM::TFDM() {
    // Engine environment: four-digit years are the only kind the engine knows; records
    // marked for deletion are invisible to every navigation and count.
    for (XbaseTable* t : {&FaxTable, &RecTable, &PhoneTable}) t->setDeletedHidden(true);
}

TFDM::~TFDM() {
    CloseTables();
}

void TFDM::CloseTables() {
    FaxTable.close();
    RecTable.close();
    PhoneTable.close();
}

bool TFDM::OpenLog(XbaseTable& table, const char* fileName,
                   const std::vector<xbase::FieldDef>& fields) {
    const QString path = tablePath(fileName);
    table.close();
    if (!QFileInfo::exists(path)) {
        if (!XbaseTable::create(path, fields).ok() || !QFileInfo::exists(path)) return false;
    }
    if (!table.open(path, OpenMode::Exclusive).ok()) return false;
    table.goTop();
    return true;
}

bool TFDM::OpenOutgoingLog() {
    return OpenLog(FaxTable, kOutgoingTableName, OutgoingFields());
}
bool TFDM::OpenIncomingLog() {
    return OpenLog(RecTable, kIncomingTableName, IncomingFields());
}

bool TFDM::CreateTags(XbaseTable& table, const std::vector<xbase::TagDef>& tags) {
    if (!table.isOpen()) return false;
    for (const xbase::TagDef& tag : tags)
        if (!table.createTag(tag).ok()) return false;
    return true;
}

bool TFDM::CreateOutgoingTags() {
    return CreateTags(FaxTable, OutgoingTags());
}
bool TFDM::CreateIncomingTags() {
    return CreateTags(RecTable, IncomingTags());
}
bool TFDM::CreatePhoneBookTags() {
    return CreateTags(PhoneTable, PhoneBookTags());
}

bool TFDM::OpenFaxLogs() {
    if (!OpenOutgoingLog()) {
        ShowInformation("Unable to open/create the FAX datafile - closing program");
        return false;
    }
    if (indexMissing(FaxTable) && !CreateOutgoingTags()) {
        ShowInformation("Unable to open/create the FAX indexes - closing program");
        return false;
    }
    if (!OpenIncomingLog()) {
        ShowInformation("Unable to open/create the FAX RECEIVE datafile - closing program");
        return false;
    }
    if (indexMissing(RecTable) && !CreateIncomingTags()) {
        ShowInformation("Unable to open/create the FAX RECEIVE indexes - closing program");
        return false;
    }
    // Both logs start in their first index order, newest first.
    for (auto [table, tag] : {std::pair{&FaxTable, "DATESENT"}, std::pair{&RecTable, "DATETIME"}}) {
        table->setOrder(table->tagArea(tag));
        table->goTop();
    }
    return true;
}

bool OpenFaxLogs(TFDM& fdm) {
    return fdm.OpenFaxLogs();
}

bool TFDM::CreatePhoneBookTagsWhileShared(bool exclusive) {
    if (exclusive) return CreatePhoneBookTags();
    // Tags can only be written with the table to ourselves.
    const QString path = PhoneTable.path();
    PhoneTable.close();
    bool created = PhoneTable.open(path, OpenMode::Exclusive).ok() && CreatePhoneBookTags();
    PhoneTable.close();
    if (!PhoneTable.open(path, OpenMode::Shared).ok()) created = false;
    return created;
}

bool TFDM::OpenPhoneBook(bool exclusive) {
    const QString path = tablePath(kPhoneBookTableName);
    PhoneTable.close();
    if (!QFileInfo::exists(path) && !XbaseTable::create(path, PhoneBookFields()).ok()) return false;
    if (!PhoneTable.open(path, exclusive ? OpenMode::Exclusive : OpenMode::Shared).ok())
        return false;
    bool result = true;
    if (indexMissing(PhoneTable)) result = CreatePhoneBookTagsWhileShared(exclusive);
    if (!PhoneTable.isOpen()) return false;
    PhoneTable.setOrder(PhoneTable.tagArea("NAME"));
    const QString key = QString::fromStdString(PhoneTable.indexKey()).trimmed().toUpper();
    if (key != "UPPER(NAME)") {
        result = CreatePhoneBookTagsWhileShared(exclusive) && result;
        if (!PhoneTable.isOpen()) return false;
    }
    PhoneTable.setOrder(PhoneTable.tagArea("NAME"));
    // The condition is a constant that compiles.
    (void)PhoneTable.query(kNotDeletedCondition);
    return result;
}

void TFDM::ClosePhoneBook() {
    PhoneTable.close();
}

int TFDM::AddPhoneBookEntry(const QString& name, const QString& number) {
    // Names compare as the NAME tag's UPPER(NAME) keys do: in the table's code page.
    std::string wantedName = xbase::UpperCase(ToWindows1252(name.left(kPhoneBookNameWidth)));
    wantedName.resize(size_t(kPhoneBookNameWidth), ' ');
    const QString wantedNumber = padOrCut(number, kPhoneBookPhoneWidth);
    if (!OpenPhoneBook(true)) {
        ClosePhoneBook();
        return 1;
    }
    int result = 0;
    if (PhoneTable.seek(wantedName)) {
        while (!PhoneTable.eof() && xbase::UpperCase(PhoneTable.fieldBytes("NAME")) == wantedName) {
            if (padOrCut(PhoneTable.fieldText("PHONE"), kPhoneBookPhoneWidth) == wantedNumber) {
                result = 2;
                break;
            }
            if (!PhoneTable.skip(1)) break;
        }
    }
    if (result == 0) {
        if (!PhoneTable.appendBlank() || !PhoneTable.replaceText("NAME", name) ||
            !PhoneTable.replaceText("PHONE", number) || !PhoneTable.commit())
            result = 1;
    }
    ClosePhoneBook();
    return result;
}

QString TFDM::SentAtText(LogKind kind) const {
    const XbaseTable& table = kind == LogKind::Outgoing ? FaxTable : RecTable;
    const QDate date = table.fieldDate(kind == LogKind::Outgoing ? "DATESENT" : "DATEREC");
    const QString timeText = table.fieldText(kind == LogKind::Outgoing ? "TIMESENT" : "TIMEREC");
    if (kind == LogKind::Outgoing) {
        const QDateTime limit = QDateTime::currentDateTime().addDays(-kNotSentAfterDays);
        if (!date.isValid() || QDateTime(date, QTime(0, 0)) < limit) return "not sent";
    }
    const QString dateText =
        date.isValid()
            ? FormatDateTimeText(Formats.shortDate, QDateTime(date, QTime(0, 0)), Formats)
            : QString();
    QTime time = QTime::fromString(timeText.trimmed(), "h:m");
    if (!time.isValid()) time = QTime::fromString(timeText.trimmed(), "h:m:s");
    QString timePart;
    if (time.isValid())
        timePart =
            FormatDateTimeText(Formats.shortTime, QDateTime(QDate(2000, 1, 1), time), Formats);
    else
        timePart = kind == LogKind::Outgoing ? QString("???") : timeText;
    return dateText + " at " + timePart;
}

QString TFDM::CalcFaxFile() const {
    const QString doc = FaxTable.fieldText("FAXDOC").trimmed();
    if (doc.isEmpty()) return "(Cover only)";
    return ResolveName(SendFolder(), doc);
}

QString TFDM::CalcRecFaxfile() const {
    return ResolveName(ReceiveFolder(), RecTable.fieldText("FAXFILE").trimmed());
}

QString TFDM::IsDeletedText(const XbaseTable& table) {
    return table.deleted() ? "Yes" : "No ";
}

QString TFDM::IsArchivedText(const XbaseTable& table) {
    return table.fieldLogical("ARCHIVED") ? "Yes" : "No ";
}

Status TFDM::AppendOutgoingFax(const OutgoingFaxFields& f) {
    XbaseTable& t = FaxTable;
    Status s = t.appendBlank();
    if (s) s = t.replaceText("SUBJECT", f.subject);
    if (s) s = t.replaceText("RECIPIENT", f.recipient);
    if (s) s = t.replaceText("PHONE", f.phone);
    if (s) s = t.replaceText("FAXDOC", f.faxDoc);
    if (s) s = t.replaceText("FAXCOVER", f.faxCover);
    if (s) s = t.replaceText("NOTES", f.notes);
    if (s) s = t.replaceText("CODES", f.codes);
    if (s) s = t.replaceDate("DATESENT", QDate());
    if (s) s = t.replaceText("TIMESENT", "");
    if (s) s = t.replaceLogical("ARCHIVED", false);
    if (s) s = t.commit();
    return s;
}

Status TFDM::AppendReceivedFax(const ReceivedFaxFields& f) {
    XbaseTable& t = RecTable;
    Status s = t.appendBlank();
    if (s) s = t.replaceDate("DATEREC", f.date);
    if (s) s = t.replaceText("TIMEREC", f.time);
    if (s) s = t.replaceText("FROM", f.from);
    if (s) s = t.replaceNumber("PAGES", std::clamp(f.pages, 0, kMaxStoredPages));
    if (s) s = t.replaceText("FAXFILE", f.faxFile);
    if (s) s = t.replaceLogical("ARCHIVED", false);
    if (s) s = t.commit();
    return s;
}

bool TFDM::IndexesNeedRebuild() const {
    return FaxTable.tagArea("URECIP") == 0 || RecTable.tagArea("UFROM") == 0;
}

}  // namespace corvane
