#pragma once
// PreferencesLogic: "Preferences (Program Settings)" without its window. It fills plain values
// for every control from the settings record, and stores them back with the dialog's rules:
// transfer rates by the rate list coding, the program's own fax printer stored as the default
// printer, the telephony device only with the telephony choice, the buggy-driver print fix
// only together with the alternate print method. Opening clears PortUnconfigured; cancelling
// gives it back.

#include <QString>
#include <QStringList>

#include "core/status.h"

namespace corvane {

struct Settings;

inline const QStringList kTransferRateItems = {"2400", "4800", "7200", "9600", "12000", "14400"};
inline constexpr int kRecommendedMaximumRate = 9600;
inline constexpr int kRingChoices = 8;  // "Answer on ring" 1..8

// One field per control, as the control holds it (list indexes, texts, ticks).
struct PreferencesValues {
    // "Modem"
    int comPortIndex = 0;  // "Com1".."Com8"
    bool useTapi = false;  // the telephony modem choice instead of the port
    int tapiIndex = -1;    // in the telephony device list; -1 with none installed
    int toneOrPulse = 0;
    QString resetString;
    QString resetAfterString;
    // "Sending"
    int sendClass = 1;  // 0 auto detect, 1 class 1, 2 class 2, 3 class 2.0
    int sendRateIndex = 3;
    QString sendInit;
    QString userFax;
    QString userName;
    QString userCompany;
    QString userVoice;
    bool ecm = false;
    QString dialPrefix;
    QString dialSuffix;
    QString dialAttempts;  // text fields: whole numbers
    QString retryWait;
    bool renegotiateBetween = false;
    bool blindDial = false;
    bool ignoreBusy = false;
    // "Receiving"
    int receiveClass = 1;
    int receiveRateIndex = 3;
    QString receiveInit;
    int answerOnRingIndex = 0;  // ring 1..8 as 0..7
    bool atStartup = false;
    bool ecmReceive = false;
    QString wav;
    bool printOnReceipt = false;
    int printerIndex = 0;  // in printerList()
    bool resetBetweenCalls = false;
    // "Advanced"
    bool useAlternateHeaderFont = false;
    bool alternateNamingRec = false;
    bool largerSendBuffer = false;
    bool largerReceiveBuffer = false;
    bool alternateFaxViewer = false;
    bool addHalfInchLeftMargin = false;
    bool alternatePrintMethod = false;
    bool ddbPrintMethod = false;
    bool alternateCoverGen = false;
    bool legacyTimer = false;
    // Edited through the header template dialog.
    QString faxHeaderTemplate;

    bool operator==(const PreferencesValues&) const = default;
};

class PreferencesLogic {
  public:
    // Notes PortUnconfigured and clears it, then fills the values. `telephonyDevices`: the
    // installed telephony modems; `printers`: the installed printers.
    PreferencesLogic(Settings& settings, const QStringList& telephonyDevices,
                     const QStringList& printers);

    PreferencesValues values;

    QStringList telephonyDevices() const { return telephony_; }
    bool telephonyAvailable() const { return !telephony_.isEmpty(); }
    // "Default Windows Printer", then the installed printers.
    QStringList printerList() const { return printerList_; }
    QString telephonyDeviceName() const { return telephony_.value(values.tapiIndex); }

    // The port list and "Find Modem Port" go with the port choice; the modem list and "Test
    // Modem" with the telephony choice.
    bool portControlsEnabled() const { return !values.useTapi; }
    bool telephonyControlsEnabled() const { return values.useTapi && telephonyAvailable(); }
    // "Note: We recommend maximum 9600" under the receiving rate.
    bool receiveRateNoteShown() const;
    bool ddbPrintEnabled() const { return values.alternatePrintMethod; }

    // "&Save": checks the number fields, then stores every value into the settings record and
    // applies the timer choice. The caller writes the file (SaveSettings). Nothing is stored
    // when a check fails; the message says which field.
    Status store();
    // "Cance&l": the record is left as it was and PortUnconfigured gets its old value back.
    void cancel();

  private:
    Settings& settings_;
    bool previousPortUnconfigured_;
    QStringList telephony_;
    QStringList printerList_;
};

// The telephony list selection for a stored device name: the named one (exact, then ignoring
// case), else the first; -1 when none is installed.
int TelephonyIndexFor(const QStringList& devices, const QString& name);
// A receipt printer that is the program's own fax printer prints to the default printer.
QString ReceiptPrinterToStore(const QString& chosen);

}  // namespace corvane
