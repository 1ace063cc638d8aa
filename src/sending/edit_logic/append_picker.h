#pragma once
// The rules of "Select Fax To Append", without widgets: its sort box, the filter its two
// check boxes make, and what "View" and "&Append this fax" say about a record's document.

#include <QString>
#include <QStringList>

namespace corvane {

// "Sort by Date Sent", "Sort by Subject", "Sort by Recipient".
QStringList AppendPickerSorts();
// The index tag of a sort entry: DATESENT, SUBJECT, RECIPIENT.
QString AppendPickerTag(int entry);
// The filter of "Show Only Unsent Faxes" and "Show Archived Faxes" (empty: none).
QString AppendPickerFilter(bool unsentOnly, bool showArchived);

// The document of a record as the picker's commands see it: its full path, or the message
// that stops them ("No Fax document here - only a cover file", or the missing file's).
struct PickedDocument {
    QString path;
    QString refusal;
};
PickedDocument CheckPickedDocument(const QString& faxDoc);

}  // namespace corvane
