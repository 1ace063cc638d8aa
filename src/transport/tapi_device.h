#pragma once
// TapiDevice: the telephony substitute. Its devices are the named serial devices of the
// system (/dev/serial/by-id/ and the [Telephony] entries of QX.INI, see core/port_map.h).
// "Placing the pass-through call" hands the device's path to the tied port, which then opens
// it with TapiMode On; "dropping the call" closes that port and withdraws the path.

#include <QList>
#include <QString>

#include "core/port_map.h"

namespace corvane {

class TFxComPort;

class TapiDevice {
  public:
    static QList<TelephonyDevice> devices();
    static QStringList deviceNames();

    void setComPort(TFxComPort* port) { port_ = port; }
    TFxComPort* comPort() const { return port_; }

    // Selects the device called `name` (exact name first, then without regard to case);
    // false when there is none.
    bool selectDevice(const QString& name);
    QString selectedDevice() const { return selected_.name; }
    QString selectedPath() const { return selected_.path; }

    // Hands the selected device to the port and opens it (raises what the open raises;
    // ecPortNotAssigned without a port, ecNotOpenedByTapi without a selected device).
    void openLine();
    // Ends the call: closes the port when this device opened it and withdraws the hand-over.
    // Never raises.
    void cancelCall();
    bool callActive() const { return callActive_; }

  private:
    TFxComPort* port_ = nullptr;
    TelephonyDevice selected_;
    bool callActive_ = false;
};

}  // namespace corvane
