#pragma once
// The data module: owns the outgoing log, the incoming log and the phone book, with the
// engine environment every table shares (century on, records marked for deletion hidden).
// The two logs stay open exclusively while the program runs; the phone book is opened only
// while it is used. Windows reach the tables through the one TFDM the application creates.

#include <QDate>
#include <QString>

#include "logs/date_time_text.h"
#include "xbase/xbase_table.h"

namespace corvane {

enum class LogKind { Outgoing, Incoming };

// Fields written when a new outgoing fax is logged (new fax, printer-driver intake, clone,
// forward); DATESENT and TIMESENT start empty and ARCHIVED false.
struct OutgoingFaxFields {
    QString subject, recipient, phone, faxDoc, faxCover, notes, codes;
};

// Fields written when a fax has been received.
struct ReceivedFaxFields {
    QDate date;
    QString time;  // "hh:nn"
    QString from;
    int pages = 0;  // stored as at most 99: the field holds two digits
    QString faxFile;
};

class TFDM {
  public:
    TFDM();
    ~TFDM();
    TFDM(const TFDM&) = delete;
    TFDM& operator=(const TFDM&) = delete;

    xbase::XbaseTable FaxTable;    // QXOUT.DBF
    xbase::XbaseTable RecTable;    // QXREC.DBF
    xbase::XbaseTable PhoneTable;  // QXPB.DBF

    // Locale formats for SentAtText (set by start-up from the user's locale).
    LocaleFormats Formats;

    // Opens or creates both logs and their indexes, each in its first index order (DATESENT,
    // DATETIME); on failure shows one of the four start-up messages and returns false (the
    // program must then end).
    bool OpenFaxLogs();

    // Open-or-create of a log table: creates the file when missing, then opens it
    // exclusively and moves to the first record.
    bool OpenOutgoingLog();
    bool OpenIncomingLog();
    // Creates every tag of a table's list, in order, in its structural index.
    bool CreateOutgoingTags();
    bool CreateIncomingTags();
    bool CreatePhoneBookTags();

    bool OpenPhoneBook(bool exclusive);
    void ClosePhoneBook();
    // 0 added, 1 the phone book could not be opened, 2 the pair is already there.
    int AddPhoneBookEntry(const QString& name, const QString& number);

    // "not sent", or the date and time of the current record in the locale short formats.
    QString SentAtText(LogKind kind) const;

    // Calculated fields of the current record.
    QString CalcFaxFile() const;                                    // outgoing "Fax File"
    QString CalcRecFaxfile() const;                                 // incoming "Fax File"
    static QString IsDeletedText(const xbase::XbaseTable& table);   // "Yes" / "No "
    static QString IsArchivedText(const xbase::XbaseTable& table);  // "Yes" / "No "

    // Appends and commits a record; the new record becomes current. A failure says why
    // (the table's file and the system's reason).
    Status AppendOutgoingFax(const OutgoingFaxFields& fields);
    Status AppendReceivedFax(const ReceivedFaxFields& fields);

    // True when an index lacks a tag that later versions added ("URECIP", "UFROM"): the
    // first activation then runs the pack-and-reindex procedure.
    bool IndexesNeedRebuild() const;

    void CloseTables();

  private:
    bool OpenLog(xbase::XbaseTable& table, const char* fileName,
                 const std::vector<xbase::FieldDef>& fields);
    bool CreateTags(xbase::XbaseTable& table, const std::vector<xbase::TagDef>& tags);
    bool CreatePhoneBookTagsWhileShared(bool exclusive);
};

// The start-up entry: TFDM::OpenFaxLogs on the given module.
bool OpenFaxLogs(TFDM& fdm);

}  // namespace corvane
