#include "logwindow/log_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/app_folders.h"
#include "core/fax_errors.h"
#include "core/file_naming.h"
#include "core/message_boxes.h"
#include "core/windows1252.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "logwindow/logic/fax_record_files.h"

namespace corvane {

using xbase::XbaseTable;

namespace {

constexpr int kInfoLabelWidth = 12;
const char* const kCopyFailed = "Unable to copy the fax files";

// Commits a change to the current record; a change or a write that failed is told with its
// reason, and the caller then leaves the files the record names alone.
bool stored(XbaseTable& table, Status change) {
    if (change) change = table.commit();
    if (!change) ShowInformation(change.message());
    return change.ok();
}

bool fileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void removeQuietly(const QString& path) {
    // A file that is already gone or cannot be removed changes nothing for the log.
    if (!path.isEmpty()) QFile::remove(path);
}

int pageCountOf(const QString& path) {
    if (!fileExists(path)) return 0;
    try {
        return GetApfPageCount(path);
    } catch (const EFaxError&) {
        return 0;
    }
}

QString infoLine(const QString& label, const QString& value) {
    return label.leftJustified(kInfoLabelWidth, ' ', true) + value.trimmed();
}

LogKind kindOf(LogPage page) {
    return page == LogPage::Outgoing ? LogKind::Outgoing : LogKind::Incoming;
}

}  // namespace

LogCommands::LogCommands(TFDM& fdm, MainScreenState& state, LogDialogs& dialogs)
    : fdm_(fdm), state_(state), dialogs_(dialogs) {}

bool LogCommands::HasSelectedRecord(const XbaseTable& table) {
    return table.isOpen() && !table.eof() && table.recNo() != table.recCount() + 1;
}

bool LogCommands::HasSelectedRecord(LogPage page) const {
    return HasSelectedRecord(Table(page));
}

XbaseTable& LogCommands::Table(LogPage page) const {
    return page == LogPage::Outgoing ? fdm_.FaxTable : fdm_.RecTable;
}

void LogCommands::Notify(LogKind kind) {
    if (changed) changed(kind);
}

void LogCommands::Delete(LogPage page) {
    if (page == LogPage::Outgoing)
        DeleteOutgoing();
    else
        DeleteIncoming();
    HandleGrids();
}

void LogCommands::DeleteOutgoing() {
    XbaseTable& t = fdm_.FaxTable;
    if (!HasSelectedRecord(t)) {
        dialogs_.beep();
        return;
    }
    const uint32_t recno = t.recNo();
    const QString docName = t.fieldText("FAXDOC").trimmed().toUpper();
    const QString coverName = t.fieldText("FAXCOVER").trimmed().toUpper();
    DeleteWhat what = DeleteWhat::Both;
    if (!docName.isEmpty() && !coverName.isEmpty()) {
        const auto choice = dialogs_.askDeleteWhat();
        if (!choice) return;
        what = *choice;
    } else if (!AskYesNoDefaultNo(DeleteQuestion(LogPage::Outgoing, t.fieldText("SUBJECT")),
                                  "Delete")) {
        return;
    }
    if (!t.go(recno)) return;
    const QString doc = StoredFileIn(SendFolder(), docName);
    const QString cover = StoredFileIn(SendFolder(), coverName);
    switch (what) {
        case DeleteWhat::Cover:
            if (!stored(t, t.replaceText("FAXCOVER", ""))) break;
            removeQuietly(cover);
            removeQuietly(CoverDataFileOf(cover));
            break;
        case DeleteWhat::Body:
            if (!stored(t, t.replaceText("FAXDOC", ""))) break;
            removeQuietly(doc);
            break;
        case DeleteWhat::Both:
            if (!stored(t, t.deleteRecord())) break;
            t.skip(1);
            if (t.eof()) t.goBottom();
            removeQuietly(doc);
            removeQuietly(cover);
            removeQuietly(CoverDataFileOf(cover));
            break;
    }
    Notify(LogKind::Outgoing);
}

void LogCommands::DeleteIncoming() {
    XbaseTable& t = fdm_.RecTable;
    if (!HasSelectedRecord(t) || state_.ReceivingCall) {
        dialogs_.beep();
        return;
    }
    const uint32_t recno = t.recNo();
    if (!AskYesNoDefaultNo(DeleteQuestion(LogPage::Incoming, t.fieldText("FROM")), "Delete"))
        return;
    if (!t.go(recno)) return;
    const QString file = StoredFileIn(ReceiveFolder(), t.fieldText("FAXFILE"));
    if (!stored(t, t.deleteRecord())) return;
    t.skip(1);
    if (t.eof()) t.goBottom();
    removeQuietly(file);
    Notify(LogKind::Incoming);
}

void LogCommands::Archive(LogPage page) {
    XbaseTable& t = Table(page);
    if (!HasSelectedRecord(t) || (page == LogPage::Incoming && state_.ReceivingCall)) {
        dialogs_.beep();
        return;
    }
    const uint32_t recno = t.recNo();
    const bool archived = t.fieldLogical("ARCHIVED");
    const QString about = t.fieldText(page == LogPage::Outgoing ? "SUBJECT" : "FROM").trimmed();
    if (AskYesNoDefaultNo(ArchiveQuestion(page, archived, about), "Archive") && t.go(recno)) {
        (void)stored(t, t.replaceLogical("ARCHIVED", !archived));
        // The record may leave the view ("Only Unsent Faxes"); the cursor then moves on.
        if (!t.filter().empty() && !t.evalLogical(t.filter())) {
            t.skip(1);
            if (t.eof()) t.goBottom();
        }
        Notify(kindOf(page));
    }
    HandleGrids();
}

void LogCommands::EditReceivedNotes() {
    XbaseTable& t = fdm_.RecTable;
    if (state_.ReceivingCall) {
        ShowInformation("You cannot edit received faxes while in Receive Mode");
        return;
    }
    if (!HasSelectedRecord(t)) {
        dialogs_.beep();
        return;
    }
    const uint32_t recno = t.recNo();
    QString from = t.fieldText("FROM");
    QString notes = t.fieldText("NOTES");
    if (!dialogs_.editReceiveNotes(from, notes) || !t.go(recno)) return;
    Status changed = t.replaceText("FROM", from);
    if (changed) changed = t.replaceText("NOTES", notes);
    (void)stored(t, changed);
    Notify(LogKind::Incoming);
}

bool LogCommands::Find(LogPage page) {
    const auto fields = dialogs_.askFind(page);
    if (!fields) return false;
    const QString expression = BuildFindExpression(*fields);
    if (expression.isEmpty()) return false;
    (page == LogPage::Outgoing ? state_.IncomingSearch : state_.OutgoingSearch).clear();
    XbaseTable& t = Table(page);
    if (busy) busy(true);
    t.goTop();
    const auto located = t.locate(ToWindows1252(expression), true, false);
    if (busy) busy(false);
    const bool found = located.ok() && located.value() != 0;
    (page == LogPage::Outgoing ? state_.OutgoingSearch : state_.IncomingSearch) =
        found ? expression : QString();
    if (!found) ShowInformation("Not Found");
    Notify(kindOf(page));
    return found;
}

bool LogCommands::FindNext(LogPage page) {
    QString& search = page == LogPage::Outgoing ? state_.OutgoingSearch : state_.IncomingSearch;
    if (search.isEmpty()) return false;
    if (busy) busy(true);
    const auto located = Table(page).locate(ToWindows1252(search), true, true);
    if (busy) busy(false);
    const bool found = located.ok() && located.value() != 0;
    if (!found) {
        search.clear();
        ShowInformation("Not Found");
    }
    Notify(kindOf(page));
    return found;
}

void LogCommands::Clone() {
    XbaseTable& t = fdm_.FaxTable;
    if (!HasSelectedRecord(t)) {
        dialogs_.beep();
        return;
    }
    const QString doc = StoredFileIn(SendFolder(), t.fieldText("FAXDOC"));
    const QString cover = StoredFileIn(SendFolder(), t.fieldText("FAXCOVER"));
    const bool haveDoc = fileExists(doc), haveCover = fileExists(cover);
    if (!haveDoc && !haveCover) {
        ShowInformation("Error - fax file and/or cover file missing");
        return;
    }
    ForwardOrCloneRequest r;
    const QString subject = t.fieldText("SUBJECT");
    r.title = "Clone fax: (subject: \"" + subject + "\")";
    r.recipient = t.fieldText("RECIPIENT");
    r.faxNumber = t.fieldText("PHONE");
    r.subject = "[clone of] " + subject;
    r.includeCover = haveCover;
    if (haveDoc) {
        r.documentPath = doc;
        r.pageCount = pageCountOf(doc);
        r.showPageChoice = r.pageCount > 1;
        r.pages = MakePageRange(1, std::max(1, r.pageCount), std::max(1, r.pageCount));
        r.showCoverChoice = haveCover;
        r.showNoCoverLabel = !haveCover;
    }
    if (!dialogs_.forwardOrClone(r)) return;

    OutgoingFaxFields f;
    f.recipient = r.recipient;
    f.phone = r.faxNumber;
    f.subject = r.subject;
    QStringList made;
    bool ok = true;
    if (haveDoc) {
        // A folder whose names are used up fails like a failed copy: nothing is logged.
        const auto name = GetUniqueSendFileName("FAX");
        const QString target = name.value_or(QString());
        ok = name.ok() &&
             (r.pages.allPages ? CopyWholeFile(doc, target)
                               : ExtractApfPages(doc, target, r.pages.from, r.pages.to));
        made << target;
        f.faxDoc = QFileInfo(target).fileName();
    }
    if (ok && haveCover && (r.includeCover || !haveDoc)) {
        const auto name = GetUniqueSendFileName("COV");
        const QString target = name.value_or(QString());
        ok = name.ok() && CopyWholeFile(cover, target);
        made << target;
        const QString data = CoverDataFileOf(cover);
        if (ok && fileExists(data)) {
            const QString dataTarget = CoverDataFileOf(target);
            ok = CopyWholeFile(data, dataTarget);
            made << dataTarget;
        }
        f.faxCover = QFileInfo(target).fileName();
    }
    // A record is only logged with its files complete; partial copies are removed.
    const Status logged = ok ? fdm_.AppendOutgoingFax(f) : Status::Error(kCopyFailed);
    if (!logged) {
        for (const QString& path : made) removeQuietly(path);
        ShowInformation(logged.message());
        return;
    }
    Notify(LogKind::Outgoing);
    HandleGrids();
    FaxTableCloseAndOpen();
}

void LogCommands::Forward() {
    if (state_.InReceiveMode) {
        ShowInformation(
            "You are in currently receiving a fax. This operation cannot be done\rwhile in "
            "receiving a fax. Click the Stop button to end\rreceiving");
        return;
    }
    XbaseTable& t = fdm_.RecTable;
    if (!HasSelectedRecord(t)) return;
    const QString source = StoredFileIn(ReceiveFolder(), t.fieldText("FAXFILE"));
    if (!fileExists(source)) return;
    ForwardOrCloneRequest r;
    r.title = "Forward fax from: " + t.fieldText("FROM");
    r.documentPath = source;
    r.pageCount = pageCountOf(source);
    r.showPageChoice = r.pageCount > 1;
    r.pages = MakePageRange(1, std::max(1, r.pageCount), std::max(1, r.pageCount));
    r.includeCover = false;
    if (!dialogs_.forwardOrClone(r)) return;
    const auto name = GetUniqueSendFileName("FWD");
    const QString target = name.value_or(QString());
    const bool ok =
        name.ok() && (r.pages.allPages ? CopyWholeFile(source, target)
                                       : ExtractApfPages(source, target, r.pages.from, r.pages.to));
    OutgoingFaxFields f;
    f.recipient = r.recipient;
    f.phone = r.faxNumber;
    f.subject = r.subject;
    f.faxDoc = QFileInfo(target).fileName();
    const Status logged = ok ? fdm_.AppendOutgoingFax(f) : Status::Error(kCopyFailed);
    if (!logged) {
        removeQuietly(target);
        ShowInformation(logged.message());
        return;
    }
    if (showPage) showPage(LogPage::Outgoing);
    FaxTableCloseAndOpen();
}

FaxInformation LogCommands::Information(LogPage page) const {
    FaxInformation info;
    const XbaseTable& t = Table(page);
    if (!HasSelectedRecord(t)) return info;
    QStringList lines;
    if (page == LogPage::Outgoing) {
        const QString doc = StoredFileIn(SendFolder(), t.fieldText("FAXDOC"));
        const QString cover = StoredFileIn(SendFolder(), t.fieldText("FAXCOVER"));
        info.fileExists = fileExists(doc);
        info.filePath = info.fileExists ? doc : QString();
        info.fileName = info.fileExists     ? doc
                        : fileExists(cover) ? QString("(none - cover sheet only)")
                                            : QString("(missing/none)");
        lines << infoLine("Fax File:", info.fileName) << infoLine("To:", t.fieldText("RECIPIENT"))
              << infoLine("Subject:", t.fieldText("SUBJECT"))
              << infoLine("Pages:", QString::number(pageCountOf(doc)) + " page(s)")
              << infoLine("Notes:", t.fieldText("NOTES"))
              << infoLine("Codes:", t.fieldText("CODES"))
              << infoLine("Sent:", fdm_.SentAtText(LogKind::Outgoing))
              << infoLine("Results:", t.fieldText("LASTRESULT"));
    } else {
        const QString stored = t.fieldText("FAXFILE").trimmed();
        const QString file = StoredFileIn(ReceiveFolder(), stored);
        info.fileExists = fileExists(file);
        info.filePath = info.fileExists ? file : QString();
        info.fileName = info.fileExists    ? file
                        : stored.isEmpty() ? QString()
                                           : QString("(missing/none)");
        lines << infoLine("From:", t.fieldText("FROM"))
              << infoLine("Rec'd:", fdm_.SentAtText(LogKind::Incoming))
              << infoLine("Notes:", t.fieldText("NOTES"))
              << infoLine("Pages:", QString::number(pageCountOf(file)) + " page(s)");
    }
    info.text = lines.join('\r');
    return info;
}

SelectedFaxFiles LogCommands::SelectedFax(LogPage page) const {
    SelectedFaxFiles fax;
    const XbaseTable& t = Table(page);
    if (!HasSelectedRecord(t)) return fax;
    if (page == LogPage::Outgoing) {
        fax.title = "To: " + t.fieldText("RECIPIENT") +
                    "             Sent: " + fdm_.SentAtText(LogKind::Outgoing);
        fax.cover = StoredFileIn(SendFolder(), t.fieldText("FAXCOVER"));
        fax.document = StoredFileIn(SendFolder(), t.fieldText("FAXDOC"));
    } else {
        fax.title = "From: " + t.fieldText("FROM").trimmed() +
                    "             Received: " + fdm_.SentAtText(LogKind::Incoming);
        fax.document = StoredFileIn(ReceiveFolder(), t.fieldText("FAXFILE"));
    }
    return fax;
}

QString LogCommands::ExportFile(LogPage page) const {
    const XbaseTable& t = Table(page);
    if (!HasSelectedRecord(t)) return {};
    return page == LogPage::Outgoing ? StoredFileIn(SendFolder(), t.fieldText("FAXDOC"))
                                     : StoredFileIn(ReceiveFolder(), t.fieldText("FAXFILE"));
}

QString LogCommands::CopyFaxFile(const QString& source, const QString& target) {
    const QFileInfo from(source), to(target);
    if (QDir(from.absolutePath()) == QDir(to.absolutePath()))
        return "Cannot save to that directory";
    if (from.absoluteFilePath().toUpper() == to.absoluteFilePath().toUpper())
        return "Cannot save file to itself";
    return CopyWholeFile(source, target) ? "Copied to :" + target : "Copy operation failed";
}

void LogCommands::SetView(LogPage page, int entry) {
    view_[int(page)] = entry;
    const QString filter = ViewFilter(page, entry);
    (page == LogPage::Outgoing ? state_.OutgoingFilter : state_.IncomingFilter) = filter;
    XbaseTable& t = Table(page);
    // The count does not depend on the order HandleGrids may choose.
    if (t.isOpen()) {
        const auto count = t.query(ToWindows1252(filter));
        knownCount_[int(page)] = count.ok() ? count.value() : 0;
    }
    HandleGrids();
    Notify(kindOf(page));
}

int LogCommands::TakeKnownCount(LogKind kind) {
    const int i = kind == LogKind::Outgoing ? 0 : 1;
    const int count = knownCount_[i];
    knownCount_[i] = -1;
    return count;
}

void LogCommands::SetSort(LogPage page, int entry) {
    if (page == LogPage::Incoming && state_.ReceivingCall) {
        dialogs_.beep();
        return;
    }
    sort_[int(page)] = entry;
    XbaseTable& t = Table(page);
    if (HasSelectedRecord(t)) t.setOrder(t.tagArea(SortTag(page, entry).toStdString()));
    Notify(kindOf(page));
}

void LogCommands::HandleGrids() {
    for (LogPage page : {LogPage::Outgoing, LogPage::Incoming}) {
        XbaseTable& t = Table(page);
        if (!t.isOpen()) continue;
        switch (HandleGridDecision(HasSelectedRecord(t), t.indexOrd())) {
            case GridOrderAction::None:
                break;
            case GridOrderAction::SwitchOff:
                t.setOrder(0);
                Notify(kindOf(page));
                break;
            case GridOrderAction::RestoreAndGoTop: {
                const QString tag =
                    page == LogPage::Outgoing ? SortTag(page, sort_[0]) : QString("DATETIME");
                t.setOrder(t.tagArea(tag.toStdString()));
                t.goTop();
                Notify(kindOf(page));
                break;
            }
        }
    }
}

bool LogCommands::Reopen(LogKind kind) {
    XbaseTable& t = kind == LogKind::Outgoing ? fdm_.FaxTable : fdm_.RecTable;
    const uint32_t recno = t.recNo();
    const int order = t.indexOrd();
    const bool ok = kind == LogKind::Outgoing ? fdm_.OpenOutgoingLog() : fdm_.OpenIncomingLog();
    if (!ok) return false;
    t.setOrder(order);
    const QString& filter =
        kind == LogKind::Outgoing ? state_.OutgoingFilter : state_.IncomingFilter;
    // A filter the engine refuses leaves the view unfiltered; the filters are the program's own.
    (void)t.query(ToWindows1252(filter));
    // The remembered record may be gone or filtered out; the view then starts at the top.
    if (recno <= t.recCount() && t.go(recno) &&
        (t.deleted() || (!filter.isEmpty() && !t.evalLogical(t.filter()).value_or(false))))
        t.goTop();
    return true;
}

void LogCommands::FaxTableCloseAndOpen() {
    if (state_.ReceivingCall) return;
    Reopen(LogKind::Outgoing);
    HandleGrids();
    Notify(LogKind::Outgoing);
}

void LogCommands::ReopenLogs() {
    FaxTableCloseAndOpen();
    if (!state_.ReceivingCall) Reopen(LogKind::Incoming);
    HandleGrids();
    Notify(LogKind::Incoming);
}

void LogCommands::ApplyFilters() {
    for (LogPage page : {LogPage::Outgoing, LogPage::Incoming}) {
        XbaseTable& t = Table(page);
        if (!t.isOpen()) continue;
        const uint32_t recno = t.recNo();
        const QString& filter =
            page == LogPage::Outgoing ? state_.OutgoingFilter : state_.IncomingFilter;
        (void)t.query(ToWindows1252(filter));
        if (recno <= t.recCount()) t.go(recno);
    }
    HandleGrids();
    Notify(LogKind::Outgoing);
    Notify(LogKind::Incoming);
}

}  // namespace corvane
