// The receive machine against the software fax machine of the simulated line: the received
// APF file decodes to the sender's pixels, named and described as the program expects.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/apf_reader.h"
#include "transport/fax_status_codes.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct ReceiveCase {
    const char* name;
    FaxClassKind faxClass;
    std::vector<bool> fine;
};

void PrintTo(const ReceiveCase& c, std::ostream* os) {
    *os << c.name;
}

class ReceiveFax : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(ReceiveFax, FileDecodesToTheSendersPixels) {
    const ReceiveCase& c = GetParam();
    ScratchFolder dir;
    std::vector<TestPage> pages;
    for (size_t i = 0; i < c.fine.size(); ++i) pages.push_back(PatternPage(int(i) + 3, c.fine[i]));
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif"});
    ASSERT_TRUE(line.WaitReady());

    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = c.faxClass;
    fax.DesiredBPS = 14400;
    fax.StationID = "corvane rx";
    fax.DestinationDir = inbox;
    fax.OneFax = true;
    QString accepted;
    fax.OnFaxAccept = [&](const QString& id) {
        accepted = id;
        return true;
    };
    fax.BeginReceive();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();

    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(accepted.toStdString(), "FAXLINE REMOTE");
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["status"], "ok");
    EXPECT_EQ(line.Summary()["remote_id"], "CORVANE RX");
    ASSERT_EQ(trace.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk}));
    // Named by the receive rule in the destination folder, cleared after the call.
    const QString file = trace.logFiles.back();
    EXPECT_EQ(QFileInfo(file).fileName().toStdString(), "FAX0001.APF");
    EXPECT_EQ(QFileInfo(file).absolutePath(), QFileInfo(inbox).absoluteFilePath());
    EXPECT_TRUE(fax.FaxFile.isEmpty());

    const ApfFileHeader header = ReadApfFileHeader(file);
    EXPECT_EQ(header.stationId().trimmed().toStdString(), "FAXLINE REMOTE");
    std::vector<bool> fine;
    const auto received = DecodeApf(file.toStdString(), &fine);
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(fine[i], pages[i].fine) << "page " << i + 1;
        EXPECT_EQ(received[i].rows.size(), pages[i].bitmap.rows.size()) << "page " << i + 1;
        EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0) << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ReceiveFax,
    ::testing::Values(
        ReceiveCase{"Class2_OneFinePage", FaxClassKind::Class2, {true}},
        ReceiveCase{"Class20_OneFinePage", FaxClassKind::Class20, {true}},
        ReceiveCase{"Class2_ThreeStandardPages", FaxClassKind::Class2, {false, false, false}},
        ReceiveCase{"Class20_ThreeFinePages", FaxClassKind::Class20, {true, true, true}},
        ReceiveCase{"Class2_ResolutionChanges", FaxClassKind::Class2, {true, false, false}},
        ReceiveCase{"Class20_ResolutionChanges", FaxClassKind::Class20, {false, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

// Without OneFax the receiver goes back to waiting after each call; a line that can call twice
// in one run shows it.
TEST(ReceiveRun, WaitsForTheNextCallAfterEachFax) {
    if (!FaxlineOffers("--calls")) GTEST_SKIP() << "faxline has no --calls";
    ScratchFolder dir;
    const TestPage page = PatternPage(7, false, 200);
    WriteTiff(dir / "send.tif", {page});
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif", "--calls", "2"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class20;
    fax.DestinationDir = inbox;
    trace.attach(fax);
    fax.OnFaxLog = [&](int code) {
        trace.logs.push_back(code);
        trace.logFiles << fax.FaxFile;
        if (std::count(trace.logs.begin(), trace.logs.end(), lfaxReceiveOk) == 2) fax.AbortFax();
    };
    fax.BeginReceive();
    const int result = RunToFinish(fax, 2 * kCallTimeoutMs);
    port.reset();
    line.Wait();
    EXPECT_EQ(result, ecCancelRequested);
    ASSERT_EQ(trace.logs,
              (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk, lfaxReceiveStart, lfaxReceiveOk}));
    EXPECT_TRUE(trace.logFiles[1].endsWith("FAX0001.APF"));
    EXPECT_TRUE(trace.logFiles[3].endsWith("FAX0002.APF"));
    for (int i : {1, 3}) {
        const auto received = DecodeApf(trace.logFiles[i].toStdString());
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(RowDifferences(received[0], page.bitmap), 0);
    }
}

// A sender that breaks the call off with DCN fails that call, not the receive run: the
// receiver goes back to waiting and answers the next call.
TEST(ReceiveRun, SenderDcnFailsThatCallAndTheNextIsAnswered) {
    if (!FaxlineOffers("--dcn-after")) GTEST_SKIP() << "faxline has no --dcn-after";
    for (const char* kind : {"1", "2"}) {
        ScratchFolder dir;
        WriteTiff(dir / "send.tif", {PatternPage(8, false, 100)});
        const QString inbox = QString::fromStdString(dir / "inbox");
        QDir().mkpath(inbox);
        FaxlineRun line(
            dir, {"--modem", dir / "modem", "--class", kind, "--remote", "send", "--file",
                  dir / "send.tif", "--calls", "2", "--dcn-after", "dis", "--expect", "failed"});
        ASSERT_TRUE(line.WaitReady());
        auto port = OpenModemPort(dir / "modem", true);
        TFxReceiveFax fax;
        EngineTrace trace;
        fax.ComPort = port.get();
        fax.FaxClass = kind[0] == '1' ? FaxClassKind::Class1 : FaxClassKind::Class2;
        fax.DestinationDir = inbox;
        trace.attach(fax);
        fax.OnFaxError = [&](int code) {
            trace.errors.push_back(code);
            if (trace.errors.size() == 2) fax.AbortFax();
        };
        fax.BeginReceive();
        const int result = RunToFinish(fax, 2 * kCallTimeoutMs);
        port.reset();
        line.Wait();
        EXPECT_EQ(result, ecCancelRequested) << "class " << kind;
        EXPECT_EQ(trace.errors,
                  (std::vector<int>{ecFaxSessionError, ecFaxSessionError, ecCancelRequested}))
            << "class " << kind;
        EXPECT_EQ(trace.count(fsAnswering), 2) << "class " << kind;
        EXPECT_EQ(line.Summary()["calls"], "2") << "class " << kind;
    }
}

}  // namespace
}  // namespace corvane::testing
