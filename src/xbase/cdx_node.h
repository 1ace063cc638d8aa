#pragma once
// One 512-byte node of a compact compound index, decoded. Layout (all offsets in bytes):
//   0  attributes (bit 0 root, bit 1 leaf)     2  key count
//   4  left sibling offset (-1: none)          8  right sibling offset (-1: none)
// Interior nodes: from 12, per entry the full key, record number and child offset (both
// 4 bytes big-endian); the key is the greatest key of the child's subtree.
// Leaf nodes: 12 free bytes, 14 record-number mask, 18 duplicate mask, 19 trail mask,
// 20..22 bit widths of record number, duplicate count and trail count, 23 bytes per entry
// descriptor; descriptors follow from 24, while the keys, stripped of the prefix they share
// with the previous key and of trailing pad characters, are packed from the end backwards.

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"

namespace corvane::xbase {

constexpr int kCdxPageSize = 512;
constexpr uint32_t kCdxNoNode = 0xFFFFFFFF;
constexpr uint16_t kCdxRootNode = 1;
constexpr uint16_t kCdxLeafNode = 2;

struct CdxEntry {
    std::string key;  // always the tag's full key length
    uint32_t recno = 0;
    uint32_t child = 0;  // interior nodes only
};

struct CdxNode {
    uint16_t attributes = kCdxLeafNode;
    uint32_t left = kCdxNoNode;
    uint32_t right = kCdxNoNode;
    std::vector<CdxEntry> entries;
    // The keys side by side, for searching with few cache misses; rebuilt after a change.
    mutable std::string packed;
    mutable bool packedValid = false;
    const char* packedKeys(int keyLength) const {
        if (!packedValid) {
            packed.clear();
            packed.reserve(entries.size() * size_t(keyLength));
            for (const CdxEntry& e : entries) packed.append(e.key, 0, size_t(keyLength));
            packedValid = true;
        }
        return packed.data();
    }
    // Leaves: bytes the stored keys take and the greatest record number (an upper bound after
    // removals), kept current by CdxLeafInsert and CdxLeafErase; keyBytes -1 until measured.
    int keyBytes = -1;
    uint32_t maxRecno = 0;
    bool leaf() const { return attributes & kCdxLeafNode; }
    bool root() const { return attributes & kCdxRootNode; }
};

// Entries that fit in one interior node.
int CdxInteriorCapacity(int keyLength);
// Inserts an entry into a leaf at `at`, or erases the one there, and says whether the leaf
// still fits its page. Measures the leaf once, then adjusts the measure by the neighbours of
// the change only: appending to a large leaf costs the same as to a small one.
bool CdxLeafInsert(CdxNode& node, size_t at, CdxEntry entry, int keyLength, char pad);
bool CdxLeafErase(CdxNode& node, size_t at, int keyLength, char pad);
// Encodes into `page` (512 bytes); false when the entries do not fit.
bool EncodeCdxNode(const CdxNode& node, int keyLength, char pad, char* page);
// Decodes a page; fails when it is inconsistent (layout, sizes, or keys out of order).
Status DecodeCdxNode(const char* page, int keyLength, char pad, CdxNode& node);

// Incremental leaf packing for bulk builds: keeps the byte count of a growing leaf.
class CdxLeafPacker {
  public:
    CdxLeafPacker(int keyLength, char pad) : keyLength_(keyLength), pad_(pad) {}
    // Whether `entry` still fits after the entries accepted so far.
    bool fits(const CdxEntry& entry) const;
    void add(const CdxEntry& entry);
    void reset();

  private:
    int storedLength(const CdxEntry& entry) const;
    int keyLength_;
    char pad_;
    int count_ = 0;
    int keyBytes_ = 0;
    uint32_t maxRecno_ = 0;
    const CdxEntry* previous_ = nullptr;
};

}  // namespace corvane::xbase
