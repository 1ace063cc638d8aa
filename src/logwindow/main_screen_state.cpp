#include "logwindow/main_screen_state.h"

#include "core/message_boxes.h"

namespace corvane {

ButtonStates SetButtonsFor(const ButtonInputs& in, const ButtonStates& previous) {
    ButtonStates b = previous;
    if (in.page == LogPage::Outgoing) {
        const bool s = in.s0;
        b.send = b.del = b.edit = b.view = b.print = b.findOut = s;
        b.newFax = b.mNewFax = true;
        b.mArchive = b.mDelete = b.mEdit = b.mClone = b.mPrint = s;
        b.oSend = b.oDelete = b.oView = b.oClone = b.oEdit = b.oPrint = b.oInfo = b.mInfo = s;
        b.mExport = b.oExport = s && in.outHasDocument;
        b.mFindOut = s;
        b.mFindIn = b.mContinueIn = false;
        b.mContinueOut = b.findNextOut = in.outSearchActive;
    } else {
        const bool s = in.s1;
        b.newFax = b.mNewFax = b.mClone = false;
        b.edit = b.del = b.view = b.print = b.findIn = s;
        b.mEdit = b.mDelete = b.mPrint = b.mInfo = b.mExport = s;
        b.iEdit = b.iDelete = b.iPrint = b.iInfo = b.iExport = s;
        b.mFindIn = s;
        b.mFindOut = b.mContinueOut = false;
        b.mContinueIn = b.findNextIn = in.inSearchActive;
        // The Send button keeps its page-0 state.
    }
    b.mForward = b.iForward = in.s1 && in.page == LogPage::Incoming;
    b.mView = b.oView = b.iView = b.view;
    b.mArchive = b.oArchive = b.iArchive = b.mDelete;
    b.mSendFax = b.send;
    const bool archived = in.page == LogPage::Incoming ? in.inArchived : in.outArchived;
    const QString caption = archived ? "Un&Archive Selected Fax" : "&Archive Selected Fax";
    b.archiveCaption = caption;
    (in.page == LogPage::Incoming ? b.iArchiveCaption : b.oArchiveCaption) = caption;
    return b;
}

GridOrderAction HandleGridDecision(bool hasSelectedRecord, int indexOrder) {
    if (!hasSelectedRecord && indexOrder != 0) return GridOrderAction::SwitchOff;
    if (hasSelectedRecord && indexOrder == 0) return GridOrderAction::RestoreAndGoTop;
    return GridOrderAction::None;
}

namespace {

struct Entry {
    const char* caption;
    const char* value;
};

constexpr Entry kOutgoingViews[] = {
    {"All Outgoing Faxes", ""},
    {"Only Unsent Faxes", "empty(DATESENT) and not archived"},
    {"Only Sent Faxes", "(.not. empty(DATESENT)) and not archived"},
    {"Only Archived Faxes", "archived"},
};
constexpr Entry kIncomingViews[] = {
    {"All Received Faxes", ""},
    {"Only non-Archived Faxes", "not archived"},
    {"Only Archived Faxes", "archived"},
};
constexpr Entry kOutgoingSorts[] = {
    {"Date Sent", "DATESENT"}, {"Subject", "SUBJECT"}, {"Recipient", "RECIPIENT"}};
constexpr Entry kIncomingSorts[] = {{"Date Received", "DATETIME"}, {"From", "FROM"}};

template <size_t N>
QStringList captions(const Entry (&entries)[N]) {
    QStringList list;
    for (const Entry& e : entries) list << QString::fromLatin1(e.caption);
    return list;
}

template <size_t N>
QString valueAt(const Entry (&entries)[N], int i) {
    return i >= 0 && size_t(i) < N ? QString::fromLatin1(entries[i].value) : QString();
}

}  // namespace

QStringList ViewEntries(LogPage page) {
    return page == LogPage::Outgoing ? captions(kOutgoingViews) : captions(kIncomingViews);
}

QString ViewFilter(LogPage page, int entry) {
    return page == LogPage::Outgoing ? valueAt(kOutgoingViews, entry)
                                     : valueAt(kIncomingViews, entry);
}

QStringList SortEntries(LogPage page) {
    return page == LogPage::Outgoing ? captions(kOutgoingSorts) : captions(kIncomingSorts);
}

QString SortTag(LogPage page, int entry) {
    return page == LogPage::Outgoing ? valueAt(kOutgoingSorts, entry)
                                     : valueAt(kIncomingSorts, entry);
}

QString BuildFindExpression(const QList<FindField>& fieldsInOrder) {
    for (const FindField& f : fieldsInOrder) {
        if (f.text.trimmed().isEmpty()) continue;
        QString text = f.text.toUpper();
        // A literal ends at its closing delimiter, so pick one the text does not contain;
        // a text holding all three loses its double quotes rather than breaking the search.
        QString open = "\"", close = "\"";
        if (text.contains('"')) {
            if (!text.contains('\'')) {
                open = close = "'";
            } else if (!text.contains(']')) {
                open = "[";
                close = "]";
            } else {
                text.remove('"');
            }
        }
        return open + text + close + "$UPPER(" + f.fieldName + ")";
    }
    return {};
}

QString DeleteQuestion(LogPage page, const QString& subjectOrFrom) {
    return QString("Delete the current fax?\r\n(%1: \"%2\")")
        .arg(page == LogPage::Outgoing ? "subject" : "from", subjectOrFrom);
}

QString ArchiveQuestion(LogPage page, bool archived, const QString& subjectOrFrom) {
    QString text = archived ? "UnArchive the current fax?" : "Archive the current fax?";
    text += '\r';
    if (page == LogPage::Incoming) {
        if (!subjectOrFrom.isEmpty()) text += "(from: " + subjectOrFrom + ")";
    } else {
        text +=
            subjectOrFrom.isEmpty() ? QString("(no subject)") : "(subject: " + subjectOrFrom + ")";
    }
    return text;
}

QString ReceiveModeRefusal() {
    return "You are in Fax Receive mode. This operation cannot be done\rwhile in Fax Receive "
           "mode. Click the Stop button to end\rFax Receive mode";
}

bool MainScreenState::ConfirmClose() const {
    if (!ReceivingCall) return true;
    return AskYesNo(QStringLiteral("You are recieving a fax. Close the program?"),
                    QStringLiteral("ALERT!"));
}

}  // namespace corvane
