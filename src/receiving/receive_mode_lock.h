#pragma once
// ReceiveModeLock: one receive mode per data folder. The window and `corvane-cli fax receive`
// both take the lock file "receive.lck" in the data folder before they open the modem; a lock
// whose process has ended is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

#include "core/status.h"

namespace corvane {

inline const QString kReceiveLockFileName = QStringLiteral("receive.lck");

class ReceiveModeLock {
  public:
    explicit ReceiveModeLock(const QString& dataFolder);
    ~ReceiveModeLock();

    // Fails with "Receive mode is already running for this data folder (process N)".
    Status acquire();
    void release();
    bool held() const { return held_; }

  private:
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
};

}  // namespace corvane
