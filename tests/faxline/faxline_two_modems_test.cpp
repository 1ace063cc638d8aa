// Two programs call each other through two modems of the simulated line.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

constexpr int kEfaxHeaderRows = 20;
constexpr int kHeaderBand = 8;

struct TwoModemCase {
    const char* name;
    const char* callerClass;    // faxline --class
    const char* answererClass;  // faxline --class2
    const char* callerEfax;     // efax -o option
    const char* answererEfax;
};

void PrintTo(const TwoModemCase& c, std::ostream* os) {
    *os << c.name;
}

class TwoModems : public ::testing::TestWithParam<TwoModemCase> {};

TEST_P(TwoModems, EfaxSendsTwoPagesToEfax) {
    const TwoModemCase& c = GetParam();
    ScratchFolder dir;
    const std::string page1 = dir.MakePage("page1", "CALLER PAGE ONE", 250);
    const std::string page2 = dir.MakePage("page2", "CALLER PAGE TWO", 700);
    ASSERT_FALSE(page2.empty());
    FaxlineRun line(dir, {"--modem", dir / "caller", "--class", c.callerClass, "--modem2",
                          dir / "answerer", "--class2", c.answererClass});
    ASSERT_TRUE(line.WaitReady());
    // The answering side waits with auto-answer on the first ring.
    auto answerer = std::async(std::launch::async, [&] {
        return Shell("timeout 100 efax -d '" + dir / "answerer" + "' -o" + c.answererEfax +
                     " -w -iS0=1 -r '" + dir / "received" + "' > '" + dir / "answerer.log" +
                     "' 2>&1");
    });
    // Call only once the answering efax has set up its modem, or the rings go unheeded.
    for (int waited = 0; waited < 30000; waited += 50) {
        const std::string log = dir / "answerer.log";
        if (Shell("grep -q 'waiting for activity' '" + log + "' 2>/dev/null") == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const int caller =
        Shell("timeout 100 efax -d '" + dir / "caller" + "' -o" + c.callerEfax + " -t 123 '" +
              page1 + "' '" + page2 + "' > '" + dir / "caller.log" + "' 2>&1");
    EXPECT_EQ(caller, 0);
    EXPECT_EQ(answerer.get(), 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["status"], "ok");

    const std::string files[] = {page1, page2};
    for (int i = 0; i < 2; ++i) {
        const auto received = ReadTiffPages(dir / ("received.00" + std::to_string(i + 1)));
        const auto source = ReadTiffPages(files[i]);
        ASSERT_EQ(received.size(), 1u) << "page " << i + 1;
        EXPECT_EQ(DifferingRows(received[0], source.at(0), kEfaxHeaderRows, kHeaderBand), 0)
            << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, TwoModems,
                         ::testing::Values(TwoModemCase{"class1_to_class1", "1", "1", "1", "1"},
                                           TwoModemCase{"class2_to_class2_0", "2", "2", "2", "0"}),
                         [](const ::testing::TestParamInfo<TwoModemCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace corvane::faxline::testing
