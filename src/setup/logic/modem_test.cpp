#include "setup/logic/modem_test.h"

#include "core/status.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"

namespace corvane {

QString ModemTestMessage(bool opened, const QString& openError, bool responded,
                         ModemTestWording wording) {
    const QString cr = QStringLiteral("\r");
    if (!opened)
        return "ERROR: " + openError + cr + cr + QStringLiteral("..is the modem or port in use?");
    if (responded) return "Opened with TAPI" + cr + QStringLiteral("..modem responded properly");
    return "Opened with TAPI" + cr +
           (wording == ModemTestWording::Preferences
                ? QStringLiteral("..however no modem was detected (modem did not respond)")
                : QStringLiteral("..however no modem was detected"));
}

QString RunModemTest(TFxComPort& port, TapiDevice& tapi, const QString& deviceName,
                     const QString& resetString, ModemTestWording wording) {
    ReleaseTapiPort(port, tapi);
    const Status opened = OpenPortWithTapi(port, tapi, deviceName);
    bool responded = false;
    if (opened.ok()) {
        try {
            responded = CheckForModem(port, resetString);
        } catch (...) {
            // A port error during the test means no answer.
        }
    }
    ReleaseTapiPort(port, tapi);
    return ModemTestMessage(opened.ok(), opened.message(), responded, wording);
}

QString PortAdoptQuestion(int foundComNumber, int chosenIndex) {
    if (foundComNumber <= 0 || foundComNumber == chosenIndex + 1) return {};
    return QStringLiteral("Set Com Port to Com %1").arg(foundComNumber);
}

}  // namespace corvane
