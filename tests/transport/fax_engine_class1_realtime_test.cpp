// Class 1 calls with the simulated line at real time: the engine meets T.30's timing itself,
// also while both cores are kept busy by a load the test starts and stops.

#include <gtest/gtest.h>

#include <QDir>
#include <atomic>
#include <thread>
#include <vector>

#include "fax_engine_harness.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 280000;

// Spins on every core until destroyed.
class CpuLoad {
  public:
    explicit CpuLoad(bool on) {
        if (!on) return;
        const unsigned n = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile unsigned long x = 0;
                while (!stop_.load(std::memory_order_relaxed)) x = x * 31 + 7;
            });
    }
    ~CpuLoad() {
        stop_ = true;
        for (auto& t : threads_) t.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

std::vector<TestPage> ThreeFinePages(int seed) {
    return {PatternPage(seed, true, 600), PatternPage(seed + 1, true, 600),
            PatternPage(seed + 2, true, 600)};
}

class Class1Realtime : public ::testing::TestWithParam<bool> {};

TEST_P(Class1Realtime, SendsThreeFinePagesAt14400) {
    ScratchFolder dir;
    const auto pages = ThreeFinePages(1);
    WriteApf(dir / "fax.apf", pages);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--file", dir / "remote.tif",
                          "--pace", "realtime"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = 14400;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    int result = 1;
    {
        CpuLoad load(GetParam());
        fax.BeginTransmit();
        result = RunToFinish(fax, kCallTimeoutMs);
    }
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["rate"], "14400");
    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(RowDifferences(received[i], ExpectedSentPage(pages[i], QString())), 0);
}

TEST_P(Class1Realtime, ReceivesThreeFinePagesAt14400) {
    ScratchFolder dir;
    const auto pages = ThreeFinePages(4);
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--remote", "send", "--file",
                          dir / "send.tif", "--pace", "realtime"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = 14400;
    fax.DestinationDir = inbox;
    fax.OneFax = true;
    int result = 1;
    {
        CpuLoad load(GetParam());
        fax.BeginReceive();
        result = RunToFinish(fax, kCallTimeoutMs);
    }
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    line.Wait();
    EXPECT_EQ(line.Summary()["rate"], "14400");
    ASSERT_FALSE(trace.logFiles.isEmpty());
    const auto received = DecodeApf(trace.logFiles.back().toStdString());
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0);
}

INSTANTIATE_TEST_SUITE_P(Load, Class1Realtime, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "UnderCpuLoad" : "Quiet");
                         });

}  // namespace
}  // namespace corvane::testing
