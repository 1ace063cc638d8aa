// Corvane and efax on the two modems of one simulated line, both directions and both
// classes: efax receives what the send machine sends, and the receive machine takes what
// efax sends.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include <QDir>

#include "fax_engine_harness.h"
#include "faxdoc/convert/header_line.h"

namespace corvane::testing {
namespace {

using faxline::testing::DifferingRows;
using faxline::testing::ReadTiffPages;
using faxline::testing::Shell;

constexpr int kCallTimeoutMs = 240000;
constexpr int kEfaxHeaderRows = 20;
constexpr int kHeaderBand = 8;

struct PeerCase {
    const char* name;
    FaxClassKind corvaneClass;
    const char* efaxClass;  // efax -o: 2 Class 2, 0 Class 2.0, 1 Class 1
    const char* lineClass;  // the modems of the line: 1 or 2
};

void PrintTo(const PeerCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxPeer : public ::testing::TestWithParam<PeerCase> {};

TEST_P(EfaxPeer, EfaxReceivesWhatCorvaneSends) {
    const PeerCase& c = GetParam();
    ScratchFolder dir;
    std::vector<TestPage> pages{PatternPage(1, true, 300), PatternPage(2, true, 300)};
    WriteApf(dir / "fax.apf", pages);
    FaxlineRun line(dir, {"--modem", dir / "caller", "--class", c.lineClass, "--modem2",
                          dir / "answerer", "--class2", c.lineClass});
    ASSERT_TRUE(line.WaitReady());
    auto answerer = std::async(std::launch::async, [&] {
        return Shell("timeout 200 efax -d '" + dir / "answerer" + "' -o" + c.efaxClass +
                     " -w -iS0=1 -r '" + dir / "received" + "' > '" + dir / "answerer.log" +
                     "' 2>&1");
    });
    for (int waited = 0; waited < 30000; waited += 50) {
        if (Shell("grep -q 'waiting for activity' '" + dir / "answerer.log" + "' 2>/dev/null") == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    auto port = OpenModemPort(dir / "caller", false);
    TFxSendFax fax;
    fax.ComPort = port.get();
    fax.FaxClass = c.corvaneClass;
    fax.DesiredBPS = 14400;
    fax.HeaderLine = "PEER TEST PAGE $P";
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(answerer.get(), 0);
    line.Wait();

    for (size_t i = 0; i < pages.size(); ++i) {
        const auto received = ReadTiffPages(dir / ("received.00" + std::to_string(i + 1)));
        ASSERT_EQ(received.size(), 1u) << "page " << i + 1;
        HeaderLineValues values;
        values.page = int(i) + 1;
        values.pageCount = 2;
        const Bitmap expected =
            ExpectedSentPage(pages[i], ExpandHeaderLine(fax.HeaderLine, values));
        EXPECT_EQ(RowDifferences(received[0], expected), 0) << "page " << i + 1;
    }
}

TEST_P(EfaxPeer, CorvaneReceivesWhatEfaxSends) {
    const PeerCase& c = GetParam();
    ScratchFolder dir;
    const std::string page1 = dir.MakePage("page1", "EFAX PAGE ONE", 250);
    const std::string page2 = dir.MakePage("page2", "EFAX PAGE TWO", 700);
    ASSERT_FALSE(page2.empty());
    FaxlineRun line(dir, {"--modem", dir / "caller", "--class", c.lineClass, "--modem2",
                          dir / "answerer", "--class2", c.lineClass});
    ASSERT_TRUE(line.WaitReady());
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    auto port = OpenModemPort(dir / "answerer", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    std::future<int> caller;
    fax.OnFaxStatus = [&](bool, bool) {
        // Call once the receiver waits for rings.
        if (fax.FaxStatus() == fsWaitingCall && !caller.valid())
            caller = std::async(std::launch::async, [&] {
                return Shell("timeout 200 efax -d '" + dir / "caller" + "' -o" + c.efaxClass +
                             " -t 123 '" + page1 + "' '" + page2 + "' > '" + dir / "caller.log" +
                             "' 2>&1");
            });
    };
    fax.ComPort = port.get();
    fax.FaxClass = c.corvaneClass;
    fax.DestinationDir = inbox;
    fax.OneFax = true;
    fax.BeginReceive();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    ASSERT_TRUE(caller.valid());
    EXPECT_EQ(caller.get(), 0);
    line.Wait();

    ASSERT_FALSE(trace.logFiles.isEmpty());
    const auto received = DecodeApf(trace.logFiles.back().toStdString());
    const std::string files[] = {page1, page2};
    ASSERT_EQ(received.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const auto source = ReadTiffPages(files[i]);
        EXPECT_EQ(DifferingRows(received[i], source.at(0), kEfaxHeaderRows, kHeaderBand), 0)
            << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, EfaxPeer,
                         ::testing::Values(PeerCase{"Class2", FaxClassKind::Class2, "2", "2"},
                                           PeerCase{"Class20", FaxClassKind::Class20, "0", "2"},
                                           PeerCase{"Class1", FaxClassKind::Class1, "1", "1"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
