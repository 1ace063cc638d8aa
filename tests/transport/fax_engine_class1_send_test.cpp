// The Class 1 send machine against the software fax machine of the simulated line, at every
// rate: what arrives is compared with what was sent, page by page and row by row, header line
// included, and the far end's summary shows the rate and resolution of the call.

#include <gtest/gtest.h>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/convert/header_line.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;
const QString kHeaderTemplate = QStringLiteral("FROM $F PAGE $P OF $N");

struct Class1SendCase {
    const char* name;
    std::vector<bool> fine;  // per page
    bool coverFile;          // the first page comes as a file of its own
    int bps;                 // DesiredBPS
    std::vector<std::string> lineArgs;
    const char* rate;  // the rate the far end reports
    const char* stationId = "corvane test";
    const char* remoteSeesId = "CORVANE TEST";
};

void PrintTo(const Class1SendCase& c, std::ostream* os) {
    *os << c.name;
}

class Class1Send : public ::testing::TestWithParam<Class1SendCase> {};

TEST_P(Class1Send, RemoteHoldsEveryPageRowForRow) {
    const Class1SendCase& c = GetParam();
    ScratchFolder dir;
    std::vector<TestPage> pages;
    for (size_t i = 0; i < c.fine.size(); ++i)
        pages.push_back(PatternPage(int(i) + 1, c.fine[i], 200));
    QStringList files;
    if (c.coverFile) {
        WriteApf(dir / "cover.apf", {pages[0]});
        WriteApf(dir / "doc.apf", std::vector<TestPage>(pages.begin() + 1, pages.end()));
        files << QString::fromStdString(dir / "cover.apf")
              << QString::fromStdString(dir / "doc.apf");
    } else {
        WriteApf(dir / "fax.apf", pages);
        files << QString::fromStdString(dir / "fax.apf");
    }
    std::vector<std::string> args{"--modem", dir / "modem", "--class",
                                  "1",       "--file",      dir / "remote.tif"};
    args.insert(args.end(), c.lineArgs.begin(), c.lineArgs.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());

    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = c.bps;
    fax.StationID = c.stationId;
    fax.HeaderLine = kHeaderTemplate;
    fax.HeaderSender = "Engine";
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = files;
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();

    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(fax.ClassInUse(), FaxClassKind::Class1);
    EXPECT_EQ(fax.RemoteID().toStdString(), "FAXLINE REMOTE");
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], std::to_string(pages.size()));
    EXPECT_EQ(summary["rate"], c.rate);
    EXPECT_EQ(summary["resolution"], c.fine.back() ? "fine" : "standard");
    EXPECT_EQ(summary["remote_id"], c.remoteSeesId);
    EXPECT_EQ(summary["bad_rows"], "0");
    EXPECT_EQ(trace.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));

    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        HeaderLineValues values;
        values.sender = "Engine";
        values.page = int(i) + 1;
        values.pageCount = int(pages.size());
        const Bitmap expected =
            ExpectedSentPage(pages[i], ExpandHeaderLine(kHeaderTemplate, values));
        EXPECT_EQ(received[i].rows.size(), expected.rows.size()) << "page " << i + 1;
        EXPECT_EQ(RowDifferences(received[i], expected), 0) << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Class1Send,
    ::testing::Values(
        Class1SendCase{"At2400Standard", {false}, false, 2400, {}, "2400"},
        // A remote with V.27ter only, with 9600 wished: 4800.
        Class1SendCase{
            "V27terRemoteAt4800Fine", {true}, false, 9600, {"--rates", "v27ter"}, "4800"},
        Class1SendCase{"At7200Fine", {true}, false, 7200, {"--rates", "v27ter,v29"}, "7200"},
        Class1SendCase{"At9600ThreeStandardPages", {false, false, false}, false, 9600, {}, "9600"},
        Class1SendCase{"At12000Fine", {true}, false, 12000, {}, "12000"},
        Class1SendCase{"At14400ThreeFinePages", {true, true, true}, false, 14400, {}, "14400"},
        Class1SendCase{
            "FineCoverThenStandardDocument", {true, false, false}, true, 14400, {}, "14400"},
        // FTT at 9600 from a V.27ter and V.29 remote: a new DCS at 7200.
        Class1SendCase{"FttAt9600StepsDownTo7200",
                       {false},
                       false,
                       14400,
                       {"--rates", "v27ter,v29", "--ftt-above", "7200"},
                       "7200"},
        Class1SendCase{"ShortStationId", {false}, false, 14400, {}, "14400", "ABC", "ABC"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
