// Opening and closing the port: error codes, the program's open operations, exclusive access
// against another process, telephony devices, and the size properties.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/fax_errors.h"
#include "port_fixture.h"
#include "transport/fx_tapi.h"

namespace corvane::testing {
namespace {

int OpenErrorCode(TFxComPort& port) {
    try {
        port.SetOpen(true);
    } catch (const EFaxError& e) {
        return e.code();
    }
    return 0;
}

using PortOpenTest = PortFixture;

TEST_F(PortOpenTest, FailedOpensRaiseTheirCodeAndLeaveThePortClosed) {
    const struct {
        const char* what;
        int comNumber;
        TapiMode tapi;
        int code;
    } cases[] = {
        {"no COM number", 0, TapiMode::Off, ecNoComNumber},
        {"missing device", 2, TapiMode::Off, ecBadId},
        {"TAPI without a handed-over line", 0, TapiMode::On, ecNotOpenedByTapi},
    };
    for (const auto& c : cases) {
        port_.SetComNumber(c.comNumber);
        port_.SetTapiMode(c.tapi);
        EXPECT_EQ(OpenErrorCode(port_), c.code) << c.what;
        EXPECT_FALSE(port_.Open()) << c.what;
    }
}

TEST_F(PortOpenTest, OpenPortDirectlyReportsCodeAndMessage) {
    port_.SetComNumber(2);
    PortOpenResult failed = OpenPortDirectly(port_);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.lastError, ecBadId);
    EXPECT_EQ(failed.message, "Unable to open the specified communications port");

    port_.SetComNumber(1);
    const PortOpenResult opened = OpenPortDirectly(port_);
    EXPECT_TRUE(opened.ok);
    EXPECT_EQ(opened.lastError, -1);
    EXPECT_TRUE(port_.Open());
    EXPECT_EQ(port_.DevicePath(), line_.slavePath());
    EXPECT_TRUE(port_.CheckDCD());  // a pseudo-terminal has no modem lines: read as up
    EXPECT_TRUE(port_.CheckCTS());
    // A second component on the same device is refused while the first holds it.
    TFxComPort second;
    second.SetComNumber(1);
    failed = OpenPortDirectly(second);
    EXPECT_EQ(failed.lastError, ecAlreadyOpen);
    EXPECT_EQ(failed.message, "The communications port is in use");
    port_.SetOpen(false);
    EXPECT_TRUE(OpenPortDirectly(second).ok);
}

TEST_F(PortOpenTest, DeviceHeldByAnotherProcessGivesInUse) {
    const QByteArray path = line_.slavePath().toLocal8Bit();
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls between fork and _exit.
        ::close(release[1]);
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
        const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        [[maybe_unused]] ssize_t w = ::write(ready[1], &ok, 1);
        char c;
        [[maybe_unused]] ssize_t r = ::read(release[0], &c, 1);
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');

    EXPECT_EQ(OpenErrorCode(port_), ecAlreadyOpen);
    EXPECT_FALSE(port_.Open());

    ::close(release[1]);  // the other process lets go and ends
    int status = 0;
    waitpid(child, &status, 0);
    ::close(ready[0]);
    EXPECT_EQ(OpenErrorCode(port_), 0);
    EXPECT_TRUE(port_.Open());
}

TEST_F(PortOpenTest, OpenThroughTelephonyDeviceFollowsTheHandOverSequence) {
    ScriptedModem modem(line_);
    modem.answer("AT", ModemReply("OK"));
    TFxTapiDevice tapi;
    EXPECT_TRUE(TFxTapiDevice::DeviceNames().contains(kTestModemName));

    const PortOpenResult opened = OpenPortWithTapi(port_, tapi, kTestModemName);
    ASSERT_TRUE(opened.ok) << opened.message.toStdString();
    EXPECT_TRUE(port_.Open());
    EXPECT_EQ(port_.GetTapiMode(), TapiMode::On);
    EXPECT_EQ(port_.DevicePath(), line_.slavePath());
    EXPECT_EQ(port_.Baud(), 19200);
    ASSERT_TRUE(modem.waitForCommands(1));
    EXPECT_EQ(modem.commands().first(), "AT");

    ReleaseTapiPort(port_, tapi);
    EXPECT_FALSE(port_.Open());
    EXPECT_FALSE(tapi.CallActive());
    EXPECT_NE(port_.GetTapiMode(), TapiMode::On);
}

TEST_F(PortOpenTest, TelephonyOpenFailuresGiveTheirMessages) {
    TFxTapiDevice tapi;
    PortOpenResult r = OpenPortWithTapi(port_, tapi, "No Such Modem");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Unable to assign TAPI device");

    r = OpenPortWithTapi(port_, tapi, kMissingModemName);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QString("Failed to open ") + kMissingModemName);
    EXPECT_FALSE(port_.Open());

    // An unknown name falls back to the device chooser.
    r = OpenPortWithTapi(port_, tapi, "No Such Modem", [] { return QString(kTestModemName); });
    EXPECT_TRUE(r.ok);
    ReleaseTapiPort(port_, tapi);
}

TEST_F(PortOpenTest, ProgramBufferSizesPerUse) {
    const struct {
        PortUse use;
        bool larger;
        int in, out, full, resume;
    } cases[] = {
        {PortUse::Receiving, true, 16384, 8192, 14745, 1638},
        {PortUse::Receiving, false, 8192, 8192, 7372, 819},
        {PortUse::Sending, true, 8192, 16384, 7372, 819},
        {PortUse::Setup, true, 8192, 8192, 7372, 819},
    };
    for (const auto& c : cases) {
        TFxComPort port;
        ApplyProgramPortSettings(port, c.use, c.larger);
        EXPECT_EQ(port.InSize(), c.in);
        EXPECT_EQ(port.OutSize(), c.out);
        EXPECT_EQ(port.BufferFull(), c.full);
        EXPECT_EQ(port.BufferResume(), c.resume);
        EXPECT_EQ(port.Baud(), 19200);
        EXPECT_FALSE(port.AutoOpen());
    }
}

TEST(PortPropertiesTest, DefaultsAndFlowLimitRules) {
    TFxComPort port;
    EXPECT_EQ(port.ComNumber(), 0);
    EXPECT_EQ(port.Baud(), 19200);
    EXPECT_EQ(port.InSize(), 4096);
    EXPECT_EQ(port.OutSize(), 4096);
    EXPECT_EQ(port.HWFlowOptions(), 0u);
    EXPECT_EQ(port.BufferFull(), 0);
    EXPECT_TRUE(port.AutoOpen() && port.DTR() && port.RTS());
    EXPECT_EQ(port.GetTapiMode(), TapiMode::Auto);
    EXPECT_FALSE(port.Open());

    port.SetInSize(8192);
    port.SetBufferFull(9000);  // beyond the queue
    EXPECT_EQ(port.BufferFull(), 7372);
    port.SetBufferResume(8000);  // beyond the limit
    EXPECT_EQ(port.BufferResume(), 737);

    TFxComPort flow;
    flow.SetInSize(16384);
    flow.SetHWFlowOptions(hwfUseRTS | hwfRequireCTS);  // limits unset: 90 % and 10 %
    EXPECT_EQ(flow.BufferFull(), 14745);
    EXPECT_EQ(flow.BufferResume(), 1638);
}

}  // namespace
}  // namespace corvane::testing
