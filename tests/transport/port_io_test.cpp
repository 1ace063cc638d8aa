// The blocking operations against a scripted modem: waiting for replies, sending, purging,
// and the program's modem check and command operations.

#include <QElapsedTimer>
#include <QTimer>
#include <atomic>

#include "core/fax_errors.h"
#include "port_fixture.h"
#include "transport/receive_fax.h"
#include "transport/ticks.h"

namespace corvane::testing {
namespace {

using PortIoTest = PortFixture;

constexpr int kGenerousTicks = 182;  // the waits below end early when the text comes

TEST_F(PortIoTest, AwaitStringFindsTheTextInModemReplies) {
    openPort();
    const struct {
        const char* incoming;
        const char* text;
        bool ignoreCase;
    } cases[] = {
        {"\r\nOK\r\n", "OK", false},
        {"OOK", "OK", false},
        {"\r\nok\r\n", "OK", true},
        {"\r\nCONNECONNECT 9600\r\n", "CONNECT", false},
    };
    for (const auto& c : cases) {
        QByteArray seen;
        port_.OnWaitChar = [&](char ch) { seen.append(ch); };
        line_.write(c.incoming);
        EXPECT_TRUE(port_.AwaitString(c.text, kGenerousTicks, false, c.ignoreCase)) << c.incoming;
        EXPECT_TRUE(QByteArray(c.incoming).startsWith(seen)) << c.incoming;
        EXPECT_TRUE(seen.endsWith(QByteArray(c.text).toUpper()) ||
                    seen.toUpper().endsWith(QByteArray(c.text).toUpper()));
        const int rest = static_cast<int>(qstrlen(c.incoming) - seen.size());
        ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() >= rest; }));
        port_.PurgeInput();
    }
    port_.OnWaitChar = nullptr;
    EXPECT_TRUE(port_.AwaitString("", 0, false, false));
}

TEST_F(PortIoTest, AwaitStringGivesUpWhenTheTextDoesNotCome) {
    openPort();
    line_.write("\r\nERROR\r\n");
    EXPECT_FALSE(port_.AwaitString("OK", 4, false, false));
    EXPECT_FALSE(port_.AwaitString("ok", 2, true, false));  // case matters without ignore-case
}

TEST_F(PortIoTest, YieldingWaitRunsEventsAndHoldsTriggersOff) {
    openPort();
    std::atomic<int> announced{0};
    port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind == TriggerKind::Avail) announced += e.count;
    });
    // The reply is written by an event that only a yielding wait lets run.
    QTimer::singleShot(0, [&] { line_.write("\r\nOK\r\nRING\r\n"); });
    EXPECT_FALSE(port_.AwaitString("OK", 2, false, false));
    EXPECT_TRUE(port_.AwaitString("OK", kGenerousTicks, true, false));
    // Only what the wait left behind is announced to the handlers.
    ASSERT_TRUE(WaitFor([&] { return announced >= 8; }));
    EXPECT_EQ(announced, 8);
}

TEST_F(PortIoTest, BytesAfterTheAwaitedTextStayForTheNextReader) {
    openPort();
    line_.write("\r\nOK\r\nRING\r\n");
    ASSERT_TRUE(port_.AwaitString("OK", kGenerousTicks, false, false));
    ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() >= 8; }));
    EXPECT_EQ(port_.PeekChar(0), '\r');
    EXPECT_EQ(port_.GetBlock(100), "\r\nRING\r\n");
}

TEST_F(PortIoTest, BlockLargerThanFreeSpaceIsRefusedWhole) {
    port_.SetOutSize(64);
    openPort();
    try {
        port_.SendString(QString(100, 'x'));
        FAIL() << "expected -3006";
    } catch (const EFaxError& e) {
        EXPECT_EQ(e.code(), ecOutputBufferTooSmall);
        EXPECT_EQ(e.text(), "Output buffer too small for block");
    }
    port_.SendString("END");
    const QByteArray sent = line_.readUntil([](const QByteArray& b) { return b.endsWith("END"); });
    EXPECT_EQ(sent, "END");  // nothing of the refused block went out
}

TEST_F(PortIoTest, OperationsOnAClosedPortRaiseNotOpen) {
    try {
        port_.SendString("AT\r");
        FAIL();
    } catch (const EFaxError& e) {
        EXPECT_EQ(e.code(), ecDeviceNotOpen);
    }
    EXPECT_EQ(port_.OutBuffFree(), 0);
    EXPECT_EQ(port_.AddTimerTrigger(), ecNoMoreTriggers);
}

TEST_F(PortIoTest, PurgeInputDropsWhatWaits) {
    openPort();
    line_.write("stale");
    ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() == 5; }));
    port_.PurgeInput();
    EXPECT_EQ(port_.InBuffUsed(), 0);
    line_.write("fresh");
    ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() == 5; }));
    EXPECT_EQ(port_.GetBlock(10), "fresh");
}

TEST_F(PortIoTest, CheckForModemAndCommands) {
    ScriptedModem modem(line_);
    modem.answer("AT", ModemReply("OK"));
    modem.answer("ATZ", ModemReply("OK"));
    modem.answer("AT&F", ModemReply("OK"));
    modem.answer("ATX9", ModemReply("ERROR"));
    openPort();
    EXPECT_TRUE(CheckForModem(port_, ""));
    EXPECT_TRUE(ResetModem(port_));
    EXPECT_TRUE(SendModemCommand(port_, "&F"));    // "AT" put in front
    EXPECT_TRUE(SendModemCommand(port_, "at&f"));  // already holds it
    EXPECT_EQ(modem.commands(), (QList<QByteArray>{"AT", "ATZ", "AT&F", "at&f"}));
    port_.SetOpen(false);
    EXPECT_FALSE(SendModemCommand(port_, "ATZ"));  // errors read as failure
}

TEST_F(PortIoTest, CheckForModemFallsBackToTheResetString) {
    // The modem ignores "AT" (one full 6-second wait) but answers the reset string.
    ScriptedModem modem(line_);
    modem.answer("AT&F1", ModemReply("OK"));
    openPort();
    EXPECT_TRUE(CheckForModem(port_, "  AT&F1  "));
    EXPECT_EQ(modem.commands(), (QList<QByteArray>{"AT", "AT&F1"}));
}

// A write the device refuses ends the call at once with -3004, from that write: not a reply
// time-out later, nor an error that only the next write would raise.
TEST_F(PortIoTest, AWriteTheDeviceRefusesEndsTheCallAtOnce) {
    openPort();
    TFxReceiveFax fax;
    fax.ComPort = &port_;
    fax.FaxClass = FaxClassKind::Class2;
    fax.StationID = QStringLiteral("TEST");
    int finished = 1;
    fax.OnFaxFinish = [&](int error) { finished = error; };
    {
        ScriptedModem modem(line_);
        for (const QString& command :
             {BuiltInInitString(false, true), QStringLiteral("AT+FCLASS=2"),
              QStringLiteral("AT+FCR=1"), QStringLiteral("AT+FLID=\"TEST\""),
              QStringLiteral("AT+FAA=0")})
            modem.answer(command.toLatin1(), ModemReply("OK"));
        fax.BeginReceive();  // the set-up; the first step of the machine runs from the events
    }
    line_.closeMaster();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitFor([&] { return finished != 1; }, 5000)) << "no end within 5 s";
    EXPECT_EQ(finished, ecPutBlockFailed);
    EXPECT_EQ(fax.LastError(), ecPutBlockFailed);
    EXPECT_LT(clock.elapsed(), TicksToMs(kReplyWaitTicks));
}

}  // namespace
}  // namespace corvane::testing
