#include "sending/import/import_binarize.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace corvane {

namespace {

constexpr int kBlock = 8;
// Grey levels strictly between these are mid tones; text edges drawn with anti-aliasing
// produce some, but never most of a block.
constexpr int kMidLow = 48;
constexpr int kMidHigh = 208;
constexpr int kCut = 128;

// One flag per block, row by row; a block is tone when at least half its pixels are mid tones.
struct ToneMap {
    int columns = 0;
    int rows = 0;
    std::vector<std::uint8_t> tone;
    bool at(int bx, int by) const {
        return tone[std::size_t(by) * std::size_t(columns) + std::size_t(bx)] != 0;
    }
};

ToneMap MapTone(const QImage& grey) {
    ToneMap map;
    map.columns = (grey.width() + kBlock - 1) / kBlock;
    map.rows = (grey.height() + kBlock - 1) / kBlock;
    map.tone.assign(std::size_t(map.columns) * std::size_t(map.rows), 0);
    std::vector<int> mid(std::size_t(map.columns));
    for (int by = 0; by < map.rows; ++by) {
        std::fill(mid.begin(), mid.end(), 0);
        const int y0 = by * kBlock;
        const int y1 = std::min(grey.height(), y0 + kBlock);
        for (int y = y0; y < y1; ++y) {
            const uchar* line = grey.constScanLine(y);
            for (int x = 0; x < grey.width(); ++x) {
                if (line[x] > kMidLow && line[x] < kMidHigh) ++mid[std::size_t(x / kBlock)];
            }
        }
        for (int bx = 0; bx < map.columns; ++bx) {
            const int x0 = bx * kBlock;
            const int pixels = (std::min(grey.width(), x0 + kBlock) - x0) * (y1 - y0);
            if (2 * mid[std::size_t(bx)] >= pixels)
                map.tone[std::size_t(by) * std::size_t(map.columns) + std::size_t(bx)] = 1;
        }
    }
    return map;
}

// Each tone block also makes its eight neighbours tone, so that the soft edge of a
// photograph is dithered with it.
ToneMap Widen(const ToneMap& map) {
    ToneMap wide = map;
    for (int by = 0; by < map.rows; ++by) {
        for (int bx = 0; bx < map.columns; ++bx) {
            if (!map.at(bx, by)) continue;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = bx + dx;
                    const int y = by + dy;
                    if (x < 0 || y < 0 || x >= map.columns || y >= map.rows) continue;
                    wide.tone[std::size_t(y) * std::size_t(map.columns) + std::size_t(x)] = 1;
                }
            }
        }
    }
    return wide;
}

}  // namespace

double ToneAreaShare(const QImage& grey) {
    const ToneMap map = MapTone(grey);
    if (map.tone.empty()) return 0;
    const auto tone = std::count(map.tone.begin(), map.tone.end(), 1);
    return double(tone) / double(map.tone.size());
}

FaxRows BinarizePage(const QImage& grey, ToneHandling handling) {
    const int w = std::min(grey.width(), kFaxRowBytes * 8);
    const int h = grey.height();
    const int offset = (kFaxRowBytes * 8 - w) / 2;
    FaxRows out;
    out.height = h;
    out.bits.assign(std::size_t(h) * kFaxRowBytes, 0);

    ToneMap map;
    bool anyTone = handling == ToneHandling::Dither;
    if (handling == ToneHandling::Auto) {
        map = MapTone(grey);
        anyTone = std::find(map.tone.begin(), map.tone.end(), 1) != map.tone.end();
        if (anyTone) map = Widen(map);
    }
    auto isTone = [&](int x, int y) {
        if (handling == ToneHandling::Dither) return true;
        return anyTone && map.at(x / kBlock, y / kBlock);
    };

    // Floyd-Steinberg error of this row and the next, one slot of slack at either end. Error
    // only flows between tone pixels: text beside a photograph is never speckled by it.
    std::vector<int> errors(std::size_t(2 * (w + 2)), 0);
    int* here = errors.data() + 1;
    int* below = errors.data() + w + 3;
    for (int y = 0; y < h; ++y) {
        const uchar* line = grey.constScanLine(y);
        std::uint8_t* row = out.bits.data() + std::size_t(y) * kFaxRowBytes;
        auto ink = [&](int x) {
            const int at = x + offset;
            row[at >> 3] |= std::uint8_t(0x80 >> (at & 7));
        };
        if (!anyTone) {
            for (int x = 0; x < w; ++x)
                if (line[x] < kCut) ink(x);
            continue;
        }
        std::fill(below - 1, below + w + 1, 0);
        for (int x = 0; x < w; ++x) {
            if (!isTone(x, y)) {
                if (line[x] < kCut) ink(x);
                continue;
            }
            const int value = line[x] + here[x] / 16;
            const int shown = value < kCut ? 0 : 255;
            if (shown == 0) ink(x);
            const int error = value - shown;
            here[x + 1] += error * 7;
            below[x - 1] += error * 3;
            below[x] += error * 5;
            below[x + 1] += error;
        }
        std::swap(here, below);
    }
    return out;
}

}  // namespace corvane
