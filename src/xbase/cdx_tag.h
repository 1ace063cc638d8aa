#pragma once
// One tag of a compound index file: a B+ tree of (key, record number) entries, kept in
// ascending order in the file whatever the tag's direction (a descending tag is walked
// backwards). Leaves are chained both ways; interior entries hold the greatest key of their
// subtree. Its nodes are read and written through the CdxFile that holds the tag.

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/cdx_node.h"

namespace corvane::xbase {

class CdxFile;

struct CdxTagInfo {
    std::string name;  // upper case, at most 10 characters
    std::string keyExpression;
    std::string forExpression;  // empty: every record
    int keyLength = 0;
    bool unique = false;
    bool descending = false;
    char pad = ' ';  // trailing byte that leaf nodes compress: blank for text keys, 0 otherwise
};

// A position in a tag: a leaf and an index in it. Valid until the tag changes.
struct CdxPos {
    uint32_t leaf = kCdxNoNode;
    int index = 0;
    bool valid() const { return leaf != kCdxNoNode; }
};

class CdxTag {
  public:
    CdxTag(CdxFile& file, uint32_t headerOffset, CdxTagInfo info, uint32_t root);
    const CdxTagInfo& info() const { return info_; }
    uint32_t headerOffset() const { return headerOffset_; }

    // Order of entries in the file: by key, then by record number (descending tags too).
    int compare(const std::string& keyA, uint32_t recA, const std::string& keyB,
                uint32_t recB) const;

    bool insert(const std::string& key, uint32_t recno);
    bool remove(const std::string& key, uint32_t recno);
    bool containsKey(const std::string& key);  // unique tags

    // Walking in tag order: ascending tags front to back, descending tags back to front.
    CdxPos first();
    CdxPos last();
    bool next(CdxPos& pos);
    bool prev(CdxPos& pos);
    // The entry (key, recno), or the first entry after where it would stand, in tag order;
    // invalid when past the end.
    CdxPos find(const std::string& key, uint32_t recno);
    // First entry, in tag order, whose key begins with `prefix`, or the entry where such a
    // key would stand; invalid when past the end.
    CdxPos seekPrefix(const std::string& prefix);
    const CdxEntry* entry(const CdxPos& pos);

  private:
    friend class CdxFile;
    struct PathStep {
        uint32_t node;
        int index;
    };
    // What a descent looks for: the entry (key, recno) itself, the first key beginning with
    // a prefix, or the first key beyond every key beginning with it.
    enum class Target { Entry, PrefixFirst, PrefixAfter };
    // Descends to the leaf where the target stands; fills the path from root to leaf.
    bool descend(const std::string& key, uint32_t recno, std::vector<PathStep>& path,
                 Target target);
    void updateSeparators(std::vector<PathStep>& path);
    // Splits the nodes of the path that overflow, from the leaf (whose fit the caller
    // knows) up to the root.
    bool splitIfNeeded(std::vector<PathStep>& path, bool leafFits);
    void removeChild(std::vector<PathStep>& path, size_t level);
    // File order: one entry forwards or backwards, the first or last entry, the first entry
    // not before a target, the entry before a position (the last entry for an invalid one).
    bool step(CdxPos& pos, bool forward);
    CdxPos edge(bool front);
    CdxPos fileLowerBound(const std::string& key, uint32_t recno, Target target = Target::Entry);
    CdxPos beforeInFile(CdxPos pos);

    CdxFile& file_;
    uint32_t headerOffset_;
    CdxTagInfo info_;
    uint32_t root_;
};

}  // namespace corvane::xbase
