#include "viewing/logic/mono_shrink.h"

#include <array>
#include <vector>

namespace corvane {

namespace {

// Factors across whose pixel groups never straddle a byte.
bool factorFitsBytes(int factor) {
    return factor == 1 || factor == 2 || factor == 4 || factor == 8;
}

QRgb blend(QRgb ink, QRgb paper, int inkCount, int total) {
    auto mix = [&](int a, int b) {
        return (a * inkCount + b * (total - inkCount) + total / 2) / total;
    };
    return qRgb(mix(qRed(ink), qRed(paper)), mix(qGreen(ink), qGreen(paper)),
                mix(qBlue(ink), qBlue(paper)));
}

}  // namespace

bool CanShrinkMonoPage(const QImage& page, const QSize& size) {
    if (page.format() != QImage::Format_Mono || size.isEmpty()) return false;
    if (page.width() % size.width() || page.height() % size.height()) return false;
    const int fx = page.width() / size.width(), fy = page.height() / size.height();
    return factorFitsBytes(fx) && fy >= 1 && fy <= 8 && fx * fy > 1;
}

QImage ShrinkMonoPage(const QImage& page, const QSize& size, QRgb ink, QRgb paper) {
    const int fx = page.width() / size.width(), fy = page.height() / size.height();
    const int groupsPerByte = 8 / fx;
    const int total = fx * fy;
    // Colour index 0 is ink; a set bit is paper. Ink count of each group of a byte, first
    // group in the highest bits (the leftmost pixels).
    std::array<std::array<uint8_t, 8>, 256> inkInGroup{};
    for (int byte = 0; byte < 256; ++byte)
        for (int g = 0; g < groupsPerByte; ++g)
            for (int b = 0; b < fx; ++b)
                if (!(byte & (0x80 >> (g * fx + b)))) ++inkInGroup[size_t(byte)][size_t(g)];
    std::vector<QRgb> colours(size_t(total) + 1);
    for (int n = 0; n <= total; ++n) colours[size_t(n)] = blend(ink, paper, n, total);

    QImage shown(size, QImage::Format_RGB32);
    std::vector<int> counts(size_t(size.width()));
    const int fullBytes = page.width() / 8;
    for (int y = 0; y < size.height(); ++y) {
        std::fill(counts.begin(), counts.end(), 0);
        for (int r = 0; r < fy; ++r) {
            const uchar* row = page.constScanLine(y * fy + r);
            int x = 0;
            for (int i = 0; i < fullBytes; ++i)
                for (int g = 0; g < groupsPerByte; ++g)
                    counts[size_t(x++)] += inkInGroup[row[i]][size_t(g)];
            // A width that is not a whole number of bytes ends in a part byte.
            for (int px = fullBytes * 8; px < page.width(); px += fx) {
                int n = 0;
                for (int b = 0; b < fx; ++b) {
                    const int at = px + b;
                    if (!(row[at / 8] & (0x80 >> (at % 8)))) ++n;
                }
                counts[size_t(x++)] += n;
            }
        }
        auto* out = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < size.width(); ++x) out[x] = colours[size_t(counts[size_t(x)])];
    }
    return shown;
}

}  // namespace corvane
