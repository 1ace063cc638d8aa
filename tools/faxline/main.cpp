// faxline: software fax modems on pseudo-terminals, joined by a simulated telephone line to a
// software fax machine or to each other.

#include <signal.h>

#include <cstdio>
#include <exception>

#include "options.h"
#include "session.h"

// LeakSanitizer: spandsp's t31_init() allocates the modem's receive queue with queue_init()
// and nothing in the library frees it (t31_release() only resets the call information and
// t31_free() releases the state block alone), so every Class 1 modem leaves 4 KB behind.
// The queue belongs to spandsp; freeing it from here would break with a library that
// starts to free it itself. The library is built without frame pointers, so the leak's stack
// ends in queue_init(); faxline itself never calls it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:queue_init\n";
}

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
