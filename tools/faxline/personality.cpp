#include "personality.h"

#include <cstdlib>

namespace corvane::faxline {

const char* PersonalityNames() {
    return "early-ok, fcerror-eager[:N], ignores-cts, xonxoff-only, fclass1-forces-xon, "
           "class2-msb-first, fbo-inverted, no-rtc, garbage-rtc, xon-only, "
           "no-xon-after-fdt";
}

bool AddPersonality(const std::string& spec, Personality& p, std::string& error) {
    const size_t colon = spec.find(':');
    const std::string name = spec.substr(0, colon);
    int count = 1;
    if (colon != std::string::npos) {
        const std::string digits = spec.substr(colon + 1);
        char* end = nullptr;
        const long value = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || value < 1 || value > 9) {
            error = "bad count in --personality " + spec + " (1 to 9)";
            return false;
        }
        count = static_cast<int>(value);
    }
    if (name == "early-ok" && colon == std::string::npos) {
        p.earlyOk = true;
    } else if (name == "class2-msb-first" && colon == std::string::npos) {
        p.class2MsbFirst = true;
    } else if ((name == "ignores-cts" || name == "xonxoff-only") && colon == std::string::npos) {
        p.ignoresCts = true;
    } else if (name == "fclass1-forces-xon" && colon == std::string::npos) {
        p.fclass1ForcesXon = true;
    } else if (name == "xon-only" && colon == std::string::npos) {
        p.xonOnly = true;
    } else if (name == "no-xon-after-fdt" && colon == std::string::npos) {
        p.noXonAfterFdt = true;
    } else if (name == "garbage-rtc" && colon == std::string::npos) {
        p.garbageRtc = true;
    } else if (name == "no-rtc" && colon == std::string::npos) {
        p.noRtc = true;
    } else if (name == "fbo-inverted" && colon == std::string::npos) {
        p.fboInverted = true;
    } else if (name == "fcerror-eager") {
        p.fcerrorEager = count;
    } else {
        error = "unknown --personality " + spec + " (" + PersonalityNames() + ")";
        return false;
    }
    return true;
}

}  // namespace corvane::faxline
