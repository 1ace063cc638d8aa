#include "logwindow/logic/log_cleanup_scan.h"

#include <QFile>

#include "core/windows1252.h"
#include "logwindow/logic/fax_record_files.h"
#include "xbase/expression.h"

namespace corvane {

CleanupScan::CleanupScan(xbase::XbaseTable& table, LogKind log, CleanupAction action,
                         QString condition, bool dateCondition)
    : table_(table),
      log_(log),
      action_(action),
      expression_(ToWindows1252(CleanupMatchExpression(log, action, condition, dateCondition))) {}

Status CleanupScan::begin() {
    // Checked before the table moves, so a bad condition leaves the log as it was.
    const auto compiled = xbase::Expression::compile(expression_, table_.fields());
    if (!compiled.ok()) return compiled.status();
    notedOrder_ = table_.indexOrd();
    notedHidden_ = table_.deletedHidden();
    table_.setOrder(0);
    table_.setDeletedHidden(false);
    table_.goTop();
    matches_ = applied_ = 0;
    remaining_ = done_ = started_ = false;
    if (onProgress) onProgress(0);
    return Status::Ok();
}

bool CleanupScan::nextMatch() {
    if (done_) return false;
    const auto located = table_.locate(expression_, true, started_);
    started_ = true;
    if (!located.ok() || located.value() == 0) {
        done_ = true;
        if (onProgress) onProgress(100);
        return false;
    }
    ++matches_;
    progress();
    return true;
}

void CleanupScan::progress() {
    const uint32_t count = table_.recCount();
    if (onProgress && count > 0) onProgress(int(uint64_t(table_.recNo()) * 100 / count));
}

QString CleanupScan::reviewStatus() const {
    return QString("Match # %1 found - please review and select action:").arg(matches_);
}

void CleanupScan::choose(ReviewChoice choice) {
    if (done_) return;
    switch (choice) {
        case ReviewChoice::ThisFax:
            if (!apply()) done_ = true;
            break;
        case ReviewChoice::RemainingMatches:
            remaining_ = true;
            if (!apply()) done_ = true;
            while (nextMatch())
                if (!apply()) done_ = true;
            break;
        case ReviewChoice::Skip:
            break;
        case ReviewChoice::Cancel:
            done_ = true;
            break;
    }
}

bool CleanupScan::apply() {
    const char* kFailed = "The log could not be changed: ";
    switch (action_) {
        case CleanupAction::Archive:
        case CleanupAction::Unarchive: {
            const bool archive = action_ == CleanupAction::Archive;
            if (table_.fieldLogical("ARCHIVED") == archive) return true;
            if (!table_.replaceLogical("ARCHIVED", archive) || !table_.commit()) {
                error_ = kFailed + table_.path();
                return false;
            }
            break;
        }
        case CleanupAction::Delete: {
            if (table_.deleted()) return true;
            // The mark is stored before the files go: a record whose mark could not be stored
            // keeps its files, so it never points at pages that are gone.
            const QStringList files = FilesOfRecord(log_, table_);
            if (!table_.deleteRecord() || !table_.commit()) {
                error_ = kFailed + table_.path();
                return false;
            }
            for (const QString& file : files) QFile::remove(file);  // a missing file is fine
            anyDeleted_ = true;
            break;
        }
    }
    ++applied_;
    return true;
}

void CleanupScan::finish() {
    const uint32_t stopped = table_.recNo();
    table_.setDeletedHidden(notedHidden_);
    table_.setOrder(notedOrder_);
    if (!table_.go(stopped)) table_.goTop();
}

QString CleanupScan::summary() const {
    const char* verb = action_ == CleanupAction::Delete    ? " faxes were deleted."
                       : action_ == CleanupAction::Archive ? " faxes were archived."
                                                           : " faxes were unarchived.";
    return QString::number(applied_) + verb;
}

}  // namespace corvane
