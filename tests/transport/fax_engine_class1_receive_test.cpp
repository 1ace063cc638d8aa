// The Class 1 receive machine against the software fax machine of the simulated line, at
// every rate: the received APF file decodes to the sender's pixels, and the sender's summary
// shows the rate our DIS allowed.

#include <gtest/gtest.h>

#include <QDir>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/apf_reader.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct Class1ReceiveCase {
    const char* name;
    std::vector<bool> fine;
    int bps;  // DesiredBPS
    std::vector<std::string> lineArgs;
    const char* rate;
};

void PrintTo(const Class1ReceiveCase& c, std::ostream* os) {
    *os << c.name;
}

class Class1Receive : public ::testing::TestWithParam<Class1ReceiveCase> {};

TEST_P(Class1Receive, FileDecodesToTheSendersPixels) {
    const Class1ReceiveCase& c = GetParam();
    ScratchFolder dir;
    std::vector<TestPage> pages;
    for (size_t i = 0; i < c.fine.size(); ++i)
        pages.push_back(PatternPage(int(i) + 3, c.fine[i], 200));
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    std::vector<std::string> args{"--modem",  dir / "modem", "--class", "1",
                                  "--remote", "send",        "--file",  dir / "send.tif"};
    args.insert(args.end(), c.lineArgs.begin(), c.lineArgs.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());

    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = c.bps;
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
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["rate"], c.rate);
    EXPECT_EQ(summary["remote_id"], "CORVANE RX");
    ASSERT_EQ(trace.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk}));
    const QString file = trace.logFiles.back();
    EXPECT_EQ(ReadApfFileHeader(file).stationId().trimmed().toStdString(), "FAXLINE REMOTE");
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
    Calls, Class1Receive,
    ::testing::Values(
        Class1ReceiveCase{"At2400Standard", {false}, 2400, {}, "2400"},
        Class1ReceiveCase{"V27terSenderAt4800Fine", {true}, 14400, {"--rates", "v27ter"}, "4800"},
        // A DIS cannot stop a V.29 sender at 7200, nor a V.17 one at 12000: the wish
        // withholds the modems above it.
        Class1ReceiveCase{"Wish9600WithholdsV17Fine", {true}, 9600, {}, "9600"},
        // A DIS cannot say 12000: V.17 would bring the sender at 14400, so V.29 is offered.
        Class1ReceiveCase{"Wish12000OffersV29", {false}, 12000, {}, "9600"},
        // EOM between pages of another resolution: MCF as a final frame, then phase B again
        // with CSI and DIS, and the new DCS for the pages that follow.
        Class1ReceiveCase{
            "ResolutionChangesBetweenPages", {true, false, false}, 14400, {}, "14400"},
        Class1ReceiveCase{"V29SenderAt9600ThreeStandardPages",
                          {false, false, false},
                          14400,
                          {"--rates", "v27ter,v29"},
                          "9600"},
        Class1ReceiveCase{"At14400ThreeFinePages", {true, true, true}, 14400, {}, "14400"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
