// The send machine against the software fax machine of the simulated line: what arrives is
// compared with what was sent, page by page and row by row, header line included.

#include <gtest/gtest.h>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/convert/header_line.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;
const QString kHeaderTemplate = QStringLiteral("FROM $F PAGE $P OF $N");

struct SendCase {
    const char* name;
    FaxClassKind faxClass;
    std::vector<bool> fine;  // per page
    bool coverFile;          // first page comes as a file of its own (cover + document)
    int bps;
    const char* rate;  // rate the line reports
    const char* modemInit = "";
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

class SendFax : public ::testing::TestWithParam<SendCase> {};

TEST_P(SendFax, RemoteHoldsEveryPageRowForRow) {
    const SendCase& c = GetParam();
    ScratchFolder dir;
    std::vector<TestPage> pages;
    for (size_t i = 0; i < c.fine.size(); ++i) pages.push_back(PatternPage(int(i) + 1, c.fine[i]));
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
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());

    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = c.faxClass;
    fax.DesiredBPS = c.bps;
    fax.StationID = "corvane test";
    fax.HeaderLine = kHeaderTemplate;
    fax.HeaderSender = "Engine";
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = files;
    fax.ModemInit = QString::fromLatin1(c.modemInit);
    fax.BeginTransmit();
    const int result = RunToFinish(fax, kCallTimeoutMs);
    port.reset();

    EXPECT_EQ(result, 0) << TFxAbstractFax::CodeText(result).toStdString();
    EXPECT_EQ(fax.ClassInUse(),
              c.faxClass == FaxClassKind::Detect ? FaxClassKind::Class20 : c.faxClass);
    EXPECT_EQ(fax.RemoteID().toStdString(), "FAXLINE REMOTE");
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], "ok");
    EXPECT_EQ(summary["pages"], std::to_string(pages.size()));
    EXPECT_EQ(summary["rate"], c.rate);
    EXPECT_EQ(summary["remote_id"], "CORVANE TEST");  // sent upper-cased
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
    Calls, SendFax,
    ::testing::Values(
        SendCase{"Class2_OneFinePage", FaxClassKind::Class2, {true}, false, 14400, "14400"},
        SendCase{"Class20_OneFinePage", FaxClassKind::Class20, {true}, false, 14400, "14400"},
        SendCase{"Class2_ThreeStandardPages",
                 FaxClassKind::Class2,
                 {false, false, false},
                 false,
                 14400,
                 "14400"},
        SendCase{"Class20_ThreeFinePages",
                 FaxClassKind::Class20,
                 {true, true, true},
                 false,
                 14400,
                 "14400"},
        SendCase{"Class2_FineCoverThenStandardDocument",
                 FaxClassKind::Class2,
                 {true, false, false},
                 true,
                 14400,
                 "14400"},
        SendCase{"Class20_FineCoverThenStandardDocument",
                 FaxClassKind::Class20,
                 {true, false},
                 true,
                 14400,
                 "14400"},
        SendCase{"Class2_At9600", FaxClassKind::Class2, {true}, false, 9600, "9600"},
        SendCase{"Detected_At14400", FaxClassKind::Detect, {false}, false, 14400, "14400"},
        // A modem left in the other bit order: the engine sets line order for its pages.
        SendCase{"Class2_ModemInReversedBitOrder",
                 FaxClassKind::Class2,
                 {false},
                 false,
                 14400,
                 "14400",
                 "AT+FCLASS=2;+FBOR=1"},
        SendCase{"Class20_ModemInReversedBitOrder",
                 FaxClassKind::Class20,
                 {false},
                 false,
                 14400,
                 "14400",
                 "AT+FCLASS=2.0;+FBO=1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
