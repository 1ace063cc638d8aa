#include "viewing/logic/mono_rotate.h"

#include <cstring>

namespace corvane {

namespace {

inline bool pixel(const uchar* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void setPixel(uchar* row, int x) {
    row[x >> 3] |= uchar(0x80 >> (x & 7));
}

// All colour 0; the turn copies the set bits across.
QImage blankLike(const QImage& source, int width, int height) {
    QImage out(width, height, QImage::Format_Mono);
    out.setColorTable(source.colorTable());
    out.fill(0);
    return out;
}

}  // namespace

QImage RotateMonoImage(const QImage& source, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    if (source.isNull() || turns == 0) return source;
    const QImage image = source.format() == QImage::Format_Mono
                             ? source
                             : source.convertToFormat(QImage::Format_Mono);
    const int w = image.width();
    const int h = image.height();
    QImage out;
    if (turns == 2) {
        out = blankLike(image, w, h);
        for (int y = 0; y < h; ++y) {
            const uchar* in = image.constScanLine(y);
            uchar* dst = out.scanLine(h - 1 - y);
            for (int x = 0; x < w; ++x)
                if (pixel(in, x)) setPixel(dst, w - 1 - x);
        }
        out.setDotsPerMeterX(image.dotsPerMeterX());
        out.setDotsPerMeterY(image.dotsPerMeterY());
        return out;
    }
    out = blankLike(image, h, w);
    uchar* base = out.bits();
    const qsizetype stride = out.bytesPerLine();
    // Clockwise: source (x, y) goes to (h - 1 - y, x); counter-clockwise to (y, w - 1 - x).
    for (int y = 0; y < h; ++y) {
        const uchar* in = image.constScanLine(y);
        const int targetX = turns == 1 ? h - 1 - y : y;
        for (int x = 0; x < w; ++x) {
            if (!pixel(in, x)) continue;
            setPixel(base + stride * (turns == 1 ? x : w - 1 - x), targetX);
        }
    }
    out.setDotsPerMeterX(image.dotsPerMeterY());
    out.setDotsPerMeterY(image.dotsPerMeterX());
    return out;
}

}  // namespace corvane
