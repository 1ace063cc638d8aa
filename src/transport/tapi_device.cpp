#include "transport/tapi_device.h"

#include "core/fax_errors.h"
#include "transport/fx_port.h"

namespace corvane {

QList<TelephonyDevice> TapiDevice::devices() {
    return TelephonyDevices();
}

QStringList TapiDevice::deviceNames() {
    QStringList names;
    for (const TelephonyDevice& d : devices()) names << d.name;
    return names;
}

bool TapiDevice::selectDevice(const QString& name) {
    selected_ = {};
    if (name.trimmed().isEmpty()) return false;
    const QList<TelephonyDevice> all = devices();
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const TelephonyDevice& d : all) {
            if (d.name.compare(name.trimmed(), cs) == 0) {
                selected_ = d;
                return true;
            }
        }
    }
    return false;
}

void TapiDevice::openLine() {
    if (!port_) throw EFaxPortError(ecPortNotAssigned);
    if (selected_.path.isEmpty()) throw EFaxPortError(ecNotOpenedByTapi);
    port_->AssignTapiDevicePath(selected_.path);
    port_->SetTapiMode(TapiMode::On);
    callActive_ = true;
    try {
        port_->SetOpen(true);
    } catch (...) {
        cancelCall();
        throw;
    }
}

void TapiDevice::cancelCall() {
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
