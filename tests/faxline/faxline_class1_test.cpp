// efax drives the Class 1 modem of the simulated line against the software fax machine.

#include <gtest/gtest.h>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

// efax puts a 20-row header line above each page it sends.
constexpr int kEfaxHeaderRows = 20;
// Rows at the top of a source page that the header may touch; the test pages are white there.
constexpr int kHeaderBand = 8;

struct Pages {
    std::vector<std::string> files;
    std::vector<Bitmap> bitmaps;
};

Pages MakePages(const ScratchFolder& dir, int count) {
    Pages pages;
    const char* texts[] = {"FAXLINE TEST PAGE ONE", "SECOND PAGE OF THE TEST"};
    const int rows[] = {200, 900};
    for (int i = 0; i < count; ++i) {
        pages.files.push_back(dir.MakePage("page" + std::to_string(i + 1), texts[i], rows[i]));
        auto bitmap = ReadTiffPages(pages.files.back());
        if (!bitmap.empty()) pages.bitmaps.push_back(bitmap.front());
    }
    return pages;
}

std::string Joined(const std::vector<std::string>& files) {
    std::string out;
    for (const std::string& f : files) out += " '" + f + "'";
    return out;
}

class EfaxSendsClass1 : public ::testing::TestWithParam<int> {};

TEST_P(EfaxSendsClass1, RemoteMachineReceivesTheSamePixels) {
    const int page_count = GetParam();
    ScratchFolder dir;
    const Pages pages = MakePages(dir, page_count);
    ASSERT_EQ(pages.bitmaps.size(), static_cast<size_t>(page_count));

    FaxlineRun line(dir, {"--modem", dir / "modem", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o1 -t 123" +
                           Joined(pages.files) + " > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();

    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], std::to_string(page_count));
    EXPECT_EQ(summary["resolution"], "fine");
    EXPECT_EQ(summary["rate"], "14400");
    EXPECT_EQ(summary["underruns"], "0");

    const auto received = ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), static_cast<size_t>(page_count));
    for (int i = 0; i < page_count; ++i) {
        EXPECT_EQ(received[i].width, 1728);
        EXPECT_EQ(DifferingRows(received[i], pages.bitmaps[i], kEfaxHeaderRows, kHeaderBand), 0)
            << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(OneAndTwoFinePages, EfaxSendsClass1, ::testing::Values(1, 2));

TEST(EfaxReceivesClass1, PageFromRemoteMachineAfterTwoRings) {
    ScratchFolder dir;
    const Pages pages = MakePages(dir, 1);
    ASSERT_EQ(pages.bitmaps.size(), 1u);

    FaxlineRun line(dir, {"--modem", dir / "modem", "--remote", "send", "--file", pages.files[0],
                          "--remote-id", "REMOTE 42"});
    ASSERT_TRUE(line.WaitReady());
    // -w with S0=2: the modem itself answers on the second ring.
    const int efax =
        Shell("timeout 100 efax -d '" + dir / "modem" + "' -o1 -l 'EFAX 7' -w -iS0=2 -r '" +
              dir / "received" + "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();

    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], "1");
    EXPECT_EQ(summary["remote_id"], "EFAX 7");

    const auto received = ReadTiffPages(dir / "received.001");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rows.size(), pages.bitmaps[0].rows.size());
    EXPECT_EQ(DifferingRows(received[0], pages.bitmaps[0], 0, 0), 0);
}

struct FaultCase {
    const char* name;
    std::vector<std::string> lineOptions;
    std::string efaxOptions;
    int pages;
    int efaxExit;  // efax: 1 busy, 2 dial failed, 3 protocol failure
    std::string status;
    std::string pagesThrough;
    std::string rtn = "0";  // pages the fax machine answered with RTN, and with RTP
    std::string rtp = "0";
    std::string rate = {};  // when set, the rate and resolution the page went at
    std::string resolution = {};
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxMeetsLineFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EfaxMeetsLineFault, EndsAsExpected) {
    const FaultCase& c = GetParam();
    ScratchFolder dir;
    const Pages pages = MakePages(dir, c.pages);
    std::vector<std::string> args = {"--modem",          dir / "modem", "--file",
                                     dir / "remote.tif", "--expect",    c.status};
    args.insert(args.end(), c.lineOptions.begin(), c.lineOptions.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o1 " + c.efaxOptions +
                           " -t 123" + Joined(pages.files) + " > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, c.efaxExit);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], c.status);
    EXPECT_EQ(summary["pages"], c.pagesThrough);
    EXPECT_EQ(summary["rtn"], c.rtn);
    EXPECT_EQ(summary["rtp"], c.rtp);
    if (!c.rate.empty()) {
        EXPECT_EQ(summary["rate"], c.rate);
    }
    if (!c.resolution.empty()) {
        EXPECT_EQ(summary["resolution"], c.resolution);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EfaxMeetsLineFault,
    ::testing::Values(
        FaultCase{"busy", {"--busy"}, "", 1, 1, "busy", "0"},
        FaultCase{"no_answer", {"--no-answer"}, "-iS7=30", 1, 2, "no-answer", "0"},
        FaultCase{"drop_after_page_1", {"--drop-after-page", "1"}, "", 2, 3, "dropped", "1"},
        // A person or a data modem answers: no fax frames come, the modem says NO CARRIER.
        FaultCase{"voice_answer", {"--answer", "voice"}, "", 1, 2, "failed", "0"},
        FaultCase{"data_answer", {"--answer", "data"}, "", 1, 2, "failed", "0"},
        // DCN where CFR belonged: efax hears it and gives up.
        FaultCase{"dcn_after_dcs", {"--dcn-after", "dcs"}, "", 1, 3, "failed", "0"},
        // The machine finds page 1 bad: efax hears RTN, trains again and sends the page again.
        FaultCase{"rtn_page_1", {"--rtn-page", "1"}, "", 2, 0, "ok", "2", "1", "0"},
        // A poor page 2 is kept with its bad rows (RTP): the fax is not whole.
        FaultCase{"rtp_page_2", {"--rtp-page", "2"}, "", 2, 0, "failed", "2", "0", "1"},
        // The machine fails every training above 9600: efax steps down after each FTT.
        FaultCase{"ftt_above_9600", {"--ftt-above", "9600"}, "", 1, 0, "ok", "1", "0", "0", "9600"},
        // A machine without fine resolution: efax sends the fine page at standard, at real
        // time since efax fails on a page that takes it under one second.
        FaultCase{"remote_no_fine",
                  {"--remote-no-fine", "--page-speed", "1"},
                  "",
                  1,
                  0,
                  "ok",
                  "1",
                  "0",
                  "0",
                  "14400",
                  "standard"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::faxline::testing
