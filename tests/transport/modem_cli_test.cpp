// corvane-cli modem: probing a scripted modem and listing the ports, run as the user runs it.

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "port_fixture.h"

namespace corvane::testing {
namespace {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

// The build tree's corvane-cli: from CORVANE_BUILD_DIR, else beside this test's build folder.
QString CliPath() {
    const QString buildDir = qEnvironmentVariable("CORVANE_BUILD_DIR");
    if (!buildDir.isEmpty()) return buildDir + "/src/cli/corvane-cli";
    return QCoreApplication::applicationDirPath() + "/../../src/cli/corvane-cli";
}

CliRun RunCli(const QString& home, const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", home);
    cli.setProcessEnvironment(env);
    cli.start(CliPath(), QStringList{"modem"} + args);
    CliRun run;
    if (!cli.waitForFinished(60000)) return run;
    run.exitCode = cli.exitCode();
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

using ModemCliTest = PortFixture;

TEST_F(ModemCliTest, ProbePrintsTheModemsReplies) {
    ScriptedModem modem(line_);
    modem.answer("AT", ModemReply("OK"));
    modem.answer("ATI", ModemReply("Scripted Fax Modem 2.1") + ModemReply("OK"));
    modem.answer("AT+FCLASS=?", ModemReply("0,1,2,2.0") + ModemReply("OK"));

    for (const QStringList& how :
         {QStringList{"--port", "1"}, QStringList{"--device", kTestModemName}}) {
        const CliRun run = RunCli(home_.path(), QStringList{"probe"} + how);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(
            run.out.endsWith("Modem answered OK\n"
                             "ATI:\n"
                             "  Scripted Fax Modem 2.1\n"
                             "  OK\n"
                             "AT+FCLASS=?:\n"
                             "  0,1,2,2.0\n"
                             "  OK\n"))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("opened " + line_.slavePath()));
    }
}

TEST_F(ModemCliTest, ProbeReportsPortsThatDoNotOpen) {
    CliRun run = RunCli(home_.path(), {"probe", "--port", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.contains("COM2: Unable to open the specified communications port (-2001 "
                         "ie_BadId - Specified comport doesn't exist)"))
        << run.err.toStdString();
    run = RunCli(home_.path(), {"probe", "--device", kMissingModemName});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QString("Failed to open ") + kMissingModemName));
    EXPECT_EQ(RunCli(home_.path(), {"probe", "--port", "9"}).exitCode, 2);
}

TEST_F(ModemCliTest, PortsListsComPortsAndTelephonyDevices) {
    const CliRun run = RunCli(home_.path(), {"ports"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split('\n');
    ASSERT_GE(lines.size(), 11);
    EXPECT_TRUE(lines[0].startsWith("COM1  " + line_.slavePath()));
    EXPECT_TRUE(lines[0].endsWith("present"));
    EXPECT_TRUE(lines[1].startsWith(QString("COM2  ") + kMissingDevice));
    EXPECT_TRUE(lines[1].endsWith("missing"));
    EXPECT_TRUE(lines[2].startsWith("COM3  /dev/ttyACM0"));
    EXPECT_EQ(lines[8], "Telephony devices:");
    EXPECT_TRUE(run.out.contains(QString("  ") + kTestModemName + "  " + line_.slavePath()));
    EXPECT_TRUE(run.out.contains(QString("  ") + kMissingModemName + "  " + kMissingDevice));
}

}  // namespace
}  // namespace corvane::testing
