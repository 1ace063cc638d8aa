#include "xbase/xbase_status.h"
#include "xbase/xbase_table.h"

// Filters and searches of a table: the filter and its count, seek by key, locate and
// evaluation of a condition on the current record.

namespace corvane::xbase {

Result<int> XbaseTable::query(const std::string& expression) {
    if (!isOpen()) return XbaseError("table not open");
    (void)flushRecord();
    const bool blank = expression.find_first_not_of(" \t") == std::string::npos;
    if (blank) {
        filter_.reset();
    } else {
        auto compiled = Expression::compile(expression, dbf_->fields());
        if (!compiled) return compiled.status();
        if (compiled.value()->type() != ValueType::Logical)
            return XbaseError("a filter must be a logical expression");
        filter_ = std::move(compiled).value();
    }
    const int matches = queryRecCount();
    goTop();
    return matches;
}

int XbaseTable::queryRecCount() {
    const int count = queryRecCountOnce();
    return repairIndex() ? queryRecCountOnce() : count;
}

int XbaseTable::queryRecCountOnce() {
    if (!isOpen()) return 0;
    (void)flushRecord();
    int count = 0;
    std::string record;
    if (order_ == 0) {
        for (uint32_t r = 1; r <= recCount(); ++r)
            if (dbf_->readRecord(r, record) && visible(record, r)) ++count;
        return count;
    }
    // The tag decides which records count, the table file (read in record order) which of
    // them are visible.
    OpenTag& t = tags_[size_t(order_ - 1)];
    const std::vector<bool> matches = matchingRecords(nullptr);
    uint64_t guard = uint64_t(recCount()) + 1;
    for (CdxPos pos = t.tag->first(); pos.valid() && guard--; t.tag->next(pos)) {
        const CdxEntry* e = t.tag->entry(pos);
        if (!e) break;
        if (e->recno < matches.size() && matches[e->recno]) ++count;
    }
    return count;
}

std::string XbaseTable::filter() const {
    return filter_ ? filter_->text() : std::string();
}

bool XbaseTable::seek(const std::string& key) {
    const bool ok = seekOnce(key);
    return repairIndex() ? seekOnce(key) : ok;
}

bool XbaseTable::seekOnce(const std::string& key) {
    found_ = false;
    if (!isOpen() || order_ == 0) return false;
    (void)flushRecord();
    OpenTag& t = tags_[size_t(order_ - 1)];
    const std::string prefix = key.substr(0, size_t(t.tag->info().keyLength));
    // The entry's stored key decides, as it decided where the search landed (scanTag has
    // compared it with the record's own key).
    if (scanTag(t, t.tag->seekPrefix(prefix), true)) {
        const CdxEntry* e = t.tag->entry(hint_);
        if (e && e->key.compare(0, prefix.size(), prefix) == 0) {
            found_ = true;
            return true;
        }
    }
    setEof();
    return false;
}

Result<uint32_t> XbaseTable::locate(const std::string& expression, bool forward,
                                    bool continueSearch) {
    if (!isOpen()) return XbaseError("table not open");
    (void)flushRecord();
    auto compiled = Expression::compile(expression, dbf_->fields());
    if (!compiled) return compiled.status();
    const std::unique_ptr<Expression> condition = std::move(compiled).value();
    if (condition->type() != ValueType::Logical)
        return XbaseError("a search condition must be a logical expression");
    const uint32_t startRecno = recno_;
    const bool startEof = eof_;
    auto position = [&] {
        bool positioned;
        if (continueSearch)
            positioned = skip(forward ? 1 : -1) && !eof_;
        else
            positioned = forward ? goTop() : goBottom();
        if (continueSearch && !forward && bof_) positioned = false;
        return positioned && !eof_;
    };
    auto restore = [&] {
        if (startEof)
            setEof();
        else
            go(startRecno);
    };
    if (position()) {
        if (condition->evaluateLogical(RecordView{&record_, recno_})) return recno_;
        const bool found =
            order_ == 0 ? scanRecords(forward ? recno_ + 1 : recno_ - 1, forward, condition.get())
                        : scanTag(tags_[size_t(order_ - 1)],
                                  stepFromCurrent(tags_[size_t(order_ - 1)], forward), forward,
                                  condition.get());
        if (found) return recno_;
        if (repairIndex()) {
            // The scan met a damaged or stale index, rebuilt now: search again the careful way.
            restore();
            if (position() && locateByStepping(*condition, forward)) return recno_;
        }
    }
    restore();
    return uint32_t(0);
}

Result<bool> XbaseTable::evalLogical(const std::string& expression) {
    if (!isOpen()) return XbaseError("table not open");
    auto condition = Expression::compile(expression, dbf_->fields());
    if (!condition) return condition.status();
    if (condition.value()->type() != ValueType::Logical)
        return XbaseError("not a logical expression");
    return condition.value()->evaluateLogical(RecordView{&record_, recno_});
}

}  // namespace corvane::xbase
