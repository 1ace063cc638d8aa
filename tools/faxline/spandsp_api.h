#pragma once
// The simulated modems look into spandsp's T.31 and modem state (buffer fill, current
// modulation, AT mode) to pace the line and to count under-runs, so the library's internal
// structures are exposed here, in one place.
#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
#include <spandsp.h>

namespace corvane::faxline {

// True for the high-speed modulations that carry page data (V.17, V.27ter, V.29), as opposed
// to the V.21 channel of the control frames. T.31 keeps its modem in FAX_MODEM_* terms.
inline bool IsPageModem(int modemType) {
    switch (modemType) {
        case FAX_MODEM_V17_TX:
        case FAX_MODEM_V27TER_TX:
        case FAX_MODEM_V29_TX:
        case FAX_MODEM_V17_RX:
        case FAX_MODEM_V27TER_RX:
        case FAX_MODEM_V29_RX:
            return true;
        default:
            return false;
    }
}

// The same for a fax terminal (fax_state_t), whose modem state holds T30_MODEM_* values.
inline bool IsT30PageModem(int t30ModemType) {
    return t30ModemType == T30_MODEM_V27TER || t30ModemType == T30_MODEM_V29 ||
           t30ModemType == T30_MODEM_V17;
}

}  // namespace corvane::faxline
