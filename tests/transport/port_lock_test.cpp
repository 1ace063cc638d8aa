// UUCP lock files: the port honours the locks of other serial programs (efax, mgetty), clears
// stale ones, and holds its own while open.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cstdint>
#include <cstring>

#include "core/fax_errors.h"
#include "port_fixture.h"
#include "transport/uucp_lock.h"

namespace corvane::testing {
namespace {

// The id of a process that has ended (and been reaped), so that no process runs under it.
pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

QByteArray TextLock(pid_t pid) {
    return QByteArray::number(pid).rightJustified(10, ' ') + '\n';
}

QByteArray BinaryLock(pid_t pid) {
    const std::int32_t value = pid;
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

class PortLockTest : public PortFixture {
  protected:
    QString lockPath() const { return lockDir_.path() + "/" + UucpLockFileName(line_.slavePath()); }

    void writeLock(const QByteArray& bytes, int ageSeconds = 0) const {
        QFile f(lockPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (ageSeconds > 0) {
            const time_t then = time(nullptr) - ageSeconds;
            const utimbuf times{then, then};
            utime(QFile::encodeName(lockPath()).constData(), &times);
        }
    }
    QByteArray readLock() const {
        QFile f(lockPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(PortLockTest, LockNamesFollowTheRealDevice) {
    ASSERT_TRUE(QFile::link(line_.slavePath(), home_.file("modem")));
    const QString direct = UucpLockFileName(line_.slavePath());
    EXPECT_EQ(direct, "LCK.." + line_.slavePath().mid(5).replace('/', '_'));  // "LCK..pts_3"
    EXPECT_EQ(UucpLockFileName(home_.file("modem")), direct);
    EXPECT_EQ(UucpLockFileName("/dev/ttyS0"), "LCK..ttyS0");
}

TEST_F(PortLockTest, HeldWhileOpenInTheCommonFormatAndRemovedOnClose) {
    openPort();
    EXPECT_EQ(readLock(), TextLock(getpid()));
    // Another spelling of the same device meets the same lock.
    ASSERT_TRUE(QFile::link(line_.slavePath(), home_.file("modem")));
    TFxComPort second;
    second.AssignTapiDevicePath(home_.file("modem"));
    second.SetTapiMode(TapiMode::On);
    EXPECT_EQ(OpenPortDirectly(second).code(), ecAlreadyOpen);
    port_.SetOpen(false);
    EXPECT_FALSE(QFile::exists(lockPath()));
}

TEST_F(PortLockTest, LocksOfOthersAreHonouredAndStaleOnesCleared) {
    const pid_t dead = DeadPid();
    const struct {
        const char* what;
        QByteArray lock;
        int ageSeconds;
        int code;
    } cases[] = {
        {"text lock of a running process", TextLock(1), 0, ecAlreadyOpen},
        {"binary lock of a running process", BinaryLock(1), 0, ecAlreadyOpen},
        {"lock being written (no id yet)", QByteArray(), 0, ecAlreadyOpen},
        {"text lock of an ended process", TextLock(dead), 0, 0},
        {"binary lock of an ended process", BinaryLock(dead), 0, 0},
        {"old lock without an id", QByteArray("garbage\n"), 3600, 0},
    };
    for (const auto& c : cases) {
        writeLock(c.lock, c.ageSeconds);
        const Status opened = OpenPortDirectly(port_);
        EXPECT_EQ(opened.code(), c.code) << c.what;
        if (c.code == ecAlreadyOpen) {
            EXPECT_EQ(opened.message(), "The communications port is in use") << c.what;
            EXPECT_FALSE(port_.Open()) << c.what;
            EXPECT_EQ(readLock(), c.lock) << c.what << ": another's lock is left alone";
        } else {
            EXPECT_TRUE(port_.Open()) << c.what;
            EXPECT_EQ(readLock(), TextLock(getpid())) << c.what << ": the stale lock is replaced";
            port_.SetOpen(false);
        }
        QFile::remove(lockPath());
    }
}

TEST_F(PortLockTest, EfaxHoldingThePortKeepsUsOutUntilItIsGone) {
    const QString efax = QStandardPaths::findExecutable("efax");
    if (efax.isEmpty()) GTEST_SKIP() << "efax is not installed";
    // efax waiting for a call on the line, with the lock file where we look for it. It keeps
    // the line (and its lock) while it waits for the modem to answer its set-up commands.
    QProcess peer;
    peer.setProgram(efax);
    peer.setArguments({"-d", line_.slavePath(), "-x", lockPath(), "-w", "-r", home_.file("rx")});
    peer.setStandardOutputFile(QProcess::nullDevice());
    peer.setStandardErrorFile(QProcess::nullDevice());
    peer.start();
    ASSERT_TRUE(peer.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return readLock() == TextLock(peer.processId()); }))
        << "efax did not lock the line";

    const Status refused = OpenPortDirectly(port_);
    EXPECT_EQ(refused.code(), ecAlreadyOpen);
    EXPECT_EQ(refused.message(), "The communications port is in use");
    EXPECT_FALSE(port_.Open());

    // Killed outright, efax leaves its lock behind: a stale lock that no longer keeps us out.
    peer.kill();
    ASSERT_TRUE(peer.waitForFinished());
    ASSERT_TRUE(QFile::exists(lockPath()));
    EXPECT_TRUE(OpenPortDirectly(port_).ok());
    EXPECT_EQ(readLock(), TextLock(getpid()));
}

}  // namespace
}  // namespace corvane::testing
