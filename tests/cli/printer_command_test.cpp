// corvane-cli printer intake and status over a fresh data folder, run as a separate process:
// the headless way in for print jobs, and what status says when nothing is set up.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "core/ini_file.h"
#include "faxdoc/apf_format.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
};

class PrinterCommand : public ::testing::Test {
  protected:
    CliRun cli(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CORVANE_HOME", home_.path());
        env.insert("XDG_CONFIG_HOME", config_.path());
        // A server that is not there: status must say the queue is missing, not hang.
        env.insert("CUPS_SERVER", config_.path() + "/no-cups.sock");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(CORVANE_CLI, QStringList{"printer"} + args);
        CliRun r;
        if (!p.waitForFinished(60000)) return r;
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAll());
        return r;
    }
    void job(const QString& base, const QByteArray& lines) {
        home_.write("SEND/" + base + ".APF", testing::BuildApf({testing::RecordPage(
                                                 testing::Checkerboard(1728, 8, 8), kApfHighRes)}));
        home_.write("SEND/" + base + ".JFD", lines);
    }

    testing::TempHome home_;
    QTemporaryDir config_;
};

TEST_F(PrinterCommand, IntakeLogsWaitingJobsAndWritesTheHandOverFile) {
    job("PRN00000", "5551234\r\nAcme Ltd\r\nInvoice 12\r\n");
    job("PRN00001", "777\r\n");
    const CliRun run = cli({"intake"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("2 print job(s) taken in as new faxes")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Last record: 2")) << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(home_.file("SEND/PRN00000.JFD")));

    const IniFile handOver(config_.path() + "/corvane/QXPD.INI");
    EXPECT_EQ(QDir::cleanPath(handOver.readString("Location", "QXOutPath")),
              QDir::cleanPath(home_.file("SEND")));
    EXPECT_EQ(QFileInfo(handOver.readString("Location", "QXExecutable")).fileName(), "corvane");

    EXPECT_TRUE(cli({"intake"}).out.contains("0 print job(s) taken in"));
}

TEST_F(PrinterCommand, StatusSaysWhatIsMissingAndUsageErrorsExitTwo) {
    const CliRun status = cli({"status"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_TRUE(status.out.contains("Queue: \"Corvane-Fax\" is not installed"))
        << status.out.toStdString();
    EXPECT_TRUE(status.out.contains("QXPD.INI is missing")) << status.out.toStdString();
    EXPECT_EQ(cli({}).exitCode, 2);
    EXPECT_EQ(cli({"print"}).exitCode, 2);
}

}  // namespace
}  // namespace corvane
