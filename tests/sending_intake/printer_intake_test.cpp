// The intake of the fax printer's jobs: job files read by position, new-fax and append jobs,
// jobs that wait, and the hand-over file. Each test has a fresh data folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/apf_reader.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "sending/intake/printer_intake.h"

namespace corvane {
namespace {

using testing::BuildApf;
using testing::Checkerboard;
using testing::RecordPage;

QByteArray FaxOfPages(int pages, quint16 flags = kApfHighRes) {
    std::vector<testing::FixturePage> list;
    for (int i = 0; i < pages; ++i)
        list.push_back(RecordPage(Checkerboard(1728, 16, 8 + i), flags));
    return BuildApf(list);
}

struct Row {
    QString phone, recipient, subject, faxDoc;
};

class PrinterIntakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir().mkpath(SendFolder());
        ASSERT_TRUE(fdm_.OpenFaxLogs()) << boxes_.texts().join("; ").toStdString();
    }
    QString job(const QString& name, const QByteArray& jobFile, int pages = 1) {
        home_.write("SEND/" + name + ".APF", FaxOfPages(pages));
        return home_.write("SEND/" + name + ".JFD", jobFile);
    }
    bool exists(const QString& relative) const { return QFile::exists(home_.file(relative)); }
    std::vector<Row> records() {
        std::vector<Row> rows;
        auto& t = fdm_.FaxTable;
        for (uint32_t r = 1; r <= t.recCount(); ++r) {
            t.go(r);
            rows.push_back({t.fieldText("PHONE").trimmed(), t.fieldText("RECIPIENT").trimmed(),
                            t.fieldText("SUBJECT").trimmed(), t.fieldText("FAXDOC").trimmed()});
        }
        return rows;
    }

    corvane::testing::TempHome home_;
    ScopedScriptedMessageBoxes boxes_;
    TFDM fdm_;
};

TEST(PrintJobFile, LinesAreReadByPositionAndKeptAsStored) {
    struct Case {
        const char* bytes;
        const char *line1, *line2, *line3;
        bool append;
    } cases[] = {
        {"5551234\r\nAcme Ltd\r\nInvoice 12\r\n", "5551234", "Acme Ltd", "Invoice 12", false},
        {"5551234", "5551234", "", "", false},                      // one line, no line end
        {"", "", "", "", false},                                    // empty job file
        {" 555 \r\n  Acme\r\n\r\n", " 555 ", "  Acme", "", false},  // no trimming
        {"APPENDTO\r\nFAX00003.APF\r\nignored\r\n", "APPENDTO", "FAX00003.APF", "ignored", true},
        {"appendto\r\nFAX00003.APF\r\n", "appendto", "FAX00003.APF", "", false},  // exact case
        {"APPENDTO \r\nFAX00003.APF\r\n", "APPENDTO ", "FAX00003.APF", "", false},
        {"1\n2\n3\n4\n", "1", "2", "3", false},           // bare LF; a fourth line is ignored
        {"Z\xfcrich\r\n", "Z\u00fcrich", "", "", false},  // not UTF-8: Windows-1252
    };
    for (const Case& c : cases) {
        const PrintJobLines lines = ParseJobFile(QByteArray(c.bytes));
        EXPECT_EQ(lines.line1, QString::fromUtf8(c.line1)) << c.bytes;
        EXPECT_EQ(lines.line2, QString::fromUtf8(c.line2)) << c.bytes;
        EXPECT_EQ(lines.line3, QString::fromUtf8(c.line3)) << c.bytes;
        EXPECT_EQ(lines.isAppend(), c.append) << c.bytes;
    }
    const PrintJobLines written{"5551234", "M\u00fcller", "Offer"};
    EXPECT_EQ(FormatJobFile(written), QByteArray("5551234\r\nM\xc3\xbcller\r\nOffer\r\n"));
    const PrintJobLines back = ParseJobFile(FormatJobFile(written));
    EXPECT_EQ(back.line2, written.line2);
}

TEST_F(PrinterIntakeTest, NewFaxJobsBecomeUnsentRecordsAndKeepTheirFaxFile) {
    job("PRN00000", "5551234\r\nAcme Ltd\r\nInvoice 12\r\n", 2);
    job("PRN00001", "appendto\r\nPRN00000.APF\r\n");  // lower case: a new fax to "appendto"
    job("PRN00002", "0301 998877");                   // one line
    PrinterIntake intake(fdm_);
    EXPECT_TRUE(intake.ProcessExtraPDFaxFiles());

    const std::vector<Row> rows = records();
    ASSERT_EQ(rows.size(), 3u);
    const Row expected[] = {{"5551234", "Acme Ltd", "Invoice 12", "PRN00000.APF"},
                            {"appendto", "PRN00000.APF", "", "PRN00001.APF"},
                            {"0301 998877", "", "", "PRN00002.APF"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].phone, expected[i].phone) << i;
        EXPECT_EQ(rows[i].recipient, expected[i].recipient) << i;
        EXPECT_EQ(rows[i].subject, expected[i].subject) << i;
        EXPECT_EQ(rows[i].faxDoc, expected[i].faxDoc) << i;
    }
    auto& t = fdm_.FaxTable;
    for (uint32_t r = 1; r <= 3; ++r) {
        t.go(r);
        EXPECT_TRUE(t.fieldText("FAXCOVER").trimmed().isEmpty());
        EXPECT_TRUE(t.fieldText("DATESENT").trimmed().isEmpty());
        EXPECT_TRUE(t.fieldText("LASTRESULT").trimmed().isEmpty());
    }
    for (const char* name : {"PRN00000", "PRN00001", "PRN00002"}) {
        EXPECT_FALSE(exists(QString("SEND/") + name + ".JFD")) << name;
        EXPECT_TRUE(exists(QString("SEND/") + name + ".APF")) << name;
    }
    EXPECT_EQ(GetApfPageCount(home_.file("SEND/PRN00000.APF")), 2);
    // Nothing left: a second run finds no job.
    EXPECT_FALSE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_EQ(records().size(), 3u);
}

TEST_F(PrinterIntakeTest, TwoJobsAtStartUpLeaveTheLastAddedRecordCurrent) {
    job("PRN00000", "111\r\nFirst\r\nOne\r\n");
    job("PRN00001", "222\r\nSecond\r\nTwo\r\n");
    PrinterIntake intake(fdm_);
    EXPECT_TRUE(intake.ProcessExtraPDFaxFiles());
    EXPECT_EQ(intake.recordsAdded(), 2);
    EXPECT_EQ(intake.lastRecordAdded(), 2u);
    EXPECT_EQ(fdm_.FaxTable.recNo(), 2u);
    EXPECT_EQ(fdm_.FaxTable.fieldText("RECIPIENT").trimmed(), "Second");
}

TEST_F(PrinterIntakeTest, AppendJobAddsItsPagesOrWaitsUntilItCan) {
    // The target is missing: both files stay, no record, and the job is tried again.
    job("PRN00004", "APPENDTO\r\nFAX00007.APF\r\nignored\r\n", 2);
    PrinterIntake first(fdm_);
    EXPECT_TRUE(first.ProcessExtraPDFaxFiles());
    EXPECT_TRUE(exists("SEND/PRN00004.JFD"));
    EXPECT_TRUE(exists("SEND/PRN00004.APF"));
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_TRUE(exists("SEND/PRN00004.JFD"));

    // A target of the other resolution does not match: still waiting, target untouched.
    const QString target = home_.write("SEND/FAX00007.APF", FaxOfPages(1, 0));
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_TRUE(exists("SEND/PRN00004.JFD"));
    EXPECT_EQ(GetApfPageCount(target), 1);

    // Once the target is a fine fax, the pages are added and the job's files go.
    home_.write("SEND/FAX00007.APF", FaxOfPages(1));
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_EQ(GetApfPageCount(target), 3);
    EXPECT_FALSE(exists("SEND/PRN00004.JFD"));
    EXPECT_FALSE(exists("SEND/PRN00004.APF"));
    EXPECT_EQ(records().size(), 0u);

    // A full path is used as given.
    job("PRN00005", ("APPENDTO\r\n" + target + "\r\n").toUtf8());
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_EQ(GetApfPageCount(target), 4);
    EXPECT_FALSE(exists("SEND/PRN00005.JFD"));
}

TEST_F(PrinterIntakeTest, JobFileWithoutItsFaxFileIsLeftAlone) {
    home_.write("SEND/PRN00009.JFD", "5551234\r\nAcme\r\nLater\r\n");
    PrinterIntake intake(fdm_);
    EXPECT_TRUE(intake.ProcessExtraPDFaxFiles());
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    EXPECT_TRUE(exists("SEND/PRN00009.JFD"));
    EXPECT_EQ(records().size(), 0u);
    // Once the fax file is there the job is taken in; a lower-case pair is found as well.
    home_.write("SEND/PRN00009.APF", FaxOfPages(1));
    home_.write("SEND/prn00010.apf", FaxOfPages(1));
    home_.write("SEND/prn00010.jfd", "777\r\n");
    EXPECT_TRUE(PrinterIntake(fdm_).ProcessExtraPDFaxFiles());
    ASSERT_EQ(records().size(), 2u);
    EXPECT_EQ(records()[0].subject, "Later");
    EXPECT_EQ(records()[1].faxDoc, "prn00010.apf");
    EXPECT_FALSE(exists("SEND/PRN00009.JFD"));
    EXPECT_FALSE(exists("SEND/prn00010.jfd"));
}

TEST_F(PrinterIntakeTest, JobFileThatCannotBeRemovedAddsNoRecord) {
    // A job "file" that is a folder with something in it cannot be removed (not even by
    // root): taking it in again and again must not log the fax again and again.
    home_.write("SEND/PRN00006.APF", FaxOfPages(1));
    home_.write("SEND/PRN00006.JFD/inside", "x");
    PrinterIntake intake(fdm_);
    intake.ProcessPDFaxFile(home_.file("SEND/PRN00006.APF"));
    intake.ProcessPDFaxFile(home_.file("SEND/PRN00006.APF"));
    EXPECT_EQ(records().size(), 0u);
    EXPECT_TRUE(exists("SEND/PRN00006.APF"));
}

TEST_F(PrinterIntakeTest, DriverSettingsNameTheSendFolderAndTheProgram) {
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString file = config.path() + "/corvane/QXPD.INI";
    EXPECT_EQ(DriverSettingsFileName(), file);
    QDir().mkpath(config.path() + "/corvane");
    QFile other(file);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("[Other]\r\nKeep=1\r\n[Location]\r\nQXOutPath=/old/SEND\r\n");
    other.close();

    ASSERT_TRUE(WriteDriverSettings("/opt/corvane/bin/corvane").ok());
    const IniFile ini(file);
    QString send = SendFolder();
    send.chop(1);
    EXPECT_EQ(ini.readString("Location", "QXOutPath"), send);
    EXPECT_EQ(ini.readString("Location", "QXExecutable"), "/opt/corvane/bin/corvane");
    EXPECT_EQ(ini.readString("Other", "Keep"), "1");
    qputenv("XDG_CONFIG_HOME", previous);
}

}  // namespace
}  // namespace corvane
