// The port finder against faxline modems placed on numbered ports and named devices, a port
// another program holds, a port where nothing answers and a port that may not be opened.

#include <QProcess>
#include <QStringList>

#include "core/settings.h"
#include "modem_line_fixture.h"
#include "pty_modem.h"
#include "setup/logic/modem_test.h"
#include "setup/logic/port_finder.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/uucp_lock.h"

namespace corvane::testing {
namespace {

class PortFinderTest : public ModemLineFixture {
  protected:
    PortFinder& runFinder() {
        LoadSettings();
        ApplyProgramPortSettings(port_, PortUse::Setup, false);
        port_.SetComNumber(5);
        finder_ = std::make_unique<PortFinder>(port_, QString());
        finder_->onLine = [this](int index, const QString& text) {
            seen_ << QStringLiteral("%1 %2").arg(index).arg(text);
        };
        finder_->run();
        return *finder_;
    }

    TFxComPort port_;
    std::unique_ptr<PortFinder> finder_;
    QStringList seen_;
};

TEST_F(PortFinderTest, ModemsOnCom2AndCom4) {
    const QString second = startModem("com2", {"--class", "2"});
    const QString fourth = startModem("com4", {"--class", "1"});
    const QString named = startModem("usb", {"--class", "2"});
    ASSERT_FALSE(second.isEmpty());
    ASSERT_FALSE(fourth.isEmpty());
    ASSERT_FALSE(named.isEmpty());
    writeSettings({{2, second}, {4, fourth}},
                  {"usb-Corvane_Test_Modem-if00|" + named, "usb-Same_As_Com2-if00|" + second,
                   "usb-Gone-if00|/nonexistent/ttyGone"});

    PortFinder& f = runFinder();
    const QStringList lines = f.comLines();
    EXPECT_EQ(lines, (QStringList{"Com 1: Port does not exist", "Com 2: MODEM",
                                  "Com 3: Port does not exist", "Com 4: MODEM",
                                  "Com 5: Port does not exist", "Com 6: Port does not exist",
                                  "Com 7: Port does not exist", "Com 8: Port does not exist"}));
    EXPECT_EQ(f.result(), 2);
    EXPECT_EQ(f.informationText(),
              "A modem was found on Com Port 2. We suggest setting the Port as Com 2.");
    EXPECT_EQ(f.comIdentifications()[1], "faxline / Class 2/2.0 simulated modem");
    EXPECT_FALSE(f.comIdentifications()[3].isEmpty());
    EXPECT_TRUE(f.comIdentifications()[0].isEmpty());
    // Each line shows TESTING before its outcome.
    EXPECT_TRUE(seen_.contains("1 Com 2: TESTING"));
    EXPECT_LT(seen_.indexOf("1 Com 2: TESTING"), seen_.indexOf("1 Com 2: MODEM"));

    ASSERT_EQ(f.namedDevices().size(), 3u);
    EXPECT_EQ(f.namedDevices()[0].text, "usb-Corvane_Test_Modem-if00: MODEM");
    EXPECT_EQ(f.namedDevices()[0].identification, "faxline / Class 2/2.0 simulated modem");
    EXPECT_EQ(f.namedDevices()[1].text, "usb-Same_As_Com2-if00: MODEM (Com 2)");
    EXPECT_EQ(f.namedDevices()[2].text, "usb-Gone-if00: Port does not exist");
    EXPECT_EQ(f.namedResult(), "usb-Corvane_Test_Modem-if00");

    // The port is given back closed, on its own number, and can be opened at once.
    EXPECT_FALSE(port_.Open());
    EXPECT_EQ(port_.ComNumber(), 5);
    EXPECT_EQ(port_.GetTapiMode(), TapiMode::Auto);
    port_.SetComNumber(2);
    EXPECT_TRUE(OpenPortDirectly(port_).ok());
    port_.SetOpen(false);

    // The question afterwards: only for a port other than the chosen one.
    EXPECT_EQ(PortAdoptQuestion(2, 0), "Set Com Port to Com 2");
    EXPECT_EQ(PortAdoptQuestion(2, 1), "");
    EXPECT_EQ(PortAdoptQuestion(-1, 0), "");
}

TEST_F(PortFinderTest, HeldPortAndSilentPort) {
    const QString held = startModem("held", {"--class", "2"});
    ASSERT_FALSE(held.isEmpty());
    PtyPair silent;  // opens, answers nothing
    // Another program holds the modem's port by its lock file.
    QProcess other;
    other.start("sleep", {"60"});
    ASSERT_TRUE(other.waitForStarted());
    QFile lock(lockDir() + "/" + UucpLockFileName(held));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QStringLiteral("%1\n").arg(other.processId(), 10).toLatin1());
    lock.close();
    writeSettings({{2, held}, {3, silent.slavePath()}});

    PortFinder& f = runFinder();
    EXPECT_EQ(f.comLines()[1], "Com 2: Port is already open (could be modem)");
    EXPECT_EQ(f.comLines()[2], "Com 3: Unknown");
    EXPECT_EQ(f.result(), -1);
    EXPECT_TRUE(f.portInUse());
    EXPECT_EQ(f.informationText(),
              "No modem found. Please make sure that all communication programs (internet, AOL, "
              "etc) are closed, and then try again. If you know which Com port your modem uses, "
              "you can also just set the Port to that setting");
    // The other program's lock is left alone.
    EXPECT_TRUE(QFile::exists(lock.fileName()));
    other.kill();
    other.waitForFinished();
}

// A USB modem known only by name: no numbered port answers, the named device does.
TEST_F(PortFinderTest, ModemOnlyOnANamedDevice) {
    const QString usb = startModem("usb", {"--class", "1"});
    ASSERT_FALSE(usb.isEmpty());
    writeSettings({}, {"usb-Only_By_Name-if00|" + usb});
    PortFinder& f = runFinder();
    EXPECT_EQ(f.result(), -1);
    EXPECT_EQ(f.namedResult(), "usb-Only_By_Name-if00");
    EXPECT_EQ(f.informationText(),
              "A modem was found on the device \"usb-Only_By_Name-if00\". We suggest selecting "
              "it in the list of modems.");
}

TEST_F(PortFinderTest, NothingAnywhere) {
    writeSettings({});
    PortFinder& f = runFinder();
    EXPECT_EQ(f.result(), -1);
    EXPECT_FALSE(f.portInUse());
    EXPECT_EQ(f.informationText(),
              "No modem found. If you know which Com port your modem uses, you can also just set "
              "the Port to that setting. Please note that Corvane does not work with CABLE, DSL "
              "or ISDN connections.");
}

}  // namespace
}  // namespace corvane::testing
