#include "xbase/xbase_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "xbase/text_encoding.h"
#include "xbase/xbase_status.h"

namespace corvane::xbase {

XbaseTable::XbaseTable() = default;
XbaseTable::~XbaseTable() {
    close();
}

Status XbaseTable::create(const QString& path, const std::vector<FieldDef>& fields) {
    return DbfFile::create(path, fields, false);
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

Status XbaseTable::open(const QString& path, OpenMode mode) {
    close();
    auto dbf = std::make_unique<DbfFile>();
    if (Status opened = dbf->open(path, mode); !opened) return opened;
    dbf_ = std::move(dbf);
    indexRebuilt_ = false;
    openIndex();
    goTop();
    return Status::Ok();
}

void XbaseTable::close() {
    (void)flushRecord();
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
    staleFound_ = false;
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

// scanRecords and scanTag live in xbase_table_scan.cpp.

bool XbaseTable::goTopOnce() {
    if (!isOpen()) return false;
    (void)flushRecord();
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
    (void)flushRecord();
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
    (void)flushRecord();
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
            moved = scanTag(t, stepFromCurrent(t, forward), forward);
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
    (void)flushRecord();
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
    return FromWindows1252(bytes);
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

Status XbaseTable::writable() const {
    if (!isOpen()) return XbaseError("table not open");
    if (dbf_->readOnly()) return XbaseError(dbf_->path().toStdString() + " is open read-only");
    if (eof_) return XbaseError("no current record in " + dbf_->path().toStdString());
    return Status::Ok();
}

Status XbaseTable::noField(const std::string& name) const {
    return XbaseError("no field " + name + " in " + path().toStdString());
}

Status XbaseTable::setField(const std::string& name, const std::string& bytes) {
    const int i = fieldIndex(name);
    if (i < 0) return noField(name);
    if (Status can = writable(); !can) return can;
    const FieldDef& f = fields()[size_t(i)];
    std::string record = record_;
    std::string value = bytes.substr(0, size_t(f.width));
    value.resize(size_t(f.width), ' ');
    record.replace(size_t(f.offset), size_t(f.width), value);
    return writeCurrent(std::move(record));
}

Status XbaseTable::replaceText(const std::string& name, const QString& text) {
    const int i = fieldIndex(name);
    if (i < 0) return noField(name);
    const FieldDef& f = fields()[size_t(i)];
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
            return setField(name, ToWindows1252(text));
    }
}

Status XbaseTable::replaceDate(const std::string& name, const QDate& date) {
    return setField(
        name, date.isValid() ? DtosFromJulian(int32_t(date.toJulianDay())) : std::string(8, ' '));
}

Status XbaseTable::replaceNumber(const std::string& name, double number) {
    const int i = fieldIndex(name);
    if (i < 0) return noField(name);
    const FieldDef& f = fields()[size_t(i)];
    return setField(name, FormatNumber(number, f.width, f.decimals));
}

Status XbaseTable::replaceLogical(const std::string& name, bool value) {
    return setField(name, value ? "T" : "F");
}

Status XbaseTable::writeCurrent(std::string record) {
    if (!recordDirty_) {
        original_ = record_;
        recordDirty_ = true;
        recordIsNew_ = false;
    }
    record_ = std::move(record);
    return Status::Ok();
}

Status XbaseTable::flushRecord() {
    if (!recordDirty_) return Status::Ok();
    recordDirty_ = false;
    if (!dbf_) return XbaseError("table not open");
    if (Status written = dbf_->writeRecord(recno_, record_); !written) {
        unreportedWrite_ = written;
        return written;
    }
    updateIndexes(recordIsNew_ ? nullptr : &original_, record_, recno_);
    // A rebuilt index already holds the record as written.
    repairIndex();
    return Status::Ok();
}

bool XbaseTable::goTop() {
    const bool ok = goTopOnce();
    return repairIndex() ? goTopOnce() : ok;
}

bool XbaseTable::goBottom() {
    const bool ok = goBottomOnce();
    return repairIndex() ? goBottomOnce() : ok;
}

bool XbaseTable::skip(int count) {
    const uint32_t from = recno_;
    const bool atEnd = eof_;
    const bool ok = skipOnce(count);
    if (!repairIndex()) return ok;
    if (atEnd)
        setEof();
    else
        go(from);
    return skipOnce(count);
}

Status XbaseTable::appendBlank() {
    if (!isOpen()) return XbaseError("table not open");
    if (dbf_->readOnly()) return XbaseError(dbf_->path().toStdString() + " is open read-only");
    if (Status flushed = flushRecord(); !flushed) return flushed;
    const std::string record = dbf_->blankRecord();
    const Result<uint32_t> recno = dbf_->appendRecord(record);
    if (!recno) return recno.status();
    load(recno.value(), record);
    // Its keys enter the tags when the record is flushed, with the values given by then.
    recordDirty_ = true;
    recordIsNew_ = true;
    return Status::Ok();
}

Status XbaseTable::deleteRecord() {
    if (Status can = writable(); !can) return can;
    std::string record = record_;
    record[0] = '*';
    return writeCurrent(std::move(record));
}

Status XbaseTable::recall() {
    if (Status can = writable(); !can) return can;
    std::string record = record_;
    record[0] = ' ';
    return writeCurrent(std::move(record));
}

Status XbaseTable::commit() {
    if (!isOpen()) return XbaseError("table not open");
    Status result = flushRecord();
    if (result && !unreportedWrite_) result = unreportedWrite_;
    unreportedWrite_ = Status::Ok();
    if (Status table = dbf_->commit(); result && !table) result = table;
    if (!cdx_.flush() && result)
        result = XbaseError("cannot write the index of " + dbf_->path().toStdString());
    return result;
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

}  // namespace corvane::xbase
