// faxline: software fax modems on pseudo-terminals, joined by a simulated telephone line to a
// software fax machine or to each other.

#include <signal.h>

#include <cstdio>
#include <exception>

#include "options.h"
#include "session.h"

namespace {

void OnSignal(int) {
    corvane::faxline::Session::RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    bool help = false;
    const auto options = corvane::faxline::ParseOptions(argc, argv, error, help);
    if (help) {
        std::fputs(corvane::faxline::UsageText(), stdout);
        return 0;
    }
    if (!options) {
        std::fprintf(stderr, "faxline: %s\n(see faxline --help)\n", error.c_str());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    try {
        corvane::faxline::Session session(*options);
        return session.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "faxline: %s\n", e.what());
        return 2;
    }
}
