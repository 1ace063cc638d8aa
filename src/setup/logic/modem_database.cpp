#include "setup/logic/modem_database.h"

namespace corvane {

namespace {

constexpr int kModelKeyLength = 50;

// clang-format off
// The model list, grouped by family. Spacing inside a name is the name's own ("Standard   300
// bps Modem" has three blanks).
const ModemModelRow kModemModels[] = {
    {"5634BTS 56K Video Ready Modem", "Archtek"},
    {"5634BTS 56K Video Ready Modem V.90", "Archtek"},
    {"5634BTS 56K Video Ready Modem V.90 PnP", "Archtek"},
    {"BCM V.90 56K Modem", "Broadcom"},
    {"56kifxspA Int Modem", "Conexant/Rockwell ACF"},
    {"Diamond SupraExpress 56e V.90", "Conexant/Rockwell ACF"},
    {"Pace 56 Voice Modem PnP", "Conexant/Rockwell ACF"},
    {"VoiceCard 56 Pro V1456VQH-R", "Conexant/Rockwell ACF"},
    {"56K PCI Voice Modem SF-1156IV R9A", "Conexant/Rockwell HCF"},
    {"56K PCI Voice Modem SF-1156IV+ R9A", "Conexant/Rockwell HCF"},
    {"Acer HCF 56K Data Fax PCI Modem", "Conexant/Rockwell HCF"},
    {"Acer HCF 56K Data,Fax PCI Modem", "Conexant/Rockwell HCF"},
    {"AOpen FM56-PM 56K Speakerphone PCI Modem", "Conexant/Rockwell HCF"},
    {"Cirrus CLM Data Fax Voice", "Conexant/Rockwell HCF"},
    {"Compaq 56K V90 HCF MiniPCI Modem", "Conexant/Rockwell HCF"},
    {"Conexant HCF PCI Modem", "Conexant/Rockwell HCF"},
    {"Conexant HCF V90 56K Data Fax PCI Modem", "Conexant/Rockwell HCF"},
    {"Conexant HCF V90 56K RTAD Speakerphone PCI Modem", "Conexant/Rockwell HCF"},
    {"Conexant HCF V90 56K Speakerphone PCI Modem", "Conexant/Rockwell HCF"},
    {"Creative Modem Blaster Flash56 PCI DI5630", "Conexant/Rockwell HCF"},
    {"Creative Modem Blaster V.90 DI5660", "Conexant/Rockwell HCF"},
    {"Creative Modem Blaster V.92 PCI DI5633", "Conexant/Rockwell HCF"},
    {"DSI D-F-V V.90 DI3635", "Conexant/Rockwell HCF"},
    {"Generic 56K HCF Data Fax Modem", "Conexant/Rockwell HCF"},
    {"HCF 56K Data Fax Speakerphone PCI Modem", "Conexant/Rockwell HCF"},
    {"HCF 56K PCI Modem", "Conexant/Rockwell HCF"},
    {"MDP3858-U Modem", "Conexant/Rockwell HCF"},
    {"MDP3858SP-U Modem", "Conexant/Rockwell HCF"},
    {"MDP3858SP-W 56K (AZT4015)", "Conexant/Rockwell HCF"},
    {"MDP3880-U Modem", "Conexant/Rockwell HCF"},
    {"MDP3880-W Modem", "Conexant/Rockwell HCF"},
    {"MDP3880-W(U) PCI Modem", "Conexant/Rockwell HCF"},
    {"MDP3900V-U Modem", "Conexant/Rockwell HCF"},
    {"MSP3880-W 56K Modem", "Conexant/Rockwell HCF"},
    {"PCI56RVP Modem", "Conexant/Rockwell HCF"},
    {"Rockwell HCF 56K Data Fax PCI", "Conexant/Rockwell HCF"},
    {"Rockwell HCF 56K Data Fax PCI Modem", "Conexant/Rockwell HCF"},
    {"Rockwell HCF 56K Data Fax RTAD PCI Modem", "Conexant/Rockwell HCF"},
    {"Rockwell HCF 56K Speakerphone", "Conexant/Rockwell HCF"},
    {"Rockwell HCF 56K Speakerphone PCI Modem", "Conexant/Rockwell HCF"},
    {"SupraExpress 56e V.90 PnP SUP2730", "Conexant/Rockwell HCF"},
    {"SupraExpress 56i SP V.90 SUP2720", "Conexant/Rockwell HCF"},
    {"SupraExpress 56i V PRO", "Conexant/Rockwell HCF"},
    {"SupraMax 56i Voice PCI", "Conexant/Rockwell HCF"},
    {"Compaq 56K V.90 HSF Mini PCI Modem", "Conexant/Rockwell SoftK56"},
    {"Conexant SoftK56 Data,Fax PCI Modem", "Conexant/Rockwell SoftK56"},
    {"Conexant SoftK56 Data,Fax,RTAM PCI Modem", "Conexant/Rockwell SoftK56"},
    {"Conexant SoftK56 Data,Fax,Speakerphone PCI Modem", "Conexant/Rockwell SoftK56"},
    {"Conexant SoftK56 PCI Modem(M)", "Conexant/Rockwell SoftK56"},
    {"Conexant-Ambit SoftK56 Data,Fax ICH Modem", "Conexant/Rockwell SoftK56"},
    {"Generic SoftK56", "Conexant/Rockwell SoftK56"},
    {"Creative Modem Blaster V.90 PCI DI5655", "ESSTech"},
    {"ESS ES56-I Plug n Play Fax Modem", "ESSTech"},
    {"ESS ES56CVM-PI Data Fax Voice Modem", "ESSTech"},
    {"ESS ES56T-PI Data Fax Voice Modem", "ESSTech"},
    {"Actiontec 56K Modem", "Generic Winmodem"},
    {"AMR Voice Modem", "Generic Winmodem"},
    {"GVC Data Fax Modem", "Generic Winmodem"},
    {"KASAN Xceed 56K Modio", "Generic Winmodem"},
    {"Sound4 Winmodem", "Generic Winmodem"},
    {"V.90 PCI Windows Modem (LHT)", "Generic Winmodem"},
    {"V.90 PCI Windows Modem (LHV)", "Generic Winmodem"},
    {"Nokia 6210 IrDA", "GSM Modem"},
    {"Nokia 8850", "GSM Modem"},
    {"Nokia GSM Data 2.0", "GSM Modem"},
    {"Nokia GSM Voice 2.0", "GSM Modem"},
    {"Sprint PCS Phone", "GSM Modem"},
    {"Ambient HaM Data Fax Voice", "Intel HaM"},
    {"Creatix HaM Data Fax Voice", "Intel HaM"},
    {"Intel HaM Data Fax Voice", "Intel HaM"},
    {"Intel HaM Data Fax Voice Modem", "Intel HaM"},
    {"Eicon DIVA T-A ISDN Modem", "ISDN Modem"},
    {"TELES modem", "ISDN Modem"},
    {"AT6800W-U Modem (AZT3011)", "LT Win Modem"},
    {"Compaq Presario 288-DF Modem", "LT Win Modem"},
    {"Compaq Presario 336-DF 56K Upgradeable", "LT Win Modem"},
    {"Compaq Presario 336-VSC Modem", "LT Win Modem"},
    {"Compaq Presario 56K-DF", "LT Win Modem"},
    {"LT Win Modem", "LT Win Modem"},
    {"Lucent 56K V.90 PCI DF Modem", "LT Win Modem"},
    {"Lucent V90+DSL Modem", "LT Win Modem"},
    {"Lucent Win Modem", "LT Win Modem"},
    {"MDP7800-U Modem", "LT Win Modem"},
    {"Sony Internal Modem (K56flex+V.90)", "LT Win Modem"},
    {"TelePath 56K for Windows", "LT Win Modem"},
    {"Telepath Internet 56K WinModem", "LT Win Modem"},
    {"TOSHIBA Internal V.34 Modem", "LT Win Modem"},
    {"TOSHIBA Internal V.90 Modem", "LT Win Modem"},
    {"Motorola SM56 AC-L Modem", "Motorola SM56"},
    {"Motorola SM56 Modem", "Motorola SM56"},
    {"Motorola SM56 PCI Fax Modem", "Motorola SM56"},
    {"Motorola SM56 PCI Modem", "Motorola SM56"},
    {"Motorola SM56 PCI Speakerphone Modem", "Motorola SM56"},
    {"Motorola SM56 Speakerphone Modem", "Motorola SM56"},
    {"Motorola SM56 Voice Modem", "Motorola SM56"},
    {"MultiModem MT2834ZDX", "MultiTech"},
    {"Multitech MultiModem", "MultiTech"},
    {"Cavi di comunicazione tra due computer", "Not a modem"},
    {"Parallel cable between 2 PCs", "Not a modem"},
    {"Parallel cable between two computers", "Not a modem"},
    {"Serial cable between 2 PCs", "Not a modem"},
    {"HSP K56FLEX PNP MODEM", "PCTel HSP"},
    {"HSP MicroModem 56", "PCTel HSP"},
    {"HSP56 AUDIOMODEM RISER", "PCTel HSP"},
    {"HSP56 MicroModem", "PCTel HSP"},
    {"HSP56 MR", "PCTel HSP"},
    {"MSP5900-U Modem", "PCTel HSP"},
    {"PCTEL Platinum V.90 Modem", "PCTel HSP"},
    {"V.90 K56Flex HSP Modem", "PCTel HSP"},
    {"V.90 K56Flex HSP PCI Modem", "PCTel HSP"},
    {"Atlantis Pocket Modem USB 56K", "Smartlink HAMR"},
    {"MR2800-W Data Fax Modem", "Smartlink HAMR"},
    {"3Com 10-100 LAN + 56K Modem CardBus PC Card", "Standard Modem"},
    {"3Com 56K V.90 Mini PCI Modem", "Standard Modem"},
    {"3Com Windows Modem TI", "Standard Modem"},
    {"56K Data Fax Modem PnP", "Standard Modem"},
    {"56K DATA FAX VOICE MODEM", "Standard Modem"},
    {"56K Internet-Fax", "Standard Modem"},
    {"56K Plug&Play Modem", "Standard Modem"},
    {"Brother MFC-7300C Fax Only", "Standard Modem"},
    {"Cirrus 33600 bps Modem Internal (CL-MD3450) Modem", "Standard Modem"},
    {"Cirrus 56K bps Modem Internal (CL-MD5650) Modem", "Standard Modem"},
    {"Cirrus Logic 33600 bps PnP V34", "Standard Modem"},
    {"Duxbury V.90 and X2 External Modem", "Standard Modem"},
    {"Gold Card Global 56K V.90", "Standard Modem"},
    {"Hayes Accura 288 V.34-V.FC + FAX 144", "Standard Modem"},
    {"K56 serial, Voice, Speakerphone", "Standard Modem"},
    {"MD6800-U Modem (AZT4023)", "Standard Modem"},
    {"MD6802-U Modem (AZT4029)", "Standard Modem"},
    {"Megahertz CC-XJ1560 Fax-Modem", "Standard Modem"},
    {"MINI PCI type 3B Data Fax Modem by 3Com", "Standard Modem"},
    {"Modem Game & Data Line", "Standard Modem"},
    {"Modem Voice & Fax Line", "Standard Modem"},
    {"Mwave 28.8 Data Fax VOD Modem", "Standard Modem"},
    {"NetComm Roadster 336  ( AM3460 )", "Standard Modem"},
    {"OEM Mfg 33.6 Data Fax VOD Modem", "Standard Modem"},
    {"Practical Peripherals PM288HC II V.34", "Standard Modem"},
    {"Rockwell 336 INTERNAL Data+Fax+Voice", "Standard Modem"},
    {"Rockwell Compatible Internal,Voice,Speakerphone,56", "Standard Modem"},
    {"Rockwell External V.90 K56 Voice Modem", "Standard Modem"},
    {"Sierra 28800 PnP SQ3465", "Standard Modem"},
    {"SmartUSB56 V90 Modem", "Standard Modem"},
    {"Sound III 336SP", "Standard Modem"},
    {"Standard   300 bps Modem", "Standard Modem"},
    {"Standard  1200 bps Modem", "Standard Modem"},
    {"Standard  2400 bps Modem", "Standard Modem"},
    {"Standard  9600 bps Modem", "Standard Modem"},
    {"Standard 28800 bps Modem", "Standard Modem"},
    {"Standard 56000 bps K56Flex Modem", "Standard Modem"},
    {"Standard 56000 bps V90 Modem", "Standard Modem"},
    {"Standard 56000 bps X2 Modem", "Standard Modem"},
    {"Standard PCMCIA Card Modem", "Standard Modem"},
    {"TelePath for Windows with x2", "Standard Modem"},
    {"TELES CompuServe modem", "Standard Modem"},
    {"TELES V.110 modem", "Standard Modem"},
    {"TELES V.120 modem", "Standard Modem"},
    {"TELES X.75 modem", "Standard Modem"},
    {"TGHN-Intel HPNAM", "Standard Modem"},
    {"V.34 VOICE VV DP Plug & Play", "Standard Modem"},
    {"V1433VQH-U Internal FAXModem (Voice)", "Standard Modem"},
    {"Xircom CardBus Ethernet 100 + Modem 56 (Modem", "Standard Modem"},
    {"Xircom CreditCard Modem CM-56T", "Standard Modem"},
    {"Zoom 56K PCI Faxmodem", "Standard Modem"},
    {"Zoom External 56K Faxmodem Model 2844", "Standard Modem"},
    {"Zoom External 56K LT Voice Faxmodem", "Standard Modem"},
    {"Zoom Internal 56K LT Voice Faxmodem", "Standard Modem"},
    {"Sportster 28800", "USR 28.8"},
    {"Sportster 28800-33600 External", "USR 28.8"},
    {"Sportster 33600 Fax PC", "USR 33.6"},
    {"Sportster Voice 33.6 PnP FAX Internal", "USR 33.6"},
    {"Sportster Winmodem 33.6", "USR 33.6"},
    {"U.S. Robotics 33.6K FAX EXT", "USR 33.6"},
    {"U.S. Robotics 33.6K Voice INT", "USR 33.6"},
    {"U.S. Robotics 33.6K Voice INT PnP", "USR 33.6"},
    {"USR SP 33600 WINMODEM PC DFVP", "USR 33.6"},
    {"Courier V.Everything External", "USR 56K"},
    {"Courier V.Everything External Plug & Play", "USR 56K"},
    {"Sportster 56000 Fax Internal", "USR 56K"},
    {"Sportster 56000 Voice Internal", "USR 56K"},
    {"Sportster 56k Data Fax", "USR 56K"},
    {"Sportster 56k Data Fax PnP", "USR 56K"},
    {"Sportster Flash V.90 Voice PnP", "USR 56K"},
    {"U.S. Robotics 56K FAX EXT", "USR 56K"},
    {"U.S. Robotics 56K FAX EXT PnP", "USR 56K"},
    {"U.S. Robotics 56K FAX INT", "USR 56K"},
    {"U.S. Robotics 56K FAX INT PnP", "USR 56K"},
    {"U.S. Robotics 56K Fax PCI", "USR 56K"},
    {"U.S. Robotics 56K Voice EXT", "USR 56K"},
    {"U.S. Robotics 56K Voice INT", "USR 56K"},
    {"U.S. Robotics 56K Voice INT PnP", "USR 56K"},
    {"U.S. Robotics 56K Voice PCI", "USR 56K"},
    {"U.S.Robotics x2 Winmodem Voice", "USR 56K"},
    {"U.S. Robotics 56K Fax Win Int", "USR Winmodem"},
    {"U.S. Robotics 56K Voice Win", "USR Winmodem"},
    {"U.S. Robotics 56K Voice Win 1806", "USR Winmodem"},
    {"U.S. Robotics 56K Voice Win Int", "USR Winmodem"},
    {"U.S. Robotics 56K Win INT", "USR Winmodem"},
    {"U.S. Robotics x2 Winmodem Fax", "USR Winmodem"},
};
const ModemNamePatternRow kModemNamePatterns[] = {
    {"Sportster", "USR 33.6"},
    {"Courier V.Everything", "USR 56K"},
    {"USR", "USR 56K"},
    {"U.S. Robotics", "USR 56K"},
    {"Rockwell HCF", "Conexant/Rockwell HCF"},
    {"FM56", "Conexant/Rockwell HCF"},
    {"SupraExpress", "Conexant/Rockwell HCF"},
    {"SupraMax", "Conexant/Rockwell HCF"},
    {"Flash56", "Conexant/Rockwell HCF"},
    {"HCF", "Conexant/Rockwell HCF"},
    {"MDP", "Conexant/Rockwell HCF"},
    {"Conexant SoftK56", "Conexant/Rockwell SoftK56"},
    {"Winmodem", "Generic Winmodem"},
    {"Windows Modem", "Generic Winmodem"},
    {"Win Modem", "LT Win Modem"},
    {"Lucent", "LT Win Modem"},
    {"LT", "LT Win Modem"},
    {"HaM Data Fax", "Intel HaM"},
    {"ESS ES", "ESSTech"},
    {"PCTEL", "PCTel HSP"},
    {"HSP56", "PCTel HSP"},
    {"HSP", "PCTel HSP"},
    {"SM56", "Motorola SM56"},
    {"Multitech", "MultiTech"},
    {"MultiModem", "MultiTech"},
    {"Nokia", "GSM Modem"},
    {"SoftK56", "Conexant/Rockwell SoftK56"},
};

// Each backslash in these strings is one character of the init string.
const ModemFamilyRow kModemFamilies[] = {
    {"Archtek", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"Broadcom", "BLANK", "BLANK"},
    {"Conexant/Rockwell ACF", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"Conexant/Rockwell HCF", "AT&FE0V1S0=0&C1&D2S7=90W0", "AT&FE0V1S0=0&C1&D2S7=90W0"},
    {"Conexant/Rockwell SoftK56", "AT&F&C1&D2&K3S7=90S10=100S25=100", "AT&F&C1&D2&K3S7=90S10=100S25=100"},
    {"ESSTech", "BLANK", "BLANK"},
    {"Generic Winmodem", "AT&F&C1&D2&K3S7=90S10=100S25=100", "AT&F&C1&D2&K3S7=90S10=100S25=100"},
    {"GSM Modem", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"Intel HaM", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"ISDN Modem", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"LT Win Modem", "AT&FE0&C1&D2S7=90V1S0=0\\V1", "AT&FE0&C1&D2S7=90V1S0=0\\V1"},
    {"Motorola SM56", "AT&F&C1&D2\\Q3S7=90", "AT&F&C1&D2\\Q3S7=90"},
    {"MultiTech", "BLANK", "BLANK"},
    {"Not a modem", "", ""},
    {"PCTel HSP", "AT&F&C1&D2&K3W1S7=90", "AT&F&C1&D2&K3W1S7=90"},
    {"Smartlink HAMR", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"Standard Modem", "AT&F&C1&D2&K3S7=90", "AT&F&C1&D2&K3S7=90"},
    {"USR 28.8", "AT&H3&I2&R2S7=90S36=0", "AT&H3&I2&R2S7=90S36=0"},
    {"USR 33.6", "AT&H3&I2&R2S7=90S36=8", "AT&H3&I2&R2S7=90S36=8"},
    {"USR 56K", "AT&H3&I2&R2S7=90S36=8S33=34", "AT&H3&I2&R2S7=90S36=8S33=34"},
    {"USR Basic", "AT&H3&I2&R2S7=90", "AT&H3&I2&R2S7=90"},
    {"USR Winmodem", "AT&H3&I2&R2S7=90", "AT&H3&I2&R2S7=90"},
    {"AT&T", "AT&F&C1&D2\\Q3S7=90", "AT&F&C1&D2\\Q3S7=90"},
};

// The inner double quotes belong to the shown texts.
const GenericModemType kGenericModemTypes[] = {
    {"Generic/Hayes Compatible", "Standard Modem"},
    {"Generic Winmodem or \"Software Modem\"", "Generic Winmodem"},
    {"Conexant/Rockwell HCF ( modem name contains \"HCF\" or \"FM56\" )", "Conexant/Rockwell HCF"},
    {"Conexant/Rockwell SoftK56 ( modem name contains \"SoftK56\" )", "Conexant/Rockwell SoftK56"},
    {"Lucent Win Modem (aka \"LT Win Modem\")", "LT Win Modem"},
    {"PCTel HSP ( modem name contains \"HSP\" or \"HSP56\" or \"PCTel\" )", "PCTel HSP"},
    {"U.S. Robotics/3COM/Sportster ( Older USR modems )", "USR Basic"},
    {"U.S. Robotics/3COM/Sportster 28.8", "USR 28.8"},
    {"U.S. Robotics/3COM/Sportster 33.6", "USR 33.6"},
    {"U.S. Robotics/3COM/Sportster 56K or X2", "USR 56K"},
    {"U.S. Robotics Winmodem", "USR Winmodem"},
    {"Motorola SM56 ( modem name contains \"SM56\" )", "Motorola SM56"},
    {"AT&T", "AT&T"},
};
// clang-format on

ModemFamily FamilyByName(const QString& family, Qt::CaseSensitivity cs) {
    for (const ModemFamilyRow& row : kModemFamilies) {
        if (QString::compare(QLatin1String(row.name), family, cs) == 0)
            return {QString::fromLatin1(row.name), QString::fromLatin1(row.sendingInit),
                    QString::fromLatin1(row.receivingInit)};
    }
    return {};
}

QString FamilyOfName(const QString& modemName) {
    const QString key = modemName.toUpper().left(kModelKeyLength);
    for (const ModemModelRow& row : kModemModels)
        if (QString::fromLatin1(row.name).toUpper() == key) return QString::fromLatin1(row.family);
    for (const ModemNamePatternRow& row : kModemNamePatterns)
        if (key.contains(QString::fromLatin1(row.fragment).trimmed().toUpper()))
            return QString::fromLatin1(row.family);
    return kStandardModemFamily;
}

}  // namespace

std::span<const ModemModelRow> ModemModels() {
    return kModemModels;
}
std::span<const ModemNamePatternRow> ModemNamePatterns() {
    return kModemNamePatterns;
}
std::span<const ModemFamilyRow> ModemFamilies() {
    return kModemFamilies;
}
std::span<const GenericModemType> GenericModemTypes() {
    return kGenericModemTypes;
}

ModemFamily LookupModemFamily(const QString& modemName) {
    return FamilyByName(FamilyOfName(modemName), Qt::CaseSensitive);
}

QString GenericTypeInitString(const GenericModemType& type, bool sending) {
    return FamilyByName(QString::fromLatin1(type.family), Qt::CaseInsensitive).initString(sending);
}

QString UsableInitString(const QString& raw) {
    return raw == kBlankInitString ? QString() : raw;
}

}  // namespace corvane
