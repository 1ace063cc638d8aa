#include "core/xbase/xbase_table.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace corvane::xbase {

namespace {

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

char padFor(const Expression& key) {
    return key.type() == ValueType::Character || key.type() == ValueType::Logical ? ' ' : '\0';
}

void syncFolder(const QString& file) {
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

XbaseTable::XbaseTable() = default;
XbaseTable::~XbaseTable() {
    close();
}

bool XbaseTable::create(const QString& path, const std::vector<FieldDef>& fields,
                        std::string* error) {
    return DbfFile::create(path, fields, false, error);
}

QString XbaseTable::indexPathFor(const QString& tablePath) {
    const QFileInfo info(tablePath);
    const QString base = info.completeBaseName();
    const QDir dir = info.absoluteDir();
    const QStringList existing = dir.entryList({base + ".*"}, QDir::Files);
    for (const QString& name : existing)
        if (name.compare(base + ".cdx", Qt::CaseInsensitive) == 0) return dir.filePath(name);
    const bool lowerExtension =
        info.suffix() == info.suffix().toLower() && !info.suffix().isEmpty();
    return dir.filePath(base + (lowerExtension ? ".cdx" : ".CDX"));
}

bool XbaseTable::isOpen() const {
    return dbf_ && dbf_->isOpen();
}
QString XbaseTable::path() const {
    return dbf_ ? dbf_->path() : QString();
}

const std::vector<FieldDef>& XbaseTable::fields() const {
    static const std::vector<FieldDef> none;
    return dbf_ ? dbf_->fields() : none;
}

int XbaseTable::fieldIndex(const std::string& name) const {
    return dbf_ ? dbf_->fieldIndex(name) : -1;
}

uint32_t XbaseTable::recCount() const {
    return dbf_ ? dbf_->recordCount() : 0;
}

bool XbaseTable::open(const QString& path, OpenMode mode, std::string* error) {
    close();
    auto dbf = std::make_unique<DbfFile>();
    if (!dbf->open(path, mode, error)) return false;
    dbf_ = std::move(dbf);
    indexRebuilt_ = false;
    if (!openIndex(error)) {
        close();
        return false;
    }
    goTop();
    return true;
}

bool XbaseTable::openIndex(std::string* error) {
    const QString indexPath = indexPathFor(dbf_->path());
    if (!QFileInfo(indexPath).isFile()) return true;
    const bool readOnly = dbf_->readOnly();
    std::string why;
    if (cdx_.open(indexPath, readOnly, &why) && attachTags(&why)) return true;
    cdx_.close();
    tags_.clear();
    if (readOnly) return true;  // usable in record order; nothing may be written
    // The index is derived data: rebuild it from the table instead of refusing the table.
    std::vector<CdxTagInfo> definitions;
    CdxFile::readDefinitions(indexPath, definitions);
    QFile::remove(indexPath);
    indexRebuilt_ = true;
    if (definitions.empty()) return true;
    if (!rebuildIndex(definitions, &why)) {
        cdx_.close();
        tags_.clear();
        QFile::remove(indexPath);
    }
    (void)error;
    return true;
}

bool XbaseTable::attachTags(std::string* error) {
    tags_.clear();
    for (const auto& tag : cdx_.tags()) {
        OpenTag t;
        t.tag = tag.get();
        std::string why;
        t.key = Expression::compile(tag->info().keyExpression, dbf_->fields(), &why);
        if (!t.key || t.key->keyLength() != tag->info().keyLength) {
            setError(error, tag->info().name + ": key does not fit the table " + why);
            tags_.clear();
            return false;
        }
        if (!tag->info().forExpression.empty()) {
            t.condition = Expression::compile(tag->info().forExpression, dbf_->fields(), &why);
            if (!t.condition || t.condition->type() != ValueType::Logical) {
                setError(error, tag->info().name + ": bad FOR condition " + why);
                tags_.clear();
                return false;
            }
        }
        tags_.push_back(std::move(t));
    }
    ++indexVersion_;
    return true;
}

void XbaseTable::close() {
    flushRecord();
    cdx_.close();
    tags_.clear();
    if (dbf_) dbf_->close();
    dbf_.reset();
    order_ = 0;
    filter_.reset();
    recno_ = 0;
    record_.clear();
    eof_ = bof_ = true;
    found_ = false;
    ++indexVersion_;
}

void XbaseTable::report(int percent) {
    if (progress_) progress_(std::clamp(percent, 0, 100));
}

// ------------------------------------------------------------------ visibility and records

bool XbaseTable::visible(const std::string& record, uint32_t recno) const {
    if (deletedHidden_ && !record.empty() && record[0] == '*') return false;
    if (filter_) return filter_->evaluateLogical(RecordView{&record, recno});
    return true;
}

bool XbaseTable::inTag(const OpenTag& t, const std::string& record, uint32_t recno) const {
    return !t.condition || t.condition->evaluateLogical(RecordView{&record, recno});
}

void XbaseTable::load(uint32_t recno, const std::string& record) {
    recno_ = recno;
    record_ = record;
    eof_ = false;
    bof_ = false;
}

void XbaseTable::setEof() {
    recno_ = recCount() + 1;
    record_ = dbf_ ? dbf_->blankRecord() : std::string();
    eof_ = true;
}

bool XbaseTable::scanRecords(uint32_t from, bool forward) {
    const uint32_t count = recCount();
    for (uint32_t r = from; r >= 1 && r <= count; r = forward ? r + 1 : r - 1) {
        if (!dbf_->readRecord(r, scratch_)) break;
        if (visible(scratch_, r)) {
            load(r, scratch_);
            return true;
        }
    }
    return false;
}

bool XbaseTable::scanTag(OpenTag& t, CdxPos pos, bool forward) {
    // A tag never holds more entries than the table has records; a longer walk means a
    // damaged file.
    uint64_t guard = uint64_t(recCount()) + 2;
    while (pos.valid() && guard--) {
        const CdxEntry* e = t.tag->entry(pos);
        if (!e) break;
        const uint32_t r = e->recno;
        if (dbf_->readRecord(r, scratch_) && visible(scratch_, r)) {
            load(r, scratch_);
            hint_ = pos;
            hintVersion_ = indexVersion_;
            return true;
        }
        if (!(forward ? t.tag->next(pos) : t.tag->prev(pos))) break;
    }
    return false;
}

CdxPos XbaseTable::currentPosition(OpenTag& t) {
    const std::string key = t.key->key(RecordView{&record_, recno_});
    if (hintVersion_ == indexVersion_) {
        const CdxEntry* e = t.tag->entry(hint_);
        if (e && e->recno == recno_ && e->key == key) return hint_;
    }
    return t.tag->lowerBound(key, recno_);
}

bool XbaseTable::goTopOnce() {
    if (!isOpen()) return false;
    flushRecord();
    bool ok;
    if (order_ == 0)
        ok = scanRecords(1, true);
    else
        ok = scanTag(tags_[size_t(order_ - 1)], tags_[size_t(order_ - 1)].tag->first(), true);
    if (!ok) {
        setEof();
        bof_ = true;
    }
    return ok;
}

bool XbaseTable::goBottomOnce() {
    if (!isOpen()) return false;
    flushRecord();
    bool ok;
    if (order_ == 0)
        ok = scanRecords(recCount(), false);
    else
        ok = scanTag(tags_[size_t(order_ - 1)], tags_[size_t(order_ - 1)].tag->last(), false);
    if (!ok) {
        setEof();
        bof_ = true;
    }
    return ok;
}

bool XbaseTable::skipOnce(int count) {
    if (!isOpen()) return false;
    flushRecord();
    const bool forward = count >= 0;
    int steps = count == 0 ? 0 : std::abs(count);
    while (steps-- > 0) {
        if (eof_) {
            if (forward) return false;
            if (!goBottom()) return false;
            continue;
        }
        bool moved;
        if (order_ == 0) {
            moved = scanRecords(forward ? recno_ + 1 : recno_ - 1, forward);
        } else {
            OpenTag& t = tags_[size_t(order_ - 1)];
            CdxPos pos = currentPosition(t);
            if (forward) {
                const CdxEntry* e = t.tag->entry(pos);
                if (e && e->recno == recno_ && e->key == t.key->key(RecordView{&record_, recno_}))
                    t.tag->next(pos);
            } else {
                if (pos.valid())
                    t.tag->prev(pos);
                else
                    pos = t.tag->last();
            }
            moved = scanTag(t, pos, forward);
        }
        if (!moved) {
            if (forward) {
                setEof();
            } else {
                goTop();
                bof_ = true;
            }
            return false;
        }
    }
    return true;
}

bool XbaseTable::go(uint32_t recno) {
    if (!isOpen()) return false;
    flushRecord();
    if (recno >= 1 && recno <= recCount() && dbf_->readRecord(recno, scratch_)) {
        load(recno, scratch_);
        return true;
    }
    setEof();
    return false;
}

// ------------------------------------------------------------------ fields

bool XbaseTable::deleted() const {
    return !eof_ && !record_.empty() && record_[0] == '*';
}

std::string XbaseTable::fieldBytes(const std::string& name) const {
    const int i = fieldIndex(name);
    if (i < 0 || record_.empty()) return {};
    const FieldDef& f = fields()[size_t(i)];
    return record_.substr(size_t(f.offset), size_t(f.width));
}

QString XbaseTable::fieldText(const std::string& name) const {
    std::string bytes = fieldBytes(name);
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) bytes.pop_back();
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

Value XbaseTable::fieldValue(const std::string& name) const {
    const int i = fieldIndex(name);
    if (i < 0 || record_.empty()) return {};
    const FieldDef& f = fields()[size_t(i)];
    return FieldValue(f, record_.data() + f.offset);
}

QDate XbaseTable::fieldDate(const std::string& name) const {
    const Value v = fieldValue(name);
    return v.type == ValueType::Date && v.julian ? QDate::fromJulianDay(v.julian) : QDate();
}

double XbaseTable::fieldNumber(const std::string& name) const {
    return fieldValue(name).number;
}
bool XbaseTable::fieldLogical(const std::string& name) const {
    return fieldValue(name).logical;
}

bool XbaseTable::setField(const std::string& name, const std::string& bytes) {
    const int i = fieldIndex(name);
    if (i < 0 || eof_ || !isOpen() || dbf_->readOnly()) return false;
    const FieldDef& f = fields()[size_t(i)];
    std::string record = record_;
    std::string value = bytes.substr(0, size_t(f.width));
    value.resize(size_t(f.width), ' ');
    record.replace(size_t(f.offset), size_t(f.width), value);
    return writeCurrent(std::move(record));
}

bool XbaseTable::replaceText(const std::string& name, const QString& text) {
    const int i = fieldIndex(name);
    if (i < 0) return false;
    const FieldDef& f = fields()[size_t(i)];
    const QByteArray latin = text.toLatin1();
    std::string bytes(latin.constData(), size_t(latin.size()));
    switch (f.type) {
        case 'N':
        case 'F':
            return replaceNumber(name, text.trimmed().toDouble());
        case 'D':
            return replaceDate(name, QDate::fromString(text.trimmed(), "yyyyMMdd"));
        case 'L':
            return replaceLogical(name, text.trimmed().startsWith('T', Qt::CaseInsensitive) ||
                                            text.trimmed().startsWith('Y', Qt::CaseInsensitive));
        default:
            return setField(name, bytes);
    }
}

bool XbaseTable::replaceDate(const std::string& name, const QDate& date) {
    return setField(
        name, date.isValid() ? DtosFromJulian(int32_t(date.toJulianDay())) : std::string(8, ' '));
}

bool XbaseTable::replaceNumber(const std::string& name, double number) {
    const int i = fieldIndex(name);
    if (i < 0) return false;
    const FieldDef& f = fields()[size_t(i)];
    return setField(name, FormatNumber(number, f.width, f.decimals));
}

bool XbaseTable::replaceLogical(const std::string& name, bool value) {
    return setField(name, value ? "T" : "F");
}

bool XbaseTable::writeCurrent(std::string record) {
    if (!recordDirty_) {
        original_ = record_;
        recordDirty_ = true;
        recordIsNew_ = false;
    }
    record_ = std::move(record);
    return true;
}

bool XbaseTable::flushRecord() {
    if (!recordDirty_) return true;
    recordDirty_ = false;
    if (!dbf_ || !dbf_->writeRecord(recno_, record_)) return false;
    updateIndexes(recordIsNew_ ? nullptr : &original_, record_, recno_);
    // A rebuilt index already holds the record as written.
    if (cdx_.corrupt()) recoverIndex();
    return true;
}

bool XbaseTable::recoverIndex() {
    // A node found damaged while in use: the index is derived data, so it is rebuilt from the
    // table with the same tags (or, read-only, set aside for this session).
    std::vector<CdxTagInfo> definitions;
    for (const auto& t : cdx_.tags()) definitions.push_back(t->info());
    const uint32_t recno = recno_;
    const bool atEnd = eof_;
    indexRebuilt_ = true;
    if (dbf_->readOnly() || !rebuildIndex(definitions, nullptr)) {
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

bool XbaseTable::goTop() {
    const bool ok = goTopOnce();
    return cdx_.corrupt() && recoverIndex() ? goTopOnce() : ok;
}

bool XbaseTable::goBottom() {
    const bool ok = goBottomOnce();
    return cdx_.corrupt() && recoverIndex() ? goBottomOnce() : ok;
}

bool XbaseTable::skip(int count) {
    const uint32_t from = recno_;
    const bool atEnd = eof_;
    const bool ok = skipOnce(count);
    if (!cdx_.corrupt() || !recoverIndex()) return ok;
    if (atEnd)
        setEof();
    else
        go(from);
    return skipOnce(count);
}

int XbaseTable::queryRecCount() {
    const int count = queryRecCountOnce();
    return cdx_.corrupt() && recoverIndex() ? queryRecCountOnce() : count;
}

bool XbaseTable::seek(const std::string& key) {
    const bool ok = seekOnce(key);
    return cdx_.corrupt() && recoverIndex() ? seekOnce(key) : ok;
}

bool XbaseTable::appendBlank() {
    if (!isOpen() || dbf_->readOnly() || !flushRecord()) return false;
    const std::string record = dbf_->blankRecord();
    const uint32_t recno = dbf_->appendRecord(record);
    if (!recno) return false;
    load(recno, record);
    // Its keys enter the tags when the record is flushed, with the values given by then.
    recordDirty_ = true;
    recordIsNew_ = true;
    return true;
}

bool XbaseTable::deleteRecord() {
    if (eof_ || !isOpen() || dbf_->readOnly()) return false;
    std::string record = record_;
    record[0] = '*';
    return writeCurrent(std::move(record));
}

bool XbaseTable::recall() {
    if (eof_ || !isOpen() || dbf_->readOnly()) return false;
    std::string record = record_;
    record[0] = ' ';
    return writeCurrent(std::move(record));
}

bool XbaseTable::commit() {
    if (!isOpen()) return false;
    const bool recordOk = flushRecord();
    const bool tableOk = dbf_->commit() && recordOk;
    return cdx_.flush() && tableOk;
}

bool XbaseTable::rlock() {
    if (!isOpen() || eof_) return false;
    if (dbf_->mode() == OpenMode::Exclusive) return true;
    if (!dbf_->lockRecord(recno_)) return false;
    lockedRecord_ = recno_;
    return true;
}

void XbaseTable::unlock() {
    if (isOpen() && lockedRecord_) dbf_->unlockRecord(lockedRecord_);
    lockedRecord_ = 0;
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
        if (oldIn && t.tag->remove(oldKey, recno) && unique) {
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

// ------------------------------------------------------------------ orders

bool XbaseTable::hasIndex() const {
    return cdx_.isOpen();
}

int XbaseTable::tagArea(const std::string& name) const {
    const std::string wanted = upper(name);
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].tag->info().name == wanted) return int(i) + 1;
    return 0;
}

bool XbaseTable::setOrder(int order) {
    if (order < 0 || order > int(tags_.size())) return false;
    flushRecord();
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
    flushRecord();
    cdx_.close();
    tags_.clear();
    order_ = 0;
    ++indexVersion_;
}

bool XbaseTable::buildTag(const CdxTagInfo& info, const Expression& key,
                          const Expression* condition, std::string* error) {
    std::vector<CdxEntry> entries;
    const uint32_t count = recCount();
    entries.reserve(count);
    std::string record;
    for (uint32_t r = 1; r <= count; ++r) {
        if (!dbf_->readRecord(r, record)) {
            setError(error, "cannot read record " + std::to_string(r));
            return false;
        }
        const RecordView view{&record, r};
        if (condition && !condition->evaluateLogical(view)) continue;
        entries.push_back(CdxEntry{key.key(view), r, 0});
        if (r % 4096 == 0) report(int(uint64_t(r) * 50 / count));
    }
    const bool descending = info.descending;
    std::stable_sort(entries.begin(), entries.end(),
                     [descending](const CdxEntry& a, const CdxEntry& b) {
                         const int c = a.key.compare(b.key);
                         if (c != 0) return descending ? c > 0 : c < 0;
                         return a.recno < b.recno;
                     });
    if (info.unique) {
        entries.erase(
            std::unique(entries.begin(), entries.end(),
                        [](const CdxEntry& a, const CdxEntry& b) { return a.key == b.key; }),
            entries.end());
    }
    report(50);
    auto scaled = [this](int percent) { report(50 + percent / 2); };
    return cdx_.addTag(info, entries, scaled, error) != nullptr;
}

bool XbaseTable::createTag(const TagDef& def, std::string* error) {
    if (!isOpen() || dbf_->readOnly()) {
        setError(error, "table not open for writing");
        return false;
    }
    const std::string name = upper(def.name);
    if (name.empty() || name.size() > 10) {
        setError(error, "tag names have 1 to 10 characters");
        return false;
    }
    auto key = Expression::compile(def.keyExpression, dbf_->fields(), error);
    if (!key) return false;
    if (key->keyLength() < 1 || key->keyLength() > 240) {
        setError(error, "key length must be 1 to 240");
        return false;
    }
    std::unique_ptr<Expression> condition;
    if (!def.forExpression.empty()) {
        condition = Expression::compile(def.forExpression, dbf_->fields(), error);
        if (!condition) return false;
        if (condition->type() != ValueType::Logical) {
            setError(error, "FOR condition is not logical");
            return false;
        }
    }
    flushRecord();
    if (!cdx_.isOpen() && !cdx_.create(indexPathFor(dbf_->path()), error)) return false;
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
    const bool ok = buildTag(info, *key, condition.get(), error);
    std::string why;
    attachTags(&why);
    order_ = tagArea(currentTag);
    if (ok) dbf_->setStructuralIndex(true);
    return ok;
}

bool XbaseTable::rebuildIndex(const std::vector<CdxTagInfo>& definitions, std::string* error) {
    const std::string currentTag = tagName(order_);
    cdx_.close();
    tags_.clear();
    if (!cdx_.create(indexPathFor(dbf_->path()), error)) return false;
    for (const CdxTagInfo& def : definitions) {
        auto key = Expression::compile(def.keyExpression, dbf_->fields(), error);
        std::unique_ptr<Expression> condition;
        if (!def.forExpression.empty())
            condition = Expression::compile(def.forExpression, dbf_->fields(), error);
        if (!key || (!def.forExpression.empty() && !condition)) continue;
        CdxTagInfo info = def;
        info.keyLength = key->keyLength();
        info.pad = padFor(*key);
        report(0);
        if (!buildTag(info, *key, condition.get(), error)) return false;
    }
    const bool ok = attachTags(error);
    order_ = tagArea(currentTag);
    return ok;
}

bool XbaseTable::reindex(std::string* error) {
    if (!isOpen() || dbf_->readOnly()) {
        setError(error, "table not open for writing");
        return false;
    }
    flushRecord();
    if (!cdx_.isOpen()) return true;
    std::vector<CdxTagInfo> definitions;
    for (const auto& t : cdx_.tags()) definitions.push_back(t->info());
    const uint32_t recno = recno_;
    const bool ok = rebuildIndex(definitions, error);
    if (!go(recno)) goTop();
    return ok;
}

// ------------------------------------------------------------------ filter and search

int XbaseTable::query(const std::string& expression, std::string* error) {
    if (!isOpen()) return -1;
    flushRecord();
    const bool blank = expression.find_first_not_of(" \t") == std::string::npos;
    if (blank) {
        filter_.reset();
    } else {
        auto compiled = Expression::compile(expression, dbf_->fields(), error);
        if (!compiled) return -1;
        if (compiled->type() != ValueType::Logical) {
            setError(error, "a filter must be a logical expression");
            return -1;
        }
        filter_ = std::move(compiled);
    }
    const int matches = queryRecCount();
    goTop();
    return matches;
}

int XbaseTable::queryRecCountOnce() {
    if (!isOpen()) return 0;
    flushRecord();
    int count = 0;
    std::string record;
    if (order_ == 0) {
        for (uint32_t r = 1; r <= recCount(); ++r)
            if (dbf_->readRecord(r, record) && visible(record, r)) ++count;
        return count;
    }
    OpenTag& t = tags_[size_t(order_ - 1)];
    uint64_t guard = uint64_t(recCount()) + 1;
    for (CdxPos pos = t.tag->first(); pos.valid() && guard--; t.tag->next(pos)) {
        const CdxEntry* e = t.tag->entry(pos);
        if (!e) break;
        if (dbf_->readRecord(e->recno, record) && visible(record, e->recno)) ++count;
    }
    return count;
}

std::string XbaseTable::filter() const {
    return filter_ ? filter_->text() : std::string();
}

bool XbaseTable::seekOnce(const std::string& key) {
    found_ = false;
    if (!isOpen() || order_ == 0) return false;
    flushRecord();
    OpenTag& t = tags_[size_t(order_ - 1)];
    const std::string prefix = key.substr(0, size_t(t.tag->info().keyLength));
    if (scanTag(t, t.tag->seekPrefix(prefix), true) &&
        t.key->key(RecordView{&record_, recno_}).compare(0, prefix.size(), prefix) == 0) {
        found_ = true;
        return true;
    }
    setEof();
    return false;
}

uint32_t XbaseTable::locate(const std::string& expression, bool forward, bool continueSearch,
                            std::string* error) {
    if (!isOpen()) return 0;
    flushRecord();
    auto condition = Expression::compile(expression, dbf_->fields(), error);
    if (!condition) return 0;
    if (condition->type() != ValueType::Logical) {
        setError(error, "a search condition must be a logical expression");
        return 0;
    }
    const uint32_t startRecno = recno_;
    const bool startEof = eof_;
    bool positioned;
    if (continueSearch)
        positioned = skip(forward ? 1 : -1) && !eof_;
    else
        positioned = forward ? goTop() : goBottom();
    if (continueSearch && !forward && bof_) positioned = false;
    while (positioned && !eof_) {
        if (condition->evaluateLogical(RecordView{&record_, recno_})) return recno_;
        if (!skip(forward ? 1 : -1)) break;
    }
    if (startEof)
        setEof();
    else
        go(startRecno);
    return 0;
}

bool XbaseTable::evalLogical(const std::string& expression, std::string* error) {
    if (!isOpen()) return false;
    auto condition = Expression::compile(expression, dbf_->fields(), error);
    if (!condition) return false;
    return condition->evaluateLogical(RecordView{&record_, recno_});
}

// ------------------------------------------------------------------ pack

bool XbaseTable::pack(std::string* error) {
    if (!isOpen() || dbf_->mode() != OpenMode::Exclusive) {
        setError(error, "pack needs the table opened exclusively");
        return false;
    }
    flushRecord();
    const QString path = dbf_->path();
    const QString temporary = path + ".pack";
    if (!dbf_->createEmptyCopy(temporary, error)) return false;
    auto packed = std::make_unique<DbfFile>();
    if (!packed->open(temporary, OpenMode::Exclusive, error)) {
        QFile::remove(temporary);
        return false;
    }
    report(0);
    std::string record;
    const uint32_t count = recCount();
    for (uint32_t r = 1; r <= count; ++r) {
        if (!dbf_->readRecord(r, record) || (record[0] != '*' && !packed->appendRecord(record))) {
            setError(error, "cannot copy record " + std::to_string(r));
            packed->close();
            QFile::remove(temporary);
            return false;
        }
        if (r % 1024 == 0) report(int(uint64_t(r) * 100 / count));
    }
    // The new file replaces the old one in a single rename: a crash leaves one or the other.
    if (!packed->commit() || !packed->renameTo(path)) {
        setError(error, "cannot replace " + path.toStdString());
        packed->close();
        QFile::remove(temporary);
        return false;
    }
    syncFolder(path);
    dbf_ = std::move(packed);
    report(100);
    bool ok = true;
    if (cdx_.isOpen()) ok = reindex(error);
    goTop();
    return ok;
}

}  // namespace corvane::xbase
