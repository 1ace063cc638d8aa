#pragma once
// The setup page of the fax log cleanup without widgets: the chosen log, action and subset,
// the condition they give, what the condition button and the run button show, and the date
// and conditions dialogs' inputs and results. The window shows this state and forwards the
// user's choices.

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/status.h"
#include "logwindow/logic/log_cleanup_conditions.h"

namespace corvane {

// The entries of the conditions dialog, kept between openings.
struct TextConditionEntries {
    int choice = 0;    // outgoing: 0 recipient, 1 fax number; incoming: 0 from
    QString texts[2];  // the text box of each choice
    bool exact = false;
};

class LogCleanupSetup {
  public:
    explicit LogCleanupSetup(const QDate& today = QDate::currentDate());

    LogKind log() const { return log_; }
    CleanupAction action() const { return action_; }
    int subsetIndex() const { return subsetIndex_; }
    QStringList subsetTexts() const;
    CleanupSubset subset() const;

    // Each clears the condition; a fixed subset sets its expression at once. Changing the log
    // or the action selects the first subset of the new list.
    void setLog(LogKind log);
    void setAction(CleanupAction action);
    void setSubset(int index);

    // "" while no condition is set.
    const QString& condition() const { return condition_; }
    bool isDateCondition() const { return dateCondition_; }

    bool conditionButtonVisible() const;
    // "Set Date" / "Set Conditions", or "Revise ..." once set.
    QString conditionButtonCaption() const;
    bool runEnabled() const { return !condition_.isEmpty(); }
    // "Delete Now", "Archive Now", "Unarchive Now".
    QString runCaption() const;
    // The review buttons: action + " this Fax", action + " Remaining Matches".
    QString thisFaxCaption() const;
    QString remainingCaption() const;
    // The confirmation asked before a run: (question, caption).
    QString runQuestion() const;

    // Date dialog: its caption, the date it starts at, and OK.
    QString dateDialogCaption() const;
    const QDate& lastDate() const { return date_; }
    void acceptDate(const QDate& date);

    // Conditions dialog: its caption, the previous entries, the caption of each choice, and
    // Ok, which fails with "Please enter a value" when the chosen field's text is blank.
    QString conditionsDialogCaption() const;
    const TextConditionEntries& lastEntries() const { return entries_; }
    QStringList choiceCaptions(bool exact) const;
    Status acceptConditions(const TextConditionEntries& entries);

  private:
    void refreshCondition();

    LogKind log_ = LogKind::Outgoing;
    CleanupAction action_ = CleanupAction::Delete;
    int subsetIndex_ = 0;
    QString condition_;
    bool dateCondition_ = false;
    QDate date_;
    TextConditionEntries entries_;
};

// The lookup of the conditions dialog: the distinct values of a field, from its unique tag.
struct ValueLookup {
    QString title;  // "Select Value for FROM" ...
    const char* tag;
    const char* field;
};
ValueLookup LookupFor(LogKind log, int choice);

// The distinct values in the unique tag's order, trimmed; the table's order and record are
// kept.
QStringList DistinctValues(xbase::XbaseTable& table, const ValueLookup& lookup);

}  // namespace corvane
