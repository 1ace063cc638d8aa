#pragma once
// How Corvane's numbered ports and named telephony devices map onto Linux device paths.
//   [Ports]      COM1=/dev/ttyS0 ... COM8=/dev/ttyS3 (defaults below, QX.INI overrides)
//   [Telephony]  Device1=name|path ...    extra named devices (tests use these)
// Named devices are also found in /dev/serial/by-id/.

#include <QList>
#include <QString>

namespace corvane {

constexpr int kFirstComNumber = 1;
constexpr int kLastComNumber = 8;

// Device path for COMn (n = 1..8) from section "Ports" of QX.INI, or the default mapping
// (COM1 /dev/ttyS0, COM2 /dev/ttyS1, COM3 /dev/ttyACM0, COM4 /dev/ttyACM1, COM5 /dev/ttyUSB0,
// COM6 /dev/ttyUSB1, COM7 /dev/ttyS2, COM8 /dev/ttyS3). Empty for n outside 1..8.
QString PortDevicePath(int comNumber);
QString DefaultPortDevicePath(int comNumber);

struct TelephonyDevice {
    QString name;
    QString path;
};

// Named devices: entries of /dev/serial/by-id/ (name = entry name, path = the link), then
// every Device<n>=name|path of section "Telephony" in QX.INI, in key order.
QList<TelephonyDevice> TelephonyDevices();

}  // namespace corvane
