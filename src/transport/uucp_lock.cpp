#include "transport/uucp_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/fax_errors.h"

namespace corvane {

namespace {

constexpr char kLockPrefix[] = "LCK..";
// A lock file that holds no process id may be one being written this instant: it counts as
// held until it is this old.
constexpr int kUnreadableLockGraceSeconds = 10;
// Removing a stale lock and creating ours races with others doing the same; a few rounds settle.
constexpr int kAcquireAttempts = 5;

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool ProcessRuns(pid_t pid) {
    // EPERM: it runs, under another user.
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool YoungerThan(const QString& path, int seconds) {
    struct stat st {};
    if (::stat(Native(path).constData(), &st) != 0) return false;
    return std::time(nullptr) - st.st_mtime < seconds;
}

// Writes our lock under a private name and links it to the lock name: the link either creates
// the whole lock or fails because one exists, so nobody ever sees a half-written lock of ours.
// 0, EEXIST, or the errno of a folder we cannot write.
int CreateLockFile(const QString& folder, const QString& lockPath) {
    const QString temp = folder + QStringLiteral("/LTMP.%1").arg(::getpid());
    const int fd = ::open(Native(temp).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    char text[16];
    const int size = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    const bool written = ::write(fd, text, static_cast<size_t>(size)) == size;
    ::close(fd);
    int result = 0;
    if (!written)
        result = EIO;
    else if (::link(Native(temp).constData(), Native(lockPath).constData()) != 0)
        result = errno;
    ::unlink(Native(temp).constData());
    return result;
}

}  // namespace

QString UucpLockFolder() {
    const QString fromEnv = qEnvironmentVariable("CORVANE_LOCK_DIR");
    if (!fromEnv.isEmpty()) return fromEnv;
    if (QFileInfo(QStringLiteral("/run/lock")).isDir()) return QStringLiteral("/run/lock");
    return QStringLiteral("/var/lock");
}

QString UucpLockFileName(const QString& devicePath) {
    QString real = QFileInfo(devicePath).canonicalFilePath();
    if (real.isEmpty()) real = QFileInfo(devicePath).absoluteFilePath();
    const QString dev = QStringLiteral("/dev/");
    QString name = real.startsWith(dev) ? real.mid(dev.size()) : QFileInfo(real).fileName();
    name.replace('/', '_');
    return QString::fromLatin1(kLockPrefix) + name;
}

std::optional<pid_t> ReadUucpLockOwner(const QString& lockPath) {
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.read(64);
    bool ok = false;
    const long text = bytes.trimmed().toLong(&ok);
    if (ok) return text > 0 ? std::optional<pid_t>(static_cast<pid_t>(text)) : std::nullopt;
    if (bytes.size() == static_cast<int>(sizeof(std::int32_t))) {
        // The binary form of older programs: a native int.
        std::int32_t pid = 0;
        std::memcpy(&pid, bytes.constData(), sizeof pid);
        if (pid > 0) return pid;
    }
    return std::nullopt;
}

void UucpLock::acquire(const QString& devicePath) {
    release();
    const QString folder = UucpLockFolder();
    const QString lockPath = folder + '/' + UucpLockFileName(devicePath);
    for (int attempt = 0; attempt < kAcquireAttempts; ++attempt) {
        const int error = CreateLockFile(folder, lockPath);
        if (error == 0) {
            path_ = lockPath;
            return;
        }
        if (error != EEXIST) {
            // No lock folder we may write: use the device unlocked, but only when nobody else
            // has locked it.
            if (!QFileInfo::exists(lockPath)) return;
        }
        const std::optional<pid_t> owner = ReadUucpLockOwner(lockPath);
        if (owner) {
            // Our own process id: another port of this process holds the device.
            if (*owner == ::getpid() || ProcessRuns(*owner)) throw EFaxPortError(ecAlreadyOpen);
        } else if (YoungerThan(lockPath, kUnreadableLockGraceSeconds)) {
            throw EFaxPortError(ecAlreadyOpen);
        }
        if (!QFileInfo::exists(lockPath)) continue;  // its owner just removed it
        // Stale: its process is gone. When we cannot remove it, the device stays locked.
        if (::unlink(Native(lockPath).constData()) != 0 && errno != ENOENT) {
            if (error != EEXIST) return;
            throw EFaxPortError(ecAlreadyOpen);
        }
        if (error != EEXIST) return;  // removed, but we cannot write one of our own
    }
    throw EFaxPortError(ecAlreadyOpen);
}

void UucpLock::release() noexcept {
    if (path_.isEmpty()) return;
    // Remove only what is still ours: never a lock someone took after deeming ours stale.
    const std::optional<pid_t> owner = ReadUucpLockOwner(path_);
    if (owner && *owner == ::getpid()) ::unlink(Native(path_).constData());
    path_.clear();
}

}  // namespace corvane
