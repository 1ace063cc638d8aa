// The corvane-fax backend run as CUPS runs it: as root, for a job of an ordinary user, with
// the document as a file or on standard input. A job lands in the owner's SEND folder as an
// APF file and a job file, both the owner's; every refusal is an "ERROR:" line in the job log,
// a cancelled job (exit 4) and nothing written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <functional>
#include <thread>

#include "core/instance_socket.h"
#include "faxdoc/apf_reader.h"
#include "import_fixtures.h"
#include "job_owner_fixture.h"
#include "printer/backend_job.h"
#include "sending/intake/printer_intake.h"

namespace corvane {
namespace {

using testing::BackendRun;
using testing::JobOwnerAccount;
using testing::RunBackend;

constexpr int kCancelJob = 4;

JobOwnerAccount& Owner() {
    static JobOwnerAccount account;
    return account;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BackendTest : public ::testing::Test {
  public:
    void SetUp() override {
        if (!Owner().available()) GTEST_SKIP() << Owner().whyNot().toStdString();
        Owner().reset();
        // Readable by the backend before it gives root up, as CUPS's spool files are.
        testing::WriteTextPdf(docs_.filePath("letter.pdf"), 2);
        testing::WritePostScript(docs_.filePath("letter.ps"), 1);
    }
    QString pdf() const { return docs_.filePath("letter.pdf"); }
    QStringList args(const QString& options, const QString& file = QString(),
                     const QString& user = QString()) const {
        QStringList a{"17", user.isEmpty() ? Owner().name() : user, "Invoice 12", "1", options};
        if (!file.isEmpty()) a << file;
        return a;
    }

  protected:
    QTemporaryDir docs_;
};

TEST(BackendOptions, CupsOptionListsAndJobArguments) {
    const auto options = ParseCupsOptions(
        "fax-number=5551234 fax-to='Acme Ltd' job-uuid=urn:uuid:1 a=\"x y\" b=c\\ d nocollate fit");
    EXPECT_EQ(options.value("fax-number"), "5551234");
    EXPECT_EQ(options.value("fax-to"), "Acme Ltd");
    EXPECT_EQ(options.value("a"), "x y");
    EXPECT_EQ(options.value("b"), "c d");
    EXPECT_EQ(options.value("collate"), "false");
    EXPECT_EQ(options.value("fit"), "true");

    const auto job = ParseBackendArguments(
        {"3", "ann", "Line\none", "1", "fax-to='A\rB' append-to=FAX00002.APF"});
    ASSERT_TRUE(job.ok());
    EXPECT_EQ(job.value().title, "Line one");  // a job file holds one field a line
    EXPECT_EQ(job.value().recipient, "A B");
    EXPECT_EQ(job.value().appendTo, "FAX00002.APF");
    EXPECT_TRUE(job.value().file.isEmpty());
    EXPECT_FALSE(ParseBackendArguments({"3", "ann", "t", "1", "append-to=../x/FAX1.APF"}).ok());
    EXPECT_FALSE(ParseBackendArguments({"3", "ann", "t"}).ok());
}

TEST_F(BackendTest, PdfAndPostScriptJobsLandInTheOwnersSendFolder) {
    const BackendRun first = RunBackend(args("fax-number=5551234 fax-to='Acme Ltd'", pdf()));
    ASSERT_EQ(first.exitCode, 0) << first.log.toStdString();
    // PostScript on standard input, as a raw job arrives.
    const BackendRun second = RunBackend(args("", QString()), Read(docs_.filePath("letter.ps")));
    ASSERT_EQ(second.exitCode, 0) << second.log.toStdString();

    const QString send = Owner().sendFolder();
    EXPECT_EQ(Entries(send),
              QStringList({"PRN00000.APF", "PRN00000.JFD", "PRN00001.APF", "PRN00001.JFD"}));
    EXPECT_EQ(Read(send + "PRN00000.JFD"), QByteArray("5551234\r\nAcme Ltd\r\nInvoice 12\r\n"));
    EXPECT_EQ(Read(send + "PRN00001.JFD"), QByteArray("\r\n\r\nInvoice 12\r\n"));
    std::vector<bool> fine;
    const auto pages = testing::DecodePages(send + "PRN00000.APF", &fine);
    ASSERT_EQ(pages.size(), 2u);
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].width(), 1728) << i;
        EXPECT_TRUE(fine[i]) << i;
    }
    EXPECT_EQ(GetApfPageCount(send + "PRN00001.APF"), 1);
    for (const QString& name : Entries(send)) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(send + name).constData(), &st), 0);
        EXPECT_EQ(st.st_uid, Owner().uid()) << name.toStdString();
    }
}

TEST_F(BackendTest, AppendJobNamesAFaxOfTheSendFolder) {
    ASSERT_EQ(RunBackend(args("fax-number=1", pdf())).exitCode, 0);
    const BackendRun append = RunBackend(args("append-to=PRN00000.APF", pdf()));
    ASSERT_EQ(append.exitCode, 0) << append.log.toStdString();
    EXPECT_EQ(Read(Owner().sendFolder() + "PRN00001.JFD"),
              QByteArray("APPENDTO\r\nPRN00000.APF\r\nInvoice 12\r\n"));
}

TEST_F(BackendTest, RunningCorvaneOfTheDataFolderIsAskedToComeToTheFront) {
    // The owner's Corvane as the single-instance guard has it listen, in Qt's runtime folder
    // for a session without XDG_RUNTIME_DIR.
    const QString runtime = "/tmp/runtime-" + Owner().name();
    QDir().mkpath(runtime);
    Owner().chown(runtime);
    QLocalServer corvane;
    corvane.setSocketOptions(QLocalServer::WorldAccessOption);
    const QString socket = InstanceFileBase(runtime, "corvane", Owner().dataFolder()) + ".sock";
    QLocalServer::removeServer(socket);
    ASSERT_TRUE(corvane.listen(socket)) << corvane.errorString().toStdString();

    BackendRun run;
    std::thread backend([&] { run = RunBackend(args("fax-number=1", pdf())); });
    QByteArray request;
    if (corvane.waitForNewConnection(60000)) {
        QLocalSocket* peer = corvane.nextPendingConnection();
        while (!peer->canReadLine() && peer->waitForReadyRead(10000)) {
        }
        request = peer->readLine();
        peer->write("ok\n");
        peer->flush();
        peer->waitForBytesWritten(1000);
    }
    backend.join();
    corvane.close();
    QDir(runtime).removeRecursively();
    EXPECT_EQ(request, QByteArray("activate\n"));
    EXPECT_EQ(run.exitCode, 0) << run.log.toStdString();
    EXPECT_FALSE(run.log.contains("not running")) << run.log.toStdString();
}

TEST_F(BackendTest, RefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QStringList (*argsOf)(const BackendTest&);
        QByteArray stdinBytes;
        QProcessEnvironment env;
        const char* logged;
    };
    const auto plain = [](const BackendTest& t) { return t.args("fax-number=1", t.pdf()); };
    const JobOwnerAccount& o = Owner();
    QProcessEnvironment small;
    small.insert("CORVANE_FAX_MAX_JOB_BYTES", "1000");
    const QString elsewhere = o.home() + "/elsewhere";
    auto setOutPath = [&o](const QString& path) {
        QFile f(o.handOverFile());
        f.open(QIODevice::WriteOnly);
        f.write("[Location]\r\nQXOutPath=" + path.toUtf8() + "\r\n");
        f.close();
        o.chown(o.handOverFile());
    };
    const Case cases[] = {
        {"unknown user",
         [] {},
         [](const BackendTest& t) { return t.args("", t.pdf(), "no-such-user-cv"); },
         {},
         {},
         "unknown user \"no-such-user-cv\""},
        {"root's job",
         [] {},
         [](const BackendTest& t) { return t.args("", t.pdf(), "root"); },
         {},
         {},
         "never written as root"},
        {"no hand-over file",
         [&] { QFile::remove(o.handOverFile()); },
         plain,
         {},
         {},
         "QXPD.INI is missing"},
        {"hand-over file of root",
         [&] {
             if (::chown(QFile::encodeName(o.handOverFile()), 0, 0) != 0) ADD_FAILURE();
         },
         plain,
         {},
         {},
         "is not a plain file of"},
        {"pointing elsewhere",
         [&] {
             QDir().mkpath(elsewhere);
             o.chown(elsewhere);
             setOutPath(elsewhere);
         },
         plain,
         {},
         {},
         "is not the SEND folder of a Corvane data folder"},
        {"pointing at a relative folder",
         [&] { setOutPath("corvane/SEND"); },
         plain,
         {},
         {},
         "names no folder"},
        {"symlinked folder",
         [&] {
             QFile::link(o.sendFolder(), o.home() + "/link");
             setOutPath(o.home() + "/link");
         },
         plain,
         {},
         {},
         "symbolic link"},
        {"foreign-owned folder",
         [&] {
             if (::chown(QFile::encodeName(o.sendFolder()), 0, 0) != 0) ADD_FAILURE();
         },
         plain,
         {},
         {},
         "does not belong to"},
        {"folder others may write",
         [&] {
             if (::chmod(QFile::encodeName(o.sendFolder()), 0777) != 0) ADD_FAILURE();
         },
         plain,
         {},
         {},
         "may be written by other users"},
        {"over the size limit", [] {}, plain, {}, small, "larger than 1000 bytes"},
        {"corrupt document",
         [] {},
         [](const BackendTest& t) { return t.args("fax-number=1"); },
         QByteArray("%PDF-1.4\nthis is not a PDF at all\n%%EOF\n"),
         {},
         "Cannot attach"},
        {"empty document",
         [] {},
         [](const BackendTest& t) { return t.args("fax-number=1"); },
         {},
         {},
         "the document is empty"},
        {"append to a missing fax",
         [] {},
         [](const BackendTest& t) { return t.args("append-to=FAX09999.APF", t.pdf()); },
         {},
         {},
         "no fax \"FAX09999.APF\""},
        {"append to a path",
         [] {},
         [](const BackendTest& t) { return t.args("append-to=/etc/passwd", t.pdf()); },
         {},
         {},
         "without a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Owner().reset();
        c.arrange();
        const BackendRun run = RunBackend(c.argsOf(*this), c.stdinBytes, c.env);
        EXPECT_EQ(run.exitCode, kCancelJob) << run.log.toStdString();
        EXPECT_TRUE(run.log.startsWith("ERROR: Corvane Fax: job refused")) << run.log.toStdString();
        EXPECT_TRUE(run.log.contains(c.logged)) << run.log.toStdString();
        EXPECT_EQ(Entries(o.sendFolder()), QStringList()) << c.name;
        EXPECT_FALSE(QFile::exists(elsewhere + "/PRN00000.APF"));
    }
}

}  // namespace
}  // namespace corvane
