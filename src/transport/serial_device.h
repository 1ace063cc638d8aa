#pragma once
// One open serial device: a termios line in raw mode, opened exclusively and non-blocking, and
// locked for other serial programs by a UUCP lock file while it is open.
// The dispatcher's threads share it: the reader polls it, the dispatcher reads from it, the
// writer writes to it; the calls used from several threads are safe on a file descriptor.
// Its modem lines go through a ModemLines chosen at open: the driver's, or the simulated fax
// line's status socket when the device is one of its pseudo-terminals.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

#include "transport/modem_lines.h"
#include "transport/uucp_lock.h"

namespace corvane {

// Line error bits, accumulated until read.
enum LineErrorBits : std::uint8_t {
    leOverrun = 0x02,
    leParity = 0x04,
    leFraming = 0x08,
    leBreak = 0x10,
    leWriteFailed = 0x20,  // a write to the device failed; the bytes waiting to go are lost
};

enum class Parity { None, Odd, Even, Mark, Space };

struct LineSettings {
    int baud = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;
    bool hardwareFlow = true;   // RTS/CTS
    bool softwareFlow = false;  // XOFF/XON from the modem stop and restart output
};

class SerialDevice {
  public:
    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens `path` for exclusive use. Raises EFaxPortError: -2001 when the device does not
    // exist, -2008 when another process holds it (open, locked, or named by a live UUCP lock),
    // the negated errno otherwise.
    void open(const QString& path);
    void close() noexcept;
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    QString path() const { return path_; }

    // Raw mode with the given parameters. Raises EFaxPortError: ecUnsupportedBaud for a rate the
    // driver does not offer, ecLineSettingsRefused when it refuses the rest.
    void applySettings(const LineSettings& settings);
    static bool isSupportedBaud(int rate);
    // Raises EFaxPortError(ecUnsupportedBaud) naming the rate when the driver does not offer it.
    static void requireSupportedBaud(int rate);
    // The rate the driver reports, 0 when unknown.
    int currentBaud() const;

    void setDTR(bool on);
    void setRTS(bool on);
    // Current lines as msCTS/msDSR/msRI/msDCD. Devices without modem lines (pseudo-terminals
    // other than the simulated fax line's) report CTS, DSR and DCD up.
    std::uint8_t readModemLines() const;
    // Error and ring counts of the driver where it keeps them; false when it does not.
    struct Counters {
        std::uint32_t overrun = 0, parity = 0, frame = 0, brk = 0, ring = 0;
    };
    bool readCounters(Counters& counters) const;

    // Non-blocking: bytes read (0 when none), or -1 when the line is gone.
    int readSome(char* data, int max);
    // Non-blocking: bytes written (0 when the driver queue is full), or -1 on failure.
    int writeSome(const char* data, int size);
    int bytesInDriver() const;
    void flushInput();
    void flushOutput();

  private:
    int fd_ = -1;
    QString path_;
    UucpLock lock_;
    std::unique_ptr<ModemLines> lines_;
};

}  // namespace corvane
