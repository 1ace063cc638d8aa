// Class 1 calls that go wrong on the simulated line: each ends with its error code, and
// nothing is lost (a rejected page goes again, a receiver keeps the pages that arrived whole).

#include <gtest/gtest.h>

#include <QDir>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/apf_reader.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct Class1FaultCase {
    const char* name;
    std::vector<std::string> lineArgs;  // the first one names the option the line must offer
    int pages;
    int expected;        // the finish code
    const char* remote;  // the line's status, as --expect wants it
    int accepted;        // pages the remote confirmed
};

void PrintTo(const Class1FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class Class1SendFaults : public ::testing::TestWithParam<Class1FaultCase> {};

TEST_P(Class1SendFaults, EndWithTheirCode) {
    const Class1FaultCase& c = GetParam();
    if (!FaxlineOffers(c.lineArgs.front())) GTEST_SKIP() << "faxline has no " << c.lineArgs.front();
    ScratchFolder dir;
    std::vector<TestPage> pages;
    for (int i = 0; i < c.pages; ++i) pages.push_back(PatternPage(i + 1, false, 150));
    WriteApf(dir / "fax.apf", pages);
    std::vector<std::string> args{"--modem", dir / "modem",      "--class",  "1",
                                  "--file",  dir / "remote.tif", "--expect", c.remote};
    args.insert(args.end(), c.lineArgs.begin(), c.lineArgs.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = 14400;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    fax.DialAttempts = 1;
    fax.AbortNoConnect = true;
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    const int resent = fax.ResentPages();
    port.reset();
    EXPECT_EQ(line.Wait(), 0) << line.Output();

    EXPECT_EQ(result, c.expected) << TFxAbstractFax::CodeText(result).toStdString();
    // None of these is the user's cancel.
    EXPECT_EQ(trace.count(fsUserAbort), 0);
    EXPECT_EQ(trace.count(fsPageAccepted), c.accepted);
    EXPECT_EQ(trace.logs.back(), c.expected == 0 ? lfaxTransmitOk : lfaxTransmitFail);
    if (c.expected != 0) return;
    // Everything arrived, the rejected page included, row for row.
    EXPECT_EQ(resent, c.lineArgs.front() == std::string("--rtn-page") ? 1 : 0);
    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(RowDifferences(received[i], ExpectedSentPage(pages[i], QString())), 0)
            << "page " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Line, Class1SendFaults,
    ::testing::Values(
        // RTN on page 2: a lower rate, new training, page 2 again, then page 3.
        Class1FaultCase{"RejectedPageGoesAgainAtALowerRate", {"--rtn-page", "2"}, 3, 0, "ok", 3},
        Class1FaultCase{
            "DropAfterFirstPage", {"--drop-after-page", "1"}, 3, ecFaxSessionError, "dropped", 1},
        // DCN instead of CFR: the remote broke the call off.
        Class1FaultCase{
            "RemoteDcnInsteadOfCfr", {"--dcn-after", "dcs"}, 1, ecFaxSessionError, "failed", 0},
        // A machine that takes A4 only: the DCS claims no longer page.
        Class1FaultCase{"A4OnlyRemote", {"--remote-length", "a4"}, 2, 0, "ok", 2},
        Class1FaultCase{"Busy", {"--busy"}, 1, ecFaxBusy, "busy", 0},
        // NO CARRIER before any fax answer: the number was not answered, as in Class 2.
        Class1FaultCase{"NoAnswer", {"--no-answer"}, 1, ecFaxNoAnswer, "no-answer", 0},
        Class1FaultCase{"NoDialTone", {"--no-dialtone"}, 1, ecFaxNoDialTone, "no-dialtone", 0},
        Class1FaultCase{"NoiseAt50dBm0", {"--noise", "-50"}, 2, 0, "ok", 2},
        // 32 dB below the signals the modems still train (at a lower rate when V.17 fails),
        // as hardware does; louder noise is faxline's own test.
        Class1FaultCase{"NoiseAt46dBm0", {"--noise", "-46"}, 1, 0, "ok", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Class1SendFaults, VoiceAnswerIsNoFax) {
    if (!FaxlineOffers("--answer")) GTEST_SKIP() << "faxline has no --answer";
    ScratchFolder dir;
    WriteApf(dir / "fax.apf", {PatternPage(1, false, 50)});
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--file", dir / "remote.tif",
                          "--answer", "voice", "--expect", "failed"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    fax.DialAttempts = 1;
    fax.AbortNoConnect = true;
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    line.Wait();
    // The simulated Class 1 modem, like most, has no voice detection: it hears no V.21 flags
    // and says NO CARRIER, as it does for a number nobody answers.
    EXPECT_EQ(result, ecFaxNoAnswer) << TFxAbstractFax::CodeText(result).toStdString();
}

TEST(Class1ReceiveFaults, DropAfterFirstPageKeepsThatPage) {
    ScratchFolder dir;
    std::vector<TestPage> pages{PatternPage(4, true, 300), PatternPage(5, true, 300),
                                PatternPage(6, true, 300)};
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--remote", "send", "--file",
                          dir / "send.tif", "--drop-after-page", "1", "--expect", "dropped"});
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
    fax.BeginReceive();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    line.Wait();

    EXPECT_NE(result, 0);
    ASSERT_EQ(trace.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveFail}));
    const QString file = trace.logFiles.back();
    EXPECT_EQ(GetApfPageCount(file), 1);
    const auto received = DecodeApf(file.toStdString());
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], pages[0].bitmap), 0);
}

}  // namespace
}  // namespace corvane::testing
