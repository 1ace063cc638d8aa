// Corvane's engines against modems with the faults real hardware shows (faxline's
// --personality): each row sends or receives one short page through a modem with one fault
// or a combination, and the far end must hold what was sent row for row, at the rate the
// line gives without the fault, or the call must fail with the stated code. Rows for efax
// against the same modem stand beside them as a reference.

#include <gtest/gtest.h>

#include <QDir>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 180000;

enum class Direction { Send, Receive };

struct PersonalityCase {
    const char* name;
    std::vector<std::string> personalities;  // values of --personality
    FaxClassKind faxClass;
    Direction direction;
    int result;            // Corvane's finish code
    const char* rate;      // the far end's rate for a call that succeeds
    bool xonXoff = false;  // the engine's software flow control (a modem family setting)
    int rows = 160;        // a page long enough to fill the modem's buffer where that matters
};

void PrintTo(const PersonalityCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> LineArgs(const ScratchFolder& dir, const PersonalityCase& c,
                                  const std::string& file) {
    std::vector<std::string> args{"--modem", dir / "modem",
                                  "--class", c.faxClass == FaxClassKind::Class1 ? "1" : "2",
                                  "--file",  file};
    if (c.direction == Direction::Receive) {
        args.push_back("--remote");
        args.push_back("send");
    }
    for (const std::string& p : c.personalities) {
        args.push_back("--personality");
        args.push_back(p);
    }
    return args;
}

class Personality : public ::testing::TestWithParam<PersonalityCase> {};

TEST_P(Personality, PagesArriveRowForRowOrTheCallFailsWithItsCode) {
    const PersonalityCase& c = GetParam();
    ScratchFolder dir;
    const TestPage page = PatternPage(7, true, c.rows);
    std::unique_ptr<TFxAbstractFax> engine;
    std::unique_ptr<FaxlineRun> line;
    EngineTrace trace;
    if (c.direction == Direction::Send) {
        WriteApf(dir / "fax.apf", {page});
        line = std::make_unique<FaxlineRun>(dir, LineArgs(dir, c, dir / "remote.tif"));
        auto fax = std::make_unique<TFxSendFax>();
        fax->StationID = "corvane";
        fax->PhoneNumber = "5550100";
        fax->FaxFileList = {QString::fromStdString(dir / "fax.apf")};
        engine = std::move(fax);
    } else {
        WriteTiff(dir / "send.tif", {page});
        QDir().mkpath(QString::fromStdString(dir / "inbox"));
        line = std::make_unique<FaxlineRun>(dir, LineArgs(dir, c, dir / "send.tif"));
        auto fax = std::make_unique<TFxReceiveFax>();
        fax->StationID = "corvane";
        fax->DestinationDir = QString::fromStdString(dir / "inbox");
        fax->OneFax = true;
        engine = std::move(fax);
    }
    ASSERT_TRUE(line->WaitReady());
    auto port = OpenModemPort(dir / "modem", c.direction == Direction::Receive);
    engine->ComPort = port.get();
    engine->FaxClass = c.faxClass;
    engine->DesiredBPS = 14400;
    engine->SoftwareFlow = c.xonXoff;
    trace.attach(*engine);
    if (c.direction == Direction::Send)
        static_cast<TFxSendFax&>(*engine).BeginTransmit();
    else
        static_cast<TFxReceiveFax&>(*engine).BeginReceive();
    const int result = RunToFinish(*engine, kCallTimeoutMs);
    port.reset();
    line->Wait();

    ASSERT_EQ(result, c.result) << TFxAbstractFax::CodeText(result).toStdString() << "\n"
                                << line->Output();
    if (c.result != 0) return;
    auto summary = line->Summary();
    EXPECT_EQ(summary["status"], "ok") << line->Output();
    EXPECT_EQ(summary["rate"], c.rate);
    EXPECT_EQ(summary["underruns"], "0");
    std::vector<Bitmap> received;
    Bitmap expected = page.bitmap;
    if (c.direction == Direction::Send) {
        received = faxline::testing::ReadTiffPages(dir / "remote.tif");
        expected = ExpectedSentPage(page, QString());
    } else {
        ASSERT_FALSE(trace.logFiles.isEmpty());
        received = DecodeApf(trace.logFiles.back().toStdString());
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rows.size(), expected.rows.size());
    EXPECT_EQ(RowDifferences(received[0], expected), 0);
}

constexpr auto C1 = FaxClassKind::Class1;
constexpr auto C2 = FaxClassKind::Class2;
constexpr auto C20 = FaxClassKind::Class20;
constexpr auto Tx = Direction::Send;
constexpr auto Rx = Direction::Receive;

INSTANTIATE_TEST_SUITE_P(
    Modems, Personality,
    ::testing::Values(
        // The OK after DCS comes before the carrier ends: the training command meets its
        // tail, +FCERROR, and goes again at once (not taken for a failed training, which
        // would step the rate down).
        PersonalityCase{"EarlyOkReceive", {"early-ok"}, C1, Rx, 0, "14400"},
        PersonalityCase{"EarlyOkSend", {"early-ok"}, C1, Tx, 0, "14400"},
        // +FCERROR to the first listening command after each transmission.
        PersonalityCase{"FcerrorEagerReceive", {"fcerror-eager"}, C1, Rx, 0, "14400"},
        PersonalityCase{"FcerrorEagerSend", {"fcerror-eager"}, C1, Tx, 0, "14400"},
        PersonalityCase{
            "FcerrorEagerTwiceReceive", {"fcerror-eager:2", "early-ok"}, C1, Rx, 0, "14400"},
        // XON/XOFF alone pace the page data: with software flow control (the family's
        // setting) the engine waits for XON.
        PersonalityCase{"IgnoresCtsSendXonXoff", {"ignores-cts"}, C1, Tx, 0, "14400", true, 1400},
        PersonalityCase{
            "Fclass1ForcesXonSend", {"fclass1-forces-xon"}, C1, Tx, 0, "14400", true, 1400},
        PersonalityCase{"IgnoresCtsReceive", {"ignores-cts"}, C1, Rx, 0, "14400"},
        // Received pages in the bit order opposite to the one the modem claims: the order is
        // told from the page.
        PersonalityCase{"Class2MsbFirstReceive", {"class2-msb-first"}, C2, Rx, 0, "14400"},
        PersonalityCase{"FboInvertedReceive", {"fbo-inverted"}, C20, Rx, 0, "14400"},
        // DC2 then XON after +FDR: either starts the page.
        PersonalityCase{"XonOnlyReceiveClass2", {"xon-only"}, C2, Rx, 0, "14400"},
        PersonalityCase{"XonOnlyReceiveClass20", {"xon-only"}, C20, Rx, 0, "14400"},
        // No XON after +FDT's CONNECT: the page goes after a short wait.
        PersonalityCase{"NoXonAfterFdtSend", {"no-xon-after-fdt"}, C2, Tx, 0, "14400"},
        // The page's own RTC ends it on the line.
        PersonalityCase{"NoRtcSendClass2", {"no-rtc"}, C2, Tx, 0, "14400"},
        PersonalityCase{"NoRtcSendClass20", {"no-rtc"}, C20, Tx, 0, "14400"},
        PersonalityCase{"GarbageRtcSendClass2", {"garbage-rtc"}, C2, Tx, 0, "14400"}),
    [](const auto& info) { return std::string(info.param.name); });

// efax against the same modems, as a reference: its exit status (0 success, 3 protocol
// failure) and, for a call it completed, the far end's verdict on the page.
struct EfaxCase {
    const char* name;
    std::vector<std::string> personalities;
    const char* efaxClass;  // efax -o: 1, 2 (Class 2) or 0 (Class 2.0)
    Direction direction;
    const char* efaxOptions;  // further -o letters, e.g. "x" for XON/XOFF
    int efaxExit;
    const char* status;  // the line's summary status
};

void PrintTo(const EfaxCase& c, std::ostream* os) {
    *os << c.name;
}

class EfaxReference : public ::testing::TestWithParam<EfaxCase> {};

TEST_P(EfaxReference, EndsAsRecorded) {
    const EfaxCase& c = GetParam();
    ScratchFolder dir;
    const std::string page = dir.MakePage("page", "EFAX REFERENCE PAGE", 200);
    ASSERT_FALSE(page.empty());
    std::vector<std::string> args{"--modem", dir / "modem", "--class",
                                  std::string(c.efaxClass) == "1" ? "1" : "2"};
    if (c.direction == Direction::Send) {
        args.insert(args.end(), {"--file", dir / "remote.tif"});
    } else {
        args.insert(args.end(), {"--remote", "send", "--file", page});
    }
    args.insert(args.end(), {"--expect", c.status});
    for (const std::string& p : c.personalities) args.insert(args.end(), {"--personality", p});
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    const std::string efax =
        "timeout 100 efax -d '" + dir / "modem" + "' -o" + c.efaxClass + c.efaxOptions;
    const int exit = c.direction == Direction::Send
                         ? faxline::testing::Shell(efax + " -t 123 '" + page + "' > '" +
                                                   dir / "efax.log" + "' 2>&1")
                         : faxline::testing::Shell(efax + " -w -iS0=2 -r '" + dir / "received" +
                                                   "' > '" + dir / "efax.log" + "' 2>&1");
    EXPECT_EQ(exit, c.efaxExit);
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["status"], c.status) << line.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Modems, EfaxReference,
    ::testing::Values(
        // efax takes the +FCERROR after its training check or its frames for a wrong carrier
        // and gives up.
        EfaxCase{"EarlyOkReceive", {"early-ok"}, "1", Rx, "", 3, "failed"},
        EfaxCase{"EarlyOkSend", {"early-ok"}, "1", Tx, "", 3, "failed"},
        EfaxCase{"FcerrorEagerReceive", {"fcerror-eager"}, "1", Rx, "", 0, "ok"},
        EfaxCase{"FcerrorEagerSend", {"fcerror-eager"}, "1", Tx, "", 3, "failed"},
        // efax trusts the Class 2 bit order unless told otherwise (-or); it has no such
        // option for Class 2.0.
        EfaxCase{"Class2MsbFirstReceive", {"class2-msb-first"}, "2", Rx, "", 3, "failed"},
        EfaxCase{"Class2MsbFirstReceiveOptionR", {"class2-msb-first"}, "2", Rx, "r", 0, "ok"},
        EfaxCase{"FboInvertedReceive", {"fbo-inverted"}, "0", Rx, "", 3, "failed"},
        EfaxCase{"NoRtcSendClass2", {"no-rtc"}, "2", Tx, "", 0, "ok"},
        // efax sends DC2 unless told to send XON (-ox).
        EfaxCase{"XonOnlyReceive", {"xon-only"}, "2", Rx, "", 3, "failed"},
        EfaxCase{"XonOnlyReceiveOptionX", {"xon-only"}, "2", Rx, "x", 0, "ok"},
        EfaxCase{"NoXonAfterFdtSend", {"no-xon-after-fdt"}, "2", Tx, "", 0, "ok"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
