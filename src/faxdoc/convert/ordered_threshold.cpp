#include "faxdoc/convert/ordered_threshold.h"

namespace corvane {

namespace {

constexpr std::uint16_t ComputeThreshold(int x, int y) {
    unsigned i = static_cast<unsigned>(x) % kThresholdMatrixSize;
    unsigned j = static_cast<unsigned>(y) % kThresholdMatrixSize;
    unsigned f = 0;
    for (int round = 0; round < 4; ++round) {
        f = (((i ^ j) & 1u) << 1) | (f << 1) | (j & 1u);
        i >>= 1;
        j >>= 1;
    }
    return static_cast<std::uint16_t>(10 * f);
}

constexpr ThresholdMatrix BuildMatrix() {
    ThresholdMatrix matrix{};
    for (int y = 0; y < kThresholdMatrixSize; ++y) {
        for (int x = 0; x < kThresholdMatrixSize; ++x) matrix[y][x] = ComputeThreshold(x, y);
    }
    return matrix;
}

constexpr ThresholdMatrix kMatrix = BuildMatrix();

}  // namespace

std::uint16_t OrderedThreshold(int x, int y) {
    return kMatrix[static_cast<unsigned>(y) % kThresholdMatrixSize]
                  [static_cast<unsigned>(x) % kThresholdMatrixSize];
}

const ThresholdMatrix& OrderedThresholdMatrix() {
    return kMatrix;
}

}  // namespace corvane
