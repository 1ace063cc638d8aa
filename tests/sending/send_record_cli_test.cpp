// `corvane-cli fax send --record RECNO`: a record made the way scripts make one (an image
// turned into a fax file, `log add out`) sent through the simulated line, and its result in
// the outgoing log.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "core/app_folders.h"
#include "fax_engine_harness.h"
#include "logs/fax_data_module.h"

namespace corvane::testing {
namespace {

class CliRecordSend : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile ini(path("QX.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Ports]\r\nCOM1=%1\r\n[Modem]\r\nComPort=0\r\nFaxClass=3\r\n"
                                 "[User]\r\nName=CORVANE TEST\r\nFax=555 0100\r\n"
                                 "[Dialing]\r\nDialAttempts=1\r\n"
                                 "[Other]\r\nFaxHeaderTemplate=$F TO $R PAGE $P OF $N\r\n"
                                 "UseAlternateHeaderFont=1\r\n")
                      .arg(path("modem"))
                      .toUtf8());
    }

    QString path(const QString& name) const {
        return QString::fromStdString(dir_ / name.toStdString());
    }

    // Runs corvane-cli on the data folder; returns its exit code, output in `out`.
    int cli(const QStringList& args, QString* out = nullptr, int timeoutMs = 240000) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CORVANE_HOME", path(""));
        p.setProcessEnvironment(env);
        p.start(CORVANE_CLI, args);
        EXPECT_TRUE(p.waitForFinished(timeoutMs));
        const QString all = QString::fromUtf8(p.readAllStandardOutput()) +
                            QString::fromUtf8(p.readAllStandardError());
        if (out) *out = all;
        return p.exitCode();
    }

    // A one-page fax file in SEND/ made from a picture, logged as record 1.
    Bitmap makeRecord() {
        const TestPage page = PatternPage(5, true, 300);
        QFile pbm(path("page.pbm"));
        EXPECT_TRUE(pbm.open(QIODevice::WriteOnly));
        pbm.write(QStringLiteral("P4\n%1 %2\n")
                      .arg(page.bitmap.width)
                      .arg(page.bitmap.rows.size())
                      .toLatin1());
        for (const auto& row : page.bitmap.rows)
            pbm.write(reinterpret_cast<const char*>(row.data()), qint64(row.size()));
        pbm.close();
        QDir().mkpath(path("SEND"));
        QString out;
        EXPECT_EQ(
            cli({"apf", "from-image", path("page.pbm"), path("SEND/FAX00001.APF"), "--fine"}, &out),
            0)
            << out.toStdString();
        EXPECT_EQ(cli({"log", "add", "out", "Quote|BOB|5550199|FAX00001.APF|||"}, &out), 0)
            << out.toStdString();
        const auto pages = DecodeApf((path("SEND/FAX00001.APF")).toStdString());
        EXPECT_EQ(pages.size(), 1u);
        return pages.empty() ? Bitmap() : pages[0];
    }

    struct Record {
        QString result, phone, timeSent;
        QDate dateSent;
    };
    Record record(uint32_t recno) {
        setAppFolderOverride(path(""));
        TFDM fdm;
        Record r;
        if (fdm.OpenOutgoingLog() && fdm.FaxTable.go(recno)) {
            r.result = fdm.FaxTable.fieldText("LASTRESULT");
            r.phone = fdm.FaxTable.fieldText("PHONE");
            r.timeSent = fdm.FaxTable.fieldText("TIMESENT");
            r.dateSent = fdm.FaxTable.fieldDate("DATESENT");
        }
        fdm.CloseTables();
        setAppFolderOverride(QString());
        return r;
    }

    ScratchFolder dir_;
};

TEST_F(CliRecordSend, SendsTheRecordAndStoresTheResult) {
    const Bitmap page = makeRecord();
    FaxlineRun line(dir_,
                    {"--modem", dir_ / "modem", "--class", "2", "--file", dir_ / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    QString out;
    EXPECT_EQ(cli({"fax", "send", "--record", "1", "--prefix", "9"}, &out), 0) << out.toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    for (const char* expected :
         {"Opening communications port...\n", "Checking for modem...\n", "status 4802 Dialing\n",
          "page 1 of 1\n", "status 4807 Page accepted by remote\n",
          "1 page of 1 was sent. Transmission time: "})
        EXPECT_TRUE(out.contains(expected)) << expected << " missing in:\n" << out.toStdString();
    const auto received = faxline::testing::ReadTiffPages(dir_ / "remote.tif");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(RowDifferences(received[0],
                             ExpectedSentPage({true, page}, "CORVANE TEST TO BOB PAGE 1 OF 1")),
              0);
    const Record r = record(1);
    EXPECT_TRUE(r.result.startsWith("1 page of 1 was sent. Transmission time: "))
        << r.result.toStdString();
    EXPECT_EQ(r.phone, "5550199");
    EXPECT_EQ(r.dateSent, QDate::currentDate());
    EXPECT_EQ(r.timeSent.size(), 5);
    QFile log(path("Lastsend.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("\nDial Prefix: 9\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nFax Class: Class 2.0\n")) << text.toStdString();
}

TEST_F(CliRecordSend, FailureExitsNonZeroAndTheRecordKeepsTheReason) {
    makeRecord();
    FaxlineRun line(dir_, {"--modem", dir_ / "modem", "--class", "2", "--file", dir_ / "remote.tif",
                           "--busy", "--expect", "busy"});
    ASSERT_TRUE(line.WaitReady());
    QString out;
    EXPECT_EQ(cli({"fax", "send", "--record", "1"}, &out), 1);
    EXPECT_TRUE(
        out.contains("error -8064 Called fax number was busy\nNo pages were sent\n"
                     "It occurred during: Sending a fax\n"))
        << out.toStdString();
    line.Wait();
    const Record r = record(1);
    EXPECT_EQ(r.result, "Called fax number was busy");
    EXPECT_FALSE(r.dateSent.isValid());

    // Usage errors and records that cannot be sent.
    EXPECT_EQ(cli({"fax", "send", "--record", "7"}, &out), 1);
    EXPECT_TRUE(out.contains("the outgoing log has no record 7")) << out.toStdString();
    QFile::remove(path("SEND/FAX00001.APF"));
    EXPECT_EQ(cli({"fax", "send", "--record", "1"}, &out), 1);
    EXPECT_TRUE(out.contains("Error opening fax file")) << out.toStdString();
    EXPECT_EQ(cli({"fax", "send", "--record", "x"}, &out), 2);
}

}  // namespace
}  // namespace corvane::testing
