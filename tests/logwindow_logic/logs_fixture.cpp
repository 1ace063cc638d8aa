#include "logs_fixture.h"

#include <QDir>

#include "core/app_folders.h"

namespace corvane::testing {

LogsInHome::LogsInHome() {
    QDir().mkpath(AppFolder() + "SEND");
    QDir().mkpath(AppFolder() + "Receive");
    fdm.OpenFaxLogs();
}

uint32_t LogsInHome::add(const OutgoingRecord& r) {
    OutgoingFaxFields f;
    f.subject = r.subject;
    f.recipient = r.recipient;
    f.phone = r.phone;
    f.faxDoc = r.doc;
    f.faxCover = r.cover;
    f.notes = r.notes;
    f.codes = r.codes;
    (void)fdm.AppendOutgoingFax(f);
    auto& t = fdm.FaxTable;
    if (r.sent.isValid()) (void)t.replaceDate("DATESENT", r.sent);
    (void)t.replaceText("TIMESENT", r.time);
    (void)t.replaceText("LASTRESULT", r.lastResult);
    (void)t.replaceLogical("ARCHIVED", r.archived);
    (void)t.commit();
    return t.recNo();
}

uint32_t LogsInHome::add(const IncomingRecord& r) {
    ReceivedFaxFields f;
    f.date = r.date;
    f.time = r.time;
    f.from = r.from;
    f.pages = 1;
    f.faxFile = r.file;
    (void)fdm.AppendReceivedFax(f);
    auto& t = fdm.RecTable;
    (void)t.replaceText("NOTES", r.notes);
    (void)t.replaceLogical("ARCHIVED", r.archived);
    (void)t.commit();
    return t.recNo();
}

QString LogsInHome::send(const QString& name) const {
    return AppFolder() + "SEND/" + name;
}

QString LogsInHome::received(const QString& name) const {
    return AppFolder() + "Receive/" + name;
}

}  // namespace corvane::testing
