#include "covers/mono_reduce.h"

#include <algorithm>
#include <vector>

#include "faxdoc/mono_bitmap.h"

namespace corvane {

namespace {

constexpr int kBlackBelow = 32513;
constexpr int kWhiteLevel = 255 * 256;
constexpr int kStuckiDivisor = 42;
// Weights of the row being scanned (two pixels ahead) and of the next two rows (dx -2..2).
constexpr int kAhead[2] = {8, 4};
constexpr int kBelow[2][5] = {{2, 4, 8, 4, 2}, {1, 2, 4, 2, 1}};

QImage NewMonoPage(int width, int height) {
    QImage out(width, height, QImage::Format_Mono);
    out.setColorTable(PageColorTable());
    out.setDotsPerMeterX(3780);
    out.setDotsPerMeterY(3780);
    return out;
}

inline void SetPixel(QImage& out, uchar* row, int x, bool black) {
    Q_UNUSED(out);
    const uchar mask = static_cast<uchar>(0x80 >> (x & 7));
    // Colour index 1 is white.
    if (black)
        row[x >> 3] &= static_cast<uchar>(~mask);
    else
        row[x >> 3] |= mask;
}

}  // namespace

QImage ReduceToMonochrome(const QImage& image) {
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    QImage out = NewMonoPage(w, h);
    // Three rows of accumulated error, with two pixels of slack at each side.
    const int span = w + 4;
    std::vector<int> err(static_cast<size_t>(3 * span), 0);
    for (int y = 0; y < h; ++y) {
        int* cur = &err[static_cast<size_t>((y % 3) * span) + 2];
        int* next1 = &err[static_cast<size_t>(((y + 1) % 3) * span) + 2];
        int* next2 = &err[static_cast<size_t>(((y + 2) % 3) * span) + 2];
        std::fill(next2 - 2, next2 - 2 + span, 0);
        const QRgb* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dst = out.scanLine(y);
        const bool leftToRight = (y % 2) == 0;
        const int dir = leftToRight ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = leftToRight ? i : w - 1 - i;
            const QRgb c = src[x];
            const int value = 77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c) + cur[x];
            const bool black = value < kBlackBelow;
            SetPixel(out, dst, x, black);
            const int e = value - (black ? 0 : kWhiteLevel);
            cur[x + dir] += e * kAhead[0] / kStuckiDivisor;
            cur[x + 2 * dir] += e * kAhead[1] / kStuckiDivisor;
            for (int dx = -2; dx <= 2; ++dx) {
                next1[x + dx * dir] += e * kBelow[0][dx + 2] / kStuckiDivisor;
                next2[x + dx * dir] += e * kBelow[1][dx + 2] / kStuckiDivisor;
            }
        }
    }
    return out;
}

QImage ThresholdToMonochrome(const QImage& image) {
    if (image.isNull()) return {};
    const QImage gray = image.format() == QImage::Format_Grayscale8
                            ? image
                            : image.convertToFormat(QImage::Format_Grayscale8);
    const int w = gray.width();
    const int h = gray.height();
    QImage out = NewMonoPage(w, h);
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    for (int y = 0; y < h; ++y) {
        const uchar* src = gray.constScanLine(y);
        uchar* dst = out.scanLine(y);
        for (int xb = 0; xb < (w + 7) / 8; ++xb) {
            uchar bits = 0;
            const int end = std::min(8, w - xb * 8);
            for (int b = 0; b < end; ++b) {
                if (src[xb * 8 + b] >= 128) bits |= static_cast<uchar>(0x80 >> b);
            }
            dst[xb] = bits;
        }
    }
    return out;
}

}  // namespace corvane
