#include "logwindow/phone_book.h"

#include "logs/fax_data_module.h"
#include "core/message_boxes.h"
#include "core/windows1252.h"

namespace corvane {

PhoneBookBrowser::PhoneBookBrowser(TFDM& fdm) : fdm_(fdm) {
    Reload();
}

void PhoneBookBrowser::Reload() {
    xbase::XbaseTable& t = fdm_.PhoneTable;
    entries_.clear();
    if (!t.isOpen()) return;
    const uint32_t current = t.recNo();
    for (bool ok = t.goTop(); ok && !t.eof(); ok = t.skip(1))
        entries_.push_back({t.recNo(), t.fieldText("NAME"), t.fieldText("PHONE")});
    // Back to the entry that was current, or the first one when it has gone.
    if (current > t.recCount() || !t.go(current) || t.deleted()) t.goTop();
}

int PhoneBookBrowser::currentRow() const {
    const xbase::XbaseTable& t = fdm_.PhoneTable;
    if (!t.isOpen() || t.eof()) return -1;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].recno == t.recNo()) return int(i);
    return -1;
}

void PhoneBookBrowser::SetCurrentRow(int row) {
    if (row >= 0 && size_t(row) < entries_.size()) fdm_.PhoneTable.go(entries_[size_t(row)].recno);
}

void PhoneBookBrowser::LetterTab(QChar letter) {
    xbase::XbaseTable& t = fdm_.PhoneTable;
    const uint32_t noted = t.recNo();
    if (!t.seek(ToWindows1252(QString(letter.toUpper())))) t.go(noted);
}

bool PhoneBookBrowser::New(const QString& name, const QString& phone) {
    xbase::XbaseTable& t = fdm_.PhoneTable;
    const bool ok = t.appendBlank() && t.replaceText("NAME", name) &&
                    t.replaceText("PHONE", phone) && t.commit();
    Reload();
    return ok;
}

bool PhoneBookBrowser::Edit(const QString& name, const QString& phone) {
    xbase::XbaseTable& t = fdm_.PhoneTable;
    if (entries_.empty() || t.eof()) return false;
    const bool ok = t.replaceText("NAME", name) && t.replaceText("PHONE", phone) && t.commit();
    Reload();
    return ok;
}

bool PhoneBookBrowser::Delete() {
    xbase::XbaseTable& t = fdm_.PhoneTable;
    if (entries_.empty() || t.eof()) return false;
    const uint32_t recno = t.recNo();
    bool deleted = false;
    if (AskYesNoDefaultNo("Delete the current phone book entry?:\r" + t.fieldText("NAME"),
                          "Delete") &&
        t.go(recno)) {
        deleted = t.deleteRecord() && t.commit();
        t.skip(1);
        if (t.eof()) t.goBottom();
    }
    Reload();
    return deleted;
}

PhoneBookEntry PhoneBookBrowser::Current() const {
    const xbase::XbaseTable& t = fdm_.PhoneTable;
    if (!t.isOpen() || t.eof()) return {};
    // As stored: padded to the field widths.
    return {t.recNo(), FromWindows1252(t.fieldBytes("NAME")),
            FromWindows1252(t.fieldBytes("PHONE"))};
}

}  // namespace corvane
