#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "xbase/text_encoding.h"
#include "xbase/xbase_status.h"
#include "xbase/xbase_table.h"

// Tags of a table: opening, checking and rebuilding its index, keeping every tag current as
// records change, and the orders.

namespace corvane::xbase {

namespace {

char padFor(const Expression& key) {
    return key.type() == ValueType::Character || key.type() == ValueType::Logical ? ' ' : '\0';
}

// Whether the keys of an index built by other rules (an older version of this engine, which
// stored descending tags backwards and upper-cased only a to z) could differ from ours.
bool keysMayDiffer(const std::vector<CdxTagInfo>& tags) {
    for (const CdxTagInfo& t : tags) {
        const std::string expressions = UpperCase(t.keyExpression + " " + t.forExpression);
        if (t.descending || expressions.find("UPPE") != std::string::npos ||
            expressions.find("LOWE") != std::string::npos)
            return true;
    }
    return false;
}

std::vector<CdxTagInfo> definitionsOf(const CdxFile& cdx) {
    std::vector<CdxTagInfo> definitions;
    for (const auto& t : cdx.tags()) definitions.push_back(t->info());
    return definitions;
}

}  // namespace

void XbaseTable::openIndex() {
    const QString indexPath = indexPathFor(dbf_->path());
    if (!QFileInfo(indexPath).isFile()) return;
    const bool readOnly = dbf_->readOnly();
    std::vector<CdxTagInfo> definitions;
    if (cdx_.open(indexPath, readOnly).ok() && attachTags().ok()) {
        definitions = definitionsOf(cdx_);
        if (cdx_.currentFormat() || !keysMayDiffer(definitions)) return;
    } else {
        CdxFile::readDefinitions(indexPath, definitions);
    }
    cdx_.close();
    tags_.clear();
    if (readOnly) return;  // usable in record order; nothing may be written
    // The index is derived data: rebuild it from the table instead of refusing the table.
    QFile::remove(indexPath);
    indexRebuilt_ = true;
    if (definitions.empty()) return;
    if (!rebuildIndex(definitions).ok()) {
        cdx_.close();
        tags_.clear();
        QFile::remove(indexPath);
    }
}

Status XbaseTable::attachTags() {
    tags_.clear();
    for (const auto& tag : cdx_.tags()) {
        OpenTag t;
        t.tag = tag.get();
        auto key = Expression::compile(tag->info().keyExpression, dbf_->fields());
        if (!key || key.value()->keyLength() != tag->info().keyLength) {
            tags_.clear();
            return XbaseError(tag->info().name + ": key does not fit the table " +
                              key.message().toStdString());
        }
        t.key = std::move(key).value();
        if (!tag->info().forExpression.empty()) {
            auto condition = Expression::compile(tag->info().forExpression, dbf_->fields());
            if (!condition || condition.value()->type() != ValueType::Logical) {
                tags_.clear();
                return XbaseError(tag->info().name + ": bad FOR condition " +
                                  condition.message().toStdString());
            }
            t.condition = std::move(condition).value();
        }
        tags_.push_back(std::move(t));
    }
    ++indexVersion_;
    return Status::Ok();
}

bool XbaseTable::repairIndex() {
    if (cdx_.corrupt()) return recoverIndex();
    if (!staleFound_) return false;
    staleFound_ = false;
    if (dbf_->mode() == OpenMode::Exclusive) return recoverIndex();
    // Others may be using the index: its orders stay as they are, walked through its own
    // entries, and the person hears of it once.
    for (OpenTag& t : tags_) {
        if (!t.stale || t.staleReported) continue;
        t.staleReported = true;
        if (warning_)
            warning_(QString("The index tag %1 of %2 holds keys that differ from its records; "
                             "its order and seeks may be wrong until the indexes are rebuilt")
                         .arg(QString::fromStdString(t.tag->info().name),
                              QFileInfo(dbf_->path()).fileName()));
    }
    return false;
}

std::vector<std::string> XbaseTable::staleTags() const {
    std::vector<std::string> names;
    for (const OpenTag& t : tags_)
        if (t.stale) names.push_back(t.tag->info().name);
    return names;
}

bool XbaseTable::recoverIndex() {
    staleFound_ = false;
    // A node found damaged while in use: the index is derived data, so it is rebuilt from the
    // table with the same tags (or, read-only, set aside for this session).
    const std::vector<CdxTagInfo> definitions = definitionsOf(cdx_);
    const uint32_t recno = recno_;
    const bool atEnd = eof_;
    indexRebuilt_ = true;
    if (dbf_->readOnly() || !rebuildIndex(definitions).ok()) {
        cdx_.close();
        tags_.clear();
        order_ = 0;
        if (!dbf_->readOnly()) QFile::remove(indexPathFor(dbf_->path()));
    }
    ++indexVersion_;
    if (atEnd || !dbf_->readRecord(recno, scratch_))
        setEof();
    else
        load(recno, scratch_);
    return true;
}

void XbaseTable::updateIndexes(const std::string* before, const std::string& after,
                               uint32_t recno) {
    for (OpenTag& t : tags_) {
        const RecordView newView{&after, recno};
        const bool newIn = inTag(t, after, recno);
        const std::string newKey = newIn ? t.key->key(newView) : std::string();
        bool oldIn = false;
        std::string oldKey;
        if (before) {
            oldIn = inTag(t, *before, recno);
            if (oldIn) oldKey = t.key->key(RecordView{before, recno});
        }
        if (oldIn == newIn && (!oldIn || oldKey == newKey)) continue;
        ++indexVersion_;
        const bool unique = t.tag->info().unique;
        if (unique && t.countsReady) {
            if (oldIn) {
                auto it = t.keyCounts.find(oldKey);
                if (it != t.keyCounts.end() && --it->second == 0) t.keyCounts.erase(it);
            }
            if (newIn) ++t.keyCounts[newKey];
        }
        const bool removed = oldIn && t.tag->remove(oldKey, recno);
        // Every record of a tag that is not unique has its entry: one not found under its key
        // was stored under another.
        if (oldIn && !removed && !unique && !cdx_.corrupt()) markStale(t);
        if (removed && unique) {
            // The table already holds the new record, so a fresh count is current.
            if (!t.countsReady) countKeys(t);
            if (t.keyCounts.count(oldKey)) refillUnique(t, oldKey, recno);
        }
        if (newIn && !(unique && t.tag->containsKey(newKey))) t.tag->insert(newKey, recno);
    }
}

void XbaseTable::countKeys(OpenTag& t) {
    t.keyCounts.clear();
    std::string record;
    for (uint32_t r = 1; r <= recCount(); ++r) {
        if (!dbf_->readRecord(r, record) || !inTag(t, record, r)) continue;
        ++t.keyCounts[t.key->key(RecordView{&record, r})];
    }
    t.countsReady = true;
}

void XbaseTable::refillUnique(OpenTag& t, const std::string& key, uint32_t removed) {
    // A unique tag lists each key once; when its record leaves, another record with the
    // same key takes its place.
    std::string record;
    const uint32_t count = recCount();
    for (uint32_t r = 1; r <= count; ++r) {
        if (r == removed || !dbf_->readRecord(r, record)) continue;
        if (!inTag(t, record, r) || t.key->key(RecordView{&record, r}) != key) continue;
        t.tag->insert(key, r);
        return;
    }
}

bool XbaseTable::hasIndex() const {
    return cdx_.isOpen();
}

int XbaseTable::tagArea(const std::string& name) const {
    const std::string wanted = UpperCase(name);
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].tag->info().name == wanted) return int(i) + 1;
    return 0;
}

bool XbaseTable::setOrder(int order) {
    if (order < 0 || order > int(tags_.size())) return false;
    (void)flushRecord();
    order_ = order;
    ++indexVersion_;
    return true;
}

std::string XbaseTable::indexKey() const {
    return order_ > 0 ? tags_[size_t(order_ - 1)].tag->info().keyExpression : std::string();
}

std::string XbaseTable::tagName(int order) const {
    return order > 0 && order <= int(tags_.size()) ? tags_[size_t(order - 1)].tag->info().name
                                                   : std::string();
}

void XbaseTable::closeIndexes() {
    (void)flushRecord();
    cdx_.close();
    tags_.clear();
    order_ = 0;
    ++indexVersion_;
}

Status XbaseTable::buildTag(const CdxTagInfo& info, const Expression& key,
                            const Expression* condition) {
    std::vector<CdxEntry> entries;
    const uint32_t count = recCount();
    entries.reserve(count);
    std::string record;
    for (uint32_t r = 1; r <= count; ++r) {
        if (!dbf_->readRecord(r, record))
            return XbaseError("cannot read record " + std::to_string(r));
        const RecordView view{&record, r};
        if (condition && !condition->evaluateLogical(view)) continue;
        entries.push_back(CdxEntry{key.key(view), r, 0});
        if (r % 4096 == 0) report(int(uint64_t(r) * 50 / count));
    }
    // Ascending in the file whatever the direction of the tag.
    std::stable_sort(entries.begin(), entries.end(), [](const CdxEntry& a, const CdxEntry& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.recno < b.recno;
    });
    if (info.unique) {
        entries.erase(
            std::unique(entries.begin(), entries.end(),
                        [](const CdxEntry& a, const CdxEntry& b) { return a.key == b.key; }),
            entries.end());
    }
    report(50);
    auto scaled = [this](int percent) { report(50 + percent / 2); };
    return cdx_.addTag(info, entries, scaled).status();
}

Status XbaseTable::createTag(const TagDef& def) {
    if (!isOpen() || dbf_->readOnly()) return XbaseError("table not open for writing");
    const std::string name = UpperCase(def.name);
    if (name.empty() || name.size() > 10) return XbaseError("tag names have 1 to 10 characters");
    auto compiledKey = Expression::compile(def.keyExpression, dbf_->fields());
    if (!compiledKey) return compiledKey.status();
    const std::unique_ptr<Expression> key = std::move(compiledKey).value();
    if (key->keyLength() < 1 || key->keyLength() > 240)
        return XbaseError("key length must be 1 to 240");
    std::unique_ptr<Expression> condition;
    if (!def.forExpression.empty()) {
        auto compiled = Expression::compile(def.forExpression, dbf_->fields());
        if (!compiled) return compiled.status();
        condition = std::move(compiled).value();
        if (condition->type() != ValueType::Logical)
            return XbaseError("FOR condition is not logical");
    }
    (void)flushRecord();
    if (!cdx_.isOpen()) {
        if (Status created = cdx_.create(indexPathFor(dbf_->path())); !created) return created;
    }
    const std::string currentTag = tagName(order_);
    CdxTagInfo info;
    info.name = name;
    info.keyExpression = def.keyExpression;
    info.forExpression = def.forExpression;
    info.keyLength = key->keyLength();
    info.unique = def.unique;
    info.descending = def.descending;
    info.pad = padFor(*key);
    report(0);
    Status built = buildTag(info, *key, condition.get());
    Status attached = attachTags();
    order_ = tagArea(currentTag);
    if (built) dbf_->setStructuralIndex(true);
    return built ? attached : built;
}

Status XbaseTable::rebuildIndex(const std::vector<CdxTagInfo>& definitions) {
    const std::string currentTag = tagName(order_);
    cdx_.close();
    tags_.clear();
    if (Status created = cdx_.create(indexPathFor(dbf_->path())); !created) return created;
    for (const CdxTagInfo& def : definitions) {
        // A tag whose expressions no longer fit the table is dropped.
        auto key = Expression::compile(def.keyExpression, dbf_->fields());
        if (!key) continue;
        std::unique_ptr<Expression> condition;
        if (!def.forExpression.empty()) {
            auto compiled = Expression::compile(def.forExpression, dbf_->fields());
            if (!compiled) continue;
            condition = std::move(compiled).value();
        }
        CdxTagInfo info = def;
        info.keyLength = key.value()->keyLength();
        info.pad = padFor(*key.value());
        report(0);
        if (Status built = buildTag(info, *key.value(), condition.get()); !built) return built;
    }
    Status attached = attachTags();
    order_ = tagArea(currentTag);
    return attached;
}

Status XbaseTable::reindex() {
    if (!isOpen() || dbf_->readOnly()) return XbaseError("table not open for writing");
    (void)flushRecord();
    if (!cdx_.isOpen()) return Status::Ok();
    const uint32_t recno = recno_;
    Status rebuilt = rebuildIndex(definitionsOf(cdx_));
    if (!go(recno)) goTop();
    return rebuilt;
}

}  // namespace corvane::xbase
