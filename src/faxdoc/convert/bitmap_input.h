#pragma once
// Conversion input over one in-memory picture: one page, one raster line per picture row.
// One-bit pictures are copied row by row; pictures with more bits per pixel are reduced to
// black and white with the ordered threshold.

#include <QImage>
#include <vector>

#include "faxdoc/convert/conversion_input.h"

namespace corvane {

class BitmapInput : public ConversionInput {
  public:
    // Keeps its own copy of `image`, which must not be null.
    explicit BitmapInput(const QImage& image);

    void Open(ConversionContext& context) override;
    LineResult ReadLine(ConversionContext& context, std::uint8_t* raster) override;
    bool MorePages() const override { return false; }
    void Close() override {}

  private:
    void FetchMonoRows();
    void ThresholdRow(int y, std::uint8_t* out) const;
    void PlaceRow(const ConversionContext& context, const std::uint8_t* ink,
                  std::uint8_t* raster) const;

    QImage image_;
    bool oneBit_ = false;
    int rowBytes_ = 0;  // bytes holding the pixels of a row
    int stride_ = 0;    // bytes per row of the picture as stored (progress counts)
    int centerOffset_ = 0;
    int nextRow_ = 0;
    std::vector<std::uint8_t> monoRows_;      // all rows, ink = 1, rowBytes_ each
    mutable std::vector<std::uint8_t> work_;  // one thresholded row
};

}  // namespace corvane
