#include "faxdoc/mono_bitmap.h"

#include <algorithm>
#include <cstring>

#include "core/fax_errors.h"
#include "faxdoc/file_error_throwers.h"

namespace corvane {

namespace {

// Upper bound for a stretched page: 64 Mpixel (8 MB at one bit per pixel).
constexpr qint64 kMaxStretchPixels = qint64(1) << 26;
constexpr int kMaxImageSide = 32767;

}  // namespace

QVector<QRgb> PageColorTable() {
    return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

void MonoBitmapBuilder::line(const uchar* data, int bytes) {
    if (rows_ >= kMaxBitmapRows) return;
    if (size_t(rows_ + 1) * kStride > rowData_.size())
        rowData_.resize(rowData_.size() + size_t(kGrowRows) * kStride);
    uchar* row = rowData_.data() + size_t(rows_) * kStride;
    bytes = std::min(bytes, kStride);
    if (bytes > 0) std::memcpy(row, data, bytes);
    std::memset(row + bytes, 0xFF, kStride - bytes);
    int extent = bytes;
    while (extent > 0 && row[extent - 1] == 0xFF) --extent;
    widestExtent_ = std::max(widestExtent_, extent);
    ++rows_;
}

QImage MonoBitmapBuilder::toImage(int minimumRowBytes) const {
    if (rows_ == 0) return QImage();
    int rowBytes = std::max(widestExtent_, minimumRowBytes);
    rowBytes = std::min(kStride, (rowBytes + 1) & ~1);
    QImage image(rowBytes * 8, rows_, QImage::Format_Mono);
    if (image.isNull()) throw EFaxError(ecCantMakeBitmap);
    image.setColorTable(PageColorTable());
    for (int y = 0; y < rows_; ++y)
        std::memcpy(image.scanLine(y), rowData_.data() + size_t(y) * kStride, rowBytes);
    return image;
}

QImage StretchMonoImage(const QImage& source, qint64 width, qint64 height) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxStretchPixels)
        throw EFaxError(ecCantMakeBitmap);
    const QImage mono = source.format() == QImage::Format_Mono
                            ? source
                            : source.convertToFormat(QImage::Format_Mono);
    QImage target(int(width), int(height), QImage::Format_Mono);
    if (target.isNull() || mono.isNull()) throw EFaxError(ecCantMakeBitmap);
    target.setColorTable(mono.colorTable());
    target.setDotsPerMeterX(int(mono.dotsPerMeterX() * width / std::max(1, mono.width())));
    target.setDotsPerMeterY(int(mono.dotsPerMeterY() * height / std::max(1, mono.height())));
    std::vector<int> sourceX(width);
    for (qint64 x = 0; x < width; ++x) sourceX[x] = int(x * mono.width() / width);
    const uchar* previousSource = nullptr;
    for (qint64 y = 0; y < height; ++y) {
        const uchar* in = mono.constScanLine(int(y * mono.height() / height));
        uchar* out = target.scanLine(int(y));
        if (in == previousSource) {
            std::memcpy(out, target.constScanLine(int(y - 1)), target.bytesPerLine());
            continue;
        }
        previousSource = in;
        std::memset(out, 0, target.bytesPerLine());
        for (qint64 x = 0; x < width; ++x)
            if (in[sourceX[x] >> 3] & (0x80 >> (sourceX[x] & 7))) out[x >> 3] |= 0x80 >> (x & 7);
    }
    return target;
}

}  // namespace corvane
