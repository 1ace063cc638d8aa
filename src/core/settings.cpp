#include "core/settings.h"

#include <QDir>
#include <QFileInfo>

#include "core/app_folders.h"
#include "core/ini_file.h"

namespace corvane {

namespace {

using D = SettingDescriptor;
constexpr D B(const char* section, const char* key, bool Settings::*m) {
    return D{section, key, D::Bool, m, nullptr, nullptr};
}
constexpr D I(const char* section, const char* key, int Settings::*m) {
    return D{section, key, D::Int, nullptr, m, nullptr};
}
constexpr D S(const char* section, const char* key, QString Settings::*m) {
    return D{section, key, D::String, nullptr, nullptr, m};
}

TimerChoiceHook g_timerHook = nullptr;

constexpr int kTransferRates[] = {2400, 4800, 7200, 9600, 12000, 14400};
constexpr int kDefaultRateIndex = 3;

}  // namespace

const std::vector<SettingDescriptor>& SettingDescriptors() {
    static const std::vector<SettingDescriptor> table = {
        B("Dialing", "BlindDial", &Settings::BlindDial),
        B("Dialing", "IgnoreBusy", &Settings::IgnoreBusy),
        S("User", "Fax", &Settings::UserFax),
        S("User", "Name", &Settings::UserName),
        S("User", "Voice", &Settings::UserVoice),
        S("User", "Company", &Settings::UserCompany),
        S("Dialing", "DialPrefix", &Settings::DialPrefix),
        S("Modem", "InitString", &Settings::InitString),
        I("Dialing", "DialAttempts", &Settings::DialAttempts),
        I("Dialing", "RetryWait", &Settings::RetryWait),
        I("Modem", "ComPort", &Settings::ComPort),
        I("Modem", "FaxClass", &Settings::FaxClass),
        I("Modem", "MaximumBPS", &Settings::MaximumBPS),
        I("Dialing", "ToneOrPulse", &Settings::ToneOrPulse),
        I("Dialing", "Timeout", &Settings::Timeout),
        B("Receive", "AtStartup", &Settings::AtStartup),
        S("Receive", "Wav", &Settings::Wav),
        I("Receive", "AnswerOnRing", &Settings::AnswerOnRing),
        B("Hints", "On", &Settings::HintsOn),
        S("Resetting", "String", &Settings::ResetString),
        S("Resetting", "AfterString", &Settings::ResetAfterString),
        B("User", "PrefixDisable", &Settings::PrefixDisable),
        B("Dialing", "ECM", &Settings::ECM),
        B("Receive", "ECMReceive", &Settings::ECMReceive),
        S("Modem", "InitStringReceive", &Settings::InitStringReceive),
        I("Modem", "FaxClassReceive", &Settings::FaxClassReceive),
        I("Modem", "MaximumBPSReceive", &Settings::MaximumBPSReceive),
        B("Receive", "PrintOnReceipt", &Settings::PrintOnReceipt),
        S("Receive", "PrintOnReceiptPrinter", &Settings::PrintOnReceiptPrinter),
        B("Modem", "RenegotiateBetween", &Settings::RenegotiateBetween),
        S("Dialing", "DialSuffix", &Settings::DialSuffix),
        B("User", "SuffixDisable", &Settings::SuffixDisable),
        B("Receive", "DisableReceivingFaxesNotification",
          &Settings::DisableReceivingFaxesNotification),
        S("Other", "LastUsedCoversheetTemplate", &Settings::LastUsedCoversheetTemplate),
        B("Other", "UseAlternateHeaderFont", &Settings::UseAlternateHeaderFont),
        B("Other", "GlobalUseAlternateNamingRec", &Settings::GlobalUseAlternateNamingRec),
        B("Other", "GlobalLargerSendBuffer", &Settings::GlobalLargerSendBuffer),
        B("Other", "GlobalLargerReceiveBuffer", &Settings::GlobalLargerReceiveBuffer),
        S("Other", "FaxHeaderTemplate", &Settings::FaxHeaderTemplate),
        S("Other", "LastUsedImageFilePath", &Settings::LastUsedImageFilePath),
        B("Other", "UseAlternateFaxViewer", &Settings::UseAlternateFaxViewer),
        B("Modem", "UseTAPI", &Settings::UseTAPI),
        S("Modem", "TAPIDevice", &Settings::TAPIDevice),
        B("Covers", "AddHalfInchLeftMargin", &Settings::AddHalfInchLeftMargin),
        B("Printing", "UseAlternatePrintMethod", &Settings::UseAlternatePrintMethod),
        B("Printing", "UseDDBPrintMethod", &Settings::UseDDBPrintMethod),
        B("Receive", "ResetBetweenCalls", &Settings::ResetBetweenCalls),
        S("Other", "LastExportPath", &Settings::LastExportPath),
        I("Other", "LastExportType", &Settings::LastExportType),
        I("Report", "ReportInOut", &Settings::ReportInOut),
        B("Report", "ReportShadeAlt", &Settings::ReportShadeAlt),
        I("Report", "ReportSelectionIn", &Settings::ReportSelectionIn),
        I("Report", "ReportSelectionOut", &Settings::ReportSelectionOut),
        I("Report", "ReportRange", &Settings::ReportRange),
        I("Report", "ReportSort", &Settings::ReportSort),
        B("Other", "UseAlternateCoverGenMethod", &Settings::UseAlternateCoverGenMethod),
        B("Modem", "UseLegacyTimer", &Settings::UseLegacyTimer),
    };
    return table;
}

QString SettingValueText(const Settings& s, const SettingDescriptor& d) {
    switch (d.type) {
        case D::Bool:
            return (s.*d.boolMember) ? QStringLiteral("1") : QStringLiteral("0");
        case D::Int:
            return QString::number(s.*d.intMember);
        case D::String:
            return s.*d.stringMember;
    }
    return {};
}

void LoadSettings(Settings& s, const IniFile& ini) {
    const Settings defaults;
    for (const auto& d : SettingDescriptors()) {
        switch (d.type) {
            case D::Bool: {
                bool def = defaults.*d.boolMember;
                // Receive-side settings fall back to their send-side values.
                if (d.boolMember == &Settings::ECMReceive) def = s.ECM;
                s.*d.boolMember = ini.readBool(d.section, d.key, def);
                break;
            }
            case D::Int: {
                int def = defaults.*d.intMember;
                if (d.intMember == &Settings::FaxClassReceive) def = s.FaxClass;
                if (d.intMember == &Settings::MaximumBPSReceive) def = s.MaximumBPS;
                s.*d.intMember = ini.readInteger(d.section, d.key, def);
                break;
            }
            case D::String: {
                QString def = defaults.*d.stringMember;
                if (d.stringMember == &Settings::InitStringReceive) def = s.InitString;
                if (d.stringMember == &Settings::LastUsedImageFilePath) def = AppFolder();
                s.*d.stringMember = ini.readString(d.section, d.key, def);
                break;
            }
        }
    }

    s.LastUsedCoversheetTemplate = s.LastUsedCoversheetTemplate.trimmed();
    if (s.LastUsedCoversheetTemplate.isEmpty())
        s.LastUsedCoversheetTemplate = kDefaultCoverTemplate;
    s.LastUsedImageFilePath = s.LastUsedImageFilePath.trimmed();
    if (!s.LastUsedImageFilePath.isEmpty() && !QFileInfo(s.LastUsedImageFilePath).isDir())
        s.LastUsedImageFilePath = AppFolder();
    s.UseDDBPrintMethod = s.UseDDBPrintMethod && s.UseAlternatePrintMethod;

    s.PortUnconfigured = false;
    if (s.ComPort < 0 && !s.UseTAPI) {
        s.ComPort = 0;
        s.PortUnconfigured = true;
    }
    if (g_timerHook) g_timerHook(s.UseLegacyTimer);
}

void StoreSettings(Settings& s, IniFile& ini) {
    if (s.PortUnconfigured) s.ComPort = -1;
    for (const auto& d : SettingDescriptors()) {
        switch (d.type) {
            case D::Bool:
                ini.writeBool(d.section, d.key, s.*d.boolMember);
                break;
            case D::Int:
                ini.writeInteger(d.section, d.key, s.*d.intMember);
                break;
            case D::String:
                ini.writeString(d.section, d.key, s.*d.stringMember);
                break;
        }
    }
    ini.writeString("Version", "Version", kProgramVersion);
}

Settings& GlobalSettings() {
    static Settings settings;
    return settings;
}

void LoadSettings() {
    LoadSettings(GlobalSettings(), IniFile(SettingsFileName()));
}

Status SaveSettings() {
    IniFile ini(SettingsFileName());
    StoreSettings(GlobalSettings(), ini);
    QDir().mkpath(AppFolder());
    return ini.save();
}

void LoadPrintSettings(PrintSettings& p, const IniFile& ini) {
    p.MultiPage = ini.readBool("Printing", "MultiPage", false);
    p.Header = ini.readBool("Printing", "Header", false);
    p.Footer = ini.readBool("Printing", "Footer", false);
    p.Stretch = ini.readBool("Printing", "Stretch", false);
    p.UseAlternatePrintMethod = ini.readBool("Printing", "UseAlternatePrintMethod", false);
    p.UseDDBPrintMethod =
        ini.readBool("Printing", "UseDDBPrintMethod", false) && p.UseAlternatePrintMethod;
}

void StorePrintSettings(const PrintSettings& p, IniFile& ini) {
    ini.writeBool("Printing", "MultiPage", p.MultiPage);
    ini.writeBool("Printing", "Header", p.Header);
    ini.writeBool("Printing", "Footer", p.Footer);
    ini.writeBool("Printing", "Stretch", p.Stretch);
    ini.writeBool("Printing", "UseAlternatePrintMethod", p.UseAlternatePrintMethod);
    ini.writeBool("Printing", "UseDDBPrintMethod",
                  p.UseDDBPrintMethod && p.UseAlternatePrintMethod);
}

PrintSettings& GlobalPrintSettings() {
    static PrintSettings print;
    return print;
}

void LoadPrintSettings() {
    LoadPrintSettings(GlobalPrintSettings(), IniFile(SettingsFileName()));
}

Status SavePrintSettings() {
    IniFile ini(SettingsFileName());
    StorePrintSettings(GlobalPrintSettings(), ini);
    QDir().mkpath(AppFolder());
    return ini.save();
}

QString FaxClassName(int faxClass) {
    switch (faxClass) {
        case 0:
            return QStringLiteral("AutoDetect");
        case 1:
            return QStringLiteral("Class 1");
        case 2:
            return QStringLiteral("Class 2");
        case 3:
            return QStringLiteral("Class 2.0");
        default:
            return QStringLiteral("unknown");
    }
}

int TransferRateFromIndex(int index) {
    if (index < 0 || index >= int(std::size(kTransferRates)))
        return kTransferRates[kDefaultRateIndex];
    return kTransferRates[index];
}

int TransferRateIndex(int bitsPerSecond) {
    for (int i = 0; i < int(std::size(kTransferRates)); ++i)
        if (kTransferRates[i] == bitsPerSecond) return i;
    return kDefaultRateIndex;
}

void SetTimerChoiceHook(TimerChoiceHook hook) {
    g_timerHook = hook;
}

}  // namespace corvane
