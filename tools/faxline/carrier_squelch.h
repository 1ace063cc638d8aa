#pragma once
// The carrier detector in front of a modem's receivers. spandsp's detectors go by power
// alone, so loud line noise (above about -45 dBm0) holds their "carrier" on between
// signals: T.30 then never turns the line round, and garbage frames decoded from the noise
// keep a Class 1 modem from ever reporting its final frame. A hardware modem tells a fax
// signal from noise; this one does so by the shape of the block: every signal on a fax line
// (tones, V.21, the page modulations, speech) is band-limited and so correlated from sample
// to sample, while white noise is not. Blocks with a signal pass unchanged, noise and all;
// blocks of noise alone reach the receivers as silence.

#include <array>
#include <cstdint>

namespace corvane::faxline {

class CarrierSquelch {
  public:
    // Works on one block of audio in place.
    void Process(int16_t* amp, int len);
    bool open() const { return hangover_ > 0; }

  private:
    static constexpr int kLags = 4;
    std::array<int32_t, kLags> history_{};  // the last samples of the previous block
    int hangover_ = 0;
};

}  // namespace corvane::faxline
