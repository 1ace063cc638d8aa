#include "faxdoc/bmp_file.h"

#include <QFile>
#include <cstring>

#include "core/little_endian.h"

namespace corvane {

namespace {

// BITMAPFILEHEADER (14 bytes) + BITMAPINFOHEADER (40 bytes) + two RGBQUAD palette entries.
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kCoreHeaderSize = 12;  // the old OS/2 BITMAPCOREHEADER
constexpr int kMonoPixelOffset = kFileHeaderSize + kInfoHeaderSize + 2 * 4;
constexpr quint32 kBiRgb = 0;
// Larger images are refused: far beyond any fax page, and it bounds the memory a hostile
// header can ask for.
constexpr qint64 kMaxPixels = qint64(32768) * 32768;

int strideOf(int width) {
    return ((width + 31) / 32) * 4;
}

// Per pixel index of a mono image: is it black in the written file?
QImage toBlackOnWhiteMono(const QImage& image) {
    if (image.format() == QImage::Format_Mono && image.colorCount() == 2 &&
        image.color(0) == qRgb(0, 0, 0) && image.color(1) == qRgb(255, 255, 255))
        return image;
    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    QImage mono(gray.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setDotsPerMeterX(image.dotsPerMeterX());
    mono.setDotsPerMeterY(image.dotsPerMeterY());
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* in = gray.constScanLine(y);
        uchar* out = mono.scanLine(y);
        std::memset(out, 0, mono.bytesPerLine());
        for (int x = 0; x < gray.width(); ++x)
            if (in[x] >= 128) out[x >> 3] |= 0x80 >> (x & 7);
    }
    return mono;
}

}  // namespace

QByteArray EncodeMonoBmp(const QImage& image) {
    if (image.isNull()) return {};
    const QImage mono = toBlackOnWhiteMono(image);
    const int width = mono.width();
    const int height = mono.height();
    const int stride = strideOf(width);
    const qint64 imageBytes = qint64(stride) * height;
    QByteArray out(kMonoPixelOffset + imageBytes, '\0');
    char* b = out.data();
    b[0] = 'B';
    b[1] = 'M';
    WriteLe32(b + 2, static_cast<quint32>(out.size()));
    WriteLe32(b + 10, kMonoPixelOffset);
    char* info = b + kFileHeaderSize;
    WriteLe32(info, kInfoHeaderSize);
    WriteLe32(info + 4, static_cast<std::uint32_t>(width));
    WriteLe32(info + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    WriteLe16(info + 12, 1);                                  // planes
    WriteLe16(info + 14, 1);                                  // bits per pixel
    WriteLe32(info + 16, kBiRgb);
    WriteLe32(info + 20, static_cast<quint32>(imageBytes));
    WriteLe32(info + 24, static_cast<std::uint32_t>(mono.dotsPerMeterX()));
    WriteLe32(info + 28, static_cast<std::uint32_t>(mono.dotsPerMeterY()));
    WriteLe32(info + 32, 2);  // colours used
    WriteLe32(info + 36, 2);  // colours important
    char* palette = info + kInfoHeaderSize;
    std::memset(palette + 4, 0xFF, 3);  // entry 0 black (already zero), entry 1 white
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        char* row = b + kMonoPixelOffset + qint64(height - 1 - y) * stride;
        std::memcpy(row, mono.constScanLine(y), rowBytes);
        // Pixels past the width are written white, as most readers expect.
        if (width % 8) row[rowBytes - 1] |= static_cast<char>(0xFF >> (width % 8));
    }
    return out;
}

Status WriteMonoBmp(const QImage& image, const QString& path) {
    const QByteArray bytes = EncodeMonoBmp(image);
    if (bytes.isEmpty()) return Status::Error(QStringLiteral("Empty image"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.close();
        file.remove();
        return Status::Error(path + ": " + why);
    }
    return Status::Ok();
}

Result<QImage> DecodeBmp(const QByteArray& bytes) {
    auto fail = [](const char* why) { return Status::Error(QString::fromLatin1(why)); };
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < kFileHeaderSize + kCoreHeaderSize || b[0] != 'B' || b[1] != 'M')
        return fail("Not a BMP file");
    const quint32 pixelOffset = ReadLe32(b + 10);
    const quint32 headerSize = ReadLe32(b + kFileHeaderSize);
    if (headerSize < kCoreHeaderSize || kFileHeaderSize + qint64(headerSize) > size)
        return fail("Damaged BMP header");
    const uchar* info = b + kFileHeaderSize;
    qint64 width, height;
    int bitCount;
    quint32 compression = kBiRgb;
    quint32 coloursUsed = 0;
    int paletteEntrySize = 4;
    int dpmX = 0, dpmY = 0;
    if (headerSize == kCoreHeaderSize) {
        width = ReadLe16(info + 4);
        height = ReadLeS16(info + 6);
        bitCount = ReadLe16(info + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 16) return fail("Damaged BMP header");
        width = ReadLeS32(info + 4);
        height = ReadLeS32(info + 8);
        bitCount = ReadLe16(info + 14);
        if (headerSize >= 20) compression = ReadLe32(info + 16);
        if (headerSize >= 32) {
            dpmX = ReadLeS32(info + 24);
            dpmY = ReadLeS32(info + 28);
        }
        if (headerSize >= 36) coloursUsed = ReadLe32(info + 32);
    }
    if (bitCount != 1 || compression != kBiRgb) {
        QImage other = QImage::fromData(bytes, "BMP");
        if (other.isNull()) return fail("Unsupported BMP file");
        return other;
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels)
        return fail("Unsupported BMP size");
    const qint64 stride = strideOf(static_cast<int>(width));
    const qint64 paletteStart = kFileHeaderSize + qint64(headerSize);
    const int entries = (coloursUsed >= 1 && coloursUsed <= 2) ? int(coloursUsed) : 2;
    if (paletteStart + entries * paletteEntrySize > size) return fail("Damaged BMP palette");
    if (qint64(pixelOffset) + stride * height > size) return fail("BMP pixel data cut short");
    QVector<QRgb> colours(2, qRgb(255, 255, 255));
    for (int i = 0; i < entries; ++i) {
        const uchar* e = b + paletteStart + i * paletteEntrySize;
        colours[i] = qRgb(e[2], e[1], e[0]);
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_Mono);
    if (image.isNull()) return fail("Not enough memory for the BMP image");
    image.setColorTable(colours);
    if (dpmX > 0) image.setDotsPerMeterX(dpmX);
    if (dpmY > 0) image.setDotsPerMeterY(dpmY);
    const int rowBytes = static_cast<int>((width + 7) / 8);
    for (qint64 y = 0; y < height; ++y) {
        const qint64 fileRow = topDown ? y : height - 1 - y;
        std::memcpy(image.scanLine(static_cast<int>(y)), b + pixelOffset + fileRow * stride,
                    rowBytes);
    }
    return image;
}

Result<QImage> ReadBmpFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::Error(path + ": " + file.errorString());
    return DecodeBmp(file.readAll());
}

}  // namespace corvane
