// The main send and receive paths of each modem kind with the line at wall-clock speed, so
// the protocol timers of both ends run as they do with a hardware modem. Slow: labelled
// "realtime" so a quick run can leave it out (ctest -LE realtime).

#include <gtest/gtest.h>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

struct RealtimeCase {
    const char* name;
    const char* modemClass;  // faxline --class
    const char* efaxClass;   // efax -o
    bool send;               // efax sends (else the remote machine sends to efax)
};

void PrintTo(const RealtimeCase& c, std::ostream* os) {
    *os << c.name;
}

class RealTime : public ::testing::TestWithParam<RealtimeCase> {};

TEST_P(RealTime, OnePageGoesThrough) {
    const RealtimeCase& c = GetParam();
    ScratchFolder dir;
    const std::string page = dir.MakePage("page", "REAL TIME PAGE", 400);
    ASSERT_FALSE(page.empty());
    std::vector<std::string> args = {"--modem", dir / "modem", "--class",   c.modemClass,
                                     "--pace",  "realtime",    "--timeout", "240"};
    if (c.send) {
        args.insert(args.end(), {"--file", dir / "remote.tif"});
    } else {
        args.insert(args.end(), {"--remote", "send", "--file", page});
    }
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    const std::string efaxArgs =
        c.send ? std::string(" -t 123 '") + page + "'" : " -w -iS0=1 -r '" + dir / "received" + "'";
    const int efax = Shell("timeout 200 efax -d '" + dir / "modem" + "' -o" + c.efaxClass +
                           efaxArgs + " > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 0);
    EXPECT_EQ(line.Wait(240000), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], "1");
    // At wall-clock speed simulated time keeps up with the wall (a loaded machine lags it).
    EXPECT_LE(std::stod(summary["sim_seconds"]), std::stod(summary["wall_seconds"]) + 1.0);
    const auto source = ReadTiffPages(page);
    const auto received = ReadTiffPages(c.send ? dir / "remote.tif" : dir / "received.001");
    ASSERT_EQ(received.size(), 1u);
    if (!c.send) {
        EXPECT_EQ(DifferingRows(received[0], source.at(0), 0, 0), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, RealTime,
                         ::testing::Values(RealtimeCase{"class1_send", "1", "1", true},
                                           RealtimeCase{"class1_receive", "1", "1", false},
                                           RealtimeCase{"class2_send", "2", "2", true},
                                           RealtimeCase{"class2_0_receive", "2", "0", false}),
                         [](const ::testing::TestParamInfo<RealtimeCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace corvane::faxline::testing
