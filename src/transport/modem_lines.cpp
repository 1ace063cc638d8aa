#include "transport/modem_lines.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

namespace corvane {

namespace {

// Unix 98 pseudo-terminal slaves (Documentation/admin-guide/devices.txt).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;
// How long a new connection waits for the line's first report before reads fall back to the
// state of a line without control lines.
constexpr int kGreetingWaitMs = 1000;

class IoctlModemLines final : public ModemLines {
  public:
    explicit IoctlModemLines(int fd) : fd_(fd) {}

    std::uint8_t read() override {
        int lines = 0;
        if (ioctl(fd_, TIOCMGET, &lines) != 0) return msCTS | msDSR | msDCD;
        std::uint8_t status = 0;
        if (lines & TIOCM_CTS) status |= msCTS;
        if (lines & TIOCM_DSR) status |= msDSR;
        if (lines & TIOCM_RI) status |= msRI;
        if (lines & TIOCM_CD) status |= msDCD;
        return status;
    }
    void setDTR(bool on) override { set(TIOCM_DTR, on); }
    void setRTS(bool on) override { set(TIOCM_RTS, on); }

  private:
    void set(int line, bool on) {
        // Pseudo-terminals have no modem lines; the call fails there and that is fine.
        ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
    }

    int fd_;
};

class SocketModemLines final : public ModemLines {
  public:
    explicit SocketModemLines(int socket) : socket_(socket) {
        pollfd p{socket_, POLLIN, 0};
        if (::poll(&p, 1, kGreetingWaitMs) > 0) drain();
    }
    ~SocketModemLines() override { ::close(socket_); }

    std::uint8_t read() override {
        std::lock_guard lk(mutex_);
        drain();
        // A ring burst that began and ended between two reads still shows once, so that the
        // reader sees its trailing edge.
        const std::uint8_t result = state_ | (ringSeen_ ? msRI : 0);
        ringSeen_ = false;
        return result;
    }
    void setDTR(bool on) override { send(on ? "DTR=1\n" : "DTR=0\n"); }
    void setRTS(bool on) override { send(on ? "RTS=1\n" : "RTS=0\n"); }

  private:
    void send(const char* text) {
        std::lock_guard lk(mutex_);
        // The line gone (it ended its run) leaves nothing to tell: ignored.
        (void)::send(socket_, text, std::strlen(text), MSG_NOSIGNAL | MSG_DONTWAIT);
    }

    void drain() {
        char buf[512];
        for (;;) {
            const ssize_t n = ::recv(socket_, buf, sizeof buf, MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;  // nothing more now, or the line has gone: keep the last state
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\n') {
                    if (pending_.size() < 128) pending_ += buf[i];
                    continue;
                }
                parse(pending_);
                pending_.clear();
            }
        }
    }

    void parse(const std::string& line) {
        struct Field {
            const char* name;
            std::uint8_t bit;
        };
        static constexpr Field kFields[] = {
            {"DCD=", msDCD}, {"DSR=", msDSR}, {"CTS=", msCTS}, {"RI=", msRI}};
        std::uint8_t state = state_;
        for (const Field& f : kFields) {
            const size_t at = line.find(f.name);
            if (at == std::string::npos) continue;
            const char value = line[at + std::strlen(f.name)];
            if (value == '1') state |= f.bit;
            if (value == '0') state &= static_cast<std::uint8_t>(~f.bit);
        }
        if (state & msRI) ringSeen_ = true;
        state_ = state;
    }

    int socket_;
    std::mutex mutex_;
    std::string pending_;
    // Until the line reports, the state of a line without control lines.
    std::uint8_t state_ = msCTS | msDSR | msDCD;
    bool ringSeen_ = false;
};

bool IsPseudoTerminalSlave(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= kPtySlaveMajorFirst && m <= kPtySlaveMajorLast;
}

}  // namespace

std::unique_ptr<ModemLines> MakeIoctlModemLines(int fd) {
    return std::make_unique<IoctlModemLines>(fd);
}

std::unique_ptr<ModemLines> ConnectModemLineSocket(const QString& socketPath) {
    const QByteArray native = socketPath.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<size_t>(native.size()) >= sizeof address.sun_path)
        return nullptr;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()) + 1);
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return nullptr;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return nullptr;
    }
    return std::make_unique<SocketModemLines>(s);
}

std::unique_ptr<ModemLines> OpenModemLines(int fd, const QString& path) {
    if (IsPseudoTerminalSlave(fd)) {
        const QString socketPath = path + QStringLiteral(".lines");
        struct stat st {};
        if (::stat(socketPath.toLocal8Bit().constData(), &st) == 0 && S_ISSOCK(st.st_mode)) {
            if (auto lines = ConnectModemLineSocket(socketPath)) return lines;
        }
    }
    return MakeIoctlModemLines(fd);
}

}  // namespace corvane
