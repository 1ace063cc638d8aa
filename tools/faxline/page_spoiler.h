#pragma once
// OutgoingPageSpoiler: damages one page that the calling fax machine sends, as a noisy line
// would, so that the receiving program should refuse it with RTN. The machine owns one per
// call; it hooks the bits between the machine's T.30 and its page modulator, and follows the
// frames to know which page is on the line: a page starts after the receiver's CFR (or its
// MCF/RTP to the page before), and a DCS means a training check comes next, not a page.
// The damage spoils every row of the page and leaves its EOLs, so that each row decodes to
// the wrong length: a copy-quality check that counts bad rows refuses the page.
// Only non-ECM pages are damaged; resends are damaged too until the page was refused `times`
// times, after which it goes clean and the fax can complete.

#include <cstddef>
#include <cstdint>
#include <deque>

#include "spandsp_api.h"

namespace corvane::faxline {

class OutgoingPageSpoiler {
  public:
    OutgoingPageSpoiler(int page, int times) : page_(page), times_(times) {}

    // Before each block of audio: routes the page modulator's bits through Spoil (again after
    // each change of modulator).
    void Hook(fax_state_t* fax);
    // Every frame of the call, as T.30's real-time frame handler sees it.
    void OnFrame(bool incoming, uint8_t fcf);

  private:
    static int GetBit(void* user);

    fax_state_t* fax_ = nullptr;
    int page_;
    int times_;
    int refused_ = 0;      // RTNs the receiver gave to that page
    int confirmed_ = 0;    // pages the receiver confirmed (MCF or RTP)
    bool pageTx_ = false;  // the next high-speed carrier is a page (not a training check)
    // The row read ahead (its codes and the EOL that ends it), as it goes on the line.
    static constexpr int kEolZeros = 11;
    static constexpr size_t kSpoiltBits = 4;
    std::deque<int> ahead_;
};

}  // namespace corvane::faxline
