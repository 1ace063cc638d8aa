#pragma once
// PortFinder: the port finder's probe without its window. It tries COM1 to COM8 in turn
// (their device paths come from [Ports], core/port_map.h), notes on each port's line whether a
// modem answered "AT", then tries the named telephony devices (/dev/serial/by-id/ and
// [Telephony]) the same way, so that a USB modem is found whatever its device node. Every
// modem that answers is asked who it is ("ATI", "AT+FMI?", "AT+FMM?", "AT+GMI", "AT+GMM").
//
// The finder borrows the caller's port: it opens and closes it once per port, always leaves
// it closed, and gives back its COM number and telephony mode as they were.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace corvane {

class TFxComPort;

inline const QString kPortInUseLine = QStringLiteral("Port is already open (could be modem)");
inline const QString kNoSuchPortLine = QStringLiteral("Port does not exist");

// What a port that the user may not open says instead of "Unknown": how to get the right.
QString PermissionHelpText(const QString& devicePath);

class PortFinder {
  public:
    struct NamedDevice {
        QString name;
        QString path;
        QString text;  // the device's line: name + ": " + outcome
        bool modem = false;
        QString identification;
    };

    PortFinder(TFxComPort& port, const QString& resetString);

    // Called whenever a line changes: index 0..7 for COM1..COM8, 8 and up for named devices
    // (in the order of namedDevices()). The window repaints and processes events here.
    std::function<void(int index, const QString& text)> onLine;

    void run();

    // 1..8: the lowest COM port where a modem answered; -1 for none.
    int result() const { return result_; }
    // The first named device where a modem answered; empty for none.
    QString namedResult() const;
    bool portInUse() const { return inUse_; }
    bool permissionMissing() const { return permissionMissing_; }
    QStringList comLines() const { return comLines_; }
    // What each answering COM port said it is (empty for the others).
    QStringList comIdentifications() const { return comIds_; }
    const std::vector<NamedDevice>& namedDevices() const { return named_; }
    QString informationText() const;

    // Shorter than a command's reply wait: a modem that knows the identification commands
    // answers at once, and one that does not should not hold the search up.
    static constexpr int kIdentifyTicks = 36;

  private:
    struct Outcome {
        QString text;
        bool modem = false;
        QString identification;
    };
    Outcome probeOpen(const QString& path);
    QString identify();
    void setLine(int index, const QString& text);

    TFxComPort& port_;
    QString resetString_;
    int result_ = -1;
    bool inUse_ = false;
    bool permissionMissing_ = false;
    QStringList comLines_;
    QStringList comIds_;
    std::vector<NamedDevice> named_;
};

// "faxline / Class 2/2.0 simulated modem": the distinct informative first lines of the
// replies to the identification commands, joined.
QString JoinIdentification(const QList<QStringList>& replies);

}  // namespace corvane
