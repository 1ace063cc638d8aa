#pragma once

#include <optional>
#include <string>

#include "personality.h"
#include "remote_fax.h"
#include "telephone_line.h"

namespace corvane::faxline {

enum class ModemKind { kClass1, kClass2 };

struct Pacing {
    enum class Mode { kAdaptive, kRealtime, kFixed };
    Mode mode = Mode::kAdaptive;
    double speed = 1.0;       // fixed mode: simulated seconds per wall second
    double max_speed = 20.0;  // adaptive: cap while the DTE waits for the modem
    double page_speed = 3.0;  // adaptive: cap while page data flows
};

struct Options {
    std::string modem_link;
    ModemKind modem_kind = ModemKind::kClass1;
    std::string classes;            // what +FCLASS=? reports; empty: all the modem kind supports
    std::string second_modem_link;  // set: two modems face each other, no fax machine
    ModemKind second_modem_kind = ModemKind::kClass1;
    RemoteFaxOptions remote;
    Personality personality;  // faults of the first modem
    int call_after_ms = 1500;
    int calls = 1;  // calls the fax machine makes or answers in one run
    LineOptions line;
    Pacing pacing;
    std::string expect = "ok";
    double timeout_seconds = 300;
    double linger_seconds = 10;
    bool verbose = false;
    bool trace = false;
};

// Parses the command line; on failure returns nothing and sets error. "--help" sets help.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error, bool& help);

const char* UsageText();

// The +FCLASS values a modem kind supports, as +FCLASS=? lists them.
const char* SupportedClasses(ModemKind kind);

}  // namespace corvane::faxline
