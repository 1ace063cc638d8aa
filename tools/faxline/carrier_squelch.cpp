#include "carrier_squelch.h"

#include <algorithm>

namespace corvane::faxline {
namespace {

// The weakest signal a modem takes for a carrier: -43 dBm0, the usual carrier detect level
// (0 dBm0 is an r.m.s. of 16131, spandsp's scale).
constexpr double kCarrierMeanSquare = 114.0 * 114.0;
// The sum of the squared normalised autocorrelations at lags 1 to 4. White noise in a block
// of 160 samples gives about 0.025; a V.21 signal about 1.7 and the page modulations well
// above 0.3, still above 0.15 under noise as loud as the signal.
constexpr double kCorrelatedAbove = 0.12;
// A detector does not drop on a quiet block or two: the end of a signal keeps it up 40 ms.
constexpr int kHangoverBlocks = 2;

}  // namespace

void CarrierSquelch::Process(int16_t* amp, int len) {
    // Samples indexed from -kLags: the tail of the previous block first.
    auto sample = [&](int i) -> double {
        return i >= 0 ? amp[i] : history_[static_cast<size_t>(kLags + i)];
    };
    double r0 = 0;
    std::array<double, kLags + 1> r{};
    for (int i = 0; i < len; ++i) {
        const double x = amp[i];
        r0 += x * x;
        for (int k = 1; k <= kLags; ++k) r[k] += x * sample(i - k);
    }
    double correlation = 0;
    if (r0 > 0)
        for (int k = 1; k <= kLags; ++k) correlation += (r[k] / r0) * (r[k] / r0);
    const bool signal =
        len > 0 && r0 / len >= kCarrierMeanSquare && correlation >= kCorrelatedAbove;
    for (int k = 0; k < kLags; ++k) {
        const int i = len - kLags + k;
        history_[static_cast<size_t>(k)] = i >= 0 ? amp[i] : 0;
    }
    if (signal)
        hangover_ = kHangoverBlocks + 1;
    else if (hangover_ > 0)
        --hangover_;
    if (hangover_ == 0) std::fill(amp, amp + len, 0);
}

}  // namespace corvane::faxline
