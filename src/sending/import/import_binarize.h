#pragma once
// Black and white for imported pages. Text and lines are cut at mid grey so their edges stay
// sharp; continuous-tone areas (photographs, grey fills, gradients) are error-diffused so they
// stay recognisable. The choice is made per 8 x 8 block of the page from its pixels: a block
// where most pixels are neither near black nor near white is tone, and so is a block beside
// one. Text edges alone never make a block tone, so a page of text is thresholded whole.

#include <QImage>
#include <cstdint>
#include <vector>

namespace corvane {

inline constexpr int kFaxRowBytes = 1728 / 8;

// Rows of a fax page: kFaxRowBytes per row, bit 7 of byte 0 leftmost, 1 = black.
struct FaxRows {
    int height = 0;
    std::vector<std::uint8_t> bits;
    const std::uint8_t* row(int y) const { return bits.data() + std::size_t(y) * kFaxRowBytes; }
};

enum class ToneHandling {
    Auto,       // per block, as above
    Threshold,  // the whole page cut at mid grey
    Dither,     // the whole page error-diffused
};

// Share (0..1) of the page's blocks that hold continuous tone, before widening to neighbours.
double ToneAreaShare(const QImage& grey);

// `grey` is Format_Grayscale8 and at most 1728 pixels wide; it is centred across the page.
FaxRows BinarizePage(const QImage& grey, ToneHandling handling = ToneHandling::Auto);

}  // namespace corvane
