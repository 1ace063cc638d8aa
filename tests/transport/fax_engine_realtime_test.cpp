// One send and one receive per class with the simulated line at real time, so the engine's
// timers meet the pace of a hardware modem.

#include <gtest/gtest.h>

#include <QDir>

#include "fax_engine_harness.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 280000;

class Realtime : public ::testing::TestWithParam<FaxClassKind> {};

TEST_P(Realtime, SendsAPage) {
    ScratchFolder dir;
    const TestPage page = PatternPage(1, true, 600);
    WriteApf(dir / "fax.apf", {page});
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--pace", "realtime"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    fax.ComPort = port.get();
    fax.FaxClass = GetParam();
    fax.DesiredBPS = 14400;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], ExpectedSentPage(page, QString())), 0);
}

TEST_P(Realtime, ReceivesAPage) {
    ScratchFolder dir;
    const TestPage page = PatternPage(2, true, 600);
    WriteTiff(dir / "send.tif", {page});
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif", "--pace", "realtime"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = GetParam();
    fax.DestinationDir = inbox;
    fax.OneFax = true;
    fax.BeginReceive();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();
    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    line.Wait();
    ASSERT_FALSE(trace.logFiles.isEmpty());
    const auto received = DecodeApf(trace.logFiles.back().toStdString());
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], page.bitmap), 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, Realtime,
                         ::testing::Values(FaxClassKind::Class2, FaxClassKind::Class20),
                         [](const auto& info) {
                             return std::string(info.param == FaxClassKind::Class2 ? "Class2"
                                                                                   : "Class20");
                         });

}  // namespace
}  // namespace corvane::testing
