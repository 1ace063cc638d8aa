#pragma once
// The program's own uses of the port, shared by the send window, receive mode and the setup
// dialogs: open directly or through a telephony device, check that a modem answers, send a
// command, reset the modem, and the buffer sizes each use asks for.

#include <QString>
#include <cstdint>
#include <functional>

#include "core/status.h"

namespace corvane {

class TFxComPort;
class TapiDevice;

constexpr int kModemReplyTicks = 109;  // 6 s
constexpr int kCheckModemSettleTicks = 12;
constexpr int kTapiSettleTicks = 18;
constexpr int kTapiOpenWaitMs = 6000;
constexpr int kTapiFirstBaud = 57600;
constexpr int kProgramBaud = 19200;

inline const QString kPortInUseMessage = QStringLiteral("The communications port is in use");
inline const QString kUnableToOpenMessage =
    QStringLiteral("Unable to open the specified communications port");
inline const QString kUnableToAssignTapiMessage = QStringLiteral("Unable to assign TAPI device");
inline const QString kFailedToOpenPrefix = QStringLiteral("Failed to open ");
inline const QString kUnexpectedErrorMessage = QStringLiteral("Unexpected error");

// The code a failed open reports when no fax error code caused it.
constexpr int kNoOpenErrorCode = -1;

enum class PortUse { Sending, Receiving, Setup };

// The settings every port the program places uses: 19200 baud, RTS/CTS, both lines raised,
// no auto-open, buffers of 8192 (16384 with the larger-buffer option for that use) and flow
// limits at 90 % and 10 % of the input size.
void ApplyProgramPortSettings(TFxComPort& port, PortUse use, bool largerBuffer);

// Opens the port by its COM number. On failure the message is "The communications port is in
// use" for -2008 and "Unable to open the specified communications port" otherwise, and the
// code is the failed open's (kNoOpenErrorCode when it raised no fax error).
Status OpenPortDirectly(TFxComPort& port);

// Waits 12 ticks, sends "AT", waits up to 109 ticks for "OK"; without one, and with a reset
// string, sends that and waits again. True when an "OK" came. Port errors propagate.
bool CheckForModem(TFxComPort& port, const QString& resetString);

// Sends `command` ("AT" put in front when it holds none) and waits for "OK". False on time-out
// or any error.
bool SendModemCommand(TFxComPort& port, const QString& command);

// "ATZ" and wait for "OK". False on time-out or any error.
bool ResetModem(TFxComPort& port);

// Opens the named telephony device through `tapi` (tied to `port`): closes and drops first,
// selects by name (asking `chooseDevice` when the name matches none), opens, sets 57600 and
// then 19200 baud, sends "AT", waits 18 ticks and purges the input.
// The failure messages are "Unable to assign TAPI device", "Failed to open " + name and
// "Unexpected error".
Status OpenPortWithTapi(TFxComPort& port, TapiDevice& tapi, const QString& deviceName,
                        const std::function<QString()>& chooseDevice = {});

// Closes the port when open, then drops the telephony call; errors are ignored.
void ReleaseTapiPort(TFxComPort& port, TapiDevice& tapi);

}  // namespace corvane
