// Calls that go wrong on the simulated line: each ends with its error code and text, and
// nothing is lost (a receiver keeps the pages that arrived whole).

#include <gtest/gtest.h>

#include <QDir>

#include "core/fax_errors.h"
#include "fax_engine_harness.h"
#include "faxdoc/apf_reader.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct SendRun {
    int result = 1;
    EngineTrace trace;
    int dialAttempt = 0;
    int resent = 0;
    std::map<std::string, std::string> summary;
};

// Sends `pages` to the line started with `lineArgs`; `configure` adjusts the engine and may
// cancel it from a status event.
void RunSend(const std::vector<std::string>& lineArgs, const std::vector<TestPage>& pages,
             const std::function<void(TFxSendFax&, EngineTrace&)>& configure, SendRun& run,
             FaxClassKind faxClass = FaxClassKind::Class2) {
    ScratchFolder dir;
    WriteApf(dir / "fax.apf", pages);
    const char* kind = faxClass == FaxClassKind::Class1 ? "1" : "2";
    std::vector<std::string> args{"--modem", dir / "modem", "--class",
                                  kind,      "--file",      dir / "remote.tif"};
    args.insert(args.end(), lineArgs.begin(), lineArgs.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", false);
    TFxSendFax fax;
    run.trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = faxClass;
    fax.DesiredBPS = 14400;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    fax.DialRetryWait = 1;
    fax.AbortNoConnect = true;
    if (configure) configure(fax, run.trace);
    fax.BeginTransmit();
    run.result = RunToFinish(fax, kCallTimeoutMs);
    run.dialAttempt = fax.DialAttempt();
    run.resent = fax.ResentPages();
    port.reset();
    line.Wait();
    run.summary = line.Summary();
}

std::string Text(int code) {
    return TFxAbstractFax::CodeText(code).toStdString();
}

TEST(SendFaults, BusyNumberIsTriedDialAttemptsTimes) {
    SendRun run;
    RunSend(
        {"--busy", "--expect", "busy"}, {PatternPage(1, false, 50)},
        [](TFxSendFax& fax, EngineTrace&) { fax.DialAttempts = 3; }, run);
    EXPECT_EQ(run.result, ecFaxBusy) << Text(run.result);
    EXPECT_EQ(Text(run.result), "Called fax number was busy");
    EXPECT_EQ(run.dialAttempt, 3);
    EXPECT_EQ(run.trace.count(fsBusyWait), 2);  // two retries after the first try
    EXPECT_EQ(run.trace.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitFail}));
}

TEST(SendFaults, WithoutAttemptLimitABusyNumberIsRetriedUntilCancelled) {
    SendRun run;
    RunSend(
        {"--busy", "--expect", "busy"}, {PatternPage(1, false, 50)},
        [](TFxSendFax& fax, EngineTrace& trace) {
            fax.DialAttempts = 0;
            fax.OnFaxStatus = [&fax, &trace](bool, bool) {
                if (trace.statuses.empty() || trace.statuses.back() != fax.FaxStatus())
                    trace.statuses.push_back(fax.FaxStatus());
                if (fax.FaxStatus() == fsBusyWait && trace.count(fsBusyWait) == 3) fax.AbortFax();
            };
        },
        run);
    EXPECT_EQ(run.result, ecCancelRequested) << Text(run.result);
    EXPECT_EQ(run.dialAttempt, 3);
    EXPECT_EQ(run.trace.errors.back(), ecCancelRequested);
}

// An unanswered number: redialled like a busy one, then one code in every class.
TEST(SendFaults, NoAnswerIsRedialledThenRemoteDidNotAnswer) {
    for (FaxClassKind kind : {FaxClassKind::Class1, FaxClassKind::Class2, FaxClassKind::Class20}) {
        SendRun run;
        RunSend(
            {"--no-answer", "--expect", "no-answer"}, {PatternPage(1, false, 50)},
            [](TFxSendFax& fax, EngineTrace&) { fax.DialAttempts = 2; }, run, kind);
        EXPECT_EQ(run.result, ecFaxNoAnswer) << Text(run.result) << " class " << int(kind);
        EXPECT_EQ(Text(run.result), "Remote fax did not answer");
        EXPECT_EQ(run.dialAttempt, 2) << int(kind);
        EXPECT_EQ(run.trace.count(fsBusyWait), 1) << int(kind);
        EXPECT_EQ(run.trace.count(fsUserAbort), 0) << int(kind);
    }
}

TEST(SendFaults, DropAfterFirstPageFailsTheFax) {
    SendRun run;
    RunSend({"--drop-after-page", "1", "--expect", "dropped"},
            {PatternPage(1, false), PatternPage(2, false), PatternPage(3, false)}, nullptr, run);
    EXPECT_NE(run.result, 0);
    EXPECT_EQ(run.trace.logs.back(), lfaxTransmitFail);
    EXPECT_EQ(run.trace.count(fsPageAccepted), 1);
}

// Faults the stricter simulated line offers; skipped on a line without them.
struct StrictCase {
    const char* name;
    std::vector<std::string> lineArgs;
    std::vector<bool> fine;
    int expected;
    int rtn = 0;              // pages the far end refused (RTN)
    std::string status = {};  // the line's summary, when not ok or failed
    const char* dialPrefix = "";
};

void PrintTo(const StrictCase& c, std::ostream* os) {
    *os << c.name;
}

class StrictSendFaults : public ::testing::TestWithParam<StrictCase> {};

TEST_P(StrictSendFaults, EndWithTheirCode) {
    const StrictCase& c = GetParam();
    if (!FaxlineOffers(c.lineArgs.front())) GTEST_SKIP() << "faxline has no " << c.lineArgs.front();
    std::vector<TestPage> pages;
    for (size_t i = 0; i < c.fine.size(); ++i)
        pages.push_back(PatternPage(int(i) + 1, c.fine[i], 100));
    for (FaxClassKind kind : {FaxClassKind::Class2, FaxClassKind::Class20}) {
        SendRun run;
        std::vector<std::string> args = c.lineArgs;
        const std::string status = !c.status.empty() ? c.status : c.expected ? "failed" : "ok";
        args.insert(args.end(), {"--expect", status});
        RunSend(
            args, pages,
            [&c](TFxSendFax& fax, EngineTrace&) {
                fax.DialAttempts = 1;
                fax.DialPrefix = QString::fromLatin1(c.dialPrefix);
            },
            run, kind);
        EXPECT_EQ(run.result, c.expected) << Text(run.result) << " class " << int(kind);
        EXPECT_EQ(run.summary["status"], status);
        EXPECT_EQ(run.summary["rtn"], std::to_string(c.rtn));
        if (c.expected == 0) {
            EXPECT_EQ(run.resent, c.rtn);
            EXPECT_EQ(run.summary["pages"], std::to_string(pages.size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Line, StrictSendFaults,
    ::testing::Values(
        StrictCase{"NoDialTone", {"--no-dialtone"}, {false}, ecFaxNoDialTone, 0, "no-dialtone"},
        StrictCase{"RemoteWithoutFine", {"--remote-no-fine"}, {true}, ecFaxIncompatible},
        StrictCase{"RejectedPageIsSentAgain", {"--rtn-page", "2"}, {false, false, false}, 0, 1},
        // The same page refused three times: two resends, then the engine ends the call
        // (nothing reached the far end).
        StrictCase{"RtnGivesUpAfterTwoResends",
                   {"--rtn-page", "1", "--rtn-times", "3"},
                   {false, false},
                   ecFaxSessionError,
                   3},
        // The remote answers the training with DCN: the modem's +FHNG:23 during the
        // parameter exchange is a failed call, not a bad response of the modem.
        StrictCase{"RemoteDcnInPhaseB", {"--dcn-after", "dcs"}, {false}, ecFaxSessionError},
        // The line drops once the modems train: the modem's hang-up report (+FHNG:50 or
        // +FHS:50, the same code in decimal and in hex digits) gives one code in both classes.
        StrictCase{
            "LineDrops", {"--drop-after-ms", "2600"}, {false, false}, ecFaxPageError, 0, "dropped"},
        // Waiting for a quiet answer ('@'), a modem says NO ANSWER: redialled as busy is,
        // and with one attempt the call ends as unanswered.
        StrictCase{"NoAnswerResult", {"--no-answer"}, {false}, ecFaxNoAnswer, 0, "no-answer", "@"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendFaults, VoiceAnswerIsNoFax) {
    if (!FaxlineOffers("--answer")) GTEST_SKIP() << "faxline has no --answer";
    SendRun run;
    RunSend(
        {"--answer", "voice", "--expect", "failed"}, {PatternPage(1, false, 50)},
        [](TFxSendFax& fax, EngineTrace&) { fax.DialAttempts = 1; }, run);
    // The Class 2 modem's T.30 waits out T1 for a fax answer and reports +FHNG:11 before the
    // dial result: the far end answered, but not as a fax.
    EXPECT_EQ(run.result, ecFaxNoFaxConnect) << Text(run.result);
}

TEST(ReceiveFaults, DropAfterFirstPageKeepsThatPage) {
    ScratchFolder dir;
    std::vector<TestPage> pages{PatternPage(4, true, 300), PatternPage(5, true, 300),
                                PatternPage(6, true, 300)};
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif", "--drop-after-page", "1", "--expect", "dropped"});
    ASSERT_TRUE(line.WaitReady());
    auto port = OpenModemPort(dir / "modem", true);
    TFxReceiveFax fax;
    EngineTrace trace;
    trace.attach(fax);
    fax.ComPort = port.get();
    fax.FaxClass = FaxClassKind::Class2;
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
