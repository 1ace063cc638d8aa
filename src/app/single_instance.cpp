#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include "core/instance_socket.h"

namespace corvane {

namespace {
constexpr char kActivate[] = "activate\n";
constexpr char kAcknowledge[] = "ok\n";

QString runtimeFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    return dir;
}
}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& programName, const QString& dataFolder,
                                         QObject* parent)
    : QObject(parent) {
    base_ = InstanceFileBase(runtimeFolder(), programName, dataFolder);
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (server_) server_->close();
}

bool SingleInstanceGuard::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath());
    // A lock left by a crashed process is recognised by its dead PID and taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath());
    if (server_->listen(socketPath()))
        connect(server_, &QLocalServer::newConnection, this, &SingleInstanceGuard::onNewConnection);
    return true;
}

void SingleInstanceGuard::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            if (socket->readLine() == kActivate) {
                socket->write(kAcknowledge);
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstanceGuard::activateRunningInstance(int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    // The first process may still be starting; try until it listens or time runs out.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivate);
            socket.flush();
            while (!socket.canReadLine() &&
                   socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            }
            return socket.canReadLine() && socket.readLine() == kAcknowledge;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace corvane
