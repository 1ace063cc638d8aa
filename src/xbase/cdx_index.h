#pragma once
// A compound index file: a tag directory (itself a small B+ tree keyed by tag name whose
// record numbers are the file offsets of the tag headers) and one B+ tree per tag. Tag
// headers are 1024 bytes: root offset at 0, key length at 12, options at 14 (0x01 unique,
// 0x08 FOR condition, 0x20 compact, 0x40 compound, 0x80 directory), descending flag at 502,
// FOR and key expression positions and lengths at 504..511, the expressions from 512.
//
// Entries are (key, record number) pairs, kept in ascending order in the file whatever the
// tag's direction: a descending tag is flagged in its header and walked backwards. Nodes are read
// on demand into a cache and written back by flush(). While changes are unwritten the directory
// header carries a marker, so that after a crash the file reads as unusable and the table rebuilds
// it (an index is derived data).
//
// The key bytes are produced by the caller (XbaseTable), which owns the expressions.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/status.h"
#include "xbase/cdx_node.h"
#include "xbase/cdx_tag.h"

namespace corvane::xbase {

class CdxFile {
  public:
    CdxFile();
    ~CdxFile();
    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

    // Writes a new file with an empty tag directory.
    Status create(const QString& path);
    // Opens and checks the headers; a file left unflushed by a crash, or with any
    // inconsistent header, fails.
    Status open(const QString& path, bool readOnly);
    // Whether the keys were built by the rules of this version (direction of descending
    // tags, upper-casing); an index of another version or program may need a rebuild.
    bool currentFormat() const { return currentFormat_; }
    // Reads only the tag definitions, also from a file left unflushed; for rebuilding.
    static bool readDefinitions(const QString& path, std::vector<CdxTagInfo>& tags);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool flush();
    // Set when a node read during navigation turned out to be damaged.
    bool corrupt() const { return corrupt_; }

    // Tags in creation order (file order of their headers).
    const std::vector<std::unique_ptr<CdxTag>>& tags() const { return tags_; }
    CdxTag* tag(const std::string& name) const;  // case-insensitive

    // Adds (or replaces) a tag holding `entries`, which must be sorted in the tag's order.
    // `progress` receives 0..100 while the nodes are written.
    Result<CdxTag*> addTag(const CdxTagInfo& info, const std::vector<CdxEntry>& entries,
                           const std::function<void(int)>& progress);
    bool removeTag(const std::string& name);

  private:
    friend class CdxTag;
    CdxNode& node(uint32_t offset, int keyLength, char pad);
    CdxNode& put(uint32_t offset, CdxNode&& node, int keyLength, char pad);
    // Marks a node for writing; `keysChanged` false when the change kept its side-by-side
    // keys current (CdxLeafInsert, CdxLeafErase).
    void markDirty(uint32_t offset, bool keysChanged = true);
    uint32_t allocate(uint32_t bytes);
    bool writeTagHeader(const CdxTagInfo& info, uint32_t offset, uint32_t root, bool directory);
    Status readTagHeader(uint32_t offset, CdxTagInfo& info, uint32_t& root);
    bool setDirtyMarker(bool dirty);
    Status openImpl(const QString& path, bool readOnly, bool ignoreMarker);
    void evictIfLarge();

    int fd_ = -1;
    bool readOnly_ = false;
    bool corrupt_ = false;
    bool markedDirty_ = false;
    bool currentFormat_ = false;
    uint64_t fileSize_ = 0;
    std::unique_ptr<CdxTag> directory_;
    std::vector<std::unique_ptr<CdxTag>> tags_;
    struct CachedNode {
        CdxNode node;
        int keyLength;
        char pad;
    };
    // Decoded nodes by page number (offset / 512): one indexed load per tree level.
    std::vector<std::unique_ptr<CachedNode>> pages_;
    size_t cachedCount_ = 0;
    CachedNode* cached(uint32_t offset) const;
    void forget(uint32_t offset);
    std::unordered_set<uint32_t> dirtyNodes_;
    std::unordered_set<uint32_t> dirtyHeaders_;
};

}  // namespace corvane::xbase
