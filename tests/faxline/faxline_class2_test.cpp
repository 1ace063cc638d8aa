// efax (Class 2 and 2.0), mgetty's sendfax and mgetty itself (receiving) drive the Class
// 2/2.0 modem of the simulated line against the software fax machine.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

constexpr int kEfaxHeaderRows = 20;
constexpr int kHeaderBand = 8;

struct Page {
    std::string tif;
    std::string g3;
    Bitmap bitmap;  // the page as drawn, 1728 x 2200 (what sendfax sends)
    Bitmap tiff;    // the page as efix coded it (what efax sends)
};

std::vector<Page> MakePages(const ScratchFolder& dir, int count) {
    std::vector<Page> pages;
    const char* texts[] = {"CLASS TWO PAGE ONE", "CLASS TWO PAGE TWO"};
    const int rows[] = {300, 1500};
    for (int i = 0; i < count; ++i) {
        const std::string name = "page" + std::to_string(i + 1);
        Page page;
        page.tif = dir.MakePage(name, texts[i], rows[i]);
        page.g3 = dir / (name + ".g3");
        page.bitmap = ReadPbm(dir / (name + ".pbm"));
        const auto coded = ReadTiffPages(page.tif);
        if (!coded.empty()) page.tiff = coded.front();
        pages.push_back(std::move(page));
    }
    return pages;
}

struct EfaxCase {
    const char* name;
    const char* efaxClass;  // efax -o option: 2 for Class 2, 0 for Class 2.0
};

void PrintTo(const EfaxCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxClass2 : public ::testing::TestWithParam<EfaxCase> {};

TEST_P(EfaxClass2, SendsTwoPagesToTheRemoteMachine) {
    ScratchFolder dir;
    const auto pages = MakePages(dir, 2);
    ASSERT_FALSE(pages[0].tif.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o" + GetParam().efaxClass +
                           " -t 123 '" + pages[0].tif + "' '" + pages[1].tif + "' > '" +
                           dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], "2");
    EXPECT_EQ(summary["resolution"], "fine");

    const auto received = ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), 2u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(DifferingRows(received[i], pages[i].tiff, kEfaxHeaderRows, kHeaderBand), 0)
            << "page " << i + 1;
}

TEST_P(EfaxClass2, ReceivesFromTheRemoteMachine) {
    ScratchFolder dir;
    const auto pages = MakePages(dir, 1);
    ASSERT_FALSE(pages[0].tif.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          pages[0].tif});
    ASSERT_TRUE(line.WaitReady());
    const int efax =
        Shell("timeout 100 efax -d '" + dir / "modem" + "' -o" + GetParam().efaxClass +
              " -w -iS0=2 -r '" + dir / "received" + "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["status"], "ok");

    const auto received = ReadTiffPages(dir / "received.001");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rows.size(), pages[0].tiff.rows.size());
    EXPECT_EQ(DifferingRows(received[0], pages[0].tiff, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, EfaxClass2,
                         ::testing::Values(EfaxCase{"class2", "2"}, EfaxCase{"class2_0", "0"}),
                         [](const ::testing::TestParamInfo<EfaxCase>& info) {
                             return info.param.name;
                         });

// A calling machine that answers the modem's DIS with DCN: the receiving modem reports
// hang-up code 70 (receive phase B) and efax cannot answer the call.
TEST(EfaxClass2Receives, DcnAfterDisEndsPhaseB) {
    ScratchFolder dir;
    const auto pages = MakePages(dir, 1);
    ASSERT_FALSE(pages[0].tif.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          pages[0].tif, "--dcn-after", "dis", "--expect", "failed"});
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o2 -w -iS0=1 -r '" +
                           dir / "received" + "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 3);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["pages"], "0");
    std::ifstream log(dir / "efax.log");
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("Unspecified Receive Phase B error"), std::string::npos) << text;
}

// Callers efax answers that are not a fax machine sending clean pages. A page damaged on the
// line fails the modem's copy-quality check: RTN, and the machine trains again and sends it
// clean, which efax keeps (each coming of the page is a file). A person or a data modem sends
// no fax frame: T1 runs out and the modem hangs up with +FHNG:11.
struct CallerCase {
    const char* name;
    std::vector<std::string> caller;
    int efaxExit;
    const char* status;
    const char* rtn;
    const char* efaxSays;
};

void PrintTo(const CallerCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxClass2Answers : public ::testing::TestWithParam<CallerCase> {};

TEST_P(EfaxClass2Answers, TheCallerItIsGiven) {
    const CallerCase& c = GetParam();
    ScratchFolder dir;
    const auto pages = MakePages(dir, 1);
    ASSERT_FALSE(pages[0].tif.empty());
    std::vector<std::string> args = {"--modem",  dir / "modem", "--class",  "2",
                                     "--remote", "send",        "--file",   pages[0].tif,
                                     "--expect", c.status,      "--linger", "2"};
    args.insert(args.end(), c.caller.begin(), c.caller.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o2 -w -iS0=1 -r '" +
                           dir / "received" + "' > '" + dir / "efax.log" + "' 2>&1");
    std::ifstream log(dir / "efax.log");
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_EQ(efax, c.efaxExit) << text;
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["rtn"], c.rtn);
    EXPECT_NE(text.find(c.efaxSays), std::string::npos) << text;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().rfind("received.", 0) == 0)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    if (std::string(c.status) != "ok") {
        EXPECT_TRUE(files.empty());
        return;
    }
    ASSERT_FALSE(files.empty());
    const auto kept = ReadTiffPages(files.back());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(DifferingRows(kept[0], pages[0].tiff, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Callers, EfaxClass2Answers,
    ::testing::Values(CallerCase{"damaged_page", {"--rtn-page", "1"}, 0, "ok", "1", "received.002"},
                      CallerCase{"voice", {"--caller", "voice"}, 3, "failed", "0", "T1"},
                      CallerCase{"data_modem", {"--caller", "data"}, 3, "failed", "0", "T1"}),
    [](const ::testing::TestParamInfo<CallerCase>& info) { return info.param.name; });

// efax -q0 asks for every page again (+FPTS=2, as for a page with too many errors): each
// time the modem answers RTN, and the calling machine trains one rate lower and sends the
// page again, until no rate is left and it sends DCN after the RTN (receive phase D, 100).
TEST(EfaxClass2Receives, RejectedLastPageComesAgainAtALowerRate) {
    ScratchFolder dir;
    ASSERT_EQ(Shell("pbmmake -white 1728 120 > '" + dir / "short.pbm" +
                    "' && efix -v '' -i pbm -o tiffg3 -r 204x98 '" + dir / "short.pbm" + "' > '" +
                    dir / "short.tif" + "'"),
              0);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "short.tif", "--rates", "v27ter", "--expect", "failed"});
    ASSERT_TRUE(line.WaitReady());
    const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o2 -q0 -w -iS0=1 -r '" +
                           dir / "received" + "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, 2);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["rtn"], "2");  // at 4800 and at 2400
    EXPECT_EQ(line.Summary()["pages"], "0");
    EXPECT_EQ(ReadTiffPages(dir / "received.002").size(), 1u);  // the page's second coming
    std::ifstream log(dir / "efax.log");
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("abnormal termination (code 100)"), std::string::npos) << text;
}

// mgetty answers in Class 2.0 and receives into its spool folder. It reads the line count
// from +FPS and asks again (+FPS=2) for a page of under 50 lines: the machine sends the
// short second page again, one rate lower, until it can go no lower.
TEST(MgettyClass2Receives, KeepsTheGoodPageAndAsksAgainForAShortOne) {
    const std::filesystem::path spool = "/var/spool/fax/incoming";
    if (geteuid() != 0 || !std::filesystem::is_directory(spool))
        GTEST_SKIP() << "mgetty receives as root into " << spool;
    ScratchFolder dir;
    const std::string make =
        "pbmmake -white 1728 %d > '%s.pbm' && efix -v '' -i pbm -o tiffg3 "
        "-r 204x98 '%s.pbm' > '%s.tif'";
    for (const auto& [name, rows] : {std::pair{"long", 120}, std::pair{"short", 60}}) {
        const std::string base = dir / name;
        char command[1024];
        std::snprintf(command, sizeof command, make.c_str(), rows, base.c_str(), base.c_str(),
                      base.c_str());
        ASSERT_EQ(Shell(command), 0);
    }
    ASSERT_EQ(Shell("tiffcp '" + dir / "long.tif" + "' '" + dir / "short.tif" + "' '" +
                    dir / "two.tif" + "'"),
              0);
    // The remote's id names mgetty's files.
    const std::string id = "C2RX " + std::to_string(getpid());
    FaxlineRun line(
        dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
              dir / "two.tif", "--remote-id", id, "--rates", "v27ter", "--expect", "failed"});
    ASSERT_TRUE(line.WaitReady());
    const std::string tty = line.ReadyField("tty").substr(std::string("/dev/").size());
    EXPECT_EQ(Shell("timeout 100 mgetty -C fax -n 1 -x 4 -s 38400 " + tty + " > '" +
                    dir / "mgetty.log" + "' 2>&1"),
              0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["pages"], "1");
    EXPECT_EQ(line.Summary()["rtn"], "2");
    std::vector<std::string> files;
    const std::string tag = "-C2RX-" + std::to_string(getpid()) + ".";
    for (const auto& entry : std::filesystem::directory_iterator(spool)) {
        const std::string name = entry.path().filename().string();
        if (name.find(tag) == std::string::npos) continue;
        files.push_back(name.substr(name.rfind('.')));
        std::filesystem::remove(entry.path());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{".01", ".02", ".03"}));  // page 2 came twice
}

// With --calls the machine answers call after call, each into its own file; the summary adds
// them up and is ok only when every call was.
TEST(EfaxClass2Calls, TwoCallsInOneRun) {
    ScratchFolder dir;
    const auto pages = MakePages(dir, 2);
    ASSERT_FALSE(pages[1].tif.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--calls", "2"});
    ASSERT_TRUE(line.WaitReady());
    for (int i = 0; i < 2; ++i) {
        const int efax = Shell("timeout 100 efax -d '" + dir / "modem" + "' -o2 -t 123 '" +
                               pages[i].tif + "' > '" + dir / "efax.log" + "' 2>&1");
        EXPECT_EQ(efax, 0) << "call " << i + 1;
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["calls"], "2");
    EXPECT_EQ(summary["pages"], "2");
    EXPECT_NE(line.Output().find("FAXLINE-CALL 1 status=ok pages=1 "), std::string::npos)
        << line.Output();
    const std::string files[] = {dir / "remote.tif", dir / "remote-2.tif"};
    for (int i = 0; i < 2; ++i) {
        const auto received = ReadTiffPages(files[i]);
        ASSERT_EQ(received.size(), 1u) << files[i];
        EXPECT_EQ(DifferingRows(received[0], pages[i].tiff, kEfaxHeaderRows, kHeaderBand), 0)
            << "call " << i + 1;
    }
}

TEST(SendfaxClass2, SendsTwoPagesToTheRemoteMachine) {
    ScratchFolder dir;
    const auto pages = MakePages(dir, 2);
    ASSERT_FALSE(pages[1].tif.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    // sendfax only opens devices below /dev: use the pseudo-terminal's own name.
    const std::string tty = line.ReadyField("tty");
    ASSERT_EQ(tty.rfind("/dev/", 0), 0u) << line.Output();
    const int sendfax =
        Shell("timeout 100 sendfax -v -l " + tty.substr(5) + " 123 '" + pages[0].g3 + "' '" +
              pages[1].g3 + "' > '" + dir / "sendfax.log" + "' 2>&1");
    EXPECT_EQ(sendfax, 0);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], "2");

    const auto received = ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(received[i].rows.size(), pages[i].bitmap.rows.size());
        EXPECT_EQ(DifferingRows(received[i], pages[i].bitmap, 0, 0), 0) << "page " << i + 1;
    }
}

}  // namespace
}  // namespace corvane::faxline::testing

namespace corvane::faxline::testing {
namespace {

struct Class2FaultCase {
    const char* name;
    std::vector<std::string> lineOptions;
    int efaxExit;  // efax: 1 busy, 2 the modem reported an abnormal hang-up
    std::string status;
    std::string pagesThrough;
    std::string rtn = "0";  // pages the fax machine answered with RTN
    std::string rate = {};  // when set, the rate and resolution the pages went at
    std::string resolution = {};
    std::string efaxSays = {};  // when set, a line of efax's log (the hang-up it was told)
};

void PrintTo(const Class2FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxClass2MeetsLineFault : public ::testing::TestWithParam<Class2FaultCase> {};

TEST_P(EfaxClass2MeetsLineFault, EndsAsExpected) {
    const Class2FaultCase& c = GetParam();
    ScratchFolder dir;
    const auto pages = MakePages(dir, 2);
    ASSERT_FALSE(pages[1].tif.empty());
    std::vector<std::string> args = {"--modem", dir / "modem",      "--class",  "2",
                                     "--file",  dir / "remote.tif", "--expect", c.status};
    args.insert(args.end(), c.lineOptions.begin(), c.lineOptions.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    const int efax =
        Shell("timeout 100 efax -d '" + dir / "modem" + "' -o2 -t 123 '" + pages[0].tif + "' '" +
              pages[1].tif + "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(efax, c.efaxExit);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], c.status);
    EXPECT_EQ(summary["pages"], c.pagesThrough);
    EXPECT_EQ(summary["rtn"], c.rtn);
    if (!c.rate.empty()) {
        EXPECT_EQ(summary["rate"], c.rate);
    }
    if (!c.resolution.empty()) {
        EXPECT_EQ(summary["resolution"], c.resolution);
    }
    if (!c.efaxSays.empty()) {
        std::ifstream log(dir / "efax.log");
        const std::string text((std::istreambuf_iterator<char>(log)), {});
        EXPECT_NE(text.find(c.efaxSays), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EfaxClass2MeetsLineFault,
    ::testing::Values(
        Class2FaultCase{"busy", {"--busy"}, 1, "busy", "0"},
        // A person answers: T1 runs out, +FHNG:11.
        Class2FaultCase{"voice_answer",
                        {"--answer", "voice"},
                        2,
                        "failed",
                        "0",
                        "0",
                        "",
                        "",
                        "No Answer (T.30 T1 timeout)"},
        // DCN instead of CFR: +FHNG:23 where efax waits for CONNECT to +FDT.
        Class2FaultCase{"dcn_after_dcs", {"--dcn-after", "dcs"}, 3, "failed", "0"},
        // DCN instead of MCF to the MPS after page 1: +FHNG:53.
        Class2FaultCase{"dcn_after_page_1",
                        {"--dcn-after", "page:1", "--page-speed", "1"},
                        2,
                        "failed",
                        "0",
                        "0",
                        "",
                        "",
                        "Invalid response to MPS"},
        Class2FaultCase{"drop_after_page_1", {"--drop-after-page", "1"}, 2, "dropped", "1"},
        // V.29 page data counts toward the drop as V.17 does.
        Class2FaultCase{"drop_after_ms_at_9600",
                        {"--rates", "v27ter,v29", "--drop-after-ms", "5000"},
                        2,
                        "dropped",
                        "0"},
        // +FPTS:2 for page 1: efax sends it again.
        Class2FaultCase{"rtn_page_1", {"--rtn-page", "1"}, 0, "ok", "2", "1"},
        // The modem steps down after each FTT itself.
        Class2FaultCase{"ftt_above_9600", {"--ftt-above", "9600"}, 0, "ok", "2", "0", "9600"},
        // +FDIS shows no fine: efax sends at standard resolution (at real time: efax fails
        // on a page that takes it under one second).
        Class2FaultCase{"remote_no_fine",
                        {"--remote-no-fine", "--page-speed", "1"},
                        0,
                        "ok",
                        "2",
                        "0",
                        "14400",
                        "standard"}),
    [](const ::testing::TestParamInfo<Class2FaultCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::faxline::testing
