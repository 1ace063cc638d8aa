#include "faxdoc/convert/netpbm_reader.h"

#include <cstring>

namespace corvane {

namespace {

// Bounds the memory a header can ask for; far beyond any fax page.
constexpr qint64 kMaxPixels = qint64(1) << 26;
constexpr int kMaxSide = 65535;
constexpr int kMaxMaxval = 65535;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Walks the file's bytes. Comments run from '#' to the end of the line and count as blank.
class Cursor {
  public:
    explicit Cursor(const QByteArray& bytes) : p_(bytes.constData()), end_(p_ + bytes.size()) {}

    bool atEnd() const { return p_ >= end_; }
    const char* position() const { return p_; }
    qint64 left() const { return end_ - p_; }
    void advance(qint64 count) { p_ += count; }

    void skipBlanksAndComments() {
        while (p_ < end_) {
            if (*p_ == '#') {
                while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
            } else if (IsBlank(*p_)) {
                ++p_;
            } else {
                return;
            }
        }
    }

    // An unsigned decimal number after blanks and comments; false when none is there or it
    // exceeds `limit`.
    bool readNumber(int limit, int& value) {
        skipBlanksAndComments();
        if (p_ >= end_ || *p_ < '0' || *p_ > '9') return false;
        qint64 v = 0;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
            v = v * 10 + (*p_ - '0');
            if (v > limit) return false;
            ++p_;
        }
        value = int(v);
        return true;
    }

    // The next plain PBM pixel: a '0' or '1', blanks and comments skipped, no separator needed.
    bool readBit(int& bit) {
        skipBlanksAndComments();
        if (p_ >= end_ || (*p_ != '0' && *p_ != '1')) return false;
        bit = *p_++ - '0';
        return true;
    }

  private:
    const char* p_;
    const char* end_;
};

Status Failure(const char* why) {
    return Status::Error(QString::fromLatin1(why));
}

uchar Scaled(int sample, int maxval) {
    return uchar((sample * 255 + maxval / 2) / maxval);
}

Result<QImage> ReadBitmap(Cursor& in, int width, int height, bool plain) {
    QImage image(width, height, QImage::Format_Mono);
    if (image.isNull()) return Failure("Not enough memory for the picture");
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        if (!plain) {
            if (in.left() < rowBytes) return Failure("Picture data cut short");
            std::memcpy(row, in.position(), size_t(rowBytes));
            in.advance(rowBytes);
            continue;
        }
        std::memset(row, 0, size_t(rowBytes));
        for (int x = 0; x < width; ++x) {
            int bit = 0;
            if (!in.readBit(bit)) {
                return Failure(in.atEnd() ? "Picture data cut short"
                                          : "Plain PBM data hold something other than 0 and 1");
            }
            if (bit) row[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return image;
}

// PGM (channels 1) and PPM (channels 3) samples, plain or raw.
Result<QImage> ReadSamples(Cursor& in, int width, int height, int maxval, int channels,
                           bool plain) {
    QImage image(width, height, channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull()) return Failure("Not enough memory for the picture");
    const int sampleBytes = maxval < 256 ? 1 : 2;
    int sample[3] = {0, 0, 0};
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                if (plain) {
                    if (!in.readNumber(kMaxMaxval, sample[c])) {
                        return Failure(in.atEnd() ? "Picture data cut short"
                                                  : "Damaged sample in the picture data");
                    }
                } else {
                    if (in.left() < sampleBytes) return Failure("Picture data cut short");
                    const auto* b = reinterpret_cast<const uchar*>(in.position());
                    sample[c] = sampleBytes == 1 ? b[0] : (b[0] << 8 | b[1]);
                    in.advance(sampleBytes);
                }
                if (sample[c] > maxval) return Failure("A sample exceeds the maxval");
            }
            if (channels == 1) {
                row[x] = Scaled(sample[0], maxval);
            } else {
                reinterpret_cast<QRgb*>(row)[x] =
                    qRgb(Scaled(sample[0], maxval), Scaled(sample[1], maxval),
                         Scaled(sample[2], maxval));
            }
        }
    }
    return image;
}

}  // namespace

bool LooksLikeNetpbm(const QByteArray& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6';
}

Result<QImage> DecodeNetpbm(const QByteArray& bytes) {
    if (!LooksLikeNetpbm(bytes)) return Failure("Not a PBM, PGM or PPM file");
    const int kind = bytes[1] - '0';
    const bool plain = kind <= 3;
    const bool bitmap = kind == 1 || kind == 4;
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    Cursor in(bytes);
    in.advance(2);
    int width = 0, height = 0, maxval = 1;
    if (!in.readNumber(kMaxSide, width) || !in.readNumber(kMaxSide, height) ||
        (!bitmap && !in.readNumber(kMaxMaxval, maxval)))
        return Failure("Damaged PBM, PGM or PPM header");
    if (width == 0 || height == 0 || maxval == 0) return Failure("Damaged PBM, PGM or PPM header");
    if (qint64(width) * height > kMaxPixels) return Failure("The picture is too large");
    if (!plain) {
        // Exactly one blank separates the header from raw data, which may start with any byte.
        if (in.atEnd() || !IsBlank(*in.position()))
            return Failure("Damaged PBM, PGM or PPM header");
        in.advance(1);
    }
    if (bitmap) return ReadBitmap(in, width, height, plain);
    return ReadSamples(in, width, height, maxval, channels, plain);
}

}  // namespace corvane
