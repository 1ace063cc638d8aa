#pragma once
// The log commands of the main window, without widgets: delete, archive, notes, find, clone,
// forward, the information sheet, view and sort selection, HandleGrids and reopening a log.
// Questions go through the message-box interface, dialogs through LogDialogs; every change of
// a log is announced through `changed`.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "logs/fax_data_module.h"
#include "logwindow/main_screen_state.h"
#include "logwindow/page_range.h"

namespace corvane {

// The choices of the "Delete Fax" dialog (TDeleteWhat).
enum class DeleteWhat { Cover, Body, Both };

// What the forward/clone dialog (TFaxForwardOrClone) shows and returns.
struct ForwardOrCloneRequest {
    QString title;
    QString recipient, faxNumber, subject;  // in: start values; out: the user's
    QString documentPath;                   // the pages offered; empty: no page box
    int pageCount = 0;
    bool showPageChoice = false;    // "Select Fax Pages" (more than one page)
    bool showCoverChoice = false;   // "Include Fax Cover Page"
    bool showNoCoverLabel = false;  // "No cover page"
    bool includeCover = true;       // in/out
    PageRange pages;                // in/out
};

class LogDialogs {
  public:
    virtual ~LogDialogs() = default;
    // TDeleteWhat; nothing on Cancel.
    virtual std::optional<DeleteWhat> askDeleteWhat() = 0;
    // TEditReceiveNotes: edits FROM and NOTES; false on Cancel.
    virtual bool editReceiveNotes(QString& from, QString& notes) = 0;
    // The Find dialog of a page: the fields in the order they are searched (outgoing
    // RECIPIENT, PHONE, SUBJECT; incoming FROM, NOTES); nothing on Cancel.
    virtual std::optional<QList<FindField>> askFind(LogPage page) = 0;
    // TFaxForwardOrClone; false on Cancel.
    virtual bool forwardOrClone(ForwardOrCloneRequest& request) = 0;
    virtual void beep() = 0;
};

// The fax information sheet (TShowFaxInfoForm).
struct FaxInformation {
    QString fileName;  // shown in "Fax File"; not a path when the file is missing
    QString filePath;  // the file "Copy Fax File To.." copies; empty when none
    QString text;      // lines separated by CR
    bool fileExists = false;
    QStringList lines() const { return text.split('\r'); }
};

// What View and Print pass on for the selected fax: the title that heads the viewer and the
// printed pages, and its files as full paths (named in the record; they may be missing).
struct SelectedFaxFiles {
    QString title;
    QString cover;     // outgoing: the cover page file; empty when the record names none
    QString document;  // outgoing: the document; incoming: the received file
};

class LogCommands {
  public:
    LogCommands(TFDM& fdm, MainScreenState& state, LogDialogs& dialogs);

    // Called after every change of a log (the models refresh).
    std::function<void(LogKind)> changed;
    // Forward shows the outgoing page when it has logged the new fax.
    std::function<void(LogPage)> showPage;
    // Called with true before a search walks the log and with false after it (the window
    // shows the hourglass meanwhile).
    std::function<void(bool)> busy;

    static bool HasSelectedRecord(const xbase::XbaseTable& table);
    bool HasSelectedRecord(LogPage page) const;
    xbase::XbaseTable& Table(LogPage page) const;

    void Delete(LogPage page);
    void Archive(LogPage page);
    void EditReceivedNotes();
    bool Find(LogPage page);
    bool FindNext(LogPage page);
    void Clone();
    void Forward();
    FaxInformation Information(LogPage page) const;
    // The selected fax for View and Print; nothing (empty title) without a selected record.
    SelectedFaxFiles SelectedFax(LogPage page) const;
    // The file Export offers: the outgoing document (never the cover) or the received file;
    // empty when the record names none.
    QString ExportFile(LogPage page) const;
    // "Copy Fax File To..": the message to show.
    static QString CopyFaxFile(const QString& source, const QString& target);

    void SetView(LogPage page, int entry);
    void SetSort(LogPage page, int entry);
    void HandleGrids();
    // Reopens the outgoing log so that new records take their place in the index order.
    void FaxTableCloseAndOpen();
    // Reopens both logs (the Refresh command): picks up records written while closed.
    void ReopenLogs();
    // Applies both view filters again (after a rebuild), keeping the current records.
    void ApplyFilters();

    // The row count of a view that SetView has just counted, once; -1 when not known.
    int TakeKnownCount(LogKind kind);

    int ViewEntry(LogPage page) const { return view_[int(page)]; }
    int SortEntry(LogPage page) const { return sort_[int(page)]; }

  private:
    void Notify(LogKind kind);
    void DeleteOutgoing();
    void DeleteIncoming();
    bool Reopen(LogKind kind);

    TFDM& fdm_;
    MainScreenState& state_;
    LogDialogs& dialogs_;
    int view_[2] = {0, 0};
    int sort_[2] = {0, 0};
    int knownCount_[2] = {-1, -1};
};

}  // namespace corvane
