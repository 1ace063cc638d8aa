#pragma once
// The first send or receive on a machine where no modem has been set up: the quick setup runs
// when the setup provides it; until then a plain choice of the modem's port stands in for it
// and says so. Either way the choice is stored in the settings and saved.

#include <QStringList>
#include <functional>

class QWidget;

namespace corvane {

struct Settings;

// Runs the quick setup; true when it was completed. The setup installs it.
using QuickSetupRunner = std::function<bool(QWidget* parent)>;
void SetQuickSetupRunner(QuickSetupRunner runner);

// The entries of the plain port choice: "COM1 (/dev/ttyS0)" ... "COM8 (...)", then the named
// telephony devices.
QStringList PortChoiceEntries();
// Stores entry `index` of PortChoiceEntries() as the modem port (a COM number, or a telephony
// device with UseTAPI) and marks the port configured.
void StorePortChoice(Settings& settings, int index);

// Before the first send or receive: the quick setup, or the plain port choice. True when a
// modem port is set now (and saved); false when the user cancelled.
bool RunFirstModemSetup(Settings& settings, QWidget* parent);

inline const QString kPortChoiceNote = QStringLiteral(
    "No modem has been set up yet. Choose the port your fax modem is on.\n\n"
    "This is a simple stand-in for the modem setup, which is not part of this version yet: "
    "the other modem settings keep their defaults and can be changed in QX.INI in the data "
    "folder.");

}  // namespace corvane
