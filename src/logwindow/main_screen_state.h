#pragma once
// The main window's state and the decisions it makes, kept apart from the widgets so that
// they can be driven without a screen: which commands are enabled and how they are captioned
// (SetButtons), what the grids need (HandleGrids), the view filters, sort tags and find
// expressions.

#include <QString>
#include <QStringList>

namespace corvane {

enum class LogPage { Outgoing = 0, Incoming = 1 };

// What SetButtons looks at.
struct ButtonInputs {
    LogPage page = LogPage::Outgoing;
    bool s0 = false;  // the outgoing log has a selected record
    bool s1 = false;  // the incoming log has a selected record
    bool outArchived = false;
    bool outHasDocument = false;  // FAXDOC of the selected outgoing record is not empty
    bool inArchived = false;
    bool outSearchActive = false;  // a successful outgoing Find can be continued
    bool inSearchActive = false;
};

// Enabled states and captions of every command SetButtons manages. The other page's
// controls keep what they had, so SetButtons takes the previous states.
struct ButtonStates {
    // Buttons.
    bool send = false, newFax = true, edit = false, del = false, print = false, view = false;
    bool findOut = false, findIn = false, findNextOut = false, findNextIn = false;
    // Menus.
    bool mSendFax = false, mNewFax = true, mEdit = false, mClone = false, mDelete = false;
    bool mArchive = false, mForward = false, mExport = false, mView = false, mPrint = false;
    bool mInfo = false, mFindOut = false, mContinueOut = false, mFindIn = false,
         mContinueIn = false;
    QString archiveCaption = "&Archive Selected Fax";
    // Outgoing pop-up.
    bool oArchive = false, oDelete = false, oEdit = false, oClone = false, oView = false,
         oPrint = false, oSend = false, oInfo = false, oExport = false;
    QString oArchiveCaption = "Archive";
    // Incoming pop-up.
    bool iArchive = false, iDelete = false, iEdit = false, iView = false, iPrint = false,
         iForward = false, iInfo = false, iExport = false;
    QString iArchiveCaption = "Archive";

    bool operator==(const ButtonStates&) const = default;
};

ButtonStates SetButtonsFor(const ButtonInputs& in, const ButtonStates& previous);

// HandleGrids for one log: an empty view is shown in record order, a view with records in
// its sort order starting at the first record.
enum class GridOrderAction { None, SwitchOff, RestoreAndGoTop };
GridOrderAction HandleGridDecision(bool hasSelectedRecord, int indexOrder);

// View selectors: entries and the filter each applies.
QStringList ViewEntries(LogPage page);
QString ViewFilter(LogPage page, int entry);
// Sort selectors: entries and the tag each selects.
QStringList SortEntries(LogPage page);
QString SortTag(LogPage page, int entry);

// The expression a Find dialog's fields give: the first non-blank field (in the order the
// fields are given) tested with "$" against its upper-cased column, e.g. "INV"$UPPER(SUBJECT).
// Empty when every field is blank.
struct FindField {
    QString fieldName;
    QString text;
};
QString BuildFindExpression(const QList<FindField>& fieldsInOrder);

// Question texts of Delete and Archive.
QString DeleteQuestion(LogPage page, const QString& subjectOrFrom);
QString ArchiveQuestion(LogPage page, bool archived, const QString& subjectOrFrom);

// The refusal shown for log-wide commands in receive mode.
QString ReceiveModeRefusal();

class MainScreenState {
  public:
    bool FirstActivation = true;
    bool InReceiveMode = false;
    bool ReceivingCall = false;
    QString OutgoingFilter;
    QString IncomingFilter;
    QString OutgoingSearch;  // expression of the last successful Find, "" for none
    QString IncomingSearch;

    // The close query: while a call is being received the user must confirm. Returns false
    // when the window has to stay open.
    bool ConfirmClose() const;
};

}  // namespace corvane
