#pragma once
// One running Corvane per data folder. The first process holds a lock file and listens on a
// local socket; a later start finds the lock taken, asks the first process to come to the
// front, and ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace corvane {

class SingleInstanceGuard : public QObject {
    Q_OBJECT
  public:
    // `programName` is the executable's file name; `dataFolder` scopes the guard, so separate
    // data folders (CORVANE_HOME) can each have their own instance.
    SingleInstanceGuard(const QString& programName, const QString& dataFolder,
                        QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this process is the first: it then keeps the lock and listens for activation
    // requests until it is destroyed.
    bool acquire();

    // From a later process: asks the running one to come to the front; true when it
    // acknowledged within `timeoutMs`.
    bool activateRunningInstance(int timeoutMs) const;

    QString lockPath() const { return base_ + ".lock"; }
    QString socketPath() const { return base_ + ".sock"; }

  signals:
    void activationRequested();

  private:
    void onNewConnection();

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace corvane
