#include "faxdoc/convert/bitmap_input.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

#include "faxdoc/convert/fax_converter.h"
#include "faxdoc/convert/ordered_threshold.h"

namespace corvane {

namespace {

// Each bit of a byte twice, for double-width lines.
constexpr std::array<std::uint16_t, 256> BuildDoublingTable() {
    std::array<std::uint16_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        std::uint16_t wide = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (b & (1 << bit)) wide |= static_cast<std::uint16_t>(3u << (2 * bit));
        }
        table[static_cast<size_t>(b)] = wide;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kDoubled = BuildDoublingTable();

bool IsDark(QRgb colour) {
    return qRed(colour) + qGreen(colour) + qBlue(colour) < 3 * 128;
}

}  // namespace

BitmapInput::BitmapInput(const QImage& image) : image_(image) {}

void BitmapInput::Open(ConversionContext& context) {
    oneBit_ = image_.depth() == 1;
    if (oneBit_) {
        if (image_.format() != QImage::Format_Mono)
            image_ = image_.convertToFormat(QImage::Format_Mono);
    } else if (image_.hasAlphaChannel()) {
        // Transparent parts of a picture are paper, not the black their colour values hold.
        QImage flat(image_.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image_);
        painter.end();
        image_ = flat;
    } else if (image_.format() != QImage::Format_RGB32) {
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    }

    const int w = image_.width();
    const int h = image_.height();
    rowBytes_ = (w + 7) / 8;
    stride_ = static_cast<int>(image_.bytesPerLine());
    context.bytesToRead = static_cast<qint64>(stride_) * h;

    const int W = context.width;
    const int M = context.leftMargin;
    context.doubleWidth =
        (context.options & coDoubleWidth) && !context.highRes && W - 2 * M >= 2 * w;
    context.halfHeight =
        (context.options & coHalfHeight) && !context.highRes && !context.doubleWidth;
    context.centerImage = (context.options & coCenterImage) != 0;
    centerOffset_ = 0;
    if (context.centerImage) {
        centerOffset_ = context.doubleWidth ? std::max(0, (W - 2 * (w + M)) / 32)
                                            : std::max(0, (W - w - M) / 16);
    }
    nextRow_ = 0;
    if (oneBit_) {
        FetchMonoRows();
    } else {
        work_.assign(static_cast<size_t>(rowBytes_), 0);
    }
}

void BitmapInput::FetchMonoRows() {
    // Which palette entry is ink. A picture without a palette follows the bitmap convention
    // of Qt and Windows alike: bit set = foreground = black.
    const QList<QRgb> palette = image_.colorTable();
    const bool inkIsOne = palette.size() >= 2 ? IsDark(palette[1]) : true;
    const bool inkIsZero = palette.size() >= 2 ? IsDark(palette[0]) : false;
    const int w = image_.width();
    const int h = image_.height();
    // Bits beyond the picture's width in its last byte are not pixels; they stay white.
    const int usedBits = w % 8;
    const std::uint8_t lastMask =
        usedBits == 0 ? 0xFF : static_cast<std::uint8_t>(0xFF << (8 - usedBits));

    monoRows_.assign(static_cast<size_t>(rowBytes_) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* source = image_.constScanLine(y);
        std::uint8_t* out = monoRows_.data() + static_cast<size_t>(y) * rowBytes_;
        for (int i = 0; i < rowBytes_; ++i) {
            const std::uint8_t bits = source[i];
            std::uint8_t ink = 0;
            if (inkIsOne && inkIsZero) {
                ink = 0xFF;
            } else if (inkIsOne) {
                ink = bits;
            } else if (inkIsZero) {
                ink = static_cast<std::uint8_t>(~bits);
            }
            out[i] = ink;
        }
        if (rowBytes_ > 0) out[rowBytes_ - 1] &= lastMask;
    }
}

void BitmapInput::ThresholdRow(int y, std::uint8_t* out) const {
    const auto* pixels = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    const auto& thresholds =
        OrderedThresholdMatrix()[static_cast<size_t>(y % kThresholdMatrixSize)];
    std::memset(out, 0, static_cast<size_t>(rowBytes_));
    for (int x = 0; x < image_.width(); ++x) {
        const QRgb p = pixels[x];
        const int sum = qRed(p) + qGreen(p) + qBlue(p);
        // The matrix has a cell of 0, where "darker than" alone never holds: pure black is
        // black in every cell.
        if (sum < thresholds[static_cast<size_t>(x % kThresholdMatrixSize)] || sum == 0) {
            out[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
}

void BitmapInput::PlaceRow(const ConversionContext& context, const std::uint8_t* ink,
                           std::uint8_t* raster) const {
    const int room = kRasterLineBufferSize - centerOffset_;
    std::uint8_t* target = raster + centerOffset_;
    if (!context.doubleWidth) {
        std::memcpy(target, ink, static_cast<size_t>(std::min(rowBytes_, room)));
        return;
    }
    for (int i = 0; i < rowBytes_ && 2 * i + 1 < room; ++i) {
        const std::uint16_t wide = kDoubled[ink[i]];
        target[2 * i] = static_cast<std::uint8_t>(wide >> 8);
        target[2 * i + 1] = static_cast<std::uint8_t>(wide);
    }
}

ConversionInput::LineResult BitmapInput::ReadLine(ConversionContext& context,
                                                  std::uint8_t* raster) {
    if (nextRow_ >= image_.height()) return LineResult::EndOfPage;
    const std::uint8_t* ink = nullptr;
    if (oneBit_) {
        ink = monoRows_.data() + static_cast<size_t>(nextRow_) * rowBytes_;
    } else {
        ThresholdRow(nextRow_, work_.data());
        ink = work_.data();
    }
    PlaceRow(context, ink, raster);
    ++nextRow_;
    context.bytesRead += stride_;
    return LineResult::Line;
}

}  // namespace corvane
