// The squelch in front of the modems' receivers: fax signals pass with their noise, line noise
// alone is silenced, whatever its level.

#include "carrier_squelch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "line_party.h"
#include "spandsp_api.h"

namespace corvane::faxline {
namespace {

constexpr double kSignalDbm0 = -14;  // what spandsp's modems send
constexpr double kNoSignal = 1000;   // a noise level meaning "no noise"

int RandomBit(void*) {
    return std::rand() & 1;
}

using Source = std::function<void(int16_t* amp, int len)>;

struct SquelchCase {
    const char* name;
    std::function<Source()> make;  // the signal, or nullptr for none
    double noiseDbm0;
    // Every block passes (V.29 starts with a block of silence, which may not); otherwise every
    // block is silence.
    bool passes;
};

void PrintTo(const SquelchCase& c, std::ostream* os) {
    *os << c.name;
}

Source V21() {
    std::shared_ptr<fsk_tx_state_t> tx(
        fsk_tx_init(nullptr, &preset_fsk_specs[FSK_V21CH2], &RandomBit, nullptr), &fsk_tx_free);
    fsk_tx_power(tx.get(), kSignalDbm0);
    return [tx](int16_t* amp, int len) { fsk_tx(tx.get(), amp, len); };
}

Source V29() {
    std::shared_ptr<v29_tx_state_t> tx(v29_tx_init(nullptr, 9600, false, &RandomBit, nullptr),
                                       &v29_tx_free);
    v29_tx_power(tx.get(), kSignalDbm0);
    return [tx](int16_t* amp, int len) { v29_tx(tx.get(), amp, len); };
}

Source CallingTone() {
    // 1100 Hz at -14 dBm0 (0 dBm0 is an r.m.s. of 16131).
    auto n = std::make_shared<int64_t>(0);
    return [n](int16_t* amp, int len) {
        for (int i = 0; i < len; ++i, ++*n)
            amp[i] = static_cast<int16_t>(4542 * std::sin(2 * M_PI * 1100 * double(*n) / 8000));
    };
}

class CarrierSquelchTest : public ::testing::TestWithParam<SquelchCase> {};

TEST_P(CarrierSquelchTest, PassesSignalsAndSilencesNoise) {
    const SquelchCase& c = GetParam();
    std::srand(7);
    Source signal = c.make ? c.make() : Source{};
    awgn_state_t* noise =
        c.noiseDbm0 < kNoSignal ? awgn_init_dbm0(nullptr, 4321, c.noiseDbm0) : nullptr;
    CarrierSquelch squelch;
    int passed = 0;
    int silenced = 0;
    constexpr int kBlocks = 150;  // three seconds
    for (int b = 0; b < kBlocks; ++b) {
        std::vector<int16_t> amp(kBlockSamples, 0);
        if (signal) signal(amp.data(), kBlockSamples);
        if (noise)
            for (int16_t& s : amp)
                s = static_cast<int16_t>(std::clamp(s + awgn(noise), -32768, 32767));
        const std::vector<int16_t> before = amp;
        squelch.Process(amp.data(), kBlockSamples);
        if (amp == before) ++passed;
        bool silent = true;
        for (int16_t s : amp) silent = silent && s == 0;
        if (silent) ++silenced;
    }
    if (noise) awgn_free(noise);
    if (c.passes) {
        EXPECT_GE(passed, kBlocks - 1);
    } else {
        EXPECT_EQ(silenced, kBlocks);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, CarrierSquelchTest,
    ::testing::Values(SquelchCase{"v21_clean", V21, kNoSignal, true},
                      SquelchCase{"v21_under_noise_30", V21, -30, true},
                      SquelchCase{"v21_under_noise_as_loud", V21, -14, true},
                      SquelchCase{"v29_under_noise_30", V29, -30, true},
                      SquelchCase{"v29_under_noise_20", V29, -20, true},
                      SquelchCase{"calling_tone_under_noise_20", CallingTone, -20, true},
                      SquelchCase{"noise_50", nullptr, -50, false},
                      SquelchCase{"noise_30", nullptr, -30, false},
                      SquelchCase{"noise_10", nullptr, -10, false},
                      SquelchCase{"noise_0", nullptr, 0, false}),
    [](const ::testing::TestParamInfo<SquelchCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::faxline
