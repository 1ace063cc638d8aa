#pragma once
// faxline's command line: the modems to make, the line and its faults, the far-end fax
// machine and the pacing, parsed into Options.

#include <optional>
#include <string>

#include "personality.h"
#include "remote_fax.h"
#include "telephone_line.h"

namespace corvane::faxline {

enum class ModemKind { Class1, Class2 };

struct Pacing {
    enum class Mode { Adaptive, Realtime, Fixed };
    Mode mode = Mode::Adaptive;
    double speed = 1.0;      // fixed mode: simulated seconds per wall second
    double maxSpeed = 20.0;  // adaptive: cap while the DTE waits for the modem
    double pageSpeed = 3.0;  // adaptive: cap while page data flows
};

struct Options {
    std::string modemLink;
    ModemKind modemKind = ModemKind::Class1;
    std::string classes;          // what +FCLASS=? reports; empty: all the modem kind supports
    std::string secondModemLink;  // set: two modems face each other, no fax machine
    ModemKind secondModemKind = ModemKind::Class1;
    RemoteFaxOptions remote;
    Personality personality;  // faults of the first modem
    int callAfterMs = 1500;
    int calls = 1;  // calls the fax machine makes or answers in one run
    LineOptions line;
    Pacing pacing;
    std::string expect = "ok";
    double timeoutSeconds = 300;
    double lingerSeconds = 10;
    bool verbose = false;
    bool trace = false;
};

// Parses the command line; on failure returns nothing and sets error. "--help" sets help.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error, bool& help);

const char* UsageText();

// The +FCLASS values a modem kind supports, as +FCLASS=? lists them.
const char* SupportedClasses(ModemKind kind);

}  // namespace corvane::faxline
