#include "printer/backend_checks.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>
#include <cstdlib>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "sending/intake/printer_intake.h"

namespace corvane {

namespace {

constexpr qint64 kDefaultMaxJobBytes = 256LL * 1024 * 1024;

bool LStat(const QString& path, struct stat& st) {
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

Result<JobOwner> LookUpJobOwner(const QString& user) {
    const QByteArray name = user.toLocal8Bit();
    const struct passwd* pw = name.isEmpty() ? nullptr : ::getpwnam(name.constData());
    if (!pw) return Status::Error("unknown user \"" + user + "\"");
    if (pw->pw_uid == 0)
        return Status::Error("jobs of root are not taken: faxes are never written as root");
    JobOwner owner;
    owner.name = user;
    owner.uid = pw->pw_uid;
    owner.gid = pw->pw_gid;
    owner.home = QFile::decodeName(pw->pw_dir);
    if (!QDir::isAbsolutePath(owner.home))
        return Status::Error("user \"" + user + "\" has no home folder");
    return owner;
}

Status BecomeJobOwner(const JobOwner& owner) {
    if (::geteuid() != 0) {
        if (::getuid() == owner.uid && ::geteuid() == owner.uid) return Status::Ok();
        return Status::Error(QString("the backend runs as user %1 and cannot write for \"%2\"; "
                                     "install it with mode 0700 so that CUPS runs it as root")
                                 .arg(::geteuid())
                                 .arg(owner.name));
    }
    const QByteArray name = owner.name.toLocal8Bit();
    if (::initgroups(name.constData(), owner.gid) != 0 || ::setgid(owner.gid) != 0 ||
        ::setuid(owner.uid) != 0)
        return Status::Error("cannot become user \"" + owner.name + "\"");
    if (::getuid() != owner.uid || ::geteuid() != owner.uid || ::getegid() != owner.gid ||
        ::setuid(0) == 0)
        return Status::Error("cannot give up root for user \"" + owner.name + "\"");
    return Status::Ok();
}

QString HandOverFileOf(const JobOwner& owner) {
    return WithTrailingSlash(owner.home) + ".config/corvane/QXPD.INI";
}

Result<QString> JobFolderOf(const JobOwner& owner) {
    const QString file = HandOverFileOf(owner);
    struct stat st {};
    if (!LStat(file, st))
        return Status::Error(file + " is missing: start Corvane once as \"" + owner.name +
                             "\" (or run corvane-cli printer intake)");
    if (!S_ISREG(st.st_mode) || st.st_uid != owner.uid)
        return Status::Error(file + " is not a plain file of \"" + owner.name + "\"");
    const QString named = IniFile(file).readString(kDriverSection, kDriverOutPathKey).trimmed();
    if (named.isEmpty() || !QDir::isAbsolutePath(named))
        return Status::Error(file + " names no folder for print jobs");
    const QString folder = QDir::cleanPath(named);
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(folder).constData(), resolved) || !LStat(folder, st))
        return Status::Error("the folder for print jobs, " + folder + ", is missing");
    if (QFile::decodeName(resolved) != folder)
        return Status::Error("the folder for print jobs, " + folder +
                             ", is reached through a symbolic link");
    if (!S_ISDIR(st.st_mode)) return Status::Error(folder + " is not a folder");
    if (st.st_uid != owner.uid)
        return Status::Error("the folder for print jobs, " + folder + ", does not belong to \"" +
                             owner.name + "\"");
    if ((st.st_mode & S_IWOTH) || ((st.st_mode & S_IWGRP) && st.st_gid != owner.gid))
        return Status::Error("the folder for print jobs, " + folder +
                             ", may be written by other users");
    const QFileInfo info(folder);
    if (info.fileName().compare("SEND", Qt::CaseInsensitive) != 0 ||
        !QFileInfo(ResolveName(WithTrailingSlash(info.absolutePath()), "QXOUT.DBF")).isFile())
        return Status::Error(folder + " is not the SEND folder of a Corvane data folder");
    return folder;
}

qint64 MaxJobBytes() {
    bool ok = false;
    const qint64 set = qEnvironmentVariable("CORVANE_FAX_MAX_JOB_BYTES").toLongLong(&ok);
    return ok && set > 0 ? set : kDefaultMaxJobBytes;
}

}  // namespace corvane
