#include "transport/port_operations.h"

#include <QCoreApplication>

#include "core/fax_errors.h"
#include "transport/at_command.h"
#include "transport/fx_port.h"
#include "transport/tapi_device.h"
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

Status OpenPortDirectly(TFxComPort& port) {
    try {
        port.SetOpen(true);
        return Status::Ok();
    } catch (const EFaxError& e) {
        return Status::Error(e.code() == ecAlreadyOpen ? kPortInUseMessage : kUnableToOpenMessage,
                             e.code());
    } catch (const std::exception&) {
        return Status::Error(kUnableToOpenMessage, kNoOpenErrorCode);
    }
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
        port.SendString(AtCommandLine(command) + "\r");
        return AwaitOK(port);
    } catch (...) {
        return false;
    }
}

bool ResetModem(TFxComPort& port) {
    return SendModemCommand(port, "ATZ");
}

Status OpenPortWithTapi(TFxComPort& port, TapiDevice& tapi, const QString& deviceName,
                        const std::function<QString()>& chooseDevice) {
    try {
        if (port.Open()) port.SetOpen(false);
        ProcessEvents();
        tapi.cancelCall();
        ProcessEvents();

        port.SetTapiMode(TapiMode::Auto);
        tapi.setComPort(&port);
        bool selected = tapi.selectDevice(deviceName);
        if (!selected && chooseDevice) selected = tapi.selectDevice(chooseDevice());
        if (!selected) return Status::Error(kUnableToAssignTapiMessage, kNoOpenErrorCode);
        const QString name = tapi.selectedDevice();
        int openError = kNoOpenErrorCode;
        try {
            tapi.openLine();
        } catch (const EFaxError& e) {
            openError = e.code();
        }
        // The open is synchronous here; the wait only covers a line that needs a moment.
        const std::int64_t end = MillisecondClock() + kTapiOpenWaitMs;
        while (!port.Open() && tapi.callActive() && MillisecondClock() < end) DelayMs(10, true);
        if (!port.Open()) return Status::Error(kFailedToOpenPrefix + name, openError);
        port.SetBaud(kTapiFirstBaud);
        port.SetBaud(kProgramBaud);
        port.SendString("AT\r");
        DelayTicks(kTapiSettleTicks, true);
        port.PurgeInput();
        return Status::Ok();
    } catch (...) {
        return Status::Error(kUnexpectedErrorMessage, kNoOpenErrorCode);
    }
}

void ReleaseTapiPort(TFxComPort& port, TapiDevice& tapi) {
    try {
        if (port.Open()) port.SetOpen(false);
    } catch (...) {
    }
    ProcessEvents();
    try {
        tapi.cancelCall();
    } catch (...) {
    }
    ProcessEvents();
}

}  // namespace corvane
