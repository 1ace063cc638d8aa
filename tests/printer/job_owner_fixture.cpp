#include "job_owner_fixture.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace corvane::testing {

namespace {

int Run(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(60000)) return -1;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void WriteText(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

}  // namespace

JobOwnerAccount::JobOwnerAccount() {
    if (::geteuid() != 0) {
        whyNot_ = "needs root: the backend becomes the job's owner, as under CUPS";
        return;
    }
    QByteArray tmpl = "/tmp/corvane-owner-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        whyNot_ = "no temporary folder";
        return;
    }
    base_ = QString::fromLocal8Bit(tmpl);
    // The account must reach its home below the base folder.
    QFile::setPermissions(base_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                     QFile::ExeOther);
    home_ = base_ + "/home";
    const QString name = QString("cvfax%1").arg(::getpid());
    QString output;
    // Test programs run side by side each add an account; useradd fails rather than waits
    // while another holds the lock on /etc/passwd.
    int added = -1;
    for (int attempt = 0; attempt < 20 && added != 0; ++attempt) {
        if (attempt) QThread::msleep(250);
        added = Run("useradd",
                    {"--system", "--no-create-home", "--home-dir", home_, "--shell",
                     "/usr/sbin/nologin", "--user-group", name},
                    &output);
    }
    if (added != 0) {
        whyNot_ = "useradd failed: " + output.trimmed();
        return;
    }
    const struct passwd* pw = ::getpwnam(name.toLocal8Bit().constData());
    if (!pw) {
        Run("userdel", {name});
        whyNot_ = "the new account cannot be found";
        return;
    }
    name_ = name;
    uid_ = pw->pw_uid;
    gid_ = pw->pw_gid;
    reset();
}

JobOwnerAccount::~JobOwnerAccount() {
    for (int attempt = 0; attempt < 20 && !name_.isEmpty(); ++attempt) {
        if (Run("userdel", {name_}) == 0) break;
        QThread::msleep(250);
    }
    if (!base_.isEmpty()) QDir(base_).removeRecursively();
}

void JobOwnerAccount::chown(const QString& path) const {
    Run("chown", {"-R", QString("%1:%2").arg(uid_).arg(gid_), path});
}

void JobOwnerAccount::reset() {
    QDir(home_).removeRecursively();
    QDir().mkpath(sendFolder());
    WriteText(dataFolder() + "QXOUT.DBF", "");
    QString send = sendFolder();
    send.chop(1);
    WriteText(handOverFile(),
              "[Location]\r\nQXOutPath=" + send.toUtf8() + "\r\nQXExecutable=/usr/bin/corvane\r\n");
    chown(home_);
    for (const QString& dir : {home_, dataFolder(), sendFolder()})
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::ExeOther);
}

QString BackendProgram() {
    return qEnvironmentVariable("CORVANE_BUILD_DIR") + "/src/printer/corvane-fax";
}

BackendRun RunBackend(const QStringList& args, const QByteArray& stdinBytes,
                      const QProcessEnvironment& extra) {
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin:/usr/sbin:/sbin");
    env.insert("CUPS_SERVERROOT", "/etc/cups");
    env.insert("DEVICE_URI", "corvane-fax:/");
    env.insert("PRINTER", "Corvane-Fax");
    env.insert("CONTENT_TYPE", "application/pdf");
    // In a sanitizer build the leak check cannot stop the threads of a process that has given
    // root up (it is no longer dumpable) and would fail the run.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.insert(extra);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(BackendProgram(), args);
    BackendRun run;
    if (!p.waitForStarted()) {
        run.log = "cannot start " + BackendProgram();
        return run;
    }
    if (!stdinBytes.isEmpty()) p.write(stdinBytes);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        run.log = "time-out";
        return run;
    }
    run.log = QString::fromUtf8(p.readAllStandardError());
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return run;
}

}  // namespace corvane::testing
