#pragma once

#include <string>

namespace corvane::faxline {

// Faults of real modems the first modem can be given (--personality NAME, repeatable). Each
// one is a behaviour hardware shows; tools/faxline/README.md says which modems do it.
struct Personality {
    // Class 1: OK as soon as the last V.21 frame's check sum is good, while the far end's
    // carrier still runs on; a +FRM/+FRH in that tail gives +FCERROR.
    bool early_ok = false;
    // Class 1: +FCERROR to the first N receive commands after each transmission (and after
    // the call starts), whatever the line carries.
    int fcerror_eager = 0;
    // Class 1: hardware flow control is ignored during page data; the modem paces the DTE
    // with XOFF/XON only, and bytes beyond its buffer are lost (ignores-cts, xonxoff-only).
    bool ignores_cts = false;
    // Class 1: the same, switched on silently by AT+FCLASS=1.
    bool fclass1_forces_xon = false;
    // Class 2: received pages reach the DTE with each byte's bits in the order opposite to
    // what +FBOR says (and the Class 2 default).
    bool class2_msb_first = false;
    // Class 2.0: the same against +FBO.
    bool fbo_inverted = false;
    // Class 2/2.0 receiving: only XON (DC1), not DC2, releases a page after +FDR's CONNECT.
    bool xon_only = false;
    // Class 2 sending: no XON after +FDT's CONNECT to say the modem is ready for data.
    bool no_xon_after_fdt = false;
    // Class 2/2.0 sending: the modem sends the DTE's page as it is, with no RTC of its own.
    bool no_rtc = false;
    // ... and ends it with bytes that are no RTC (broken EOLs) instead.
    bool garbage_rtc = false;

    bool class1_only() const {
        return early_ok || fcerror_eager > 0 || ignores_cts || fclass1_forces_xon;
    }
    bool class2_only() const {
        return class2_msb_first || fbo_inverted || no_rtc || garbage_rtc || xon_only ||
               no_xon_after_fdt;
    }
};

// Adds NAME or NAME:N to `p`. False with `error` set for an unknown name or a bad count.
bool AddPersonality(const std::string& spec, Personality& p, std::string& error);

// The names, for the usage text.
const char* PersonalityNames();

}  // namespace corvane::faxline
