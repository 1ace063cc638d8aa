#include "pty_modem.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <stdexcept>

namespace corvane::testing {

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath_ = QString::fromLocal8Bit(ptsname(master_));
    // Holding the slave open ourselves keeps the master readable while the port is closed;
    // it is opened in raw mode so that it never echoes.
    slaveKeeper_ = ::open(slavePath_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    tcgetattr(slaveKeeper_, &t);
    cfmakeraw(&t);
    tcsetattr(slaveKeeper_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
    if (master_ >= 0) ::close(master_);
}

void PtyPair::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void PtyPair::write(const QByteArray& data) const {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::write(master_, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
    }
}

QByteArray PtyPair::readUntil(const std::function<bool(const QByteArray&)>& done,
                              int timeoutMs) const {
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    char buffer[4096];
    while (!done(received) && clock.elapsed() < timeoutMs) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, n);
        else
            QThread::msleep(5);  // hung up for the moment (no slave open)
    }
    return received;
}

ScriptedModem::ScriptedModem(const PtyPair& line) : line_(line) {
    thread_ = std::thread(&ScriptedModem::run, this);
}

ScriptedModem::~ScriptedModem() {
    stop_ = true;
    thread_.join();
}

void ScriptedModem::answer(const QByteArray& command, const QByteArray& reply) {
    std::lock_guard lk(mutex_);
    replies_.insert(command.toUpper(), reply);
}

QList<QByteArray> ScriptedModem::commands() const {
    std::lock_guard lk(mutex_);
    return commands_;
}

bool ScriptedModem::waitForCommands(int count, int timeoutMs) const {
    return WaitFor([&] { return commands().size() >= count; }, timeoutMs);
}

void ScriptedModem::run() {
    QByteArray pending;
    char buffer[1024];
    while (!stop_) {
        pollfd p{line_.master(), POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        const ssize_t n = ::read(line_.master(), buffer, sizeof buffer);
        if (n <= 0) {
            QThread::msleep(5);
            continue;
        }
        pending.append(buffer, n);
        for (qsizetype cr; (cr = pending.indexOf('\r')) >= 0;) {
            const QByteArray command = pending.left(cr).trimmed();
            pending.remove(0, cr + 1);
            QByteArray reply;
            {
                std::lock_guard lk(mutex_);
                commands_.append(command);
                reply = replies_.value(command.toUpper());
            }
            if (!reply.isEmpty()) line_.write(reply);
        }
    }
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace corvane::testing
