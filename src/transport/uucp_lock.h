#pragma once
// UUCP lock files: how Linux serial programs (efax, mgetty, minicom, ...) share a port. Whoever
// uses a device creates "LCK.." + its name in the lock folder (/run/lock, which /var/lock points
// to), holding its process id as ten characters and a newline, and removes it when done. A lock
// whose process no longer runs is stale and may be removed by the next user.
//
// The lock name comes from the device's real path, so every spelling of one device (a link in
// /dev/serial/by-id, say) meets the same lock: /dev/ttyS0 locks "LCK..ttyS0", /dev/pts/3
// "LCK..pts_3" (folders below /dev joined with '_'), a device outside /dev its file name.

#include <sys/types.h>
#include <QString>
#include <optional>

namespace corvane {

// $CORVANE_LOCK_DIR when set (tests), else /run/lock when it exists, else /var/lock.
QString UucpLockFolder();
// "LCK..ttyS0" for "/dev/ttyS0" (links resolved first).
QString UucpLockFileName(const QString& devicePath);
// The process id a lock file names: the ten-character text form, or the four-byte binary form
// of older programs. Nothing when the file is missing or holds neither.
std::optional<pid_t> ReadUucpLockOwner(const QString& lockPath);

// The lock of one device while this process uses it.
class UucpLock {
  public:
    UucpLock() = default;
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Takes the lock of `devicePath`, first removing a stale one. Raises
    // EFaxPortError(ecAlreadyOpen) when a running process holds it. When the lock folder cannot
    // be written (a system without one, a user without the right) the device is used unlocked,
    // as the other programs do: locks of others are still honoured.
    void acquire(const QString& devicePath);
    // Removes the lock file if it is still this process's. Never raises.
    void release() noexcept;
    bool held() const { return !path_.isEmpty(); }
    QString path() const { return path_; }

  private:
    QString path_;
};

}  // namespace corvane
