// libFuzzer target: random modem replies and page data into the send and receive machines
// over a simulated line. Every run must end in the machine's final state with a finish code.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "fax_engine_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_fax_engine";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const corvane::FaxScriptOutcome outcome = corvane::RunFaxEngineScript(data, size, dir.path());
    if (outcome.started && (!outcome.finished || !outcome.endedInFinalState)) std::abort();
    return 0;
}
