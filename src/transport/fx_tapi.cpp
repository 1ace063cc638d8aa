#include "transport/fx_tapi.h"

#include <stdexcept>

#include "transport/fx_port.h"

namespace corvane {

QList<TelephonyDevice> TFxTapiDevice::Devices() {
    return TelephonyDevices();
}

QStringList TFxTapiDevice::DeviceNames() {
    QStringList names;
    for (const TelephonyDevice& d : Devices()) names << d.name;
    return names;
}

bool TFxTapiDevice::SelectDevice(const QString& name) {
    selected_ = {};
    if (name.trimmed().isEmpty()) return false;
    const QList<TelephonyDevice> devices = Devices();
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const TelephonyDevice& d : devices) {
            if (d.name.compare(name.trimmed(), cs) == 0) {
                selected_ = d;
                return true;
            }
        }
    }
    return false;
}

void TFxTapiDevice::OpenLine() {
    if (!port_ || selected_.path.isEmpty()) throw std::logic_error("no telephony device selected");
    port_->AssignTapiDevicePath(selected_.path);
    port_->SetTapiMode(TapiMode::On);
    callActive_ = true;
    try {
        port_->SetOpen(true);
    } catch (...) {
        CancelCall();
        throw;
    }
}

void TFxTapiDevice::CancelCall() {
    if (!callActive_ || !port_) return;
    callActive_ = false;
    try {
        if (port_->GetTapiMode() == TapiMode::On) port_->SetOpen(false);
    } catch (...) {
    }
    port_->AssignTapiDevicePath(QString());
    if (port_->GetTapiMode() == TapiMode::On) port_->SetTapiMode(TapiMode::Auto);
}

}  // namespace corvane
