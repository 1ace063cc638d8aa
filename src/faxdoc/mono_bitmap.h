#pragma once
// One-bit page bitmaps: collecting decoded rows into a QImage and stretching it.
//
// Bitmaps are QImage::Format_Mono with colour 0 black and colour 1 white, so a row's bits
// are the decoded raster inverted (ink = 0), as bitmap targets receive them.

#include <QByteArray>
#include <QImage>
#include <vector>

#include "faxdoc/line_handoff.h"

namespace corvane {

// Rows taller pages would need are dropped: the image formats written from these bitmaps
// hold heights in 16 bits, and it bounds the memory a damaged page can claim.
inline constexpr int kMaxBitmapRows = 65535;

class MonoBitmapBuilder : public UnpackedLineConsumer {
  public:
    void line(const uchar* data, int bytes) override;
    int rows() const { return rows_; }
    // The page as an image (0 x 0 without rows); the row width is the widest extent of ink
    // or `minimumRowBytes` (216, 256 for wide pages), rounded up to an even byte count.
    // Throws EFaxError(ecCantMakeBitmap).
    QImage toImage(int minimumRowBytes) const;

  private:
    static constexpr int kStride = 256;
    static constexpr int kGrowRows = 1024;

    std::vector<uchar> rowData_;
    int rows_ = 0;
    int widestExtent_ = 0;
};

// Nearest-pixel stretch of a Format_Mono image to width x height. Throws
// EFaxError(ecCantMakeBitmap) for an empty or unreasonably large target.
QImage StretchMonoImage(const QImage& source, qint64 width, qint64 height);

// The Format_Mono colour table used for pages: 0 black, 1 white.
QVector<QRgb> PageColorTable();

}  // namespace corvane
