// The fax printer through a real CUPS: a private cupsd (own configuration, socket, spool and
// backend folder) in a temporary folder, the queue installed by `corvane-cli printer install`,
// jobs printed with lp by an ordinary user, taken in by `corvane-cli printer intake`. Needs
// root (cupsd, and the backend becoming the job's owner); skips without.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "faxdoc/apf_reader.h"
#include "import_fixtures.h"
#include "job_owner_fixture.h"

namespace corvane {
namespace {

using testing::JobOwnerAccount;

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted() || !p.waitForFinished(60000)) return r;
    r.output = QString::fromLocal8Bit(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

void WriteText(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

// cupsd in the foreground on a socket of its own, running the system's filters and our
// backend from a private ServerBin. cupsd refuses to run its children as root, hence lp.
class PrivateCups {
  public:
    explicit PrivateCups(bool withBackend = true) {
        dir_.setAutoRemove(true);
        const QString d = dir_.path();
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                     QFile::ExeOther);
        for (const char* sub : {"conf/ppd", "spool/tmp", "cache", "state", "log", "bin/backend"})
            QDir().mkpath(d + "/" + sub);
        for (const char* sub : {"daemon", "driver", "filter", "notifier"})
            QFile::link(QString("/usr/lib/cups/") + sub, d + "/bin/" + sub);
        // CUPS runs a backend as root only when only root may run it.
        const QString backend = d + "/bin/backend/corvane-fax";
        if (withBackend) QFile::copy(testing::BackendProgram(), backend);
        QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Adding and removing printers needs a member of the system group (root here), as
        // on a Debian system; anyone may print.
        WriteText(d + "/conf/cupsd.conf",
                  "Listen " + socket() +
                      "\nLogLevel info\nErrorPolicy abort-job\nWebInterface No\nBrowsing Off\n"
                      // see RunBackend: a sanitizer build's backend gives root up
                      "SetEnv ASAN_OPTIONS detect_leaks=0\n"
                      "DefaultAuthType Basic\n<Location />\n  Order allow,deny\n  Allow all\n"
                      "</Location>\n<Policy default>\n"
                      "  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer>\n"
                      "    AuthType Default\n    Require user @SYSTEM\n    Order deny,allow\n"
                      "  </Limit>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        WriteText(d + "/conf/cups-files.conf",
                  "User lp\nGroup lp\nSystemGroup root\nServerBin " + d + "/bin\nRequestRoot " + d +
                      "/spool\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nTempDir " + d +
                      "/spool/tmp\nAccessLog " + d + "/log/access_log\nErrorLog " + d +
                      "/log/error_log\nPageLog " + d + "/log/page_log\nFileDevice No\n");
        RunTool("chown", {"-R", "lp:lp", d + "/spool", d + "/cache", d + "/state", d + "/log"},
                env());
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start("cupsd",
                     {"-f", "-c", d + "/conf/cupsd.conf", "-s", d + "/conf/cups-files.conf"});
        cupsd_.waitForStarted();
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && cupsd_.state() == QProcess::Running) {
            if (RunTool("lpstat", {"-r"}, env()).output.contains("scheduler is running")) {
                running_ = true;
                break;
            }
            QThread::msleep(100);
        }
    }
    ~PrivateCups() {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(5000)) cupsd_.kill();
        cupsd_.waitForFinished();
    }
    bool running() const { return running_; }
    QString socket() const { return dir_.path() + "/cups.sock"; }
    // cupsd's own output and its error log: what a failing test shows.
    QString errorLog() {
        QFile f(dir_.path() + "/log/error_log");
        const QString log =
            f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
        return QString::fromLocal8Bit(cupsd_.readAll()) + log;
    }
    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("CUPS_SERVER", socket());
        return e;
    }

  private:
    QTemporaryDir dir_;
    QProcess cupsd_;
    bool running_ = false;
};

QString Cli() {
    return qEnvironmentVariable("CORVANE_BUILD_DIR") + "/src/cli/corvane-cli";
}

bool WaitForFile(const QString& path, int ms = 60000) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (QFile::exists(path)) return true;
        QThread::msleep(100);
    }
    return false;
}

// Poppler's own rendering of a PDF page at the fax's fine resolution, cut at mid grey and
// centred across 1728 pixels as the import places a page narrower than the fax: true = black.
std::vector<std::vector<bool>> PopplerPage(const QString& pdf, int page, const QString& work) {
    const QString prefix = work + "/poppler";
    RunTool("pdftoppm",
            {"-gray", "-rx", "204", "-ry", "196", "-f", QString::number(page), "-l",
             QString::number(page), "-singlefile", pdf, prefix},
            QProcessEnvironment::systemEnvironment());
    const QImage grey(prefix + ".pgm");
    std::vector<std::vector<bool>> rows;
    if (grey.isNull()) return rows;
    const int left = (1728 - grey.width()) / 2;
    for (int y = 0; y < grey.height(); ++y) {
        std::vector<bool> row(1728, false);
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width() && left + x < 1728; ++x)
            if (left + x >= 0) row[left + x] = line[x] < 128;
        rows.push_back(std::move(row));
    }
    return rows;
}

struct Difference {
    long differing = 0;
    long ink = 0;  // black pixels of Poppler's page
};

// Decoded fax page (Format_Mono, colour 0 black) against Poppler's rows, at the best shift
// of up to two pixels either way (rounding of the page's placement).
Difference Compare(const QImage& fax, const std::vector<std::vector<bool>>& poppler) {
    std::vector<std::vector<bool>> ink(fax.height(), std::vector<bool>(1728, false));
    for (int y = 0; y < fax.height(); ++y)
        for (int x = 0; x < 1728; ++x) ink[y][x] = fax.pixelIndex(x, y) == 0;
    Difference best{-1, 0};
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            Difference d;
            for (int y = 0; y < fax.height(); ++y) {
                const int py = y + dy;
                const bool rowInside = py >= 0 && py < int(poppler.size());
                for (int x = 0; x < 1728; ++x) {
                    const int px = x + dx;
                    const bool expected = rowInside && px >= 0 && px < 1728 && poppler[py][px];
                    d.ink += expected;
                    d.differing += ink[y][x] != expected;
                }
            }
            if (best.differing < 0 || d.differing < best.differing) best = d;
        }
    return best;
}

TEST(CupsQueue, PrintedJobsBecomeOneOutgoingFaxAndAnAppendAddsPages) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: starts cupsd and runs the backend as CUPS";
    if (QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/sbin"}).isEmpty() ||
        QStandardPaths::findExecutable("lp").isEmpty())
        GTEST_SKIP() << "CUPS is not installed (cups-daemon, cups-client, cups-filters)";
    static JobOwnerAccount owner;
    if (!owner.available()) GTEST_SKIP() << owner.whyNot().toStdString();
    owner.reset();
    QFile::remove(owner.dataFolder() + "QXOUT.DBF");  // the intake makes real logs

    PrivateCups cups;
    ASSERT_TRUE(cups.running()) << cups.errorLog().toStdString();
    // An ordinary user is told what adding the printer takes.
    const ToolRun refused =
        RunTool("runuser", {"-u", owner.name(), "--", Cli(), "printer", "install"}, cups.env());
    EXPECT_EQ(refused.exitCode, 1) << refused.output.toStdString();
    EXPECT_TRUE(refused.output.contains("Not permitted: adding a printer to CUPS at " +
                                        cups.socket() +
                                        " needs root or membership of the "
                                        "lpadmin group"))
        << refused.output.toStdString();
    const ToolRun installed = RunTool(Cli(), {"printer", "install"}, cups.env());
    ASSERT_EQ(installed.exitCode, 0) << installed.output.toStdString();
    EXPECT_TRUE(installed.output.contains("Printer \"Corvane-Fax\" installed"));

    // The owner's Corvane: its logs and its hand-over file, made by the intake itself.
    QProcessEnvironment corvane = cups.env();
    corvane.insert("CORVANE_HOME", owner.dataFolder());
    corvane.insert("XDG_CONFIG_HOME", owner.home() + "/.config");
    ASSERT_EQ(RunTool(Cli(), {"printer", "intake"}, corvane).exitCode, 0);
    owner.chown(owner.home());
    const ToolRun status = RunTool(Cli(), {"printer", "status"}, corvane);
    EXPECT_TRUE(status.output.contains("Queue: \"Corvane-Fax\"")) << status.output.toStdString();

    QTemporaryDir work;
    QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::ExeOther);
    const QString pdf = work.filePath("letter.pdf");
    const QString ps = work.filePath("more.ps");
    testing::WriteTextPdf(pdf, 2);
    testing::WritePostScript(ps, 1);
    const QString send = owner.sendFolder();

    const ToolRun printed =
        RunTool("lp",
                {"-d", "Corvane-Fax", "-U", owner.name(), "-o", "fax-number=5551234", "-o",
                 "fax-to='Acme Ltd'", "-t", "Invoice 12", pdf},
                cups.env());
    ASSERT_EQ(printed.exitCode, 0) << printed.output.toStdString();
    ASSERT_TRUE(WaitForFile(send + "PRN00000.JFD")) << cups.errorLog().toStdString();
    ASSERT_TRUE(QFile::exists(send + "PRN00000.APF"));

    const ToolRun taken = RunTool(Cli(), {"printer", "intake"}, corvane);
    owner.chown(owner.home());  // the intake ran as root here; the backend wants the owner's
    EXPECT_TRUE(taken.output.contains("1 print job(s) taken in")) << taken.output.toStdString();
    const ToolRun list = RunTool(Cli(), {"log", "list", "out"}, corvane);
    const QStringList records = list.output.trimmed().split('\n');
    ASSERT_EQ(records.size(), 1) << list.output.toStdString();
    const QStringList fields = records[0].split('\t');
    for (const char* value : {"5551234", "Acme Ltd", "Invoice 12", "PRN00000.APF"})
        EXPECT_TRUE(fields.contains(value)) << value << " in " << list.output.toStdString();
    EXPECT_FALSE(QFile::exists(send + "PRN00000.JFD"));

    // Two fine pages, 1728 across, as Poppler draws the printed PDF.
    std::vector<bool> fine;
    const auto pages = testing::DecodePages(send + "PRN00000.APF", &fine);
    ASSERT_EQ(pages.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(fine[i]);
        ASSERT_EQ(pages[i].width(), 1728);
        const auto poppler = PopplerPage(pdf, i + 1, work.path());
        ASSERT_FALSE(poppler.empty());
        EXPECT_NEAR(pages[i].height(), int(poppler.size()), 2);
        const Difference d = Compare(pages[i], poppler);
        // Tolerance: anti-aliased glyph edges cut at mid grey may fall either way, so at most
        // 1 in 1000 pixels of the page differ, and no more than 2% of the ink. (With the same
        // Poppler on both sides the pages come out identical.)
        const long pixels = long(pages[i].width()) * pages[i].height();
        ::testing::Test::RecordProperty(QString("page%1_differing").arg(i + 1).toStdString(),
                                        QString("%1 of %2 pixels, ink %3")
                                            .arg(d.differing)
                                            .arg(pixels)
                                            .arg(d.ink)
                                            .toStdString());
        EXPECT_GT(d.ink, 10000);
        EXPECT_LT(d.differing, pixels / 1000) << d.differing << " of " << pixels;
        EXPECT_LT(d.differing, d.ink / 50) << d.differing << " against ink " << d.ink;
    }

    // PostScript appended to the fax: its page follows the two.
    const ToolRun appended =
        RunTool("lp", {"-d", "Corvane-Fax", "-U", owner.name(), "-o", "append-to=PRN00000.APF", ps},
                cups.env());
    ASSERT_EQ(appended.exitCode, 0) << appended.output.toStdString();
    ASSERT_TRUE(WaitForFile(send + "PRN00001.JFD")) << cups.errorLog().toStdString();
    RunTool(Cli(), {"printer", "intake"}, corvane);
    owner.chown(owner.home());
    EXPECT_EQ(GetApfPageCount(send + "PRN00000.APF"), 3);
    EXPECT_FALSE(QFile::exists(send + "PRN00001.JFD"));
    EXPECT_FALSE(QFile::exists(send + "PRN00001.APF"));
    EXPECT_EQ(RunTool(Cli(), {"log", "list", "out"}, corvane).output.trimmed().split('\n').size(),
              1);
    EXPECT_EQ(RunTool(Cli(), {"printer", "remove"}, cups.env()).exitCode, 0);
}

TEST(CupsQueue, InstallWhereCupsLacksTheBackendSaysWhereItBelongs) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: starts cupsd";
    if (QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/sbin"}).isEmpty())
        GTEST_SKIP() << "CUPS is not installed (cups-daemon, cups-client, cups-filters)";
    PrivateCups cups(false);
    ASSERT_TRUE(cups.running()) << cups.errorLog().toStdString();
    const ToolRun installed = RunTool(Cli(), {"printer", "install"}, cups.env());
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_TRUE(
        installed.output.contains("has no corvane-fax backend: install Corvane (cmake "
                                  "--install) into the prefix of CUPS's backends"))
        << installed.output.toStdString();
}

}  // namespace
}  // namespace corvane
