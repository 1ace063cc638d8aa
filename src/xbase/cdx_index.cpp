#include "xbase/cdx_index.h"
#include "xbase/file_io.h"
#include "xbase/text_encoding.h"
#include "xbase/xbase_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvane::xbase {

namespace {

constexpr uint32_t kTagHeaderSize = 1024;
constexpr int kTagNameLength = 10;
constexpr uint8_t kOptionUnique = 0x01;
constexpr uint8_t kOptionFor = 0x08;
constexpr uint8_t kOptionCompact = 0x20;
constexpr uint8_t kOptionCompound = 0x40;
constexpr uint8_t kOptionDirectory = 0x80;
constexpr uint8_t kIndexSignature = 0x01;
constexpr int kDescendingAt = 502;
constexpr int kForPosAt = 504;
constexpr int kForLenAt = 506;
constexpr int kKeyPosAt = 508;
constexpr int kKeyLenAt = 510;
constexpr int kExpressionPoolAt = 512;
constexpr int kExpressionPoolSize = 512;
// Written into reserved header bytes while changes are not yet on disk.
constexpr int kUnflushedMarkerAt = 488;
constexpr char kUnflushedMarker[4] = {'C', 'V', 'U', 'F'};
// Reserved bytes of the directory header naming the rules the keys were built with. Version 2:
// descending tags kept ascending in the file, UPPER() over the letters of code page 1252.
// An index without it (older, or from another program) is rebuilt when its keys may differ.
constexpr int kFormatMarkerAt = 480;
constexpr char kFormatMarker[4] = {'C', 'V', 'K', 2};
constexpr size_t kMaxCachedNodes = 60000;
constexpr size_t kWriteBatchPages = 128;

std::string directoryKey(const std::string& name) {
    std::string key = UpperCase(name).substr(0, kTagNameLength);
    key.resize(kTagNameLength, ' ');
    return key;
}

std::string tagNameFromKey(const std::string& key) {
    size_t end = key.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? std::string() : UpperCase(key.substr(0, end + 1));
}

}  // namespace

CdxFile::CdxFile() = default;
CdxFile::~CdxFile() {
    close();
}

void CdxFile::close() {
    if (fd_ >= 0) {
        flush();
        ::close(fd_);
    }
    fd_ = -1;
    directory_.reset();
    tags_.clear();
    pages_.clear();
    cachedCount_ = 0;
    dirtyNodes_.clear();
    dirtyHeaders_.clear();
    corrupt_ = false;
    currentFormat_ = false;
    markedDirty_ = false;
}

CdxTag* CdxFile::tag(const std::string& name) const {
    const std::string wanted = UpperCase(name);
    for (const auto& t : tags_)
        if (t->info().name == wanted) return t.get();
    return nullptr;
}

uint32_t CdxFile::allocate(uint32_t bytes) {
    const uint64_t offset = (fileSize_ + kCdxPageSize - 1) / kCdxPageSize * kCdxPageSize;
    fileSize_ = offset + bytes;
    return uint32_t(offset);
}

void CdxFile::evictIfLarge() {
    if (cachedCount_ <= kMaxCachedNodes) return;
    for (size_t page = 0; page < pages_.size(); ++page) {
        if (pages_[page] && !dirtyNodes_.count(uint32_t(page * kCdxPageSize))) {
            pages_[page].reset();
            --cachedCount_;
        }
    }
}

CdxNode& CdxFile::node(uint32_t offset, int keyLength, char pad) {
    if (CachedNode* c = cached(offset)) return c->node;
    static thread_local CdxNode scratch;
    scratch = CdxNode{};
    if (fd_ < 0 || offset % kCdxPageSize != 0 || offset < kTagHeaderSize ||
        uint64_t(offset) + kCdxPageSize > fileSize_) {
        corrupt_ = true;
        return scratch;
    }
    char page[kCdxPageSize];
    CdxNode decoded;
    if (!preadAll(fd_, page, sizeof page, off_t(offset)) ||
        !DecodeCdxNode(page, keyLength, pad, decoded).ok()) {
        corrupt_ = true;
        return scratch;
    }
    return put(offset, std::move(decoded), keyLength, pad);
}

CdxNode& CdxFile::put(uint32_t offset, CdxNode&& node, int keyLength, char pad) {
    const size_t page = offset / kCdxPageSize;
    if (page >= pages_.size()) pages_.resize(page + 1);
    if (!pages_[page]) {
        pages_[page] = std::make_unique<CachedNode>();
        ++cachedCount_;
    }
    CachedNode& c = *pages_[page];
    c.node = std::move(node);
    c.keyLength = keyLength;
    c.pad = pad;
    return c.node;
}

CdxFile::CachedNode* CdxFile::cached(uint32_t offset) const {
    const size_t page = offset / kCdxPageSize;
    return page < pages_.size() && offset % kCdxPageSize == 0 ? pages_[page].get() : nullptr;
}

void CdxFile::forget(uint32_t offset) {
    const size_t page = offset / kCdxPageSize;
    if (page < pages_.size() && pages_[page]) {
        pages_[page].reset();
        --cachedCount_;
    }
}

bool CdxFile::setDirtyMarker(bool dirty) {
    if (fd_ < 0 || readOnly_) return false;
    char marker[4] = {0, 0, 0, 0};
    if (dirty) std::memcpy(marker, kUnflushedMarker, 4);
    if (!pwriteAll(fd_, marker, 4, kUnflushedMarkerAt)) return false;
    if (dirty) ::fdatasync(fd_);
    markedDirty_ = dirty;
    return true;
}

void CdxFile::markDirty(uint32_t offset, bool keysChanged) {
    if (CachedNode* c = cached(offset); c && keysChanged) c->node.packedValid = false;
    if (!markedDirty_) setDirtyMarker(true);
    dirtyNodes_.insert(offset);
}

bool CdxFile::flush() {
    if (fd_ < 0 || readOnly_) return true;
    if (corrupt_) return false;
    if (dirtyNodes_.empty() && dirtyHeaders_.empty() && !markedDirty_) return true;
    char page[kCdxPageSize];
    for (uint32_t offset : dirtyNodes_) {
        const CachedNode* found = cached(offset);
        if (!found) continue;
        const CachedNode& c = *found;
        if (!EncodeCdxNode(c.node, c.keyLength, c.pad, page) ||
            !pwriteAll(fd_, page, sizeof page, off_t(offset))) {
            corrupt_ = true;
            return false;
        }
    }
    dirtyNodes_.clear();
    auto writeRoot = [&](const CdxTag& t) {
        if (!dirtyHeaders_.count(t.headerOffset_)) return true;
        char root[4];
        putLe32(root, t.root_);
        return pwriteAll(fd_, root, 4, off_t(t.headerOffset_));
    };
    bool ok = writeRoot(*directory_);
    for (const auto& t : tags_) ok = writeRoot(*t) && ok;
    dirtyHeaders_.clear();
    ok = ::fdatasync(fd_) == 0 && ok;
    if (ok) setDirtyMarker(false);
    return ok;
}

bool CdxFile::writeTagHeader(const CdxTagInfo& info, uint32_t offset, uint32_t root,
                             bool directory) {
    char h[kTagHeaderSize];
    std::memset(h, 0, sizeof h);
    putLe32(h, root);
    putLe16(h + 12, uint16_t(info.keyLength));
    uint8_t options = kOptionCompact | kOptionCompound;
    if (directory) options |= kOptionDirectory;
    if (info.unique) options |= kOptionUnique;
    if (!info.forExpression.empty()) options |= kOptionFor;
    h[14] = char(options);
    h[15] = char(kIndexSignature);
    if (directory) std::memcpy(h + kFormatMarkerAt, kFormatMarker, sizeof kFormatMarker);
    putLe16(h + kDescendingAt, info.descending ? 1 : 0);
    const size_t keyLen = info.keyExpression.size() + 1;
    const size_t forLen = info.forExpression.size() + 1;
    if (keyLen + forLen > size_t(kExpressionPoolSize)) return false;
    putLe16(h + kKeyPosAt, 0);
    putLe16(h + kKeyLenAt, uint16_t(keyLen));
    putLe16(h + kForPosAt, uint16_t(keyLen));
    putLe16(h + kForLenAt, uint16_t(forLen));
    std::memcpy(h + kExpressionPoolAt, info.keyExpression.data(), info.keyExpression.size());
    std::memcpy(h + kExpressionPoolAt + keyLen, info.forExpression.data(),
                info.forExpression.size());
    return pwriteAll(fd_, h, sizeof h, off_t(offset));
}

Status CdxFile::readTagHeader(uint32_t offset, CdxTagInfo& info, uint32_t& root) {
    unsigned char h[kTagHeaderSize];
    if (offset % kCdxPageSize != 0 || uint64_t(offset) + kTagHeaderSize > fileSize_ ||
        !preadAll(fd_, reinterpret_cast<char*>(h), sizeof h, off_t(offset))) {
        return XbaseError("tag header outside the file");
    }
    root = le32(h);
    info.keyLength = le16(h + 12);
    const uint8_t options = h[14];
    info.unique = options & kOptionUnique;
    info.descending = le16(h + kDescendingAt) != 0;
    if (info.keyLength < 1 || info.keyLength > 240) {
        return XbaseError("bad key length");
    }
    if (root % kCdxPageSize != 0 || root < kTagHeaderSize ||
        uint64_t(root) + kCdxPageSize > fileSize_) {
        return XbaseError("root node outside the file");
    }
    const char* pool = reinterpret_cast<const char*>(h + kExpressionPoolAt);
    auto expressionAt = [&](int pos, int len) -> std::string {
        if (pos < 0 || len <= 0 || pos + len > kExpressionPoolSize) return {};
        return std::string(pool + pos, strnlen(pool + pos, size_t(len)));
    };
    info.keyExpression = expressionAt(le16(h + kKeyPosAt), le16(h + kKeyLenAt));
    info.forExpression = (options & kOptionFor)
                             ? expressionAt(le16(h + kForPosAt), le16(h + kForLenAt))
                             : std::string();
    return Status::Ok();
}

Status CdxFile::create(const QString& path) {
    close();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return XbaseError("cannot create " + path.toStdString() + ": " + std::strerror(errno));
    }
    fd_ = fd;
    readOnly_ = false;
    fileSize_ = 0;
    allocate(kTagHeaderSize);
    const uint32_t rootOffset = allocate(kCdxPageSize);
    CdxTagInfo info;
    info.keyLength = kTagNameLength;
    CdxNode root;
    root.attributes = kCdxRootNode | kCdxLeafNode;
    char page[kCdxPageSize];
    EncodeCdxNode(root, info.keyLength, info.pad, page);
    if (!writeTagHeader(info, 0, rootOffset, true) ||
        !pwriteAll(fd_, page, sizeof page, rootOffset) || ::fdatasync(fd_) != 0) {
        close();
        return XbaseError("cannot write " + path.toStdString());
    }
    directory_ = std::make_unique<CdxTag>(*this, 0, info, rootOffset);
    currentFormat_ = true;
    return Status::Ok();
}

Status CdxFile::open(const QString& path, bool readOnly) {
    return openImpl(path, readOnly, false);
}

bool CdxFile::readDefinitions(const QString& path, std::vector<CdxTagInfo>& tags) {
    CdxFile file;
    if (!file.openImpl(path, true, true)) return false;
    tags.clear();
    for (const auto& t : file.tags()) tags.push_back(t->info());
    return true;
}

Status CdxFile::openImpl(const QString& path, bool readOnly, bool ignoreMarker) {
    close();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) {
        return XbaseError("cannot open " + path.toStdString() + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < off_t(kTagHeaderSize + kCdxPageSize)) {
        ::close(fd);
        return XbaseError(path.toStdString() + " is too short for an index");
    }
    fd_ = fd;
    readOnly_ = readOnly;
    fileSize_ = uint64_t(st.st_size);
    auto fail = [&](const std::string& what) {
        fd_ = fd;
        readOnly_ = true;  // never write to a file we could not read
        close();
        return XbaseError(path.toStdString() + ": " + what);
    };
    char marker[4];
    if (!preadAll(fd_, marker, 4, kUnflushedMarkerAt)) return fail("cannot read");
    if (!ignoreMarker && std::memcmp(marker, kUnflushedMarker, 4) == 0)
        return fail("not closed properly");
    char format[sizeof kFormatMarker];
    currentFormat_ = preadAll(fd_, format, sizeof format, kFormatMarkerAt) &&
                     std::memcmp(format, kFormatMarker, sizeof format) == 0;
    CdxTagInfo dirInfo;
    uint32_t dirRoot = 0;
    if (Status read = readTagHeader(0, dirInfo, dirRoot); !read)
        return fail(read.message().toStdString());
    dirInfo.keyExpression.clear();
    dirInfo.forExpression.clear();
    directory_ = std::make_unique<CdxTag>(*this, 0, dirInfo, dirRoot);
    // Tag names are the directory's keys; their record numbers are the header offsets.
    size_t guard = 0;
    for (CdxPos pos = directory_->first(); pos.valid(); directory_->next(pos)) {
        if (corrupt_ || ++guard > 4096) return fail("damaged tag directory");
        const CdxEntry* e = directory_->entry(pos);
        if (!e) return fail("damaged tag directory");
        CdxTagInfo info;
        uint32_t root = 0;
        const uint32_t headerOffset = e->recno;
        const std::string name = tagNameFromKey(e->key);
        if (name.empty()) return fail("unnamed tag");
        if (Status read = readTagHeader(headerOffset, info, root); !read)
            return fail(name + ": " + read.message().toStdString());
        info.name = name;
        tags_.push_back(std::make_unique<CdxTag>(*this, headerOffset, info, root));
    }
    if (corrupt_) return fail("damaged tag directory");
    std::sort(tags_.begin(), tags_.end(),
              [](const auto& a, const auto& b) { return a->headerOffset() < b->headerOffset(); });
    for (const auto& t : tags_) {
        if (ignoreMarker) break;  // definitions only: nodes are not needed
        node(t->root_, t->info().keyLength, t->info().pad);
        if (corrupt_) return fail(t->info().name + ": damaged root node");
    }
    return Status::Ok();
}

Result<CdxTag*> CdxFile::addTag(const CdxTagInfo& given, const std::vector<CdxEntry>& entries,
                                const std::function<void(int)>& progress) {
    if (fd_ < 0 || readOnly_ || corrupt_) return XbaseError("index not open for writing");
    CdxTagInfo info = given;
    info.name = UpperCase(info.name);
    if (info.name.empty() || info.name.size() > size_t(kTagNameLength) || info.keyLength < 1 ||
        info.keyLength > 240)
        return XbaseError("bad tag name or key length");
    if (tag(info.name)) removeTag(info.name);
    if (!markedDirty_) setDirtyMarker(true);

    const uint32_t headerOffset = allocate(kTagHeaderSize);
    struct Upper {
        std::string key;
        uint32_t recno;
        uint32_t offset;
    };
    std::vector<Upper> level;
    std::string batch;
    uint64_t batchStart = 0;
    bool ok = true;
    auto writePage = [&](uint32_t offset, const CdxNode& n) {
        if (batch.empty()) batchStart = offset;
        const size_t at = batch.size();
        batch.resize(at + kCdxPageSize);
        ok = EncodeCdxNode(n, info.keyLength, info.pad, batch.data() + at) && ok;
        if (batch.size() >= kWriteBatchPages * kCdxPageSize) {
            ok = pwriteAll(fd_, batch.data(), batch.size(), off_t(batchStart)) && ok;
            batch.clear();
        }
    };

    // Leaves, filled left to right; pages are allocated in sequence so that each leaf knows
    // its right neighbour's offset before that neighbour is written.
    CdxLeafPacker packer(info.keyLength, info.pad);
    CdxNode leaf;
    leaf.attributes = kCdxLeafNode;
    uint32_t leafOffset = allocate(kCdxPageSize);
    uint32_t previousLeaf = kCdxNoNode;
    size_t begin = 0;
    int lastPercent = -1;
    for (size_t i = 0; i <= entries.size(); ++i) {
        const bool end = i == entries.size();
        if (end || !packer.fits(entries[i])) {
            leaf.entries.assign(entries.begin() + long(begin), entries.begin() + long(i));
            leaf.left = previousLeaf;
            leaf.right = end ? kCdxNoNode : leafOffset + kCdxPageSize;
            if (!leaf.entries.empty())
                level.push_back({leaf.entries.back().key, leaf.entries.back().recno, leafOffset});
            else
                level.push_back({std::string(size_t(info.keyLength), info.pad), 0, leafOffset});
            if (end && level.size() == 1) leaf.attributes |= kCdxRootNode;
            writePage(leafOffset, leaf);
            if (end) break;
            previousLeaf = leafOffset;
            leafOffset = allocate(kCdxPageSize);
            packer.reset();
            begin = i;
        }
        packer.add(entries[i]);
        if (progress && !entries.empty()) {
            const int percent = int(uint64_t(i) * 100 / entries.size());
            if (percent != lastPercent) progress(lastPercent = percent);
        }
    }
    // Interior levels until one node remains.
    const size_t capacity = size_t(CdxInteriorCapacity(info.keyLength));
    while (level.size() > 1) {
        std::vector<Upper> parents;
        uint32_t previous = kCdxNoNode;
        const size_t nodes = (level.size() + capacity - 1) / capacity;
        uint32_t offset = allocate(kCdxPageSize);
        for (size_t k = 0; k < nodes; ++k) {
            CdxNode n;
            n.attributes = nodes == 1 ? kCdxRootNode : 0;
            const size_t from = k * capacity, to = std::min(level.size(), from + capacity);
            for (size_t j = from; j < to; ++j)
                n.entries.push_back({level[j].key, level[j].recno, level[j].offset});
            n.left = previous;
            const bool lastNode = k + 1 == nodes;
            const uint32_t nextOffset = lastNode ? kCdxNoNode : allocate(kCdxPageSize);
            n.right = nextOffset;
            writePage(offset, n);
            parents.push_back({n.entries.back().key, n.entries.back().recno, offset});
            previous = offset;
            offset = nextOffset;
        }
        level = std::move(parents);
    }
    if (!batch.empty()) ok = pwriteAll(fd_, batch.data(), batch.size(), off_t(batchStart)) && ok;
    const uint32_t root = level.front().offset;
    ok = ok && writeTagHeader(info, headerOffset, root, false);
    if (!ok) {
        corrupt_ = true;
        return XbaseError("cannot write the index");
    }
    directory_->insert(directoryKey(info.name), headerOffset);
    tags_.push_back(std::make_unique<CdxTag>(*this, headerOffset, info, root));
    if (!flush()) return XbaseError("cannot write the index");
    if (progress) progress(100);
    return tags_.back().get();
}

bool CdxFile::removeTag(const std::string& name) {
    CdxTag* t = tag(name);
    if (!t || readOnly_) return false;
    directory_->remove(directoryKey(t->info().name), t->headerOffset());
    tags_.erase(
        std::remove_if(tags_.begin(), tags_.end(), [&](const auto& p) { return p.get() == t; }),
        tags_.end());
    return flush();
}

}  // namespace corvane::xbase
