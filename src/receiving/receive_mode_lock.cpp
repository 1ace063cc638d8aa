#include "receive_mode_lock.h"

#include <QDir>

namespace corvane {

ReceiveModeLock::ReceiveModeLock(const QString& dataFolder)
    : file_(std::make_unique<QLockFile>(QDir(dataFolder).filePath(kReceiveLockFileName))) {
    // Only a lock whose process is gone is stale, however long a receive run lasts.
    file_->setStaleLockTime(0);
}

ReceiveModeLock::~ReceiveModeLock() {
    release();
}

Status ReceiveModeLock::acquire() {
    if (held_) return Status::Ok();
    if (file_->tryLock(0)) {
        held_ = true;
        return Status::Ok();
    }
    qint64 pid = 0;
    QString host, app;
    if (file_->error() == QLockFile::LockFailedError && file_->getLockInfo(&pid, &host, &app))
        return Status::Error(
            QStringLiteral("Receive mode is already running for this data folder (process %1)")
                .arg(pid));
    return Status::Error(QStringLiteral("Cannot create the receive lock file in the data folder"));
}

void ReceiveModeLock::release() {
    if (!held_) return;
    file_->unlock();
    held_ = false;
}

}  // namespace corvane
