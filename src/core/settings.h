#pragma once
// The program-wide settings record: every key of QX.INI held in memory. LoadSettings fills it,
// SaveSettings writes all of it back; the rest of the program reads the in-memory values.

#include <QString>
#include <vector>

#include "core/status.h"
#include "core/version.h"

namespace corvane {

class IniFile;

inline const QString kProgramVersion = QStringLiteral(CORVANE_VERSION);
inline const QString kDefaultCoverTemplate = QStringLiteral("qx0001.fct");
inline const QString kDefaultHeaderTemplate = QStringLiteral(
    "Sent by: $F             $I                    $D    $T              Page $P of $N");
inline const QString kDefaultPrinterName = QStringLiteral("Default Windows Printer");

struct Settings {
    // [Dialing]
    bool BlindDial = false;
    bool IgnoreBusy = false;
    QString DialPrefix;
    int DialAttempts = 3;
    int RetryWait = 60;
    int ToneOrPulse = 0;  // 0 tone, 1 pulse
    int Timeout = 60;
    bool ECM = false;
    QString DialSuffix;
    // [User]
    QString UserFax;
    QString UserName;
    QString UserVoice;
    QString UserCompany;
    bool PrefixDisable = false;
    bool SuffixDisable = false;
    // [Modem]
    QString InitString;
    int ComPort = -1;  // 0 = COM1 .. 7 = COM8; negative = not configured
    int FaxClass = 1;  // 0 automatic, 1 Class 1, 2 Class 2, 3 Class 2.0
    int MaximumBPS = 9600;
    QString InitStringReceive;
    int FaxClassReceive = 1;
    int MaximumBPSReceive = 9600;
    bool RenegotiateBetween = false;
    bool UseTAPI = false;
    QString TAPIDevice;
    bool UseLegacyTimer = false;
    // [Receive]
    bool AtStartup = false;
    QString Wav;
    int AnswerOnRing = 1;
    bool ECMReceive = false;
    bool PrintOnReceipt = false;
    QString PrintOnReceiptPrinter = kDefaultPrinterName;
    bool DisableReceivingFaxesNotification = true;
    bool ResetBetweenCalls = false;
    // [Hints]
    bool HintsOn = true;
    // [Resetting]
    QString ResetString;
    QString ResetAfterString;
    // [Other]
    QString LastUsedCoversheetTemplate = kDefaultCoverTemplate;
    bool UseAlternateHeaderFont = false;
    bool GlobalUseAlternateNamingRec = false;
    bool GlobalLargerSendBuffer = false;
    bool GlobalLargerReceiveBuffer = false;
    QString FaxHeaderTemplate = kDefaultHeaderTemplate;
    QString LastUsedImageFilePath;
    bool UseAlternateFaxViewer = false;
    QString LastExportPath;
    int LastExportType = 1;
    bool UseAlternateCoverGenMethod = false;
    // [Covers]
    bool AddHalfInchLeftMargin = false;
    // [Printing] (the two keys the settings record carries; see PrintSettings for the rest)
    bool UseAlternatePrintMethod = false;
    bool UseDDBPrintMethod = false;
    // [Report]
    int ReportInOut = 0;
    bool ReportShadeAlt = true;
    int ReportSelectionIn = 0;
    int ReportSelectionOut = 0;
    int ReportRange = 0;
    int ReportSort = 0;

    // Not stored: true while no modem has been configured (ComPort negative and no telephony
    // device). The in-memory ComPort is 0 then, and saving writes -1.
    bool PortUnconfigured = false;
};

// One row per stored key, in the order LoadSettings reads them.
struct SettingDescriptor {
    enum Type { Bool, Int, String };
    const char* section;
    const char* key;
    Type type;
    bool Settings::*boolMember;
    int Settings::*intMember;
    QString Settings::*stringMember;
};
const std::vector<SettingDescriptor>& SettingDescriptors();
// The value of one setting as text (truth values as 1/0).
QString SettingValueText(const Settings& s, const SettingDescriptor& d);

// Reads every key from `ini` with defaults, fall-backs and trimming, then sets
// PortUnconfigured when no port is configured.
void LoadSettings(Settings& s, const IniFile& ini);
// Writes every key and [Version] into `ini` (ComPort -1 while PortUnconfigured; the in-memory
// ComPort follows).
void StoreSettings(Settings& s, IniFile& ini);

// The global record and QX.INI in AppFolder(). SaveSettings keeps every section it does not
// own; when the file cannot be written it says why, and the record in memory is kept.
Settings& GlobalSettings();
void LoadSettings();
Status SaveSettings();

// The print options of section "Printing".
struct PrintSettings {
    bool MultiPage = false;
    bool Header = false;
    bool Footer = false;
    bool Stretch = false;
    bool UseAlternatePrintMethod = false;
    bool UseDDBPrintMethod = false;  // only true together with UseAlternatePrintMethod
};
void LoadPrintSettings(PrintSettings& p, const IniFile& ini);
void StorePrintSettings(const PrintSettings& p, IniFile& ini);
PrintSettings& GlobalPrintSettings();
void LoadPrintSettings();
Status SavePrintSettings();

// Value codings shared by several windows.
QString FaxClassName(int faxClass);
// Transfer-rate list index 0..5 = 2400..14400; other indexes mean 9600, other rates index 3.
int TransferRateFromIndex(int index);
int TransferRateIndex(int bitsPerSecond);

// Hook for the port timer choice (the transport installs it); LoadSettings calls it last.
using TimerChoiceHook = void (*)(bool useLegacyTimer);
void SetTimerChoiceHook(TimerChoiceHook hook);

}  // namespace corvane
