#include "transport/received_page.h"

#include <algorithm>
#include <array>

#include "faxdoc/t4_decoder.h"
#include "transport/send_page_data.h"

namespace corvane {

namespace {

constexpr std::array<uchar, 256> MakeReverseTable() {
    std::array<uchar, 256> t{};
    for (int i = 0; i < 256; ++i) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            if (i & (1 << b)) r |= 0x80 >> b;
        t[i] = uchar(r);
    }
    return t;
}
constexpr std::array<uchar, 256> kReverse = MakeReverseTable();
constexpr int kEndOfPageEols = 6;
// Fewer lines than this decode in either order: the page cannot tell its order.
constexpr int kLinesToTell = 8;

class CountingSink : public T4LineSink {
  public:
    void acceptLine(const uchar*, int) override {}
};

struct DecodeCount {
    int lines = 0;
    int badCodes = 0;
};

// EOL codes in the data (eleven or more zeros and a one, first bit lowest): about one per
// line sent, damaged or not, so lines that went missing in the decoder show up against it.
int CountEols(const QByteArray& data, bool reversed) {
    int eols = 0;
    int zeros = 0;
    for (char c : data) {
        const uchar byte = reversed ? kReverse[uchar(c)] : uchar(c);
        if (byte == 0) {
            zeros += 8;
            continue;
        }
        for (int b = 0; b < 8; ++b) {
            if (byte & (1 << b)) {
                if (zeros >= 11) ++eols;
                zeros = 0;
            } else {
                ++zeros;
            }
        }
    }
    return eols;
}

DecodeCount Decode(const QByteArray& data, bool reversed) {
    CountingSink sink;
    T4Decoder decoder(sink);
    decoder.reset();
    if (!reversed) {
        decoder.feed(reinterpret_cast<const uchar*>(data.constData()), data.size());
    } else {
        std::array<uchar, 4096> block;
        for (qsizetype at = 0; at < data.size() && !decoder.pageEnded(); at += block.size()) {
            const qsizetype n = std::min<qsizetype>(block.size(), data.size() - at);
            for (qsizetype i = 0; i < n; ++i) block[i] = kReverse[uchar(data[at + i])];
            decoder.feed(block.data(), size_t(n));
        }
    }
    decoder.finish();
    return {decoder.acceptedLines(), decoder.badCodes()};
}

PageBitOrder Judge(const DecodeCount& direct, const DecodeCount& reversed) {
    const int best = std::max(direct.lines, reversed.lines);
    const int other = std::min(direct.lines, reversed.lines);
    // The wrong order decodes a line now and then by chance; the right one nearly all.
    if (best < kLinesToTell || best < 2 * other + kLinesToTell / 2) return PageBitOrder::Unknown;
    return direct.lines > reversed.lines ? PageBitOrder::FileOrder : PageBitOrder::Reversed;
}

}  // namespace

PageBitOrder DetectPageBitOrder(const QByteArray& data) {
    return Judge(Decode(data, false), Decode(data, true));
}

void ReceivedPageCollector::reset() {
    data_.clear();
    dle_ = false;
    ended_ = false;
    overflow_ = false;
}

int ReceivedPageCollector::feed(const char* data, int size) {
    int i = 0;
    for (; i < size && !ended_; ++i) {
        const char c = data[i];
        if (dle_) {
            dle_ = false;
            if (c == kEtx) {
                ended_ = true;
                continue;
            }
            // DLE DLE stands for one DLE; a DLE before any other byte is dropped.
            if (c == kDle)
                data_.append(kDle);
            else
                data_.append(c);
        } else if (c == kDle) {
            dle_ = true;
        } else {
            data_.append(c);
        }
        if (data_.size() > kMaxReceivedPageBytes) {
            overflow_ = true;
            ended_ = true;
        }
    }
    return i;
}

void ReverseBitsInPlace(QByteArray& data) {
    for (char& c : data) c = char(kReverse[uchar(c)]);
}

ReceivedPageCheck PutIntoFileOrder(QByteArray& data, bool modemReverses) {
    const DecodeCount direct = Decode(data, false);
    const DecodeCount reversed = Decode(data, true);
    ReceivedPageCheck check;
    const PageBitOrder order = Judge(direct, reversed);
    check.reversed =
        order == PageBitOrder::Unknown ? modemReverses : order == PageBitOrder::Reversed;
    const DecodeCount& chosen = check.reversed ? reversed : direct;
    if (check.reversed) ReverseBitsInPlace(data);
    check.lines = chosen.lines;
    check.badCodes = chosen.badCodes;
    // Lines lost: those with bad codes, or those the decoder dropped for a wrong length
    // (EOLs beyond the lines and the end-of-page code). More than one in ten fails the page.
    const int missing = std::max(0, CountEols(data, false) - kEndOfPageEols - chosen.lines);
    const int damaged = std::max(chosen.badCodes, missing);
    check.decodable = chosen.lines > 0 && damaged * 10 <= chosen.lines + damaged;
    return check;
}

}  // namespace corvane
