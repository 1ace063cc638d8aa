#include "call_summary.h"

#include <cstdio>

namespace corvane::faxline {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string FormatSummary(const CallSummary& s) {
    char numbers[320];
    std::snprintf(numbers, sizeof numbers,
                  " pages=%d rate=%d resolution=%s sim_seconds=%.2f wall_seconds=%.2f"
                  " rows=%d bad_rows=%d rtn=%d rtp=%d underruns=%d overflows=%d calls=%d"
                  " t30_code=%d",
                  s.pages, s.rate, s.resolution.c_str(), s.simulatedSeconds, s.wallSeconds, s.rows,
                  s.badRows, s.rtn, s.rtp, s.underruns, s.overflows, s.calls, s.t30Code);
    return "FAXLINE-SUMMARY status=" + s.status + numbers + " remote_id=" + Quoted(s.remoteId) +
           " t30_text=" + Quoted(s.t30Text);
}

}  // namespace corvane::faxline
