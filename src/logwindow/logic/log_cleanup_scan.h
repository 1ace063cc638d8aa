#pragma once
// One run of the fax log cleanup over a log, as steps a window or a test drives: begin(),
// then nextMatch() stops at each record to review and choose() applies the user's decision,
// until nextMatch() says the log is done; finish() puts the log back and gives the summary.
//
// The scan walks the whole log in record order with records marked for deletion visible (the
// action's own test skips them), so a filter or order of the main window changes nothing.
// The table belongs to the caller and must stay open for the scan's lifetime.

#include <QString>
#include <QStringList>
#include <functional>

#include "logs/fax_data_module.h"
#include "logwindow/logic/log_cleanup_conditions.h"

namespace corvane {

enum class ReviewChoice { ThisFax, RemainingMatches, Skip, Cancel };

class CleanupScan {
  public:
    CleanupScan(xbase::XbaseTable& table, LogKind log, CleanupAction action, QString condition,
                bool dateCondition);

    // Percentage of the log scanned, after each match and at the end.
    std::function<void(int percent)> onProgress;

    // Notes the order and record, switches to record order with deleted records visible and
    // goes to the top. Fails when the condition is not a valid expression for the log.
    Status begin();
    // Moves to the next match and makes it current; false at the end of the log, after
    // Cancel, or when a change could not be stored.
    bool nextMatch();
    int matchNumber() const { return matches_; }
    // "Match # 3 found - please review and select action:".
    QString reviewStatus() const;
    // Applies the decision to the current match; RemainingMatches also applies the action to
    // every later match without stopping.
    void choose(ReviewChoice choice);
    bool reviewing() const { return !remaining_; }

    // Puts the log back in the order it had, deleted records hidden again, on the record where
    // the scan stopped.
    void finish();
    int applied() const { return applied_; }
    bool anyDeleted() const { return anyDeleted_; }
    // "n faxes were deleted." (archived, unarchived).
    QString summary() const;
    // Why the scan stopped early when a change could not be stored; empty otherwise.
    const QString& error() const { return error_; }

  private:
    bool apply();
    void progress();

    xbase::XbaseTable& table_;
    LogKind log_;
    CleanupAction action_;
    std::string expression_;
    int matches_ = 0;
    int applied_ = 0;
    bool anyDeleted_ = false;
    bool remaining_ = false;
    bool done_ = false;
    bool started_ = false;
    QString error_;
    int notedOrder_ = 0;
    bool notedHidden_ = true;
};

}  // namespace corvane
