#pragma once
// The outcome of the call as the far end saw it, printed as one machine-readable line.

#include <string>

namespace corvane::faxline {

struct CallSummary {
    std::string status = "not-called";  // ok, failed, busy, no-answer, dropped, not-called
    int t30Code = -1;                   // spandsp completion code, -1 when T.30 never ran
    std::string t30Text;
    int pages = 0;
    int rate = 0;
    std::string resolution = "none";  // standard, fine, superfine, none
    std::string remoteId;
    double simulatedSeconds = 0;
    double wallSeconds = 0;
    int rows = -1;      // rows the fax machine received in all pages (-1: it sent)
    int badRows = 0;    // of which it could not decode
    int rtn = 0;        // pages answered with RTN (retrain negative: send again)
    int rtp = 0;        // pages answered with RTP (kept, retrain positive)
    int underruns = 0;  // page data under-runs at the modems
    int overflows = 0;  // page data lost to a full modem buffer
    int calls = 1;      // calls made in the run (--calls)
};

// "FAXLINE-SUMMARY status=ok pages=2 ..." with quoted strings escaped.
std::string FormatSummary(const CallSummary& summary);

}  // namespace corvane::faxline
