// `corvane-cli fax send|receive` against the simulated fax line, as a user runs them.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "fax_engine_harness.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/apf_reader.h"

namespace corvane::testing {
namespace {

void WriteIni(const ScratchFolder& dir) {
    QFile ini(QString::fromStdString(dir / "QX.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[Ports]\r\nCOM1=%1\r\n")
                  .arg(QString::fromStdString(dir / "modem"))
                  .toUtf8());
}

void StartCli(QProcess& p, const ScratchFolder& dir, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", QString::fromStdString(dir.path().string()));
    p.setProcessEnvironment(env);
    p.start(CORVANE_CLI, args);
    ASSERT_TRUE(p.waitForStarted());
}

TEST(CliFax, SendPrintsStatusAndRemoteIdAndTheRemoteHoldsThePages) {
    ScratchFolder dir;
    WriteIni(dir);
    std::vector<TestPage> pages{PatternPage(1, true, 200), PatternPage(2, true, 200)};
    WriteApf(dir / "fax.apf", pages);
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    QProcess cli;
    StartCli(cli, dir,
             {"fax", "send", "--port", "1", "--class", "2.0", "--station-id", "cli test",
              "--header", "PAGE $P OF $N", "5550100", QString::fromStdString(dir / "fax.apf")});
    ASSERT_TRUE(cli.waitForFinished(240000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitCode(), 0) << out.toStdString() << cli.readAllStandardError().toStdString();
    for (const char* expected :
         {"status 4801 Initializing modem for fax processing\n", "status 4802 Dialing\n",
          "remote id \"FAXLINE REMOTE\"\n", "page 1 of 2\n", "page 2 of 2\n",
          "status 4807 Page accepted by remote\n", "status 4843 Finished\n", "result 0 OK\n"})
        EXPECT_TRUE(out.contains(expected)) << expected << " missing in:\n" << out.toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["remote_id"], "CLI TEST");
    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        // Below the header band (white rows and the header line in the system font) the rows
        // are the page's own.
        Bitmap tail;
        tail.width = received[i].width;
        ASSERT_GT(received[i].rows.size(), pages[i].bitmap.rows.size() + 8);
        const size_t band = received[i].rows.size() - pages[i].bitmap.rows.size();
        tail.rows.assign(received[i].rows.begin() + long(band), received[i].rows.end());
        EXPECT_EQ(RowDifferences(tail, pages[i].bitmap), 0);
    }
}

// The README's first fax with a Class 1 modem, and a fax received the same way.
TEST(CliFax, Class1SendAndReceive) {
    ScratchFolder dir;
    WriteIni(dir);
    const TestPage page = PatternPage(3, true, 200);
    WriteApf(dir / "fax.apf", {page});
    {
        FaxlineRun line(dir,
                        {"--modem", dir / "modem", "--class", "1", "--file", dir / "remote.tif"});
        ASSERT_TRUE(line.WaitReady());
        QProcess cli;
        StartCli(cli, dir,
                 {"fax", "send", "--port", "1", "--class", "1", "--bps", "14400", "--station-id",
                  "abc", "--header", "", "5550100", QString::fromStdString(dir / "fax.apf")});
        ASSERT_TRUE(cli.waitForFinished(240000));
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        EXPECT_EQ(cli.exitCode(), 0) << out.toStdString();
        for (const char* expected : {"remote id \"FAXLINE REMOTE\"\n", "rate 14400 fine\n",
                                     "status 4807 Page accepted by remote\n", "result 0 OK\n"})
            EXPECT_TRUE(out.contains(expected)) << expected << " missing in:\n"
                                                << out.toStdString();
        EXPECT_EQ(line.Wait(), 0) << line.Output();
        EXPECT_EQ(line.Summary()["remote_id"], "ABC");
        const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(RowDifferences(received[0], ExpectedSentPage(page, QString())), 0);
    }
    WriteTiff(dir / "send.tif", {page});
    const QString inbox = QString::fromStdString(dir / "inbox");
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--remote", "send", "--file",
                          dir / "send.tif"});
    ASSERT_TRUE(line.WaitReady());
    QProcess cli;
    StartCli(cli, dir, {"fax", "receive", "--port", "1", "--class", "1", "--dir", inbox, "--once"});
    ASSERT_TRUE(cli.waitForFinished(240000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("pages 1 from \"FAXLINE REMOTE\"")) << out.toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    const auto received = DecodeApf((inbox + "/FAX0001.APF").toStdString());
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], page.bitmap), 0);
}

TEST(CliFax, SendFailureExitsNonZeroWithCodeAndText) {
    ScratchFolder dir;
    WriteIni(dir);
    WriteApf(dir / "fax.apf", {PatternPage(1, false, 50)});
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--busy", "--expect", "busy"});
    ASSERT_TRUE(line.WaitReady());
    QProcess cli;
    StartCli(cli, dir,
             {"fax", "send", "--port", "1", "--class", "auto", "--attempts", "1", "5550100",
              QString::fromStdString(dir / "fax.apf")});
    ASSERT_TRUE(cli.waitForFinished(120000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(out.endsWith("result -8064 Called fax number was busy\n")) << out.toStdString();
}

// Killed in the middle of a call, the receiver leaves a file that holds the pages finished so
// far and nothing else.
TEST(CliFax, ReceiveKilledMidCallLeavesTheFinishedPages) {
    ScratchFolder dir;
    WriteIni(dir);
    std::vector<TestPage> pages{PatternPage(1, true, 800), PatternPage(2, true, 800),
                                PatternPage(3, true, 800)};
    WriteTiff(dir / "send.tif", pages);
    const QString inbox = QString::fromStdString(dir / "inbox");
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif", "--pace", "realtime", "--expect", "dropped"});
    ASSERT_TRUE(line.WaitReady());
    QProcess cli;
    StartCli(cli, dir, {"fax", "receive", "--port", "1", "--class", "2", "--dir", inbox, "--once"});
    const QString file = inbox + "/FAX0001.APF";
    QElapsedTimer waited;
    waited.start();
    while (GetApfPageCount(file) < 1 && waited.elapsed() < 180000 &&
           cli.state() == QProcess::Running)
        QThread::msleep(20);
    cli.kill();
    cli.waitForFinished();
    line.Wait();

    const int count = GetApfPageCount(file);
    ASSERT_GE(count, 1) << cli.readAllStandardOutput().toStdString();
    // The page chain accounts for every byte of the file.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    qint64 end = kApfFileHeaderSize;
    for (int n = 1; n <= count; ++n)
        end += kApfPageHeaderSize + ReadApfPageHeader(file, n).imageLength;
    EXPECT_EQ(f.size(), end);
    const auto received = DecodeApf(file.toStdString());
    ASSERT_EQ(int(received.size()), count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(RowDifferences(received[i], pages[i].bitmap), 0);
}

// Without --once the receiver answers call after call until SIGTERM, which stops it cleanly:
// the fax is in the incoming log, Lastrec.log ends with the stop, and the lock is gone. A second
// receiver on the same data folder meanwhile refuses to start.
TEST(CliFax, ReceiveRunsUntilSigtermAndRefusesASecondReceiver) {
    ScratchFolder dir;
    WriteIni(dir);
    const TestPage page = PatternPage(5, false, 200);
    WriteTiff(dir / "send.tif", {page});
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          dir / "send.tif"});
    ASSERT_TRUE(line.WaitReady());
    QProcess cli;
    StartCli(cli, dir, {"fax", "receive", "--port", "1", "--class", "2"});
    QString out;
    QElapsedTimer waited;
    waited.start();
    // Stored, and the call over: back to waiting.
    auto callOver = [&] {
        const int at = out.indexOf("pages 1 from");
        return at >= 0 && out.indexOf("Waiting for call", at) > at;
    };
    while (!callOver() && waited.elapsed() < 180000 && cli.state() == QProcess::Running) {
        cli.waitForReadyRead(200);
        out += QString::fromUtf8(cli.readAllStandardOutput());
    }
    ASSERT_TRUE(out.contains("pages 1 from \"FAXLINE REMOTE\"")) << out.toStdString();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dir / "receive.lck")));

    QProcess second;
    StartCli(second, dir, {"fax", "receive", "--port", "1", "--class", "2", "--once"});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
                    .contains("Receive mode is already running for this data folder"));

    cli.terminate();  // SIGTERM
    ASSERT_TRUE(cli.waitForFinished(60000));
    out += QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0) << out.toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir / "receive.lck")));
    QFile log(QString::fromStdString(dir / "Lastrec.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("1 pages received from FAXLINE REMOTE")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Stopped receive mode \n")) << text.toStdString();
    // The record, read back by the log command.
    QProcess list;
    StartCli(list, dir, {"log", "list", "in"});
    ASSERT_TRUE(list.waitForFinished(30000));
    const QString records = QString::fromUtf8(list.readAllStandardOutput());
    EXPECT_TRUE(records.contains("FAXLINE REMOTE")) << records.toStdString();
    EXPECT_TRUE(records.contains("FAX0001.APF")) << records.toStdString();
    const auto received = DecodeApf(dir / "RECEIVE/FAX0001.APF");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0], page.bitmap), 0);
}

// A data folder where no modem was ever set up: receive mode is refused with the command that
// sets one up (the window would run its quick setup), and after `modem use` it goes ahead.
TEST(CliFax, ReceiveWithoutAModemNamesTheSetupCommand) {
    ScratchFolder dir;
    WriteIni(dir);  // ports mapped, but no ComPort stored
    struct Run {
        int exitCode;
        QString out, err;
    };
    auto run = [&](const QStringList& args) {
        QProcess p;
        StartCli(p, dir, args);
        EXPECT_TRUE(p.waitForFinished(60000)) << args.join(' ').toStdString();
        return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    };
    const Run refused = run({"fax", "receive", "--once"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("no modem is set up yet")) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("corvane-cli modem use --port N"))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir / "Lastrec.log")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir / "receive.lck")));

    // Mistakes change nothing.
    EXPECT_EQ(run({"modem", "use"}).exitCode, 2);
    EXPECT_EQ(run({"modem", "use", "--port", "9"}).exitCode, 2);
    const Run unknown = run({"modem", "use", "--device", "No such modem"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("No such modem")) << unknown.err.toStdString();
    EXPECT_TRUE(run({"settings", "show"}).out.contains("PortUnconfigured=1"));

    const Run used = run({"modem", "use", "--port", "1", "--name", "Ann Lee", "--fax", "555 0199"});
    EXPECT_EQ(used.exitCode, 0) << used.err.toStdString();
    EXPECT_EQ(used.out.trimmed(), "Modem: COM1 (" + QString::fromStdString(dir / "modem") + ")");
    const QString settings = run({"settings", "show"}).out;
    for (const char* line :
         {"PortUnconfigured=0", "[Modem] ComPort=0", "[User] Name=Ann Lee", "[User] Fax=555 0199"})
        EXPECT_TRUE(settings.contains(line)) << line << "\n" << settings.toStdString();

    // Set up: receive mode now opens COM1 (where no line runs, so it fails there).
    const Run tried = run({"fax", "receive", "--once"});
    EXPECT_EQ(tried.exitCode, 1);
    EXPECT_FALSE(tried.err.contains("no modem is set up yet")) << tried.err.toStdString();
    EXPECT_TRUE(tried.out.contains("Opening com port: COM1")) << tried.out.toStdString();
}

}  // namespace
}  // namespace corvane::testing
