#include "xbase/cdx_tag.h"

#include <algorithm>
#include <cstring>

#include "xbase/cdx_index.h"

// The tag tree: descending to a key, inserting and removing entries with their splits and
// separators, and walking the leaf chain (checked, so that a damaged file cannot loop).

namespace corvane::xbase {

namespace {

constexpr int kMaxDepth = 64;

}  // namespace

CdxTag::CdxTag(CdxFile& file, uint32_t headerOffset, CdxTagInfo info, uint32_t root)
    : file_(file), headerOffset_(headerOffset), info_(std::move(info)), root_(root) {}

int CdxTag::compare(const std::string& keyA, uint32_t recA, const std::string& keyB,
                    uint32_t recB) const {
    const int c = keyA.compare(keyB);
    if (c != 0) return c < 0 ? -1 : 1;
    return recA < recB ? -1 : recA > recB ? 1 : 0;
}

bool CdxTag::descend(const std::string& key, uint32_t recno, std::vector<PathStep>& path,
                     Target target) {
    path.clear();
    uint32_t offset = root_;
    const size_t keyLength = size_t(info_.keyLength);
    const size_t compared = std::min(key.size(), keyLength);
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        CdxNode& n = file_.node(offset, info_.keyLength, info_.pad);
        if (file_.corrupt()) return false;
        // First entry past the target (entries are sorted, interior keys are the greatest
        // key of their subtree).
        const char* keys = n.packedKeys(info_.keyLength);
        auto past = [&](size_t i) {
            const int c = std::memcmp(keys + i * keyLength, key.data(), compared);
            switch (target) {
                case Target::Entry:
                    return c != 0 ? c > 0 : n.entries[i].recno >= recno;
                case Target::PrefixFirst:
                    return c >= 0;
                case Target::PrefixAfter:
                    return c > 0;
            }
            return true;
        };
        size_t lo = 0, hi = n.entries.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (past(mid))
                hi = mid;
            else
                lo = mid + 1;
        }
        if (n.leaf()) {
            path.push_back({offset, int(lo)});
            return true;
        }
        if (n.entries.empty()) {
            file_.corrupt_ = true;
            return false;
        }
        if (lo == n.entries.size()) lo = n.entries.size() - 1;
        path.push_back({offset, int(lo)});
        offset = n.entries[lo].child;
    }
    file_.corrupt_ = true;
    return false;
}

void CdxTag::updateSeparators(std::vector<PathStep>& path) {
    for (size_t level = path.size() - 1; level > 0; --level) {
        CdxNode& child = file_.node(path[level].node, info_.keyLength, info_.pad);
        if (child.entries.empty()) return;
        const CdxEntry& greatest = child.entries.back();
        CdxNode& parent = file_.node(path[level - 1].node, info_.keyLength, info_.pad);
        CdxEntry& sep = parent.entries[size_t(path[level - 1].index)];
        if (sep.key == greatest.key && sep.recno == greatest.recno) return;
        sep.key = greatest.key;
        sep.recno = greatest.recno;
        file_.markDirty(path[level - 1].node);
        if (path[level - 1].index != int(parent.entries.size()) - 1) return;
    }
}

bool CdxTag::splitIfNeeded(std::vector<PathStep>& path, bool leafFits) {
    for (size_t level = path.size(); level-- > 0;) {
        const uint32_t offset = path[level].node;
        CdxNode& n = file_.node(offset, info_.keyLength, info_.pad);
        const bool fits =
            n.leaf() ? leafFits : int(n.entries.size()) <= CdxInteriorCapacity(info_.keyLength);
        if (fits) return true;
        const uint32_t rightOffset = file_.allocate(kCdxPageSize);
        CdxNode right;
        right.attributes = uint16_t(n.attributes & ~kCdxRootNode);
        const size_t mid = n.entries.size() / 2;
        right.entries.assign(std::make_move_iterator(n.entries.begin() + long(mid)),
                             std::make_move_iterator(n.entries.end()));
        n.entries.resize(mid);
        n.keyBytes = -1;  // both halves are measured again when next changed
        right.left = offset;
        right.right = n.right;
        if (n.right != kCdxNoNode) {
            CdxNode& after = file_.node(n.right, info_.keyLength, info_.pad);
            after.left = rightOffset;
            file_.markDirty(n.right);
        }
        n.right = rightOffset;
        CdxEntry leftMax{n.entries.back().key, n.entries.back().recno, offset};
        CdxEntry rightMax{right.entries.back().key, right.entries.back().recno, rightOffset};
        file_.put(rightOffset, std::move(right), info_.keyLength, info_.pad);
        file_.markDirty(rightOffset);
        file_.markDirty(offset);
        if (level == 0) {
            n.attributes = uint16_t(n.attributes & ~kCdxRootNode);
            const uint32_t rootOffset = file_.allocate(kCdxPageSize);
            CdxNode root;
            root.attributes = kCdxRootNode;
            root.entries = {leftMax, rightMax};
            file_.put(rootOffset, std::move(root), info_.keyLength, info_.pad);
            file_.markDirty(rootOffset);
            root_ = rootOffset;
            file_.dirtyHeaders_.insert(headerOffset_);
            return true;
        }
        CdxNode& parent = file_.node(path[level - 1].node, info_.keyLength, info_.pad);
        const size_t at = size_t(path[level - 1].index);
        parent.entries[at] = leftMax;
        parent.entries.insert(parent.entries.begin() + long(at) + 1, rightMax);
        file_.markDirty(path[level - 1].node);
    }
    return true;
}

void CdxTag::removeChild(std::vector<PathStep>& path, size_t level) {
    const uint32_t offset = path[level].node;
    CdxNode& n = file_.node(offset, info_.keyLength, info_.pad);
    if (n.left != kCdxNoNode) {
        file_.node(n.left, info_.keyLength, info_.pad).right = n.right;
        file_.markDirty(n.left);
    }
    if (n.right != kCdxNoNode) {
        file_.node(n.right, info_.keyLength, info_.pad).left = n.left;
        file_.markDirty(n.right);
    }
    // The page stays unused in the file until the index is rebuilt.
    file_.dirtyNodes_.erase(offset);
    file_.forget(offset);
    CdxNode& parent = file_.node(path[level - 1].node, info_.keyLength, info_.pad);
    const size_t at = size_t(path[level - 1].index);
    parent.entries.erase(parent.entries.begin() + long(at));
    file_.markDirty(path[level - 1].node);
    if (parent.entries.empty()) {
        if (level - 1 == 0) {
            parent.attributes = kCdxRootNode | kCdxLeafNode;
            parent.left = parent.right = kCdxNoNode;
            parent.keyBytes = -1;
        } else {
            removeChild(path, level - 1);
        }
        return;
    }
    if (at == parent.entries.size()) {
        std::vector<PathStep> upper(path.begin(), path.begin() + long(level));
        upper.back().index = int(parent.entries.size()) - 1;
        updateSeparators(upper);
    }
}

bool CdxTag::insert(const std::string& key, uint32_t recno) {
    if (file_.readOnly_ || int(key.size()) != info_.keyLength) return false;
    file_.evictIfLarge();
    std::vector<PathStep> path;
    if (!descend(key, recno, path, Target::Entry)) return false;
    CdxNode& leaf = file_.node(path.back().node, info_.keyLength, info_.pad);
    const size_t at = size_t(path.back().index);
    const bool fits = CdxLeafInsert(leaf, at, CdxEntry{key, recno, 0}, info_.keyLength, info_.pad);
    file_.markDirty(path.back().node, false);
    if (at == leaf.entries.size() - 1) updateSeparators(path);
    return splitIfNeeded(path, fits);
}

bool CdxTag::remove(const std::string& key, uint32_t recno) {
    if (file_.readOnly_ || int(key.size()) != info_.keyLength) return false;
    file_.evictIfLarge();
    std::vector<PathStep> path;
    if (!descend(key, recno, path, Target::Entry)) return false;
    CdxNode& leaf = file_.node(path.back().node, info_.keyLength, info_.pad);
    const size_t at = size_t(path.back().index);
    if (at >= leaf.entries.size() || leaf.entries[at].recno != recno || leaf.entries[at].key != key)
        return false;
    const bool fits = CdxLeafErase(leaf, at, info_.keyLength, info_.pad);
    file_.markDirty(path.back().node, false);
    if (leaf.entries.empty()) {
        if (path.size() > 1) removeChild(path, path.size() - 1);
        return true;
    }
    if (at == leaf.entries.size()) updateSeparators(path);
    return splitIfNeeded(path, fits);
}

bool CdxTag::containsKey(const std::string& key) {
    const CdxEntry* e = entry(fileLowerBound(key, 0));
    return e && e->key == key;
}

const CdxEntry* CdxTag::entry(const CdxPos& pos) {
    if (!pos.valid()) return nullptr;
    CdxNode& n = file_.node(pos.leaf, info_.keyLength, info_.pad);
    if (pos.index < 0 || pos.index >= int(n.entries.size())) return nullptr;
    return &n.entries[size_t(pos.index)];
}

bool CdxTag::step(CdxPos& pos, bool forward) {
    if (!pos.valid()) return false;
    CdxNode* n = &file_.node(pos.leaf, info_.keyLength, info_.pad);
    const int count = int(n->entries.size());
    if (forward ? pos.index + 1 < count : pos.index > 0 && pos.index - 1 < count) {
        pos.index += forward ? 1 : -1;
        return true;
    }
    // Into the sibling leaf. A damaged file could chain leaves in a circle or out of order:
    // every leaf reached must continue the order of the last entry seen, and no walk visits
    // more leaves than the file has pages. Either fault marks the index damaged.
    const CdxEntry* last =
        pos.index >= 0 && pos.index < count ? &n->entries[size_t(pos.index)] : nullptr;
    CdxEntry reference;
    if (last) reference = *last;
    bool haveReference = last != nullptr;
    const uint64_t maxHops = file_.fileSize_ / kCdxPageSize + 1;
    for (uint64_t hops = 0; !file_.corrupt(); ++hops) {
        const uint32_t sibling = forward ? n->right : n->left;
        if (sibling == kCdxNoNode) break;
        if (hops >= maxHops || sibling == pos.leaf) {
            file_.corrupt_ = true;
            break;
        }
        pos.leaf = sibling;
        n = &file_.node(pos.leaf, info_.keyLength, info_.pad);
        if (file_.corrupt()) break;
        if (!n->leaf()) {
            file_.corrupt_ = true;
            break;
        }
        if (n->entries.empty()) continue;
        const CdxEntry& e = forward ? n->entries.front() : n->entries.back();
        if (haveReference) {
            const int c = compare(e.key, e.recno, reference.key, reference.recno);
            if (forward ? c <= 0 : c >= 0) {
                file_.corrupt_ = true;
                break;
            }
        }
        pos.index = forward ? 0 : int(n->entries.size()) - 1;
        return true;
    }
    pos = CdxPos{};
    return false;
}

CdxPos CdxTag::edge(bool front) {
    file_.evictIfLarge();
    uint32_t offset = root_;
    for (int depth = 0; depth < kMaxDepth && !file_.corrupt(); ++depth) {
        CdxNode& n = file_.node(offset, info_.keyLength, info_.pad);
        if (n.leaf()) {
            if (!n.entries.empty()) return {offset, front ? 0 : int(n.entries.size()) - 1};
            CdxPos pos{offset, front ? -1 : 0};
            return step(pos, front) ? pos : CdxPos{};
        }
        if (n.entries.empty()) break;
        offset = front ? n.entries.front().child : n.entries.back().child;
    }
    return {};
}

CdxPos CdxTag::fileLowerBound(const std::string& key, uint32_t recno, Target target) {
    file_.evictIfLarge();
    std::vector<PathStep> path;
    if (!descend(key, recno, path, target)) return {};
    CdxPos pos{path.back().node, path.back().index};
    CdxNode& n = file_.node(pos.leaf, info_.keyLength, info_.pad);
    if (pos.index < int(n.entries.size())) return pos;
    pos.index = int(n.entries.size()) - 1;
    return step(pos, true) ? pos : CdxPos{};
}

CdxPos CdxTag::beforeInFile(CdxPos pos) {
    if (!pos.valid()) return edge(false);
    return step(pos, false) ? pos : CdxPos{};
}

CdxPos CdxTag::first() {
    return edge(!info_.descending);
}

CdxPos CdxTag::last() {
    return edge(info_.descending);
}

bool CdxTag::next(CdxPos& pos) {
    return step(pos, !info_.descending);
}

bool CdxTag::prev(CdxPos& pos) {
    return step(pos, info_.descending);
}

CdxPos CdxTag::find(const std::string& key, uint32_t recno) {
    const CdxPos pos = fileLowerBound(key, recno);
    if (!info_.descending) return pos;
    // Backwards through the file: the greatest entry not after the target.
    const CdxEntry* e = entry(pos);
    if (e && e->recno == recno && e->key == key) return pos;
    return beforeInFile(pos);
}

CdxPos CdxTag::seekPrefix(const std::string& prefix) {
    if (!info_.descending) return fileLowerBound(prefix, 0, Target::PrefixFirst);
    // Backwards, the first key beginning with the prefix is the last such key in the file.
    return beforeInFile(fileLowerBound(prefix, 0, Target::PrefixAfter));
}

}  // namespace corvane::xbase
