#pragma once
// "Test Modem" of Preferences and quick setup: open the chosen telephony modem, check that it
// answers, release it, and say how it went.

#include <QString>

namespace corvane {

class TFxComPort;
class TapiDevice;

enum class ModemTestWording { Preferences, QuickSetup };

// The message for the user: opened and answering, opened but silent, or the open's error.
QString ModemTestMessage(bool opened, const QString& openError, bool responded,
                         ModemTestWording wording);

// Releases the device, opens `deviceName` through it, sends the presence test ("AT", then the
// reset string), releases it again; returns the message.
QString RunModemTest(TFxComPort& port, TapiDevice& tapi, const QString& deviceName,
                     const QString& resetString, ModemTestWording wording);

// The question after the port finder: "Set Com Port to Com n" when a modem was found on a port
// other than the chosen one (`chosenIndex` 0..7); empty otherwise.
QString PortAdoptQuestion(int foundComNumber, int chosenIndex);
inline const QString kComPortQuestionCaption = QStringLiteral("Com Port");

}  // namespace corvane
