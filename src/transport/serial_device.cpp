#include "transport/serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "core/fax_errors.h"

namespace corvane {

namespace {

struct BaudEntry {
    int rate;
    speed_t code;
};
constexpr BaudEntry kBaudRates[] = {
    {300, B300},     {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
};

const BaudEntry* FindBaud(int rate) {
    for (const BaudEntry& e : kBaudRates)
        if (e.rate == rate) return &e;
    return nullptr;
}

int BaudRate(speed_t code) {
    for (const BaudEntry& e : kBaudRates)
        if (e.code == code) return e.rate;
    return 0;
}

int MapOpenErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return ecBadId;
        case EBUSY:
        case EWOULDBLOCK:
            return ecAlreadyOpen;
        default:
            return -error;
    }
}

}  // namespace

SerialDevice::~SerialDevice() {
    close();
}

void SerialDevice::open(const QString& path) {
    close();
    const QByteArray native = path.toLocal8Bit();
    if (native.isEmpty()) throw EFaxPortError(ecBadId);
    // A device that does not exist has no lock to take: say so before looking for one.
    if (::access(native.constData(), F_OK) != 0) throw EFaxPortError(MapOpenErrno(errno));
    // Other serial programs (efax, mgetty) neither flock nor set TIOCEXCL; their lock file is
    // how they say that they use the line.
    lock_.acquire(path);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    auto fail = [&](int code) {
        if (fd >= 0) ::close(fd);
        lock_.release();
        throw EFaxPortError(code);
    };
    if (fd < 0) fail(MapOpenErrno(errno));
    // The advisory lock catches another Corvane (or any program that locks) even for root, whom
    // TIOCEXCL does not stop; TIOCEXCL then keeps further opens out while we hold the line.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) fail(errno == EWOULDBLOCK ? ecAlreadyOpen : -errno);
    termios probe{};
    if (tcgetattr(fd, &probe) != 0) fail(-errno);
    ioctl(fd, TIOCEXCL);
    lines_ = OpenModemLines(fd, path);
    fd_ = fd;
    path_ = path;
}

void SerialDevice::close() noexcept {
    lines_.reset();
    if (fd_ >= 0) {
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also releases the flock
        fd_ = -1;
    }
    lock_.release();
}

bool SerialDevice::isSupportedBaud(int rate) {
    return FindBaud(rate) != nullptr;
}

void SerialDevice::requireSupportedBaud(int rate) {
    if (!isSupportedBaud(rate))
        throw EFaxPortError(ecUnsupportedBaud,
                            QStringLiteral("Unsupported port speed: %1 baud").arg(rate));
}

void SerialDevice::applySettings(const LineSettings& s) {
    requireSupportedBaud(s.baud);
    const BaudEntry* baud = FindBaud(s.baud);
    termios t{};
    if (fd_ < 0) throw EFaxPortError(ecDeviceNotOpen);
    if (tcgetattr(fd_, &t) != 0) throw EFaxPortError(ecLineSettingsRefused);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (s.dataBits) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        default:
            t.c_cflag |= CS8;
            break;
    }
    switch (s.parity) {
        case Parity::None:
            break;
        case Parity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            t.c_cflag |= PARENB;
            break;
        case Parity::Mark:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case Parity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (s.stopBits == 2) t.c_cflag |= CSTOPB;
    if (s.hardwareFlow) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // The driver itself stops output on the modem's XOFF, so that what is queued for the
    // port waits too.
    if (s.softwareFlow) t.c_iflag |= IXON;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, baud->code);
    cfsetospeed(&t, baud->code);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) throw EFaxPortError(ecLineSettingsRefused);
}

int SerialDevice::currentBaud() const {
    termios t{};
    if (fd_ < 0 || tcgetattr(fd_, &t) != 0) return 0;
    return BaudRate(cfgetospeed(&t));
}

void SerialDevice::setDTR(bool on) {
    if (lines_) lines_->setDTR(on);
}

void SerialDevice::setRTS(bool on) {
    if (lines_) lines_->setRTS(on);
}

std::uint8_t SerialDevice::readModemLines() const {
    return lines_ ? lines_->read() : msCTS | msDSR | msDCD;
}

bool SerialDevice::readCounters(Counters& c) const {
    serial_icounter_struct ic{};
    if (fd_ < 0 || ioctl(fd_, TIOCGICOUNT, &ic) != 0) return false;
    c.overrun = static_cast<std::uint32_t>(ic.overrun + ic.buf_overrun);
    c.parity = static_cast<std::uint32_t>(ic.parity);
    c.frame = static_cast<std::uint32_t>(ic.frame);
    c.brk = static_cast<std::uint32_t>(ic.brk);
    c.ring = static_cast<std::uint32_t>(ic.rng);
    return true;
}

int SerialDevice::readSome(char* data, int max) {
    if (fd_ < 0 || max <= 0) return fd_ < 0 ? -1 : 0;
    for (;;) {
        const ssize_t n = ::read(fd_, data, static_cast<size_t>(max));
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

int SerialDevice::writeSome(const char* data, int size) {
    if (fd_ < 0) return -1;
    for (;;) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

int SerialDevice::bytesInDriver() const {
    int n = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0) return 0;
    return n;
}

void SerialDevice::flushInput() {
    if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

void SerialDevice::flushOutput() {
    if (fd_ >= 0) tcflush(fd_, TCOFLUSH);
}

}  // namespace corvane
