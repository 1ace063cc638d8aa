#include "xbase/dbf_file.h"
#include "xbase/file_io.h"
#include "xbase/text_encoding.h"
#include "xbase/xbase_status.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDate>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace corvane::xbase {

namespace {

constexpr uint8_t kVersionFoxPro = 0x03;        // FoxPro 2.x / dBASE III table without memo
constexpr uint8_t kCodePageWindowsAnsi = 0x03;  // code page mark 1252
constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr char kHeaderTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr size_t kCacheBytes = 256 * 1024;
constexpr int kMaxFields = 255;

bool validFieldName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

// Why a write to `path` failed, from errno (a write that stopped short sets none).
Status writeFailure(const QString& path) {
    const int error = errno ? errno : ENOSPC;
    return XbaseError("cannot write " + path.toStdString() + ": " + std::strerror(error));
}

void stampDate(char* header) {
    const QDate today = QDate::currentDate();
    header[1] = char(today.year() - 1900);
    header[2] = char(today.month());
    header[3] = char(today.day());
}

}  // namespace

DbfFile::~DbfFile() {
    close();
}

Status DbfFile::create(const QString& path, const std::vector<FieldDef>& fields,
                       bool structuralIndex) {
    if (fields.empty() || int(fields.size()) > kMaxFields) {
        return XbaseError("a table needs 1 to 255 fields");
    }
    std::string header(kHeaderSize + kDescriptorSize * fields.size() + 1, '\0');
    int offset = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const std::string name = UpperCase(f.name);
        if (!validFieldName(name)) {
            return XbaseError("invalid field name \"" + f.name + "\"");
        }
        int width = f.width;
        int decimals = 0;
        switch (f.type) {
            case 'C':
                if (width < 1 || width > 254) width = -1;
                break;
            case 'D':
                width = 8;
                break;
            case 'L':
                width = 1;
                break;
            case 'N':
                if (width < 1 || width > 20) width = -1;
                decimals = f.decimals;
                if (decimals < 0 || (decimals > 0 && decimals > width - 2)) width = -1;
                break;
            default:
                width = -1;
        }
        if (width < 0) {
            return XbaseError("invalid type or width for field \"" + f.name + "\"");
        }
        char* d = header.data() + kHeaderSize + kDescriptorSize * i;
        std::memcpy(d, name.data(), name.size());
        d[11] = f.type;
        putLe32(d + 12, uint32_t(offset));
        d[16] = char(width);
        d[17] = char(decimals);
        offset += width;
    }
    header[0] = char(kVersionFoxPro);
    stampDate(header.data());
    putLe16(header.data() + 8, uint16_t(header.size()));
    putLe16(header.data() + 10, uint16_t(offset));
    header[28] = structuralIndex ? char(kStructuralIndexFlag) : '\0';
    header[29] = char(kCodePageWindowsAnsi);
    header.back() = kHeaderTerminator;
    header.push_back(kEndOfFile);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(header.data(), qint64(header.size())) != qint64(header.size()) ||
        !file.flush()) {
        return XbaseError("cannot write " + path.toStdString());
    }
    ::fsync(file.handle());
    return Status::Ok();
}

Status DbfFile::parseHeader(const std::string& bytes, std::vector<FieldDef>& fields,
                            uint32_t& recordCount, int& headerLength, int& recordLength,
                            uint8_t& flags) {
    if (bytes.size() < size_t(kHeaderSize) + 1) {
        return XbaseError("file too short for a DBF header");
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    recordCount = le32(p + 4);
    headerLength = le16(p + 8);
    recordLength = le16(p + 10);
    flags = p[28];
    if (headerLength < kHeaderSize + kDescriptorSize + 1 || size_t(headerLength) > bytes.size()) {
        return XbaseError("bad DBF header length");
    }
    fields.clear();
    int offset = 1;
    for (size_t pos = kHeaderSize; pos + kDescriptorSize <= size_t(headerLength);
         pos += kDescriptorSize) {
        if (p[pos] == 0x0D) break;
        FieldDef f;
        const char* name = bytes.data() + pos;
        f.name = UpperCase(std::string(name, strnlen(name, 11)));
        f.type = char(std::toupper(p[pos + 11]));
        f.width = p[pos + 16];
        f.decimals = p[pos + 17];
        // Character fields wider than 255 keep the high byte in the decimals slot.
        if (f.type == 'C') {
            f.width += f.decimals * 256;
            f.decimals = 0;
        }
        f.offset = offset;
        if (f.name.empty() || f.width == 0) {
            return XbaseError("bad field descriptor");
        }
        offset += f.width;
        fields.push_back(f);
    }
    if (fields.empty()) {
        return XbaseError("table without fields");
    }
    if (offset != recordLength) {
        return XbaseError("record length does not match the fields");
    }
    return Status::Ok();
}

Status DbfFile::open(const QString& path, OpenMode mode) {
    close();
    const QByteArray native = QFile::encodeName(path);
    const int fd =
        ::open(native.constData(), (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) {
        return XbaseError("cannot open " + path.toStdString() + ": " + std::strerror(errno));
    }
    const int lockKind = mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH;
    if (::flock(fd, lockKind | LOCK_NB) != 0) {
        ::close(fd);
        return XbaseError(path.toStdString() + " is in use by another program");
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return XbaseError("cannot read " + path.toStdString());
    }
    // The header is at most 32 + 255 * 32 + 1 bytes plus the 263-byte backlink of newer
    // flavours; read a generous block and parse.
    std::string head(std::min<off_t>(st.st_size, 16384), '\0');
    if (!preadAll(fd, head.data(), head.size(), 0)) {
        ::close(fd);
        return XbaseError("cannot read " + path.toStdString());
    }
    if (Status parsed =
            parseHeader(head, fields_, recordCount_, headerLength_, recordLength_, flags_);
        !parsed) {
        ::close(fd);
        return parsed;
    }
    fd_ = fd;
    mode_ = mode;
    path_ = path;
    repaired_ = false;
    cacheCount_ = 0;

    // The file length is the truth: whole records present beyond the header's count were
    // written before a crash could update the count; a torn tail is cut.
    const uint64_t dataBytes = uint64_t(st.st_size) - uint64_t(headerLength_);
    const uint32_t wholeRecords = uint32_t(dataBytes / uint64_t(recordLength_));
    const uint64_t expectedLength =
        uint64_t(headerLength_) + uint64_t(wholeRecords) * uint64_t(recordLength_);
    bool needsRepair = wholeRecords != recordCount_;
    const uint64_t tail = uint64_t(st.st_size) - expectedLength;
    if (tail > 1) needsRepair = true;
    if (tail == 1) {
        char marker = 0;
        preadAll(fd_, &marker, 1, off_t(expectedLength));
        if (marker != kEndOfFile) needsRepair = true;
    }
    if (needsRepair) {
        recordCount_ = wholeRecords;
        repaired_ = true;
        if (mode != OpenMode::ReadOnly) {
            if (::ftruncate(fd_, off_t(expectedLength)) != 0 ||
                !pwriteAll(fd_, &kEndOfFile, 1, off_t(expectedLength)) || !writeHeaderCount()) {
                close();
                return XbaseError("cannot repair " + path.toStdString());
            }
            ::fdatasync(fd_);
        }
    }
    return Status::Ok();
}

void DbfFile::close() {
    if (fd_ >= 0) {
        // A failed write leaves the count to the next open(), which recounts the records.
        if (countPending_) (void)writeHeaderCount();
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    unmap();
    fd_ = -1;
    fields_.clear();
    recordCount_ = 0;
    countPending_ = false;
    cacheCount_ = 0;
    cache_.clear();
}

int DbfFile::fieldIndex(const std::string& name) const {
    const std::string wanted = UpperCase(name);
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == wanted) return int(i);
    return -1;
}

void DbfFile::setStructuralIndex(bool on) {
    if (fd_ < 0 || readOnly() || hasStructuralIndex() == on) return;
    flags_ = on ? uint8_t(flags_ | kStructuralIndexFlag) : uint8_t(flags_ & ~kStructuralIndexFlag);
    const char flag = char(flags_);
    pwriteAll(fd_, &flag, 1, 28);
}

std::string DbfFile::blankRecord() const {
    return std::string(size_t(recordLength_), ' ');
}

bool DbfFile::fillCache(uint32_t recno) {
    // Scans read ahead (or behind) in large blocks; a jump elsewhere (a seek) reads only the
    // record, so that random access costs the same in a large table as in a small one.
    const bool forward = recno == 1 || (cacheCount_ > 0 && recno == cacheFirst_ + cacheCount_);
    const bool backward = cacheCount_ > 0 && recno + 1 == cacheFirst_;
    const uint32_t perBlock = std::max<uint32_t>(1, uint32_t(kCacheBytes / size_t(recordLength_)));
    uint32_t first = recno, count = 1;
    if (forward) {
        count = std::min(perBlock, recordCount_ - recno + 1);
    } else if (backward) {
        count = std::min(perBlock, recno);
        first = recno - count + 1;
    }
    cache_.resize(size_t(count) * size_t(recordLength_));
    const off_t at = off_t(headerLength_) + off_t(first - 1) * recordLength_;
    if (!preadAll(fd_, cache_.data(), cache_.size(), at)) {
        cacheCount_ = 0;
        return false;
    }
    cacheFirst_ = first;
    cacheCount_ = count;
    return true;
}

bool DbfFile::mapUpTo(uint64_t end) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || uint64_t(st.st_size) < end) return false;
    unmap();
    // Room for appended records, so that a table that grows is not mapped again at every
    // record read; only records the file holds (up to recordCount_) are ever read from it.
    const uint64_t length = uint64_t(st.st_size) + uint64_t(st.st_size) / 4 + (1u << 20);
    void* at = ::mmap(nullptr, size_t(length), PROT_READ, MAP_SHARED, fd_, 0);
    if (at == MAP_FAILED) return false;
    map_ = static_cast<const char*>(at);
    mapSize_ = length;
    return true;
}

void DbfFile::unmap() {
    if (map_) ::munmap(const_cast<char*>(map_), size_t(mapSize_));
    map_ = nullptr;
    mapSize_ = 0;
}

bool DbfFile::readRecord(uint32_t recno, std::string& out) {
    if (fd_ < 0 || recno < 1 || recno > recordCount_) return false;
    if (mode_ == OpenMode::Exclusive) {
        const uint64_t at = uint64_t(headerLength_) + uint64_t(recno - 1) * uint64_t(recordLength_);
        const uint64_t end = at + uint64_t(recordLength_);
        if (end <= mapSize_ || mapUpTo(end)) {
            out.assign(map_ + at, size_t(recordLength_));
            return true;
        }
    }
    if (cacheCount_ == 0 || recno < cacheFirst_ || recno >= cacheFirst_ + cacheCount_) {
        if (!fillCache(recno)) return false;
    }
    out.assign(cache_, size_t(recno - cacheFirst_) * size_t(recordLength_), size_t(recordLength_));
    return true;
}

Status DbfFile::writeRecord(uint32_t recno, const std::string& record) {
    if (fd_ < 0) return XbaseError("table not open");
    if (readOnly()) return XbaseError(path_.toStdString() + " is open read-only");
    if (recno < 1 || recno > recordCount_ || record.size() != size_t(recordLength_))
        return XbaseError("no record " + std::to_string(recno) + " in " + path_.toStdString());
    const off_t at = off_t(headerLength_) + off_t(recno - 1) * recordLength_;
    errno = 0;
    if (!pwriteAll(fd_, record.data(), record.size(), at)) return writeFailure(path_);
    if (cacheCount_ && recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
        cache_.replace(size_t(recno - cacheFirst_) * size_t(recordLength_), record.size(), record);
    return Status::Ok();
}

Result<uint32_t> DbfFile::appendRecord(const std::string& record) {
    if (fd_ < 0) return XbaseError("table not open");
    if (readOnly()) return XbaseError(path_.toStdString() + " is open read-only");
    if (record.size() != size_t(recordLength_)) return XbaseError("record of the wrong length");
    std::string bytes = record;
    bytes.push_back(kEndOfFile);
    const off_t at = off_t(headerLength_) + off_t(recordCount_) * recordLength_;
    // Record first, count second: see the header comment.
    errno = 0;
    if (!pwriteAll(fd_, bytes.data(), bytes.size(), at)) return writeFailure(path_);
    ++recordCount_;
    // No other program reads a table held exclusively: its count is written by commit() or
    // close(), once for a whole run of appends (open() recounts after a crash).
    if (mode_ == OpenMode::Exclusive) {
        countPending_ = true;
        return recordCount_;
    }
    errno = 0;
    if (!writeHeaderCount()) {
        --recordCount_;
        return writeFailure(path_);
    }
    return recordCount_;
}

bool DbfFile::writeHeaderCount() {
    // Bytes 1-3 the date of the last change, 4-7 the record count.
    char head[8];
    stampDate(head);
    putLe32(head + 4, recordCount_);
    if (!pwriteAll(fd_, head + 1, 7, 1)) return false;
    countPending_ = false;
    return true;
}

Status DbfFile::createEmptyCopy(const QString& path) {
    if (fd_ < 0) return XbaseError("table not open");
    std::string header(size_t(headerLength_), '\0');
    if (!preadAll(fd_, header.data(), header.size(), 0)) {
        return XbaseError("cannot read " + path_.toStdString());
    }
    stampDate(header.data());
    putLe32(header.data() + 4, 0);
    header.push_back(kEndOfFile);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(header.data(), qint64(header.size())) != qint64(header.size()) ||
        !file.flush()) {
        return XbaseError("cannot write " + path.toStdString());
    }
    return Status::Ok();
}

namespace {
constexpr off_t kRecordLockBase = off_t(0x40000000);
bool setRecordLock(int fd, uint32_t recno, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kRecordLockBase + off_t(recno);
    lock.l_len = 1;
    return ::fcntl(fd, F_SETLK, &lock) == 0;
}
}  // namespace

bool DbfFile::lockRecord(uint32_t recno) {
    return fd_ >= 0 && setRecordLock(fd_, recno, mode_ == OpenMode::ReadOnly ? F_RDLCK : F_WRLCK);
}

void DbfFile::unlockRecord(uint32_t recno) {
    if (fd_ >= 0) setRecordLock(fd_, recno, F_UNLCK);
}

bool DbfFile::renameTo(const QString& newPath) {
    if (fd_ < 0) return false;
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(newPath).constData()) != 0)
        return false;
    path_ = newPath;
    return true;
}

Status DbfFile::commit() {
    if (fd_ < 0) return XbaseError("table not open");
    if (readOnly()) return Status::Ok();
    errno = 0;
    if (countPending_ && !writeHeaderCount()) return writeFailure(path_);
    if (::fdatasync(fd_) != 0) return writeFailure(path_);
    return Status::Ok();
}

}  // namespace corvane::xbase
