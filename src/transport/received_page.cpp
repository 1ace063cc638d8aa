#include "transport/received_page.h"

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

class CountingSink : public T4LineSink {
  public:
    void acceptLine(const uchar*, int) override {}
};

struct DecodeCount {
    int lines = 0;
    int badCodes = 0;
};

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

}  // namespace

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

ReceivedPageCheck PutIntoFileOrder(QByteArray& data) {
    const DecodeCount direct = Decode(data, false);
    const DecodeCount reversed = Decode(data, true);
    ReceivedPageCheck check;
    check.reversed = reversed.lines > direct.lines;
    const DecodeCount& chosen = check.reversed ? reversed : direct;
    if (check.reversed) ReverseBitsInPlace(data);
    check.lines = chosen.lines;
    check.badCodes = chosen.badCodes;
    check.decodable = chosen.lines > 0 && chosen.badCodes * 4 <= chosen.lines;
    return check;
}

}  // namespace corvane
