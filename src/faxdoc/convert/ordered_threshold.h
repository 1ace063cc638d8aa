#pragma once
// The 32 x 32 ordered threshold the converter uses for bitmaps with colour: a pixel at (x, y)
// is black when R + G + B < OrderedThreshold(x, y), and pure black (sum 0) is black everywhere,
// the cell of value 0 included.

#include <array>
#include <cstdint>

namespace corvane {

inline constexpr int kThresholdMatrixSize = 32;

// 10 x f(x mod 32, y mod 32), where f folds four bit pairs of the coordinates together.
// Values run from 0 to 310, so only darker colours turn into dots; mid grey stays white.
std::uint16_t OrderedThreshold(int x, int y);

using ThresholdMatrix =
    std::array<std::array<std::uint16_t, kThresholdMatrixSize>, kThresholdMatrixSize>;
// Rows by y, columns by x.
const ThresholdMatrix& OrderedThresholdMatrix();

}  // namespace corvane
