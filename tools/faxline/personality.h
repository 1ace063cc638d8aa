#pragma once
// Faults of real modems the first modem can be given (--personality NAME, repeatable). Each
// one is a behaviour hardware shows; tools/faxline/README.md says which modems do it.

#include <string>

namespace corvane::faxline {

struct Personality {
    // Class 1: OK as soon as the last V.21 frame's check sum is good, while the far end's
    // carrier still runs on; a +FRM/+FRH in that tail gives +FCERROR.
    bool earlyOk = false;
    // Class 1: +FCERROR to the first N receive commands after each transmission (and after
    // the call starts), whatever the line carries.
    int fcerrorEager = 0;
    // Class 1: hardware flow control is ignored during page data; the modem paces the DTE
    // with XOFF/XON only, and bytes beyond its buffer are lost (ignores-cts, xonxoff-only).
    bool ignoresCts = false;
    // Class 1: the same, switched on silently by AT+FCLASS=1.
    bool fclass1ForcesXon = false;
    // Class 2: received pages reach the DTE with each byte's bits in the order opposite to
    // what +FBOR says (and the Class 2 default).
    bool class2MsbFirst = false;
    // Class 2.0: the same against +FBO.
    bool fboInverted = false;
    // Class 2/2.0 receiving: only XON (DC1), not DC2, releases a page after +FDR's CONNECT.
    bool xonOnly = false;
    // Class 2 sending: no XON after +FDT's CONNECT to say the modem is ready for data.
    bool noXonAfterFdt = false;
    // Class 2/2.0 sending: the modem sends the DTE's page as it is, with no RTC of its own.
    bool noRtc = false;
    // ... and ends it with bytes that are no RTC (broken EOLs) instead.
    bool garbageRtc = false;

    bool class1Only() const {
        return earlyOk || fcerrorEager > 0 || ignoresCts || fclass1ForcesXon;
    }
    bool class2Only() const {
        return class2MsbFirst || fboInverted || noRtc || garbageRtc || xonOnly || noXonAfterFdt;
    }
};

// Adds NAME or NAME:N to `p`. False with `error` set for an unknown name or a bad count.
bool AddPersonality(const std::string& spec, Personality& p, std::string& error);

// The names, for the usage text.
const char* PersonalityNames();

}  // namespace corvane::faxline
