#include "status_line_channel.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace corvane::faxline {
namespace {

// A client that sends more than this without a newline is not speaking the protocol.
constexpr size_t kMaxLine = 64;

std::string Format(const StatusLines& l) {
    std::string text = "DCD=";
    text += l.dcd ? '1' : '0';
    text += " DSR=";
    text += l.dsr ? '1' : '0';
    text += " CTS=";
    text += l.cts ? '1' : '0';
    text += " RI=";
    text += l.ri ? '1' : '0';
    return text + "\n";
}

}  // namespace

StatusLineChannel::StatusLineChannel(std::string path) : path_(std::move(path)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.size() >= sizeof address.sun_path)
        throw std::runtime_error("status line socket path too long: " + path_);
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    // A socket left by an earlier run that died would make bind fail; anything else at the
    // path is not ours to remove.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path_.c_str());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0) {
        const std::string error = std::strerror(errno);
        if (listener_ >= 0) ::close(listener_);
        throw std::runtime_error("status line socket " + path_ + ": " + error);
    }
}

StatusLineChannel::~StatusLineChannel() {
    for (Client& c : clients_) ::close(c.fd);
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
}

void StatusLineChannel::Service(const StatusLines& lines) {
    Accept();
    for (Client& c : clients_) ReadClient(c);
    const bool changed = !(lines == published_);
    published_ = lines;
    const std::string text = Format(lines);
    for (Client& c : clients_) {
        if (c.fd < 0 || (c.greeted && !changed)) continue;
        c.greeted = true;
        Send(c, text);
    }
    std::erase_if(clients_, [](const Client& c) { return c.fd < 0; });
    UpdateDtr();
}

void StatusLineChannel::Accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        Client client;
        client.fd = fd;
        clients_.push_back(std::move(client));
    }
}

void StatusLineChannel::ReadClient(Client& c) {
    char buf[256];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0) {
            ::close(c.fd);
            c.fd = -1;
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            const char ch = buf[i];
            if (ch == '\r') continue;
            if (ch != '\n') {
                if (c.pending.size() < kMaxLine) c.pending += ch;
                continue;
            }
            // Unknown lines are ignored: a client of a later version may say more.
            if (c.pending == "DTR=0" || c.pending == "DTR=1") {
                c.dtr = c.pending.back() - '0';
                UpdateDtr();  // before a close that may follow in the same read
            }
            if (c.pending == "RTS=0" || c.pending == "RTS=1") c.rts = c.pending.back() - '0';
            c.pending.clear();
        }
    }
}

void StatusLineChannel::Send(Client& c, const std::string& text) {
    // A client that does not read for several kilobytes of changes is dropped rather than
    // allowed to block the line.
    const ssize_t n = ::send(c.fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n != static_cast<ssize_t>(text.size())) {
        ::close(c.fd);
        c.fd = -1;
    }
}

void StatusLineChannel::UpdateDtr() {
    const bool now = dtr();
    if (dtr_ && !now) dtrDropped_ = true;
    dtr_ = now;
}

bool StatusLineChannel::dtr() const {
    return std::none_of(clients_.begin(), clients_.end(),
                        [](const Client& c) { return c.fd >= 0 && c.dtr == 0; });
}

bool StatusLineChannel::rts() const {
    return std::none_of(clients_.begin(), clients_.end(),
                        [](const Client& c) { return c.fd >= 0 && c.rts == 0; });
}

bool StatusLineChannel::TakeDtrDrop() {
    const bool dropped = dtrDropped_;
    dtrDropped_ = false;
    return dropped;
}

}  // namespace corvane::faxline
