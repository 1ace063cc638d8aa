// T.4 line coding and decoding: exact record bytes, and the decoder's acceptance rules
// checked against a plain bit-by-bit walk of the code trees.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "apf_fixtures.h"
#include "faxdoc/t4_codes.h"
#include "faxdoc/t4_decoder.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {
namespace {

using testing::Raster;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

QByteArray code(const QByteArray& raster, int width, int margin) {
    return CompressRasterLine(reinterpret_cast<const uchar*>(raster.constData()), width, margin);
}

// Bits of a byte array in stream order (first bit = bit 0 of byte 0).
std::string streamBits(const QByteArray& bytes) {
    std::string bits;
    for (char c : bytes)
        for (int i = 0; i < 8; ++i) bits += ((uchar(c) >> i) & 1) ? '1' : '0';
    return bits;
}

struct Collected : T4LineSink {
    std::vector<QByteArray> lines;
    std::function<void()> onLine;
    void acceptLine(const uchar* data, int bytes) override {
        lines.emplace_back(reinterpret_cast<const char*>(data), bytes);
        if (onLine) onLine();
    }
};

struct DecodeResult {
    std::vector<QByteArray> lines;
    int badCodes = 0;
    bool operator==(const DecodeResult& o) const {
        return lines == o.lines && badCodes == o.badCodes;
    }
};

DecodeResult decode(const QByteArray& data, int pieceSize = 0) {
    Collected sink;
    T4Decoder decoder(sink);
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const int step = pieceSize > 0 ? pieceSize : std::max<int>(1, data.size());
    for (int at = 0; at < data.size(); at += step)
        if (!decoder.feed(bytes + at, std::min<int>(step, data.size() - at))) break;
    decoder.finish();
    return {sink.lines, decoder.badCodes()};
}

// The decoding rules, written as directly as possible: one bit at a time through the code
// strings, no tables.
DecodeResult referenceDecode(const QByteArray& data) {
    std::map<std::string, std::pair<int, bool>> codes[2];
    std::set<std::string> prefixes[2];
    auto add = [&](int colour, std::span<const t4::Code> list, bool terminating) {
        for (const t4::Code& c : list) {
            codes[colour][c.bits] = {c.run, terminating};
            const std::string s = c.bits;
            for (size_t i = 1; i < s.size(); ++i) prefixes[colour].insert(s.substr(0, i));
        }
    };
    add(0, t4::WhiteTerminatingCodes(), true);
    add(0, t4::WhiteMakeUpCodes(), false);
    add(0, t4::ExtendedMakeUpCodes(), false);
    add(1, t4::BlackTerminatingCodes(), true);
    add(1, t4::BlackMakeUpCodes(), false);
    add(1, t4::ExtendedMakeUpCodes(), false);

    DecodeResult result;
    std::vector<int> line(kDecodedLineBufferBytes * 8 + 16, 0);
    int pos = 0, colour = 0, eols = 0;
    bool wait = true, skipOnes = false;
    std::string path;
    for (char bit : streamBits(data)) {
        if (skipOnes) {
            if (bit == '1') continue;
            skipOnes = false;
        }
        path += bit;
        if (path.size() >= 11 && path.find('1') == std::string::npos) continue;
        if (path.size() >= 12 && path.find('1') == path.size() - 1 &&
            path.substr(0, path.size() - 1).find('1') == std::string::npos) {
            if (pos / 8 == 216 || pos / 8 == 256) {
                QByteArray out(pos / 8, '\0');
                for (int i = 0; i < pos / 8 * 8; ++i)
                    if (line[i]) out[i / 8] = char(uchar(out[i / 8]) | (0x80 >> (i % 8)));
                result.lines.push_back(out);
            }
            std::fill(line.begin(), line.end(), 0);
            pos = 0;
            colour = 0;
            wait = false;
            path.clear();
            if (++eols == 3) break;
            continue;
        }
        auto found = codes[colour].find(path);
        if (found != codes[colour].end()) {
            const auto [run, terminating] = found->second;
            path.clear();
            if (wait) continue;
            if (pos / 8 + run / 8 < kDecodedLineBufferBytes) {
                for (int i = 0; i < run; ++i) line[pos + i] = colour;
                pos += run;
            }
            if (terminating) colour ^= 1;
            eols = 0;
            continue;
        }
        if (prefixes[colour].count(path) || (path.find('1') == std::string::npos)) continue;
        ++result.badCodes;
        path.clear();
        skipOnes = true;
    }
    if (eols < 3 && (pos / 8 == 216 || pos / 8 == 256)) {
        QByteArray out(pos / 8, '\0');
        for (int i = 0; i < pos / 8 * 8; ++i)
            if (line[i]) out[i / 8] = char(uchar(out[i / 8]) | (0x80 >> (i % 8)));
        result.lines.push_back(out);
    }
    return result;
}

TEST(T4Encoder, RecordsHaveTheExactBytes) {
    QByteArray firstBlack(216, '\0');
    firstBlack[0] = char(0x80);
    QByteArray wideWhite(256, '\0');
    struct Case {
        const char* name;
        QByteArray raster;
        int width;
        int margin;
        QByteArray expected;
    } cases[] = {
        {"all white", QByteArray(216, '\0'), 1728, 0, hex("0080B2590100")},
        // EOL, white 0 (00110101), black 1 (010), white 1727 (make-up 1664 011000 +
        // terminating 63 00110100), zero fill.
        {"first pixel black", firstBlack, 1728, 0, hex("0080ac32580000")},
        {"all white, margin", QByteArray(216, '\0'), 1728, 50, hex("0080B2590100")},
        // 2048 white: extended make-up 2048 (000000010011) + terminating 0.
        {"wide all white", wideWhite, 2048, 0, hex("008080cc0a00")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(code(c.raster, c.width, c.margin).toHex(), c.expected.toHex()) << c.name;
    EXPECT_EQ(MakeEndOfPage(), hex("008000088000088000088000"));
}

TEST(T4Encoder, FirstBlackPixelStartsWithAZeroWhiteRunAfterTheEol) {
    QByteArray raster(216, '\0');
    raster[0] = char(0xF0);
    const std::string bits = streamBits(code(raster, 1728, 0));
    EXPECT_EQ(bits.substr(0, 16), "0000000000000001");
    EXPECT_EQ(bits.substr(16, 8), "00110101");  // white run 0
    EXPECT_EQ(bits.substr(24, 3), "011");       // black run 4
}

TEST(T4Encoder, MarginShiftsTheLineAndCutsItsRightEnd) {
    QByteArray raster(216, '\0');
    raster[0] = char(0x80);    // pixel 0
    raster[215] = char(0x01);  // pixel 1727: falls off with a margin
    const DecodeResult result = decode(code(raster, 1728, 50) + MakeEndOfPage());
    ASSERT_EQ(result.lines.size(), 1u);
    QByteArray expected(216, '\0');
    expected[50 / 8] = char(0x80 >> (50 % 8));
    EXPECT_EQ(result.lines[0], expected);
}

TEST(T4Encoder, RecordsEndInAZeroByteAndStayWithinTheBound) {
    const Raster worst = testing::RandomRaster(2048, 40, 0.5, 7);
    Raster alternating;
    alternating.width = 2048;
    alternating.addRow(QByteArray(256, char(0x55)));
    alternating.addRow(QByteArray(256, char(0xAA)));
    for (const Raster* r : std::initializer_list<const Raster*>{&worst, &alternating})
        for (const QByteArray& record : testing::CodedRecords(*r, false)) {
            ASSERT_LE(record.size(), kMaxCompressedLineBytes);
            EXPECT_EQ(record.back(), '\0');
            EXPECT_GE(streamBits(record).size() - 1 - streamBits(record).find_last_of('1'), 9u);
        }
}

TEST(T4Decoder, DecodesWhatTheEncoderWrote) {
    const Raster rasters[] = {
        testing::TextLikeRaster(1728, 300, 1), testing::Checkerboard(1728, 40, 8),
        testing::RandomRaster(1728, 30, 0.5, 3), testing::RandomRaster(2048, 30, 0.1, 4)};
    for (const Raster& r : rasters) {
        const DecodeResult result = decode(testing::CodedStream(r));
        EXPECT_EQ(result.lines, r.rows) << "width " << r.width;
        EXPECT_EQ(result.badCodes, 0);
    }
}

TEST(T4Decoder, AcceptanceRules) {
    const QByteArray white = code(QByteArray(216, '\0'), 1728, 0);
    const QByteArray eol = hex("0080");
    // Hand-made lines: EOL + white run, in stream order packed into bytes.
    auto bitsToBytes = [](const std::string& bits) {
        QByteArray out((bits.size() + 7) / 8 + 1, '\0');
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i] == '1') out[int(i / 8)] = char(uchar(out[int(i / 8)]) | (1 << (i % 8)));
        return out;
    };
    const std::string eolBits = "000000000001";
    // white 1664 (011000) + white 63 (00110100) = 1727; + 64 (11011) + 1 ... built per case.
    // Whole literals: GCC 12 misreports chains of string + literal as out of bounds (-Warray-bounds).
    const QByteArray line1727 = bitsToBytes(eolBits + std::string("01100000110100"));
    const QByteArray line1729 = bitsToBytes(eolBits + std::string("0110000011010001000110101"));
    struct Case {
        const char* name;
        QByteArray data;
        int lines;
        int badCodes;
    } cases[] = {
        {"garbage before the first EOL is skipped",
         hex("ffee5a3c9107") + white + white + MakeEndOfPage(), 2, -1},
        {"a 1727-pixel line is dropped", white + line1727 + white + MakeEndOfPage(), 2, 0},
        {"a 1729-pixel line is accepted", line1729 + MakeEndOfPage(), 1, 0},
        {"three EOLs end the page", white + MakeEndOfPage() + white + white, 1, 0},
        // The EOL that closes a line counts: EOL line EOL EOL EOL ends the page.
        {"two EOLs do not", white + eol + white + MakeEndOfPage(), 2, 0},
        {"the EOL closing a line counts", white + eol + eol + white, 1, 0},
        {"no EOL, no lines", hex("b2590100b2590100"), 0, -1},
        {"a whole line without a closing EOL", white + white, 2, 0},
        {"a line cut short by the data end", white + white.left(3), 1, 0},
    };
    for (const Case& c : cases) {
        const DecodeResult result = decode(c.data);
        EXPECT_EQ(int(result.lines.size()), c.lines) << c.name;
        if (c.badCodes >= 0) {
            EXPECT_EQ(result.badCodes, c.badCodes) << c.name;
        }
        EXPECT_EQ(result, referenceDecode(c.data)) << c.name;
    }
}

TEST(T4Decoder, LinesOfOneToSevenExtraPixelsKeepTheirWholeBytes) {
    QByteArray raster(216, '\0');
    raster[215] = char(0xFF);
    // The coded line ends with black 8; white 0 and black 5 behind it make 1733 pixels.
    const std::string base = streamBits(code(raster, 1728, 0));
    const std::string bits = base.substr(0, base.find_last_of('1') + 1) + "00110101" + "0011";
    QByteArray data((bits.size() + 7) / 8 + 2, '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') data[int(i / 8)] = char(uchar(data[int(i / 8)]) | (1 << (i % 8)));
    data += MakeEndOfPage();
    const DecodeResult result = decode(data);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0], raster);
}

TEST(T4Decoder, MatchesTheBitByBitRulesOnHostileData) {
    std::mt19937 rng(11);
    const QByteArray good = testing::CodedStream(testing::TextLikeRaster(1728, 60, 5));
    for (int round = 0; round < 90; ++round) {
        QByteArray data = good;
        // Flip, zero or randomise stretches: bad codes, lost EOLs, long zero runs.
        const int edits = 1 + int(rng() % 12);
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng() % data.size());
            const int len = 1 + int(rng() % 40);
            for (int i = at; i < std::min<int>(data.size(), at + len); ++i) {
                switch (round % 3) {
                    case 0:
                        data[i] = char(rng());
                        break;
                    case 1:
                        data[i] = 0;
                        break;
                    default:
                        data[i] = char(uchar(data[i]) ^ (1 << (rng() % 8)));
                        break;
                }
            }
        }
        const DecodeResult fast = decode(data);
        const DecodeResult slow = referenceDecode(data);
        ASSERT_EQ(fast.lines.size(), slow.lines.size()) << "round " << round;
        ASSERT_EQ(fast.badCodes, slow.badCodes) << "round " << round;
        ASSERT_EQ(fast, slow) << "round " << round;
        // Pieces of any size decode the same.
        ASSERT_EQ(decode(data, 1 + int(rng() % 9)), fast) << "round " << round;
    }
    QByteArray noise(3000, '\0');
    for (char& c : noise) c = char(rng());
    EXPECT_EQ(decode(noise), referenceDecode(noise));
}

TEST(T4Decoder, AbortEndsThePageAfterTheCurrentByte) {
    const QByteArray data = testing::CodedStream(testing::TextLikeRaster(1728, 100, 2));
    Collected sink;
    T4Decoder decoder(sink);
    sink.onLine = [&] {
        if (sink.lines.size() == 10) decoder.requestAbort();
    };
    decoder.feed(reinterpret_cast<const uchar*>(data.constData()), data.size());
    EXPECT_TRUE(decoder.pageEnded());
    EXPECT_EQ(sink.lines.size(), 10u);
}

}  // namespace
}  // namespace corvane
