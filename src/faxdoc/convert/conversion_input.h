#pragma once
// The conversion engine's view of an input: one source per conversion, opened once, asked for
// raster lines until it reports the end of a page, then asked whether more pages follow.

#include <QtGlobal>
#include <cstdint>

namespace corvane {

// Size of the raster line buffer a source fills; a line never extends beyond it.
inline constexpr int kRasterLineBufferSize = 4096;

// What a source learns about the conversion and may adjust while it opens.
struct ConversionContext {
    int width = 0;       // page width in pixels, 1728 or 2048
    int leftMargin = 0;  // white pixels in front of each coded line
    int topMargin = 0;   // blank lines at the top of each page
    bool highRes = false;
    // Requested options (TFaxCvtOptions bits); the source decides which of the image
    // options apply to its input and records that below.
    unsigned options = 0;
    bool doubleWidth = false;
    bool halfHeight = false;
    bool centerImage = false;
    int page = 0;
    int line = 0;  // within the page, counting every request
    qint64 bytesRead = 0;
    qint64 bytesToRead = 0;
};

class ConversionInput {
  public:
    enum class LineResult { Line, EndOfPage };

    virtual ~ConversionInput() = default;
    // Throws when the input cannot be used.
    virtual void Open(ConversionContext& context) = 0;
    // Fills `raster` (kRasterLineBufferSize bytes, cleared by the caller; bit 7 of byte 0 is
    // the leftmost pixel, 1 = black) with the next line of the current page.
    virtual LineResult ReadLine(ConversionContext& context, std::uint8_t* raster) = 0;
    virtual bool MorePages() const = 0;
    virtual void Close() = 0;
};

}  // namespace corvane
