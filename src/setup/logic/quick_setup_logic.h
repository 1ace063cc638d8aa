#pragma once
// QuickSetupLogic: "Quick Setup Form" without its window: name, fax number and the modem, asked
// before the first send or receive while no modem is configured. Confirming clears
// PortUnconfigured; cancelling sets it and gives back the port choice as it was, so that the
// next send asks again.

#include <QString>
#include <QStringList>

namespace corvane {

struct Settings;

class QuickSetupLogic {
  public:
    QuickSetupLogic(Settings& settings, const QStringList& telephonyDevices);

    int comPortIndex = 0;
    QString userName;  // at most 35 characters
    QString userFax;   // at most 20 characters
    bool useTapi = false;
    int tapiIndex = -1;

    QStringList telephonyDevices() const { return telephony_; }
    bool telephonyAvailable() const { return !telephony_.isEmpty(); }
    QString telephonyDeviceName() const { return telephony_.value(tapiIndex); }

    // "OK": stores the choices into the record; the caller writes the file (SaveSettings).
    void confirm();
    // "Cance&l".
    void cancel();

  private:
    Settings& settings_;
    QStringList telephony_;
    int savedComPort_;
    bool savedUseTapi_;
};

}  // namespace corvane
