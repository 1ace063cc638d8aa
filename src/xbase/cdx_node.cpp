#include "xbase/cdx_node.h"
#include "xbase/file_io.h"
#include "xbase/xbase_status.h"

#include <algorithm>
#include <cstring>

namespace corvane::xbase {

namespace {

constexpr int kNodeHeader = 12;
constexpr int kLeafHeader = 24;
constexpr int kLeafSpace = kCdxPageSize - kLeafHeader;
constexpr int kInteriorSpace = kCdxPageSize - kNodeHeader;

uint32_t be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
void putBe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (24 - 8 * i)) & 0xFF);
}

int bitLength(uint32_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

int trailCount(const std::string& key, char pad) {
    int n = 0;
    for (auto it = key.rbegin(); it != key.rend() && *it == pad; ++it) ++n;
    return n;
}

int dupCount(const std::string& a, const std::string& b, int limit) {
    int n = 0;
    while (n < limit && a[size_t(n)] == b[size_t(n)]) ++n;
    return n;
}

struct LeafLayout {
    int recBits, dupBits, trailBits, itemBytes;
};

LeafLayout layoutFor(uint32_t maxRecno, int keyLength) {
    LeafLayout l{};
    l.dupBits = l.trailBits = std::max(1, bitLength(uint32_t(keyLength)));
    const int needed = std::max(8, bitLength(maxRecno)) + l.dupBits + l.trailBits;
    l.itemBytes = (needed + 7) / 8;
    l.recBits = std::min(32, l.itemBytes * 8 - l.dupBits - l.trailBits);
    return l;
}

}  // namespace

int CdxInteriorCapacity(int keyLength) {
    return kInteriorSpace / (keyLength + 8);
}

bool CdxLeafPacker::fits(const CdxEntry& entry) const {
    const LeafLayout l = layoutFor(std::max(maxRecno_, entry.recno), keyLength_);
    return (count_ + 1) * l.itemBytes + keyBytes_ + storedLength(entry) <= kLeafSpace;
}

void CdxLeafPacker::add(const CdxEntry& entry) {
    keyBytes_ += storedLength(entry);
    maxRecno_ = std::max(maxRecno_, entry.recno);
    ++count_;
    previous_ = &entry;
}

void CdxLeafPacker::reset() {
    count_ = 0;
    keyBytes_ = 0;
    maxRecno_ = 0;
    previous_ = nullptr;
}

int CdxLeafPacker::storedLength(const CdxEntry& entry) const {
    const int trail = trailCount(entry.key, pad_);
    const int dup = previous_ ? dupCount(previous_->key, entry.key, keyLength_ - trail) : 0;
    return keyLength_ - dup - trail;
}

namespace {

int storedLength(const std::string& key, const std::string* previous, int keyLength, char pad) {
    const int trail = trailCount(key, pad);
    const int dup = previous ? dupCount(*previous, key, keyLength - trail) : 0;
    return keyLength - dup - trail;
}

void measureLeaf(CdxNode& node, int keyLength, char pad) {
    node.keyBytes = 0;
    node.maxRecno = 0;
    const std::string* previous = nullptr;
    for (const CdxEntry& e : node.entries) {
        node.keyBytes += storedLength(e.key, previous, keyLength, pad);
        node.maxRecno = std::max(node.maxRecno, e.recno);
        previous = &e.key;
    }
}

bool measuredLeafFits(const CdxNode& node, int keyLength) {
    const LeafLayout l = layoutFor(node.maxRecno, keyLength);
    return int(node.entries.size()) * l.itemBytes + node.keyBytes <= kLeafSpace;
}

}  // namespace

bool CdxLeafInsert(CdxNode& node, size_t at, CdxEntry entry, int keyLength, char pad) {
    if (node.keyBytes < 0) measureLeaf(node, keyLength, pad);
    const std::string* previous = at > 0 ? &node.entries[at - 1].key : nullptr;
    const std::string* following = at < node.entries.size() ? &node.entries[at].key : nullptr;
    node.keyBytes += storedLength(entry.key, previous, keyLength, pad);
    if (following)
        node.keyBytes += storedLength(*following, &entry.key, keyLength, pad) -
                         storedLength(*following, previous, keyLength, pad);
    node.maxRecno = std::max(node.maxRecno, entry.recno);
    if (node.packedValid)
        node.packed.insert(at * size_t(keyLength), entry.key.data(), size_t(keyLength));
    node.entries.insert(node.entries.begin() + long(at), std::move(entry));
    return measuredLeafFits(node, keyLength);
}

bool CdxLeafErase(CdxNode& node, size_t at, int keyLength, char pad) {
    if (node.keyBytes < 0) measureLeaf(node, keyLength, pad);
    const std::string* previous = at > 0 ? &node.entries[at - 1].key : nullptr;
    const std::string& removed = node.entries[at].key;
    const std::string* following =
        at + 1 < node.entries.size() ? &node.entries[at + 1].key : nullptr;
    node.keyBytes -= storedLength(removed, previous, keyLength, pad);
    if (following)
        node.keyBytes += storedLength(*following, previous, keyLength, pad) -
                         storedLength(*following, &removed, keyLength, pad);
    node.entries.erase(node.entries.begin() + long(at));
    if (node.packedValid) node.packed.erase(at * size_t(keyLength), size_t(keyLength));
    return measuredLeafFits(node, keyLength);
}

bool EncodeCdxNode(const CdxNode& node, int keyLength, char pad, char* page) {
    std::memset(page, 0, kCdxPageSize);
    putLe16(page, node.attributes);
    putLe16(page + 2, uint16_t(node.entries.size()));
    putLe32(page + 4, node.left);
    putLe32(page + 8, node.right);
    if (!node.leaf()) {
        if (int(node.entries.size()) > CdxInteriorCapacity(keyLength)) return false;
        char* p = page + kNodeHeader;
        for (const CdxEntry& e : node.entries) {
            std::memcpy(p, e.key.data(), size_t(keyLength));
            putBe32(p + keyLength, e.recno);
            putBe32(p + keyLength + 4, e.child);
            p += keyLength + 8;
        }
        return true;
    }
    uint32_t maxRecno = 0;
    for (const CdxEntry& e : node.entries) maxRecno = std::max(maxRecno, e.recno);
    const LeafLayout l = layoutFor(maxRecno, keyLength);
    int keyEnd = kCdxPageSize;
    char* item = page + kLeafHeader;
    const std::string* previous = nullptr;
    for (const CdxEntry& e : node.entries) {
        const int trail = trailCount(e.key, pad);
        const int dup = previous ? dupCount(*previous, e.key, keyLength - trail) : 0;
        const int stored = keyLength - dup - trail;
        keyEnd -= stored;
        if (keyEnd < item + l.itemBytes - page) return false;
        std::memcpy(page + keyEnd, e.key.data() + dup, size_t(stored));
        const uint64_t packed = uint64_t(e.recno) | uint64_t(dup) << l.recBits |
                                uint64_t(trail) << (l.recBits + l.dupBits);
        for (int b = 0; b < l.itemBytes; ++b) item[b] = char((packed >> (8 * b)) & 0xFF);
        item += l.itemBytes;
        previous = &e.key;
    }
    putLe16(page + 12, uint16_t(keyEnd - (item - page)));
    putLe32(page + 14, l.recBits >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << l.recBits) - 1);
    page[18] = char((1 << l.dupBits) - 1);
    page[19] = char((1 << l.trailBits) - 1);
    page[20] = char(l.recBits);
    page[21] = char(l.dupBits);
    page[22] = char(l.trailBits);
    page[23] = char(l.itemBytes);
    return true;
}

Status DecodeCdxNode(const char* data, int keyLength, char pad, CdxNode& node) {
    const auto* page = reinterpret_cast<const unsigned char*>(data);
    auto fail = [](const char* what) { return XbaseError(what); };
    // Entries ascend by key, then record number; anything else is a damaged page.
    auto outOfOrder = [&](size_t i) {
        if (i == 0) return false;
        const CdxEntry& a = node.entries[i - 1];
        const CdxEntry& b = node.entries[i];
        const int c = a.key.compare(b.key);
        return c > 0 || (c == 0 && a.recno >= b.recno);
    };
    node.attributes = uint16_t(page[0] | page[1] << 8);
    const int count = page[2] | page[3] << 8;
    node.left = le32(page + 4);
    node.right = le32(page + 8);
    node.entries.clear();
    if (node.attributes > 3) return fail("bad node attributes");
    if (keyLength < 1 || keyLength > 240) return fail("bad key length");
    if (!node.leaf()) {
        if (count > CdxInteriorCapacity(keyLength)) return fail("interior node overfull");
        node.entries.resize(size_t(count));
        const unsigned char* p = page + kNodeHeader;
        for (CdxEntry& e : node.entries) {
            e.key.assign(reinterpret_cast<const char*>(p), size_t(keyLength));
            e.recno = be32(p + keyLength);
            e.child = be32(p + keyLength + 4);
            p += keyLength + 8;
            if (outOfOrder(size_t(&e - node.entries.data()))) return fail("keys out of order");
        }
        return Status::Ok();
    }
    const int recBits = page[20], dupBits = page[21], trailBits = page[22], itemBytes = page[23];
    if (itemBytes < 1 || itemBytes > 8 || recBits < 1 || recBits > 32 ||
        recBits + dupBits + trailBits > itemBytes * 8 || dupBits > 16 || trailBits > 16)
        return fail("bad leaf layout");
    if (count * itemBytes > kLeafSpace) return fail("leaf overfull");
    const uint64_t recMask = recBits >= 32 ? 0xFFFFFFFFull : (uint64_t(1) << recBits) - 1;
    const uint64_t dupMask = (uint64_t(1) << dupBits) - 1;
    const uint64_t trailMask = (uint64_t(1) << trailBits) - 1;
    int keyEnd = kCdxPageSize;
    const int itemsEnd = kLeafHeader + count * itemBytes;
    node.entries.resize(size_t(count));
    const std::string* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        uint64_t packed = 0;
        const unsigned char* item = page + kLeafHeader + i * itemBytes;
        for (int b = 0; b < itemBytes; ++b) packed |= uint64_t(item[b]) << (8 * b);
        CdxEntry& e = node.entries[size_t(i)];
        e.recno = uint32_t(packed & recMask);
        const int dup = int((packed >> recBits) & dupMask);
        const int trail = int((packed >> (recBits + dupBits)) & trailMask);
        if (dup + trail > keyLength || (!previous && dup > 0)) return fail("bad key compression");
        const int stored = keyLength - dup - trail;
        keyEnd -= stored;
        if (keyEnd < itemsEnd) return fail("keys overlap descriptors");
        e.key.reserve(size_t(keyLength));
        if (dup) e.key.assign(*previous, 0, size_t(dup));
        e.key.append(data + keyEnd, size_t(stored));
        e.key.append(size_t(trail), pad);
        previous = &e.key;
        if (outOfOrder(size_t(i))) return fail("keys out of order");
    }
    return Status::Ok();
}

}  // namespace corvane::xbase
