#pragma once
// CoverData: the values of one fax that replace a template's placeholders.

#include <QDateTime>
#include <QString>

namespace corvane {

struct CoverData {
    // In the order of TCoverFieldType.
    QString Date;
    QString Time;
    QString Regarding;
    QString Recipient;
    QString RecipientFax;
    QString Sender;
    QString SenderCompany;
    QString SenderFax;
    QString SenderVoice;
    // In the order of the importance line's boxes.
    bool Urgent = false;
    bool ForReview = false;
    bool PleaseComment = false;
    bool PleaseReply = false;
    bool PleaseRecycle = false;

    // The string of field kind `index` (0..8); empty for any other index.
    QString field(int index) const;
    // The flag of importance box `index` (0..4).
    bool flag(int index) const;
    bool anyFlag() const {
        return Urgent || ForReview || PleaseComment || PleaseReply || PleaseRecycle;
    }
    // Sets a value by its field name ("Recipient", "SenderFax", ...) or menu caption
    // ("Recipient Fax", "Sender Phone"); false for a name that is neither.
    bool setByName(const QString& name, const QString& value);
};

// Date and Time of `when` in the user's long date and long time formats.
void StampCoverData(CoverData& data, const QDateTime& when);
// Formats in the pattern letters of the locale formats ("mmmm d, yyyy", "h:mm:ss AMPM").
QString FormatDatePattern(const QDate& date, const QString& pattern);
QString FormatTimePattern(const QTime& time, const QString& pattern);

}  // namespace corvane
