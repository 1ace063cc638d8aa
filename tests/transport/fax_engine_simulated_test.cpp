// The fuzz target's property over many seeded inputs: whatever the modem says and whatever
// page bytes arrive, the send and the receive machine end in their final state with a code,
// under a simulated clock.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>
#include <vector>

#include "fax_engine_script.h"

namespace corvane::testing {
namespace {

TEST(SimulatedLine, EveryRandomCallEndsInItsFinishState) {
    int started = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> data(64 + random() % 512);
        for (auto& b : data) b = std::uint8_t(random());
        QTemporaryDir dir;
        const FaxScriptOutcome outcome = RunFaxEngineScript(data.data(), data.size(), dir.path());
        if (!outcome.started) {
            EXPECT_NE(outcome.result, 0) << "seed " << seed;
            continue;
        }
        ++started;
        EXPECT_TRUE(outcome.finished) << "seed " << seed;
        EXPECT_TRUE(outcome.endedInFinalState) << "seed " << seed;
    }
    EXPECT_GT(started, 200);
}

}  // namespace
}  // namespace corvane::testing
