#include "transport/port_operations.h"

#include <QCoreApplication>

#include "core/fax_errors.h"
#include "transport/fx_port.h"
#include "transport/fx_tapi.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kProgramBufferSize = 8192;
constexpr int kLargerBufferSize = 16384;

bool AwaitOK(TFxComPort& port) {
    return port.AwaitString("OK", kModemReplyTicks, false, true);
}

void ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace

void ApplyProgramPortSettings(TFxComPort& port, PortUse use, bool largerBuffer) {
    const int inSize =
        use == PortUse::Receiving && largerBuffer ? kLargerBufferSize : kProgramBufferSize;
    const int outSize =
        use == PortUse::Sending && largerBuffer ? kLargerBufferSize : kProgramBufferSize;
    port.SetAutoOpen(false);
    port.SetBaud(kProgramBaud);
    port.SetInSize(inSize);
    port.SetOutSize(outSize);
    port.SetBufferFull(inSize * 9 / 10);
    port.SetBufferResume(inSize / 10);
    port.SetHWFlowOptions(hwfUseRTS | hwfRequireCTS);
    port.SetDTR(true);
    port.SetRTS(true);
}

PortOpenResult OpenPortDirectly(TFxComPort& port) {
    PortOpenResult result;
    try {
        port.SetOpen(true);
        result.ok = true;
    } catch (const EFaxError& e) {
        result.lastError = e.code();
        result.message = e.code() == ecAlreadyOpen ? kPortInUseMessage : kUnableToOpenMessage;
    } catch (const std::exception&) {
        result.message = kUnableToOpenMessage;
    }
    return result;
}

bool CheckForModem(TFxComPort& port, const QString& resetString) {
    DelayTicks(kCheckModemSettleTicks, true);
    port.SendString("AT\r");
    if (AwaitOK(port)) return true;
    const QString reset = resetString.trimmed();
    if (reset.isEmpty()) return false;
    port.SendString(reset + "\r");
    return AwaitOK(port);
}

bool SendModemCommand(TFxComPort& port, const QString& command) {
    try {
        const QString text = command.toUpper().contains("AT") ? command : "AT" + command;
        port.SendString(text + "\r");
        return AwaitOK(port);
    } catch (...) {
        return false;
    }
}

bool ResetModem(TFxComPort& port) {
    return SendModemCommand(port, "ATZ");
}

PortOpenResult OpenPortWithTapi(TFxComPort& port, TFxTapiDevice& tapi, const QString& deviceName,
                                const std::function<QString()>& chooseDevice) {
    PortOpenResult result;
    try {
        if (port.Open()) port.SetOpen(false);
        ProcessEvents();
        tapi.CancelCall();
        ProcessEvents();

        port.SetTapiMode(TapiMode::Auto);
        tapi.SetComPort(&port);
        bool selected = tapi.SelectDevice(deviceName);
        if (!selected && chooseDevice) selected = tapi.SelectDevice(chooseDevice());
        if (!selected) {
            result.message = kUnableToAssignTapiMessage;
            return result;
        }
        const QString name = tapi.SelectedDevice();
        try {
            tapi.OpenLine();
        } catch (const EFaxError& e) {
            result.lastError = e.code();
        }
        // The open is synchronous here; the wait only covers a line that needs a moment.
        const std::int64_t end = MillisecondClock() + kTapiOpenWaitMs;
        while (!port.Open() && tapi.CallActive() && MillisecondClock() < end) DelayMs(10, true);
        if (!port.Open()) {
            result.message = kFailedToOpenPrefix + name;
            return result;
        }
        port.SetBaud(kTapiFirstBaud);
        port.SetBaud(kProgramBaud);
        port.SendString("AT\r");
        DelayTicks(kTapiSettleTicks, true);
        port.PurgeInput();
        result.ok = true;
        result.lastError = -1;
    } catch (...) {
        result = {};
        result.message = kUnexpectedErrorMessage;
    }
    return result;
}

void ReleaseTapiPort(TFxComPort& port, TFxTapiDevice& tapi) {
    try {
        if (port.Open()) port.SetOpen(false);
    } catch (...) {
    }
    ProcessEvents();
    try {
        tapi.CancelCall();
    } catch (...) {
    }
    ProcessEvents();
}

}  // namespace corvane
