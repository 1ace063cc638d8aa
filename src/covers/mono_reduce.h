#pragma once
// Reduction of pictures to black and white for cover pages.

#include <QImage>

namespace corvane {

// Stucki error diffusion (divisor 42), rows scanned alternately left to right and right to
// left, first row left to right. A pixel becomes black when 77 R + 150 G + 29 B < 32513.
// Returns Format_Mono with colour 0 black and 1 white; a null image for a null input.
QImage ReduceToMonochrome(const QImage& image);

// Black where a pixel is darker than mid-grey; Format_Mono, 0 black, 1 white. For pages drawn
// in black and white, where no pixel is grey.
QImage ThresholdToMonochrome(const QImage& image);

}  // namespace corvane
