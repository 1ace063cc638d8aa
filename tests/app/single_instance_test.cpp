#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "app/single_instance.h"

namespace corvane {
namespace {

TEST(SingleInstanceGuard, SecondGuardForTheSameFolderActivatesTheFirst) {
    QTemporaryDir folder;
    SingleInstanceGuard first("corvane-test", folder.path());
    ASSERT_TRUE(first.acquire());
    QSignalSpy activated(&first, &SingleInstanceGuard::activationRequested);

    SingleInstanceGuard second("corvane-test", folder.path());
    EXPECT_FALSE(second.acquire());
    // The first guard answers from this thread's event loop, so ask from another thread.
    std::atomic<bool> done{false};
    bool acknowledged = false;
    std::thread asker([&] {
        acknowledged = second.activateRunningInstance(3000);
        done = true;
    });
    // Serve the first guard's socket until the asker has its answer (or gave up).
    while (!done) activated.wait(20);
    asker.join();
    EXPECT_TRUE(acknowledged);
    EXPECT_EQ(activated.count(), 1);
}

TEST(SingleInstanceGuard, SeparateDataFoldersHaveSeparateInstances) {
    QTemporaryDir a, b;
    SingleInstanceGuard first("corvane-test", a.path());
    SingleInstanceGuard other("corvane-test", b.path());
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(other.acquire());
}

TEST(SingleInstanceGuard, NobodyListeningMeansNoAcknowledgement) {
    QTemporaryDir folder;
    SingleInstanceGuard lonely("corvane-test", folder.path());
    EXPECT_FALSE(lonely.activateRunningInstance(200));
}

}  // namespace
}  // namespace corvane
