// The serial port's modem lines on the simulated fax line, through the port as the program
// opens it: DCD follows the call, RI shows the rings, and dropping DTR hangs up.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "fax_engine_harness.h"
#include "transport/modem_lines.h"

namespace corvane::testing {
namespace {

constexpr std::int64_t kReplyTicks = 109;  // 6 s

// Polls the port's status until `seen` holds of it or the wall-clock time-out passes.
bool StatusBecomes(TFxComPort& port, const std::function<bool(std::uint8_t)>& seen, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (seen(port.ModemStatus())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ModemLinesOnFaxline, CarrierRingAndDtrDrop) {
    ScratchFolder dir;
    const std::string page = dir.MakePage("page", "LINES", 100);
    ASSERT_FALSE(page.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          page, "--call-after-ms", "300", "--expect", "failed", "--linger", "3"});
    ASSERT_TRUE(line.WaitReady());
    {
        auto port = OpenModemPort(dir / "modem", true);
        ASSERT_TRUE(port->Open());
        EXPECT_EQ(port->ModemStatus() & msLineMask, msCTS | msDSR);
        EXPECT_FALSE(port->CheckDCD());
        port->SendString(QStringLiteral("ATE0+FCLASS=2\r"));
        ASSERT_TRUE(port->AwaitString(QStringLiteral("OK"), kReplyTicks, false, true));

        // The machine calls; the modem does not answer by itself (S0=0).
        bool ring = false;
        EXPECT_TRUE(StatusBecomes(
            *port,
            [&](std::uint8_t s) {
                ring = ring || (s & (msRI | msTrailingEdgeRing));
                return ring;
            },
            20000));
        EXPECT_FALSE(port->CheckDCD());

        port->SendString(QStringLiteral("ATA\r"));
        EXPECT_TRUE(StatusBecomes(
            *port, [](std::uint8_t s) { return (s & msDCD) != 0; }, 10000));

        // The program drops DTR in the middle of the answer: the modem ends the call as +FK
        // would, and carrier goes.
        port->SetDTR(false);
        EXPECT_TRUE(port->AwaitString(QStringLiteral("+FHNG:2"), kReplyTicks, false, true));
        EXPECT_TRUE(StatusBecomes(
            *port, [](std::uint8_t s) { return (s & msDCD) == 0; }, 10000));
        port->SetDTR(true);
        port->PurgeInput();
        port->SendString(QStringLiteral("AT\r"));
        EXPECT_TRUE(port->AwaitString(QStringLiteral("OK"), kReplyTicks, false, true));
        port->SetOpen(false);
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
}

}  // namespace
}  // namespace corvane::testing
