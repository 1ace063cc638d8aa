// `corvane-cli fax new|edit`: a fax made from a PDF and a cover message, sent to the simulated
// line, arrives as cover and document row for row; refusals change nothing.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "core/app_folders.h"
#include "fax_engine_harness.h"
#include "import_fixtures.h"
#include "logs/fax_data_module.h"

namespace corvane::testing {
namespace {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun RunCli(const ScratchFolder& dir, const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", QString::fromStdString(dir.path().string()));
    p.setProcessEnvironment(env);
    p.start(CORVANE_CLI, args);
    EXPECT_TRUE(p.waitForStarted());
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString Path(const ScratchFolder& dir, const char* name) {
    return QString::fromStdString(dir / name);
}

struct FaxFiles {
    QString cover, document, recipient;
};

// The record's file names, read back through the log tables once the CLI has finished.
FaxFiles RecordFiles(const ScratchFolder& dir, quint32 recno) {
    setAppFolderOverride(QString::fromStdString(dir.path().string()) + "/");
    FaxFiles files;
    {
        TFDM fdm;
        EXPECT_TRUE(fdm.OpenFaxLogs());
        EXPECT_TRUE(fdm.FaxTable.go(recno));
        files.cover = fdm.FaxTable.fieldText("FAXCOVER");
        files.document = fdm.FaxTable.fieldText("FAXDOC");
        files.recipient = fdm.FaxTable.fieldText("RECIPIENT");
        fdm.CloseTables();
    }
    setAppFolderOverride(QString());
    return files;
}

TEST(CliFaxNew, APdfAndACoverMessageArriveRowForRow) {
    ScratchFolder dir;
    {
        QFile ini(Path(dir, "QX.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Ports]\r\nCOM1=%1\r\n").arg(Path(dir, "modem")).toUtf8());
    }
    WriteTextPdf(Path(dir, "letter.pdf"), 2);
    const CliRun made = RunCli(
        dir, {"fax", "new", "--to", "5550100", "--name", "Acme Ltd", "--subject", "Figures",
              "--urgent", "--message", "Dear Ann,\nthe figures follow.", Path(dir, "letter.pdf")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, "1\n");
    const FaxFiles files = RecordFiles(dir, 1);
    EXPECT_EQ(files.recipient, "Acme Ltd");
    ASSERT_FALSE(files.cover.isEmpty());
    ASSERT_FALSE(files.document.isEmpty());
    const QString send = Path(dir, "SEND") + "/";
    EXPECT_TRUE(QFile::exists(send + QFileInfo(files.cover).completeBaseName() + ".FCD"));

    std::vector<Bitmap> pages = DecodeApf((send + files.cover).toStdString());
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<Bitmap> document = DecodeApf((send + files.document).toStdString());
    ASSERT_EQ(document.size(), 2u);
    pages.insert(pages.end(), document.begin(), document.end());

    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--file", dir / "remote.tif"});
    ASSERT_TRUE(line.WaitReady());
    const CliRun sent = RunCli(dir,
                               {"fax", "send", "--port", "1", "--class", "1", "--header", "",
                                "5550100", send + files.cover, send + files.document},
                               240000);
    EXPECT_EQ(sent.exitCode, 0) << sent.out.toStdString() << sent.err.toStdString();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    const auto received = faxline::testing::ReadTiffPages(dir / "remote.tif");
    ASSERT_EQ(received.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(RowDifferences(received[i], ExpectedSentPage({true, pages[i]}, QString())), 0)
            << "page " << i + 1;
}

TEST(CliFaxNew, EditChangesTheFaxAndRefusalsChangeNothing) {
    ScratchFolder dir;
    WriteTextPdf(Path(dir, "a.pdf"), 1);
    QFile bad(Path(dir, "bad.pdf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("%PDF-1.4\n%%EOF\n");
    bad.close();

    // Nothing to send; a damaged document: refused, no record, no file.
    for (const QStringList& args :
         {QStringList{"fax", "new", "--to", "555"},
          QStringList{"fax", "new", "--to", "555", "--message", "hi", Path(dir, "bad.pdf")}}) {
        const CliRun refused = RunCli(dir, args);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("You must have either a Fax Cover Page or a Fax "
                                         "Document or both") ||
                    refused.err.contains("Cannot attach \"bad.pdf\": the PDF file is damaged"))
            << refused.err.toStdString();
    }
    EXPECT_TRUE(QDir(Path(dir, "SEND")).entryList(QDir::Files).isEmpty());

    ASSERT_EQ(RunCli(dir, {"fax", "new", "--to", "555", Path(dir, "a.pdf")}).out, "1\n");
    // A message added, the pages doubled; then the message removed and the pages replaced.
    CliRun edited = RunCli(dir, {"fax", "edit", "1", "--message", "Cover now", "--subject", "Again",
                                 Path(dir, "a.pdf")});
    ASSERT_EQ(edited.exitCode, 0) << edited.err.toStdString();
    FaxFiles files = RecordFiles(dir, 1);
    EXPECT_EQ(files.recipient, "555");
    const QString send = Path(dir, "SEND") + "/";
    EXPECT_EQ(DecodeApf((send + files.document).toStdString()).size(), 2u);
    EXPECT_FALSE(files.cover.isEmpty());

    edited = RunCli(dir, {"fax", "edit", "1", "--message", "", "--no-pages", Path(dir, "a.pdf")});
    ASSERT_EQ(edited.exitCode, 0) << edited.err.toStdString();
    files = RecordFiles(dir, 1);
    EXPECT_TRUE(files.cover.isEmpty());
    EXPECT_EQ(DecodeApf((send + files.document).toStdString()).size(), 1u);
    EXPECT_EQ(QDir(send).entryList(QDir::Files), QStringList{files.document});

    EXPECT_EQ(RunCli(dir, {"fax", "edit", "7", "--message", "x"}).exitCode, 1);
}

}  // namespace
}  // namespace corvane::testing
