#pragma once
// One DBF table file: header, field descriptors and fixed-length records, in the FoxPro 2.x
// layout that other xBase tools read (version byte 0x03, flag 0x01 in byte 28 when a
// structural compound index belongs to the table). Knows nothing about indexes or
// expressions; XbaseTable builds those on top.
//
// Crash safety: a record is written before the header count that makes it visible, so a
// crash leaves at most a longer file than the count says; open() repairs the count from the
// file length (and cuts a torn last record), as xBase tools do.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "xbase/field_def.h"

namespace corvane::xbase {

enum class OpenMode { Exclusive, Shared, ReadOnly };

class DbfFile {
  public:
    DbfFile() = default;
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    // Writes a new, empty table. Fails when a field is invalid or the file cannot be
    // written; an existing file is replaced.
    static Status create(const QString& path, const std::vector<FieldDef>& fields,
                         bool structuralIndex);

    // Opens with an operating-system lock: exclusive mode fails while any other process (or
    // another open in this one) holds the file; shared and read-only modes fail only against
    // an exclusive holder.
    Status open(const QString& path, OpenMode mode);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool readOnly() const { return mode_ == OpenMode::ReadOnly; }
    OpenMode mode() const { return mode_; }
    const QString& path() const { return path_; }

    const std::vector<FieldDef>& fields() const { return fields_; }
    int fieldIndex(const std::string& name) const;  // case-insensitive, -1 when absent
    uint32_t recordCount() const { return recordCount_; }
    int recordLength() const { return recordLength_; }
    bool hasStructuralIndex() const { return (flags_ & kStructuralIndexFlag) != 0; }
    void setStructuralIndex(bool on);
    // True when open() had to repair the header's record count or the file length.
    bool repairedOnOpen() const { return repaired_; }

    // Reads record `recno` (1-based) into `out` (recordLength bytes, deletion flag first).
    bool readRecord(uint32_t recno, std::string& out);
    Status writeRecord(uint32_t recno, const std::string& record);
    // Appends a record and makes it visible in the header (for a table held exclusively, at
    // the next commit() or close()); returns its number.
    Result<uint32_t> appendRecord(const std::string& record);
    // Forces written data to the disk.
    Status commit();
    // Writes an empty table at `path` with this table's header (fields, flags) verbatim.
    Status createEmptyCopy(const QString& path);
    // Advisory record locks (shared mode), far beyond any data offset.
    bool lockRecord(uint32_t recno);
    void unlockRecord(uint32_t recno);
    // Renames the open file (the lock stays with it); used to move a packed copy into place.
    bool renameTo(const QString& newPath);

    // A record of blanks in this table's layout.
    std::string blankRecord() const;

    // Parses a header and field descriptors; also used by the fuzz target. On success fills
    // the out-parameters.
    static Status parseHeader(const std::string& bytes, std::vector<FieldDef>& fields,
                              uint32_t& recordCount, int& headerLength, int& recordLength,
                              uint8_t& flags);

    static constexpr uint8_t kStructuralIndexFlag = 0x01;

  private:
    bool writeHeaderCount();
    bool fillCache(uint32_t recno);
    // Maps the file for reading up to at least `end` bytes (a table held exclusively, which no
    // other program shortens while we hold it); false when it cannot.
    bool mapUpTo(uint64_t end);
    void unmap();

    int fd_ = -1;
    OpenMode mode_ = OpenMode::Exclusive;
    QString path_;
    std::vector<FieldDef> fields_;
    uint32_t recordCount_ = 0;
    bool countPending_ = false;  // appended records not yet counted in the header
    int headerLength_ = 0;
    int recordLength_ = 0;
    uint8_t flags_ = 0;
    bool repaired_ = false;
    // Tables held exclusively are read through a shared read-only mapping of the file (our own
    // writes show in it): a record read at a random place (a seek) costs no system call.
    const char* map_ = nullptr;
    uint64_t mapSize_ = 0;
    // Read cache: a run of whole records starting at cacheFirst_.
    std::string cache_;
    uint32_t cacheFirst_ = 0;
    uint32_t cacheCount_ = 0;
};

}  // namespace corvane::xbase
