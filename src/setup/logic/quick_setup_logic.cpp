#include "setup/logic/quick_setup_logic.h"

#include <algorithm>

#include "core/settings.h"
#include "setup/logic/preferences_logic.h"

namespace corvane {

QuickSetupLogic::QuickSetupLogic(Settings& settings, const QStringList& telephonyDevices)
    : settings_(settings),
      telephony_(telephonyDevices),
      savedComPort_(settings.ComPort),
      savedUseTapi_(settings.UseTAPI) {
    if (settings.ComPort >= 0) comPortIndex = std::min(settings.ComPort, 7);
    userName = settings.UserName;
    userFax = settings.UserFax;
    tapiIndex = TelephonyIndexFor(telephony_, settings.TAPIDevice);
    useTapi = telephonyAvailable() && settings.UseTAPI;
}

void QuickSetupLogic::confirm() {
    settings_.PortUnconfigured = false;
    settings_.ComPort = comPortIndex;
    settings_.UserName = userName.left(35);
    settings_.UserFax = userFax.left(20);
    settings_.UseTAPI = useTapi && telephonyAvailable();
    if (settings_.UseTAPI) settings_.TAPIDevice = telephonyDeviceName();
}

void QuickSetupLogic::cancel() {
    settings_.PortUnconfigured = true;
    settings_.ComPort = savedComPort_;
    settings_.UseTAPI = savedUseTapi_;
}

}  // namespace corvane
