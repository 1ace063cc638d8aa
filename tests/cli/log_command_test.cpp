// corvane-cli log ... over a fresh data folder, run as a separate process.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "fixtures/program_run.h"
#include "fixtures/temp_home.h"
#include "fixtures/xbase_test_util.h"
#include "xbase/xbase_table.h"

namespace corvane {
namespace {

class LogCommand : public ::testing::Test {
  protected:
    // `maxFileSize` > 0 runs the tool with that limit on the size of files it writes.
    testing::ProgramRun cli(const QStringList& args, qint64 maxFileSize = 0) {
        return testing::RunCli(QStringList{"log"} + args, home_.path(),
                               {.maxFileSize = maxFileSize});
    }
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(testing::CliPath()).isExecutable())
            << testing::CliPath().toStdString();
    }
    testing::TempHome home_;
};

TEST_F(LogCommand, AddListDeleteAndPack) {
    EXPECT_EQ(cli({"add", "out", "Invoice 42|Acme|555-1|FAX00000.APF||note|B7"}).lines(),
              QStringList{"1"});
    EXPECT_EQ(cli({"add", "out", "quote|Bob|555-2"}).lines(), QStringList{"2"});
    EXPECT_EQ(cli({"add", "in", "20240301|10:30|+47 555|120|FAX0001.APF"}).lines(),
              QStringList{"1"});
    EXPECT_EQ(cli({"add", "in", "2024-03-01|10:30"}).exitCode, 2);

    EXPECT_EQ(cli({"list", "in"}).lines(),
              QStringList{"1\t20240301\t10:30\t+47 555\t99\tFAX0001.APF\t\tF"});
    EXPECT_EQ(cli({"list", "out", "--tag", "subject"}).lines(),
              (QStringList{"1\tInvoice 42\t\t\tAcme\t555-1\t\tFAX00000.APF\t\tnote\tB7\tF",
                           "2\tquote\t\t\tBob\t555-2\t\t\t\t\t\tF"}));
    const testing::ProgramRun filtered = cli({"list", "out", "--filter", "\"INV\"$UPPER(SUBJECT)"});
    ASSERT_EQ(filtered.lines().size(), 1);
    EXPECT_TRUE(filtered.lines()[0].startsWith("1\tInvoice 42"));
    const testing::ProgramRun bad = cli({"list", "out", "--filter", "UPPER("});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("position 7")) << bad.err.toStdString();
    EXPECT_EQ(cli({"list", "out", "--tag", "NOSUCH"}).exitCode, 1);

    EXPECT_EQ(cli({"delete", "out", "1"}).exitCode, 0);
    EXPECT_EQ(cli({"delete", "out", "1"}).exitCode, 1);  // already gone
    EXPECT_EQ(cli({"delete", "in", "7"}).exitCode, 1);
    ASSERT_EQ(cli({"list", "out"}).lines().size(), 1);
    EXPECT_EQ(cli({"pack"}).lines().first(), "Removing FAX file records marked for deletion");
    const testing::ProgramRun packed = cli({"list", "out", "--tag", "DATESENT"});
    ASSERT_EQ(packed.lines().size(), 1);
    EXPECT_TRUE(packed.lines()[0].startsWith("1\tquote")) << packed.lines()[0].toStdString();
}

// The log tables hold code page 1252: its characters round-trip, any other is stored as "?"
// with a warning to the person who typed it.
TEST_F(LogCommand, TextBeyondLatin1RoundTripsAndTheRestIsWarnedAbout) {
    const testing::ProgramRun euro =
        cli({"add", "out", QString::fromUtf8("Price 5€|Šimon Müller|123||||„™“")});
    EXPECT_EQ(euro.lines(), QStringList{"1"});
    EXPECT_TRUE(euro.err.isEmpty()) << euro.err.toStdString();
    const testing::ProgramRun omega = cli({"add", "out", QString::fromUtf8("Ω|Ωmega|1")});
    EXPECT_EQ(omega.lines(), QStringList{"2"});
    EXPECT_TRUE(omega.err.contains("warning")) << omega.err.toStdString();
    EXPECT_EQ(cli({"list", "out"}).lines(),
              (QStringList{QString::fromUtf8("1\tPrice 5€\t\t\tŠimon Müller\t123\t\t\t\t\t„™“\tF"),
                           "2\t?\t\t\t?mega\t1\t\t\t\t\t\tF"}));
    const testing::ProgramRun found =
        cli({"list", "out", "--filter", QString::fromUtf8("UPPER(RECIPIENT) = \"ŠIMON MÜ\"")});
    ASSERT_EQ(found.lines().size(), 1);
    EXPECT_TRUE(found.lines()[0].startsWith("1\t"));
}

// A record that cannot be written says why, up to the message a person reads, and the log
// keeps what it had.
TEST_F(LogCommand, AFailedWriteSaysWhy) {
    if (QStandardPaths::findExecutable("prlimit").isEmpty()) GTEST_SKIP() << "prlimit missing";
    ASSERT_EQ(cli({"add", "out", "first|Acme|1"}).exitCode, 0);
    ASSERT_EQ(cli({"add", "in", "20240301|10:30|+47 555|1|FAX0001.APF"}).exitCode, 0);
    for (const char* which : {"out", "in"}) {
        SCOPED_TRACE(which);
        const QString table = home_.file(which == QString("out") ? "QXOUT.DBF" : "QXREC.DBF");
        const testing::ProgramRun r =
            cli({"add", which, "20240302|11:00|second|1"}, QFileInfo(table).size());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QFileInfo(table).fileName() + ": File too large"))
            << r.err.toStdString();
        EXPECT_EQ(cli({"list", which}).lines().size(), 1);
    }
}

TEST_F(LogCommand, ASecondProgramFindsTheLogLocked) {
    ASSERT_EQ(cli({"add", "out", "x"}).exitCode, 0);
    xbase::XbaseTable holder;
    ASSERT_TRUE(holder.open(home_.file("QXOUT.DBF"), xbase::OpenMode::Exclusive));
    const testing::ProgramRun r = cli({"list", "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Unable to open/create the FAX datafile - closing program"))
        << r.err.toStdString();
    holder.close();
    EXPECT_EQ(cli({"list", "out"}).lines().size(), 1);
}

}  // namespace
}  // namespace corvane
