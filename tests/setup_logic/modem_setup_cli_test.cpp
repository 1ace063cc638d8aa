// corvane-cli modem find / classes / suggest, run as the user runs them, against faxline
// modems; and the port finder as a user who may not open the modem's port.

#include <unistd.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "modem_line_fixture.h"

namespace corvane::testing {
namespace {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun RunCli(const QString& home, const QStringList& args, const QStringList& wrapper = {}) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", home);
    cli.setProcessEnvironment(env);
    const QStringList command = wrapper + QStringList{CORVANE_CLI_PATH, "modem"} + args;
    cli.start(command.first(), command.mid(1));
    CliRun run;
    if (!cli.waitForFinished(120000)) return run;
    run.exitCode = cli.exitCode();
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

using ModemSetupCliTest = ModemLineFixture;

TEST_F(ModemSetupCliTest, FindListsPortsDevicesAndResult) {
    const QString modem = startModem("m", {"--class", "2"});
    ASSERT_FALSE(modem.isEmpty());
    writeSettings({{2, modem}, {4, modem + "-second-link-missing"}},
                  {"usb-Corvane_Test_Modem-if00|" + modem});
    const CliRun run = RunCli(home_.path(), {"find"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.out.startsWith("Communications Ports:\n"
                           "Com 1: Port does not exist\n"
                           "Com 2: MODEM\n"
                           "       faxline / Class 2/2.0 simulated modem\n"
                           "Com 3: Port does not exist\n"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Named devices:\nusb-Corvane_Test_Modem-if00: MODEM (Com 2)\n"));
    EXPECT_TRUE(
        run.out.endsWith("A modem was found on Com Port 2. We suggest setting the Port as "
                         "Com 2.\nResult: COM2\n"))
        << run.out.toStdString();
}

TEST_F(ModemSetupCliTest, ClassesAndSuggest) {
    const QString modem = startModem("m", {"--class", "2", "--classes", "0,2.0"});
    ASSERT_FALSE(modem.isEmpty());
    writeSettings({{3, modem}}, {"usb-Twenty-if00|" + modem});
    for (const QStringList& how :
         {QStringList{"--port", "3"}, QStringList{"--device", "usb-Twenty-if00"}}) {
        const CliRun run = RunCli(home_.path(), QStringList{"classes"} + how);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out,
                  "Fax Classes:\n"
                  "Class 2.0 : Supported  (bold)\n"
                  "Class 2   : Not Supported\n"
                  "Class 1   : Not Supported\n"
                  "Try using the recommended Fax Class (Class 2.0). \n\n"
                  "If you experience problems, try other supported classes or auto detect.\n"
                  "Recommended: Class 2.0\n");
    }
    CliRun run = RunCli(home_.path(), {"classes", "--port", "9"});
    EXPECT_EQ(run.exitCode, 2);

    run = RunCli(home_.path(), {"suggest", "U.S. Robotics 56K FAX EXT"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "Family: USR 56K\n"
              "Sending init string: AT&H3&I2&R2S7=90S36=8S33=34\n"
              "Receiving init string: AT&H3&I2&R2S7=90S36=8S33=34\n");
    run = RunCli(home_.path(), {"suggest", "BCM V.90 56K Modem"});
    EXPECT_EQ(run.out, "Family: Broadcom\nSending init string: \nReceiving init string: \n");
    EXPECT_EQ(RunCli(home_.path(), {"suggest"}).exitCode, 2);
}

// Tests run as root, whom no device refuses. The search runs here as the user "nobody", for
// whom the modem's pseudo-terminal (owner root, group tty, mode 0620) cannot be opened: a
// real refusal by the system, not a simulated one.
TEST_F(ModemSetupCliTest, PortTheUserMayNotOpenSaysHowToFixIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the search as another user";
    const QString modem = startModem("m", {"--class", "2"});
    ASSERT_FALSE(modem.isEmpty());
    const QString device = QFileInfo(modem).canonicalFilePath();
    writeSettings({{2, device}});
    QFile::setPermissions(home_.path(),
                          QFile::permissions(home_.path()) | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(home_.file("QX.INI"),
                          QFile::permissions(home_.file("QX.INI")) | QFile::ReadOther);
    const CliRun run = RunCli(home_.path(), {"find"},
                              {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QString group = QFileInfo(device).group();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Com 2: No permission to open %1: add your user "
                                                "to the group \"%2\" (sudo usermod -aG %2 $USER) "
                                                "and log in again\n")
                                     .arg(device, group == "root" ? "dialout" : group)))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Some ports could not be opened for lack of permission"));
}

}  // namespace
}  // namespace corvane::testing
