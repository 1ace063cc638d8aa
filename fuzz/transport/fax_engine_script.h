#pragma once
// One fax call of the send or the receive machine over a simulated line, the modem's side
// chosen byte by byte from `data`: reply lines, raw page bytes, time passing, output taken.
// Shared by the fuzz target and the test that runs it over seeded inputs.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace corvane {

struct FaxScriptOutcome {
    bool started = false;   // false: the call could not start (BeginTransmit/BeginReceive threw)
    bool finished = false;  // the machine reached its finish and told the owner
    int result = 0;         // the finish code (or the start error)
    bool endedInFinalState = false;
};

// `workDir` must exist; the script's files are made there.
FaxScriptOutcome RunFaxEngineScript(const std::uint8_t* data, std::size_t size,
                                    const QString& workDir);

}  // namespace corvane
