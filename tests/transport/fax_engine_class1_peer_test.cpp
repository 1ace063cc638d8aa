// Corvane's Class 1 engine against Corvane's Class 2 engine, each on one modem of a simulated
// line, both directions: the T.30 procedure the Class 1 engine conducts meets the one inside
// the Class 2 modem, and the pages arrive row for row.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "fax_engine_harness.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;

struct TwoModemCase {
    const char* name;
    FaxClassKind sender;
    FaxClassKind receiver;
};

void PrintTo(const TwoModemCase& c, std::ostream* os) {
    *os << c.name;
}

const char* LineClass(FaxClassKind kind) {
    return kind == FaxClassKind::Class1 ? "1" : "2";
}

class TwoModems : public ::testing::TestWithParam<TwoModemCase> {};

TEST_P(TwoModems, ReceiverHoldsWhatTheSenderSent) {
    const TwoModemCase& c = GetParam();
    ScratchFolder dir;
    const std::vector<TestPage> pages{PatternPage(1, true, 300), PatternPage(2, true, 300)};
    WriteApf(dir / "fax.apf", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    QDir().mkpath(inbox);
    FaxlineRun line(dir, {"--modem", dir / "caller", "--class", LineClass(c.sender), "--modem2",
                          dir / "answerer", "--class2", LineClass(c.receiver)});
    ASSERT_TRUE(line.WaitReady());

    QEventLoop loop;
    int sendResult = 1, receiveResult = 1;
    bool sendDone = false, receiveDone = false;
    auto answererPort = OpenModemPort(dir / "answerer", true);
    TFxReceiveFax receiver;
    EngineTrace trace;
    trace.attach(receiver);
    receiver.ComPort = answererPort.get();
    receiver.FaxClass = c.receiver;
    receiver.DesiredBPS = 14400;
    receiver.DestinationDir = inbox;
    receiver.OneFax = true;
    receiver.OnFaxFinish = [&](int code) {
        receiveResult = code;
        receiveDone = true;
        if (sendDone) loop.quit();
    };
    receiver.BeginReceive();
    QElapsedTimer waited;
    waited.start();
    while (receiver.FaxStatus() != fsWaitingCall && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(receiver.FaxStatus(), fsWaitingCall);

    auto callerPort = OpenModemPort(dir / "caller", false);
    TFxSendFax sender;
    sender.ComPort = callerPort.get();
    sender.FaxClass = c.sender;
    sender.DesiredBPS = 14400;
    sender.StationID = "two modems";
    sender.PhoneNumber = "5550100";
    sender.FaxFileList = {QString::fromStdString(dir / "fax.apf")};
    sender.OnFaxFinish = [&](int code) {
        sendResult = code;
        sendDone = true;
        if (receiveDone) loop.quit();
    };
    sender.BeginTransmit();
    QTimer::singleShot(kCallTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    callerPort.reset();
    answererPort.reset();
    line.Wait();

    ASSERT_TRUE(sendDone && receiveDone);
    EXPECT_EQ(sendResult, 0) << TFxAbstractFax::CodeText(sendResult).toStdString();
    EXPECT_EQ(receiveResult, 0) << TFxAbstractFax::CodeText(receiveResult).toStdString();
    EXPECT_EQ(receiver.RemoteID().toStdString(), "TWO MODEMS");
    ASSERT_FALSE(trace.logFiles.isEmpty());
    std::vector<bool> fine;
    const auto received = DecodeApf(trace.logFiles.back().toStdString(), &fine);
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(fine[i]);
        EXPECT_EQ(RowDifferences(received[i], ExpectedSentPage(pages[i], QString())), 0)
            << "page " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, TwoModems,
    ::testing::Values(TwoModemCase{"Class1ToClass2", FaxClassKind::Class1, FaxClassKind::Class2},
                      TwoModemCase{"Class2ToClass1", FaxClassKind::Class2, FaxClassKind::Class1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
