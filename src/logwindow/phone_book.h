#pragma once
// The phone book browser's logic, without widgets: the entries in NAME order, the letter
// tabs, new, edit and delete, and which buttons are enabled. Works on the open phone book of
// the data module (TFDM::OpenPhoneBook).

#include <QString>
#include <cstdint>
#include <vector>

namespace corvane {

class TFDM;

struct PhoneBookEntry {
    uint32_t recno = 0;
    QString name;
    QString phone;
};

class PhoneBookBrowser {
  public:
    explicit PhoneBookBrowser(TFDM& fdm);

    // The visible entries in NAME order (read again by Reload after every change).
    const std::vector<PhoneBookEntry>& entries() const { return entries_; }
    void Reload();
    // Row of the phone book's current record, -1 when none.
    int currentRow() const;
    void SetCurrentRow(int row);

    // "&Edit", "&Delete" and "&Accept" are enabled when the view holds at least one entry.
    bool EditEnabled() const { return !entries_.empty(); }

    // The first entry whose name begins with the letter; the current entry stays when none.
    void LetterTab(QChar letter);
    // Appends an entry (values are cut to the field widths by the table).
    bool New(const QString& name, const QString& phone);
    // Replaces the current entry; false (the caller beeps) when there is none.
    bool Edit(const QString& name, const QString& phone);
    // Asks "Delete the current phone book entry?:" and marks the entry for deletion on Yes.
    // False when there is no entry (the caller beeps) or the user said No.
    bool Delete();
    // NAME and PHONE of the current entry as stored (picking mode returns these).
    PhoneBookEntry Current() const;

  private:
    TFDM& fdm_;
    std::vector<PhoneBookEntry> entries_;
};

}  // namespace corvane
