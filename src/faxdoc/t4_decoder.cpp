#include "faxdoc/t4_decoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "faxdoc/t4_codes.h"

namespace corvane {

namespace {

// The decoding trees, flattened into lookup tables indexed by the next bits of the stream
// (first bit in bit 0). Each entry tells how many bits the tree walk from the root consumes
// and where it ends: a terminating code, a make-up code, a path with no code, or the node
// after eleven 0 bits from which only an EOL (after any further 0 bits) can follow.
enum EntryKind : quint32 { kTerminating = 0, kMakeUp = 1, kInvalid = 2, kZeroRun = 3 };

constexpr int kWhiteIndexBits = 12;  // longest white-tree path
constexpr int kBlackIndexBits = 13;  // longest black-tree path
constexpr int kLookAheadBits = kBlackIndexBits;
constexpr int kZeroRunBits = 11;
constexpr int kLineAcceptNormal = 216;
constexpr int kLineAcceptWide = 256;

constexpr quint32 makeEntry(EntryKind kind, int length, int run) {
    return quint32(length) | (quint32(kind) << 5) | (quint32(run) << 8);
}
constexpr int entryLength(quint32 e) {
    return int(e & 31);
}
constexpr EntryKind entryKind(quint32 e) {
    return EntryKind((e >> 5) & 7);
}
constexpr int entryRun(quint32 e) {
    return int(e >> 8);
}

struct Tree {
    struct Node {
        int child[2] = {-1, -1};
        int run = -1;  // >= 0 at a leaf
        bool terminating = false;
    };
    std::vector<Node> nodes{Node{}};

    void add(const t4::Code& code, bool terminating) {
        int node = 0;
        for (const char* bit = code.bits; *bit; ++bit) {
            const int b = *bit == '1';
            if (nodes[node].child[b] < 0) {
                nodes[node].child[b] = static_cast<int>(nodes.size());
                nodes.push_back(Node{});
            }
            node = nodes[node].child[b];
        }
        nodes[node].run = code.run;
        nodes[node].terminating = terminating;
    }
};

Tree buildTree(std::span<const t4::Code> terminating, std::span<const t4::Code> makeUp) {
    Tree tree;
    for (const t4::Code& code : terminating) tree.add(code, true);
    for (const t4::Code& code : makeUp) tree.add(code, false);
    for (const t4::Code& code : t4::ExtendedMakeUpCodes()) tree.add(code, false);
    // The EOL's path: up to eleven 0 bits are the prefix of a code, so "0000000001" is a bad
    // code only at its 1 bit. (Its end is never reached here; see kZeroRun.)
    tree.add(t4::kEolCode, false);
    return tree;
}

std::vector<quint32> buildTable(const Tree& tree, int indexBits) {
    std::vector<quint32> table(size_t(1) << indexBits);
    for (quint32 index = 0; index < table.size(); ++index) {
        if ((index & ((1u << kZeroRunBits) - 1)) == 0) {
            table[index] = makeEntry(kZeroRun, kZeroRunBits, 0);
            continue;
        }
        int node = 0;
        for (int depth = 1; depth <= indexBits; ++depth) {
            node = tree.nodes[node].child[(index >> (depth - 1)) & 1];
            if (node < 0) {
                table[index] = makeEntry(kInvalid, depth, 0);
                break;
            }
            const Tree::Node& n = tree.nodes[node];
            if (n.run >= 0) {
                table[index] = makeEntry(n.terminating ? kTerminating : kMakeUp, depth, n.run);
                break;
            }
        }
    }
    return table;
}

struct DecodeTables {
    std::vector<quint32> white;
    std::vector<quint32> black;
};

const DecodeTables& decodeTables() {
    static const DecodeTables tables = [] {
        DecodeTables t;
        t.white = buildTable(buildTree(t4::WhiteTerminatingCodes(), t4::WhiteMakeUpCodes()),
                             kWhiteIndexBits);
        t.black = buildTable(buildTree(t4::BlackTerminatingCodes(), t4::BlackMakeUpCodes()),
                             kBlackIndexBits);
        return t;
    }();
    return tables;
}

inline void setBits(uchar* line, int start, int count) {
    if (count <= 0) return;
    const int end = start + count;
    const int first = start >> 3;
    const int last = end >> 3;
    const uchar head = static_cast<uchar>(0xFF >> (start & 7));
    const uchar tail = static_cast<uchar>(~(0xFF >> (end & 7)));
    if (first == last) {
        line[first] |= head & tail;
        return;
    }
    line[first] |= head;
    if (last > first + 1) std::memset(line + first + 1, 0xFF, last - first - 1);
    line[last] |= tail;
}

}  // namespace

T4Decoder::T4Decoder(T4LineSink& sink) : sink_(sink) {
    decodeTables();
    reset();
}

void T4Decoder::reset() {
    in_ = inEnd_ = nullptr;
    acc_ = 0;
    bits_ = 0;
    bitsLoaded_ = 0;
    black_ = false;
    waitForEol_ = true;
    skipOnes_ = false;
    inZeroRun_ = false;
    abortRequested_ = false;
    noMoreInput_ = false;
    ended_ = false;
    consecutiveEols_ = 0;
    badCodes_ = 0;
    acceptedLines_ = 0;
    bitPos_ = 0;
    std::memset(line_, 0, sizeof line_);
}

bool T4Decoder::feed(const uchar* data, std::size_t size) {
    if (ended_) return false;
    if (abortRequested_) {
        stopAfterCurrentByte();
        run(true);
        ended_ = true;
        return false;
    }
    in_ = data;
    inEnd_ = data + size;
    run(false);
    in_ = inEnd_ = nullptr;
    if (noMoreInput_) ended_ = true;
    return !ended_;
}

void T4Decoder::finish() {
    if (!ended_) {
        noMoreInput_ = true;
        run(true);
        // A complete line that no EOL follows (coders that write no end of page) is still
        // a line; anything shorter is a line cut off with the data.
        if (!ended_ && !abortRequested_) handOnPendingLine();
    }
    ended_ = true;
}

void T4Decoder::handOnPendingLine() {
    const int bytes = bitPos_ >> 3;
    if (bytes == kLineAcceptNormal || bytes == kLineAcceptWide) {
        ++acceptedLines_;
        sink_.acceptLine(line_, bytes);
    }
}

void T4Decoder::refill() {
    if (noMoreInput_ || bits_ > 55) return;
    if (inEnd_ - in_ >= 8) {
        quint64 word;
        std::memcpy(&word, in_, 8);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        // Bits of a byte only partly taken are taken again, unchanged, by the next refill.
        acc_ |= word << bits_;
        const int bytes = (63 - bits_) >> 3;
        in_ += bytes;
        bits_ += bytes * 8;
        bitsLoaded_ += quint64(bytes) * 8;
        return;
    }
    while (bits_ <= 55 && in_ < inEnd_) {
        acc_ |= quint64(*in_++) << bits_;
        bits_ += 8;
        bitsLoaded_ += 8;
    }
}

inline void T4Decoder::consume(int bits) {
    acc_ >>= bits;
    bits_ -= bits;
}

void T4Decoder::stopAfterCurrentByte() {
    const quint64 taken = bitsLoaded_ - quint64(bits_);
    const int rest = int((8 - taken % 8) % 8);
    if (rest < bits_) bits_ = rest;
    acc_ &= (quint64(1) << bits_) - 1;
    noMoreInput_ = true;
}

void T4Decoder::run(bool final) {
    const DecodeTables& tables = decodeTables();
    const quint32* white = tables.white.data();
    const quint32* black = tables.black.data();
    while (!ended_) {
        if (bits_ < kLookAheadBits) {
            refill();
            if (bits_ == 0 || (bits_ < kLookAheadBits && !final && !noMoreInput_)) return;
        }
        if (skipOnes_) {
            const quint64 zeros = ~acc_;
            int ones = zeros ? std::countr_zero(zeros) : 64;
            if (ones >= bits_) {
                consume(bits_);
                continue;
            }
            consume(ones);
            skipOnes_ = false;
            continue;
        }
        if (inZeroRun_) {
            const quint64 valid = acc_ & ((quint64(1) << bits_) - 1);
            if (!valid) {
                consume(bits_);
                continue;
            }
            consume(std::countr_zero(valid) + 1);
            inZeroRun_ = false;
            onEol();
            continue;
        }
        const quint32 entry = black_ ? black[acc_ & ((1u << kBlackIndexBits) - 1)]
                                     : white[acc_ & ((1u << kWhiteIndexBits) - 1)];
        const int length = entryLength(entry);
        if (length > bits_) {
            // The data end inside a code.
            consume(bits_);
            return;
        }
        consume(length);
        switch (entryKind(entry)) {
            case kTerminating:
                onRun(entryRun(entry), true);
                break;
            case kMakeUp:
                onRun(entryRun(entry), false);
                break;
            case kInvalid:
                ++badCodes_;
                skipOnes_ = true;
                break;
            case kZeroRun:
                inZeroRun_ = true;
                break;
        }
    }
}

inline void T4Decoder::onRun(int run, bool terminating) {
    if (waitForEol_) return;
    if ((bitPos_ >> 3) + (run >> 3) < kDecodedLineBufferBytes) {
        if (black_) setBits(line_, bitPos_, run);
        bitPos_ += run;
    }
    if (terminating) black_ = !black_;
    consecutiveEols_ = 0;
}

void T4Decoder::onEol() {
    handOnPendingLine();
    std::memset(line_, 0, (bitPos_ + 7) >> 3);
    bitPos_ = 0;
    black_ = false;
    waitForEol_ = false;
    if (++consecutiveEols_ >= 3) ended_ = true;
    if (abortRequested_ && !ended_) stopAfterCurrentByte();
}

}  // namespace corvane
