#include "faxdoc/t4_encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "faxdoc/t4_codes.h"

namespace corvane {

namespace {

// A code ready to be ORed into the stream: bits in transmission order from bit 0 up.
struct StreamCode {
    quint32 bits = 0;
    int length = 0;
};

StreamCode reversed(const char* written) {
    StreamCode code;
    for (; written[code.length]; ++code.length)
        if (written[code.length] == '1') code.bits |= 1u << code.length;
    return code;
}

// Per colour: terminating codes 0..63, then make-up codes by run / 64 (1..40).
struct ColourCodes {
    std::array<StreamCode, 64> terminating;
    std::array<StreamCode, 41> makeUp;
};

struct CodeTables {
    ColourCodes colour[2];  // 0 white, 1 black
};

const CodeTables& codeTables() {
    // Reversed once, on first use.
    static const CodeTables tables = [] {
        CodeTables t;
        const std::span<const t4::Code> terminating[2] = {t4::WhiteTerminatingCodes(),
                                                          t4::BlackTerminatingCodes()};
        const std::span<const t4::Code> makeUp[2] = {t4::WhiteMakeUpCodes(),
                                                     t4::BlackMakeUpCodes()};
        for (int c = 0; c < 2; ++c) {
            for (const t4::Code& code : terminating[c])
                t.colour[c].terminating[code.run] = reversed(code.bits);
            for (const t4::Code& code : makeUp[c])
                t.colour[c].makeUp[code.run / 64] = reversed(code.bits);
            for (const t4::Code& code : t4::ExtendedMakeUpCodes())
                t.colour[c].makeUp[code.run / 64] = reversed(code.bits);
        }
        return t;
    }();
    return tables;
}

class BitWriter {
  public:
    explicit BitWriter(uchar* out) : out_(out) {}
    void put(StreamCode code) {
        acc_ |= quint64(code.bits) << count_;
        count_ += code.length;
        while (count_ >= 8) {
            out_[bytes_++] = static_cast<uchar>(acc_);
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    // Zero bits to the end of the current byte (a whole byte when none is started), then one
    // more zero byte: floor(T / 8) + 2 bytes for T bits.
    int finish() {
        out_[bytes_++] = static_cast<uchar>(acc_);
        out_[bytes_++] = 0;
        return bytes_;
    }

  private:
    uchar* out_;
    quint64 acc_ = 0;
    int count_ = 0;
    int bytes_ = 0;
};

constexpr int kLongestMakeUp = 2560;

void putRun(BitWriter& writer, const ColourCodes& codes, int run) {
    while (run > kLongestMakeUp + 63) {
        writer.put(codes.makeUp[kLongestMakeUp / 64]);
        run -= kLongestMakeUp;
    }
    if (run >= 64) writer.put(codes.makeUp[run / 64]);
    writer.put(codes.terminating[run % 64]);
}

// First pixel at or after `pos` (below `limit`) whose colour differs from `black`.
int nextChange(const uchar* raster, int pos, int limit, bool black) {
    const uchar flip = black ? 0xFF : 0x00;
    while (pos < limit) {
        const int index = pos >> 3;
        const uchar differing = static_cast<uchar>((raster[index] ^ flip) & (0xFF >> (pos & 7)));
        if (differing) return std::min(limit, (index << 3) + std::countl_zero(differing));
        pos = (index + 1) << 3;
        // Skip long stretches of uniform bytes eight at a time.
        while (pos + 64 <= limit) {
            quint64 word;
            std::memcpy(&word, raster + (pos >> 3), 8);
            if (word != (black ? ~quint64(0) : 0)) break;
            pos += 64;
        }
    }
    return limit;
}

}  // namespace

int CompressRasterLine(const uchar* raster, int width, int leftMargin, uchar* out) {
    const CodeTables& tables = codeTables();
    BitWriter writer(out);
    writer.put({0x8000, 16});  // EOL behind four fill bits: bytes 00 80
    const int margin = std::clamp(leftMargin, 0, width);
    const int limit = width - margin;
    int pos = 0;
    bool black = false;
    int run = margin;
    while (pos < limit) {
        const int next = nextChange(raster, pos, limit, black);
        run += next - pos;
        pos = next;
        putRun(writer, tables.colour[black], run);
        run = 0;
        black = !black;
    }
    if (limit == 0) putRun(writer, tables.colour[0], margin);
    return writer.finish();
}

QByteArray CompressRasterLine(const uchar* raster, int width, int leftMargin) {
    uchar coded[kMaxCompressedLineBytes];
    const int count = CompressRasterLine(raster, width, leftMargin, coded);
    return QByteArray(reinterpret_cast<const char*>(coded), count);
}

QByteArray MakeEndOfPage() {
    static const char kEndOfPage[kEndOfPageBytes] = {0x00, '\x80', 0x00, 0x08, '\x80', 0x00,
                                                     0x08, '\x80', 0x00, 0x08, '\x80', 0x00};
    return QByteArray(kEndOfPage, kEndOfPageBytes);
}

}  // namespace corvane
