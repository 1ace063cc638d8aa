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
            checkEntry(t, *e);
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

void XbaseTable::checkEntry(OpenTag& t, const CdxEntry& e) {
    if (t.stale) return;
    if (e.key != t.key->key(RecordView{&record_, recno_})) markStale(t);
}

void XbaseTable::markStale(OpenTag& t) {
    t.stale = true;
    staleFound_ = true;
}

CdxPos XbaseTable::findRecord(OpenTag& t, uint32_t recno) {
    uint64_t guard = uint64_t(recCount()) + 1;
    for (CdxPos pos = t.tag->first(); pos.valid() && guard--; t.tag->next(pos)) {
        const CdxEntry* e = t.tag->entry(pos);
        if (!e) break;
        if (e->recno == recno) return pos;
    }
    return {};
}

CdxPos XbaseTable::stepFromCurrent(OpenTag& t, bool forward) {
    CdxPos pos;
    bool atCurrent = false;
    if (hintVersion_ == indexVersion_) {
        const CdxEntry* e = t.tag->entry(hint_);
        atCurrent = e && e->recno == recno_;
        if (atCurrent) pos = hint_;
    }
    if (!atCurrent) {
        // Where the record stands, or the first entry after where it would stand.
        const std::string key = t.key->key(RecordView{&record_, recno_});
        pos = t.tag->find(key, recno_);
        const CdxEntry* e = t.tag->entry(pos);
        atCurrent = e && e->recno == recno_ && e->key == key;
        // A record that belongs in the tag but whose key is not there was stored under
        // another key: continue from its own entry, wherever that stands.
        const bool keyMissing = t.tag->info().unique ? !t.tag->containsKey(key) : true;
        if (!atCurrent && keyMissing && inTag(t, record_, recno_)) {
            if (const CdxPos stored = findRecord(t, recno_); stored.valid()) {
                markStale(t);
                pos = stored;
                atCurrent = true;
            }
        }
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
