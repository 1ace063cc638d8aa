// Print on receipt to a real print queue: a private cupsd that this test starts in a temporary
// folder, listening on its own socket, with one queue whose backend keeps every job as a file.
// Needs root (cupsd drops to the lp user for its folders); skipped otherwise.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "core/app_folders.h"
#include "core/settings.h"
#include "logwindow/main_screen.h"
#include "receive_fixture.h"
#include "receiving/receive_session.h"

namespace corvane::testing {
namespace {

constexpr int kCallTimeoutMs = 240000;
const QString kQueue = QStringLiteral("corvq");

// A cupsd of the test's own, with the queue kQueue whose backend copies each job into jobs/.
class PrivateCups {
  public:
    QString start() {
        if (geteuid() != 0) return "needs root to start a private cupsd";
        const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/sbin"});
        if (cupsd.isEmpty() || QStandardPaths::findExecutable("lpadmin").isEmpty())
            return "cups-daemon and cups-client are not installed";
        dir_.setAutoRemove(true);
        const QString d = dir_.path();
        for (const char* sub :
             {"bin/backend", "bin/filter", "cache", "state", "spool/tmp", "log", "jobs", "ppd"})
            QDir().mkpath(d + "/" + sub);
        // cupsd runs as lp: it must reach every folder; the backend writes the jobs.
        QProcess::execute("chmod", {"-R", "a+rwx", d});
        for (const QString& sub : {QStringLiteral("backend"), QStringLiteral("filter")}) {
            const QDir system("/usr/lib/cups/" + sub);
            for (const QString& entry : system.entryList(QDir::Files | QDir::NoDotAndDotDot))
                QFile::link(system.filePath(entry), d + "/bin/" + sub + "/" + entry);
        }
        for (const char* sub : {"daemon", "cgi-bin", "monitor", "notifier"})
            QFile::link(QStringLiteral("/usr/lib/cups/") + sub, d + "/bin/" + sub);
        write(
            "bin/backend/capture",
            "#!/bin/sh\n"
            "if [ $# -eq 0 ]; then echo 'direct capture \"Unknown\" \"Job capture\"'; exit 0; fi\n"
            "out=" +
                d +
                "/jobs/job-$1\n"
                "if [ -n \"$6\" ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
                "printf '%s\\n' \"$3\" > \"$out.title\"\n"
                "mv \"$out.part\" \"$out.pdf\"\n");
        // cupsd runs no backend from a folder or file that others may write.
        QProcess::execute("chmod", {"755", d, d + "/bin", d + "/bin/backend", d + "/bin/filter"});
        QFile::setPermissions(d + "/bin/backend/capture",
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                  QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                  QFileDevice::ExeOther);
        write("cupsd.conf",
              "Listen " + d +
                  "/cups.sock\n"
                  "LogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        write("cups-files.conf",
              "User lp\nGroup lp\nSystemGroup root\nServerRoot " + d + "\nServerBin " + d +
                  "/bin\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nRequestRoot " + d +
                  "/spool\nTempDir " + d + "/spool/tmp\nErrorLog " + d +
                  "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " + d +
                  "/log/page_log\nFileDevice Yes\nSandboxing Relaxed\n");
        QFile::copy("/usr/share/cups/mime/mime.types", d + "/mime.types");
        daemon_.setProgram(cupsd);
        daemon_.setArguments({"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
        daemon_.setProcessChannelMode(QProcess::MergedChannels);
        daemon_.start();
        if (!daemon_.waitForStarted()) return "cupsd did not start";
        qputenv("CUPS_SERVER", (d + "/cups.sock").toLocal8Bit());
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(d + "/cups.sock") && t.elapsed() < 20000) QThread::msleep(50);
        QProcess admin;
        admin.setProcessChannelMode(QProcess::MergedChannels);
        admin.start("lpadmin", {"-p", kQueue, "-E", "-v", "capture:/jobs", "-m", "raw"});
        admin.waitForFinished(30000);
        const QString said = QString::fromUtf8(admin.readAll());
        if (admin.exitCode() != 0) return "lpadmin failed: " + said + log();
        return {};
    }
    ~PrivateCups() {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            if (!daemon_.waitForFinished(10000)) daemon_.kill();
        }
        qunsetenv("CUPS_SERVER");
    }
    QStringList jobs() const {
        return QDir(dir_.path() + "/jobs").entryList({"*.pdf"}, QDir::Files, QDir::Name);
    }
    QString job(const QString& name) const { return dir_.path() + "/jobs/" + name; }
    QString log() const {
        QFile f(dir_.path() + "/log/error_log");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

  private:
    void write(const QString& name, const QString& text) {
        QFile f(dir_.path() + "/" + name);
        if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
    }
    QTemporaryDir dir_{QDir::tempPath() + "/corvane-cups-XXXXXX"};
    QProcess daemon_;
};

QString Output(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(MainScreenPrintOnReceipt, EachFaxGoesToTheNamedQueueWithHeaderAndFooter) {
    PrivateCups cups;
    if (const QString why = cups.start(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
    ReceiveSessionFixture f(2, {"[Receive]", "PrintOnReceipt=1", "PrintOnReceiptPrinter=" + kQueue,
                                "[Printing]", "Header=1", "Footer=1"});
    f.session.reset();
    TMainScreen window;
    window.SetDataModule(f.fdm.get());
    window.SetReceiveErrorAutoCloseMs(300);
    window.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    WriteTiff(f.file("send.tif"), {PatternPage(31, true, 300), PatternPage(32, true, 300)});
    ASSERT_TRUE(f.startLine(
        {"--class", "2", "--remote", "send", "--file", f.file("send.tif"), "--calls", "2"}));
    window.receiveButton()->click();
    ReceiveSession* session = window.receiveSession();
    ASSERT_TRUE(session->InReceiveMode());
    ASSERT_TRUE(RunUntil([&] { return cups.jobs().size() == 1; }, kCallTimeoutMs))
        << session->receiveLog().lines().join('\n').toStdString() << cups.log().toStdString();
    // The printer named by the setting is gone before the second fax: it goes to the printer
    // in use, and the log says why.
    GlobalSettings().PrintOnReceiptPrinter = "Gone Printer";
    ASSERT_TRUE(RunUntil([&] { return cups.jobs().size() == 2; }, kCallTimeoutMs))
        << session->receiveLog().lines().join('\n').toStdString() << cups.log().toStdString();
    f.line->Wait();
    window.receiveButton()->click();

    const QStringList jobs = cups.jobs();
    for (const QString& job : jobs) {
        const QString info = Output("pdfinfo", {cups.job(job)});
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();
        const QString text = Output("pdftotext", {"-layout", cups.job(job), "-"});
        EXPECT_TRUE(text.contains("From: FAXLINE REMOTE")) << text.toStdString();
        EXPECT_TRUE(text.contains("Fax File:")) << text.toStdString();
        EXPECT_TRUE(text.contains((ReceiveFolder()).toLower())) << text.toStdString();
        EXPECT_TRUE(text.contains("Page: 1 of 2")) << text.toStdString();
        EXPECT_TRUE(text.contains("Page: 2 of 2")) << text.toStdString();
    }
    const QStringList log = UnstampedLines(AppFolder() + "Lastrec.log");
    const QStringList expected{"Printing fax to: " + kQueue,
                               "Printing fax file: " + ReceiveFolder() + "FAX0001.APF",
                               "Starting printout",
                               "Finished printout",
                               "Printing fax to: Gone Printer",
                               "Unable to find: Gone Printer in Windows printer list",
                               "Printing fax file: " + ReceiveFolder() + "FAX0002.APF"};
    for (const QString& line : expected)
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n"
                                        << log.join('\n').toStdString();
}

}  // namespace
}  // namespace corvane::testing
