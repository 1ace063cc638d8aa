#include "pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace corvane::faxline {

bool PtyPort::DteOutputStopsOnXoff() const {
    // The master's terminal calls reach the program's side.
    termios t{};
    return master_ >= 0 && tcgetattr(master_, &t) == 0 && (t.c_iflag & IXON) != 0;
}
namespace {

// The modem side reads at most this much ahead of what the modem has taken, so that a modem
// holding the DTE back leaves the rest in the kernel and the DTE's writes block.
constexpr size_t kInboxLimit = 256;

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

int64_t WallMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

PtyPort::PtyPort(const std::string& linkPath) : linkPath_(linkPath) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) throw SystemError("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) throw SystemError("grantpt");
    slavePath_ = ptsname(master_);
    // The slave starts cooked with echo; a DTE that does not set raw mode itself would see
    // its commands echoed and CR LF mangled. Terminal settings made on the master apply to
    // the slave.
    termios tio{};
    if (tcgetattr(master_, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B19200);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(master_, TCSANOW, &tio);
    }
    ::unlink(linkPath_.c_str());
    if (::symlink(slavePath_.c_str(), linkPath_.c_str()) != 0)
        throw SystemError("symlink " + linkPath_);
    lastActivityMs_ = WallMs();
}

PtyPort::~PtyPort() {
    char target[256] = {};
    if (::readlink(linkPath_.c_str(), target, sizeof target - 1) > 0 && slavePath_ == target)
        ::unlink(linkPath_.c_str());
    if (master_ >= 0) ::close(master_);
}

short PtyPort::WantedEvents() const {
    if (!present_) return 0;
    short events = 0;
    if (inbox_.size() < kInboxLimit) events |= POLLIN;
    if (!outbox_.empty()) events |= POLLOUT;
    return events;
}

void PtyPort::Service(short revents) {
    CheckDtr();
    if (!present_) {
        // Not part of the blocking poll: look for a first byte from a new DTE.
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) ReadAvailable();
        return;
    }
    if (revents & (POLLIN | POLLHUP | POLLERR)) ReadAvailable();
    if (present_ && !outbox_.empty()) FlushOutbox();
}

void PtyPort::ReadAvailable() {
    while (inbox_.size() < kInboxLimit) {
        uint8_t buf[kInboxLimit];
        const ssize_t n = ::read(master_, buf, kInboxLimit - inbox_.size());
        if (n > 0) {
            if (!present_) {
                present_ = true;
                hangUp_ = false;
            }
            inbox_.insert(inbox_.end(), buf, buf + n);
            lastActivityMs_ = WallMs();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        // EIO (or end of file): the last slave descriptor was closed.
        if (present_) DteGone();
        return;
    }
}

void PtyPort::DteGone() {
    present_ = false;
    hangUp_ = true;
    inbox_.clear();
    outbox_.clear();
    // Whatever the last program left unread would greet the next one: throw it away.
    const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0) {
        tcflush(slave, TCIOFLUSH);
        ::close(slave);
    }
}

void PtyPort::CheckDtr() {
    termios tio{};
    if (tcgetattr(master_, &tio) != 0) return;
    const bool down = cfgetospeed(&tio) == B0;
    if (down && !dtrDown_ && present_) hangUp_ = true;
    dtrDown_ = down;
}

bool PtyPort::TakeHangUp() {
    const bool result = hangUp_;
    hangUp_ = false;
    return result;
}

void PtyPort::Write(const uint8_t* data, size_t len) {
    if (!present_ || len == 0) return;
    outbox_.insert(outbox_.end(), data, data + len);
    lastActivityMs_ = WallMs();
    lastWriteMs_ = lastActivityMs_;
    FlushOutbox();
}

void PtyPort::FlushOutbox() {
    size_t done = 0;
    while (done < outbox_.size()) {
        const ssize_t n = ::write(master_, outbox_.data() + done, outbox_.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    outbox_.erase(outbox_.begin(), outbox_.begin() + static_cast<std::ptrdiff_t>(done));
}

int PtyPort::SlaveUnreadBytes() const {
    const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) return 0;
    int count = 0;
    if (::ioctl(slave, FIONREAD, &count) != 0) count = 0;
    ::close(slave);
    return count;
}

bool PtyPort::OutputPending() {
    if (!present_) return false;
    if (!outbox_.empty()) return true;
    // Bytes just written may still be on their way into the slave's queue.
    const int64_t sinceWrite = WallMs() - lastWriteMs_;
    if (sinceWrite < 30) return true;
    if (sinceWrite > 5000) return false;
    return SlaveUnreadBytes() > 0;
}

int64_t PtyPort::IdleMs() const {
    return WallMs() - lastActivityMs_;
}

}  // namespace corvane::faxline
