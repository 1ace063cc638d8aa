#include <algorithm>

#include "xbase/xbase_table.h"

// The record scans under navigation, filters and locate: from a position onwards to the first
// visible record (that satisfies a condition, for locate).
//
// In record order the table file is read ahead in large blocks, so a scan costs little per
// record. In a tag's order each entry names a record somewhere else in the file: a scan that
// passes over many records (a sparse filter, a search through a large log) first checks a
// limited number of entries one by one and then decides for every record in one pass through
// the file in record order, walking the rest of the tag against that answer. Either way the
// record found is the same.

namespace corvane::xbase {

namespace {

// Below this, a pass through the whole table never pays.
constexpr uint32_t kMinDirectSteps = 64;
// A read at a random place costs about as much as checking this many records in file order.
constexpr uint32_t kRandomReadInRecords = 16;

}  // namespace

bool XbaseTable::accepts(const std::string& record, uint32_t recno,
                         const Expression* condition) const {
    return visible(record, recno) &&
           (!condition || condition->evaluateLogical(RecordView{&record, recno}));
}

std::vector<bool> XbaseTable::matchingRecords(const Expression* condition) {
    const uint32_t count = recCount();
    std::vector<bool> matches(size_t(count) + 1, false);
    std::string record;
    for (uint32_t r = 1; r <= count; ++r)
        if (dbf_->readRecord(r, record) && accepts(record, r, condition)) matches[r] = true;
    return matches;
}

uint32_t XbaseTable::directScanSteps() const {
    return std::max(kMinDirectSteps, recCount() / kRandomReadInRecords);
}

bool XbaseTable::scanRecords(uint32_t from, bool forward, const Expression* condition) {
    const uint32_t count = recCount();
    for (uint32_t r = from; r >= 1 && r <= count; r = forward ? r + 1 : r - 1) {
        if (!dbf_->readRecord(r, scratch_)) break;
        if (accepts(scratch_, r, condition)) {
            load(r, scratch_);
            return true;
        }
    }
    return false;
}

bool XbaseTable::scanTag(OpenTag& t, CdxPos pos, bool forward, const Expression* condition) {
    // A tag never holds more entries than the table has records; a longer walk means a
    // damaged file.
    uint64_t guard = uint64_t(recCount()) + 2;
    uint32_t direct = directScanSteps();
    std::vector<bool> matches;
    bool decided = false;
    while (pos.valid() && guard--) {
        const CdxEntry* e = t.tag->entry(pos);
        if (!e) break;
        const uint32_t r = e->recno;
        const bool hit = decided ? r < matches.size() && matches[r] && dbf_->readRecord(r, scratch_)
                                 : dbf_->readRecord(r, scratch_) && accepts(scratch_, r, condition);
        if (hit) {
            load(r, scratch_);
            hint_ = pos;
            hintVersion_ = indexVersion_;
            return true;
        }
        if (!decided && --direct == 0) {
            matches = matchingRecords(condition);
            decided = true;
        }
        if (!(forward ? t.tag->next(pos) : t.tag->prev(pos))) break;
    }
    return false;
}

CdxPos XbaseTable::stepFromCurrent(OpenTag& t, bool forward) {
    const std::string key = t.key->key(RecordView{&record_, recno_});
    auto isCurrent = [&](const CdxPos& pos) {
        const CdxEntry* e = t.tag->entry(pos);
        return e && e->recno == recno_ && e->key == key;
    };
    CdxPos pos;
    bool atCurrent = hintVersion_ == indexVersion_ && isCurrent(hint_);
    if (atCurrent) {
        pos = hint_;
    } else {
        // Where the record stands, or the first entry after where it would stand.
        pos = t.tag->find(key, recno_);
        atCurrent = isCurrent(pos);
    }
    if (forward) {
        if (atCurrent) t.tag->next(pos);
    } else if (pos.valid()) {
        t.tag->prev(pos);
    } else {
        pos = t.tag->last();
    }
    return pos;
}

// The plain walk: one skip after another, each with the index recovery of skip().
bool XbaseTable::locateByStepping(const Expression& condition, bool forward) {
    while (!eof_) {
        if (condition.evaluateLogical(RecordView{&record_, recno_})) return true;
        if (!skip(forward ? 1 : -1)) break;
    }
    return false;
}

}  // namespace corvane::xbase
