#pragma once
// A work area: one open DBF table with its structural compound index (same base name,
// extension ".CDX"), the current record, the current order (0 is record order, n the n-th tag
// in creation order), a filter and the environment switches. This is the engine interface
// the fax logs use: navigation, field access, append/replace/delete with index maintenance,
// tags, filters, seek, locate, pack and reindex.
//
// Field changes of the current record are written, and its tags updated, when the record is
// left (any navigation, search, order change), on commit and on close.
//
// Shared mode lets several readers in; it does not coordinate writers in several processes
// (each keeps its own index nodes), so the program writes only to tables it holds exclusively.
//
// Records marked for deletion keep their number until pack; with deleted records hidden they
// are skipped by every navigation and count. At end of file recNo() is recCount() + 1.

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/status.h"
#include "xbase/cdx_index.h"
#include "xbase/dbf_file.h"
#include "xbase/expression.h"
#include "xbase/field_def.h"

namespace corvane::xbase {

struct TagDef {
    std::string name;
    std::string keyExpression;
    std::string forExpression;  // e.g. ".not. deleted()"; empty for every record
    bool unique = false;
    bool descending = false;
};

class XbaseTable {
  public:
    using Progress = std::function<void(int percent)>;
    using Warning = std::function<void(const QString& message)>;

    XbaseTable();
    ~XbaseTable();
    XbaseTable(const XbaseTable&) = delete;
    XbaseTable& operator=(const XbaseTable&) = delete;

    // Creates an empty table (FoxPro flavour); an existing file is replaced.
    static Status create(const QString& path, const std::vector<FieldDef>& fields);
    // The structural index file of a table: same folder and base name, extension ".CDX"
    // (an existing file is found whatever the letter case of its extension).
    static QString indexPathFor(const QString& tablePath);

    // Opens the table and, when present, its structural index. An index that cannot be read
    // (damaged, or left unflushed by a crash), or whose keys were built by older rules, is
    // rebuilt from the table when its tag definitions survive, and otherwise removed so that
    // the caller recreates the tags. Read-only, such an index is left unused.
    Status open(const QString& path, OpenMode mode);
    void close();
    bool isOpen() const;
    QString path() const;
    bool indexWasRebuilt() const { return indexRebuilt_; }

    // Environment.
    void setDeletedHidden(bool on) { deletedHidden_ = on; }
    bool deletedHidden() const { return deletedHidden_; }
    void setProgress(Progress progress) { progress_ = std::move(progress); }
    // Receives, once per tag, the news that a tag's stored keys differ from the keys its
    // expression gives (an index written by a program with other key rules) when the table
    // is not held exclusively; held exclusively, such an index is rebuilt instead.
    void setWarning(Warning warning) { warning_ = std::move(warning); }
    // Names of the tags found stale since the table was opened and not rebuilt.
    std::vector<std::string> staleTags() const;

    // Structure.
    const std::vector<FieldDef>& fields() const;
    int fieldIndex(const std::string& name) const;

    // Navigation (honours order, filter and hidden deleted records).
    bool goTop();
    bool goBottom();
    bool skip(int count = 1);
    bool go(uint32_t recno);  // any record, visible or not; false (and EOF) when out of range
    uint32_t recNo() const { return recno_; }
    uint32_t recCount() const;
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }

    // Current record.
    bool deleted() const;
    std::string fieldBytes(const std::string& name) const;  // raw, padded
    QString fieldText(const std::string& name) const;  // code page 1252, trailing blanks removed
    QDate fieldDate(const std::string& name) const;    // invalid when empty
    double fieldNumber(const std::string& name) const;
    bool fieldLogical(const std::string& name) const;
    Value fieldValue(const std::string& name) const;

    // Record writes. A failure says why (no such field, no current record, a table open
    // read-only, the reason the file could not be written).
    // Cut to the width; a character without a code page 1252 form is stored as "?"
    // (FitsWindows1252 in text_encoding.h tells beforehand).
    Status replaceText(const std::string& name, const QString& text);
    Status replaceDate(const std::string& name, const QDate& date);  // invalid: empty date
    Status replaceNumber(const std::string& name, double number);
    Status replaceLogical(const std::string& name, bool value);
    Status appendBlank();
    Status deleteRecord();
    Status recall();
    // Writes the current record's changes and forces the files to the disk. A write that
    // failed while navigating away from a changed record is reported here.
    Status commit();
    // Record locks for shared mode; exclusive tables always succeed.
    bool rlock();
    void unlock();

    // Orders.
    Status createTag(const TagDef& tag);
    int tagCount() const { return int(tags_.size()); }
    int tagArea(const std::string& name) const;  // 0 when there is no such tag
    bool setOrder(int order);
    int indexOrd() const { return order_; }
    std::string indexKey() const;  // key expression of the current order, "" for order 0
    std::string tagName(int order) const;
    bool hasIndex() const;
    void closeIndexes();

    // Filter: returns the number of matching records; fails when the expression is not a
    // valid logical expression (the filter is then unchanged). An empty expression clears it.
    Result<int> query(const std::string& expression);
    int queryRecCount();
    std::string filter() const;

    // Search.
    bool seek(const std::string& key);
    bool found() const { return found_; }
    // Moves to the next record (in the current order) satisfying `expression`: from the top
    // (or bottom, backwards) or, with `continueSearch`, from the record after the current one.
    // Returns its number, or 0 with the position unchanged.
    Result<uint32_t> locate(const std::string& expression, bool forward, bool continueSearch);
    Result<bool> evalLogical(const std::string& expression);

    // Removes records marked for deletion by writing a new table file and renaming it into
    // place, then rebuilds every tag. Needs exclusive use.
    Status pack();
    Status reindex();

  private:
    struct OpenTag {
        CdxTag* tag = nullptr;
        std::unique_ptr<Expression> key;
        std::unique_ptr<Expression> condition;
        // Unique tags: how many records have each key (built on first need), so that a
        // replacement for a removed entry is searched only when one exists.
        std::unordered_map<std::string, uint32_t> keyCounts;
        bool countsReady = false;
        // A stored key differs from the key computed from its record.
        bool stale = false;
        bool staleReported = false;
    };

    void openIndex();
    bool recoverIndex();
    // After an operation: rebuilds an index found damaged, or found stale in a table held
    // exclusively (true: the operation should run again), or reports a stale tag once.
    bool repairIndex();
    void markStale(OpenTag& t);
    // Whether the entry at `pos`, holding the loaded record, has the key the record gives.
    void checkEntry(OpenTag& t, const CdxEntry& e);
    // The entry of record `recno` found by walking the tag (its stored key is unknown).
    CdxPos findRecord(OpenTag& t, uint32_t recno);
    bool goTopOnce();
    bool goBottomOnce();
    bool skipOnce(int count);
    int queryRecCountOnce();
    bool seekOnce(const std::string& key);
    Status attachTags();
    Status rebuildIndex(const std::vector<CdxTagInfo>& definitions);
    Status buildTag(const CdxTagInfo& info, const Expression& key, const Expression* condition);
    bool visible(const std::string& record, uint32_t recno) const;
    bool inTag(const OpenTag& t, const std::string& record, uint32_t recno) const;
    void updateIndexes(const std::string* before, const std::string& after, uint32_t recno);
    void refillUnique(OpenTag& t, const std::string& key, uint32_t removed);
    void countKeys(OpenTag& t);
    Status writeCurrent(std::string record);
    // Writes a changed current record and updates the tags once for all its changes. Callers
    // that cannot report a failure (navigation) leave it in unreportedWrite_ for commit().
    Status flushRecord();
    Status setField(const std::string& name, const std::string& bytes);
    // Why the current record cannot be changed, or Ok.
    Status writable() const;
    Status noField(const std::string& name) const;
    void load(uint32_t recno, const std::string& record);
    void setEof();
    // The tag position one step from the current record (which may be missing from the tag):
    // from the entry where the record was last seen, so that a walk moves through the tag's
    // own entries even where a stored key differs from the computed one.
    CdxPos stepFromCurrent(OpenTag& t, bool forward);
    // Moves to the first visible record from `pos` (tag) or `from` (record order) onwards that
    // satisfies `condition` too, when one is given.
    bool scanTag(OpenTag& t, CdxPos pos, bool forward, const Expression* condition = nullptr);
    bool scanRecords(uint32_t from, bool forward, const Expression* condition = nullptr);
    bool accepts(const std::string& record, uint32_t recno, const Expression* condition) const;
    // Indexed by record number: visible and satisfying `condition` (when given). One pass
    // through the table file in record order, reading it in large blocks.
    std::vector<bool> matchingRecords(const Expression* condition);
    // How many tag entries a scan checks one by one, each a read at a random place in the
    // table file, before one pass in file order decides for all records at once.
    uint32_t directScanSteps() const;
    bool locateByStepping(const Expression& condition, bool forward);
    void report(int percent);

    std::unique_ptr<DbfFile> dbf_;
    CdxFile cdx_;
    std::vector<OpenTag> tags_;
    int order_ = 0;
    std::unique_ptr<Expression> filter_;
    bool deletedHidden_ = false;
    Progress progress_;
    Warning warning_;
    bool staleFound_ = false;
    uint32_t recno_ = 0;
    std::string record_;
    bool eof_ = true;
    bool bof_ = true;
    bool found_ = false;
    bool indexRebuilt_ = false;
    // Where the current record was last seen in the current tag (skips avoid a descent).
    CdxPos hint_;
    uint64_t hintVersion_ = 0;
    uint64_t indexVersion_ = 1;
    std::string scratch_;
    uint32_t lockedRecord_ = 0;
    // Changes to the current record are kept until the record is left or committed.
    bool recordDirty_ = false;
    bool recordIsNew_ = false;
    std::string original_;
    // A record write that failed where nobody could be told (navigation), for commit().
    Status unreportedWrite_;
};

}  // namespace corvane::xbase
