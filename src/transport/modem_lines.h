#pragma once
// The modem control lines of an open serial device: the status lines the modem drives (CTS,
// DSR, RI, DCD) and the ones the program drives (DTR, RTS). A real serial port has them in
// the driver (termios ioctls); a pseudo-terminal from the simulated fax line has none, and
// the line offers them on a Unix-domain socket beside the port's link instead.
// Reads come from the dispatcher thread and sets from the caller's thread: implementations
// are safe to call from both.

#include <QString>
#include <cstdint>
#include <memory>

namespace corvane {

// The modem status byte: current lines in the high nibble, changes in the low nibble.
enum ModemStatusBits : std::uint8_t {
    msDeltaCTS = 0x01,
    msDeltaDSR = 0x02,
    msTrailingEdgeRing = 0x04,
    msDeltaDCD = 0x08,
    msCTS = 0x10,
    msDSR = 0x20,
    msRI = 0x40,
    msDCD = 0x80,
    msLineMask = 0xF0,
};

class ModemLines {
  public:
    virtual ~ModemLines() = default;
    // Current lines as msCTS/msDSR/msRI/msDCD.
    virtual std::uint8_t read() = 0;
    virtual void setDTR(bool on) = 0;
    virtual void setRTS(bool on) = 0;
};

// The lines of the device open at fd, through TIOCMGET/TIOCMBIS/TIOCMBIC. The descriptor
// stays the caller's. Where the driver has no modem lines (a pseudo-terminal) reads report
// CTS, DSR and DCD up and sets do nothing.
std::unique_ptr<ModemLines> MakeIoctlModemLines(int fd);

// The simulated fax line's status socket (`<port>.lines`); nothing when it cannot be
// reached. Its protocol: the line sends "DCD=1 DSR=1 CTS=1 RI=0" lines (the current state on
// connecting, then each change); the program writes "DTR=0"/"DTR=1" and "RTS=0"/"RTS=1".
std::unique_ptr<ModemLines> ConnectModemLineSocket(const QString& socketPath);

// The lines for the device at path, open at fd: the status socket when the device is a
// pseudo-terminal with a socket at `<path>.lines`, otherwise the driver's.
std::unique_ptr<ModemLines> OpenModemLines(int fd, const QString& path);

}  // namespace corvane
