#pragma once

// The simulated modems look into spandsp's T.31 and modem state (buffer fill, current
// modulation, AT mode) to pace the line and to count under-runs, so the library's internal
// structures are exposed here, in one place.
#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
#include <spandsp.h>
