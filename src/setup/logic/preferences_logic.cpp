#include "setup/logic/preferences_logic.h"

#include <algorithm>

#include "core/settings.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

const QString kOwnPrinterMark = QStringLiteral("CORVANE");

Status WholeNumber(const QString& text, const QString& what, int& out) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0)
        return Status::Error(QStringLiteral("Please enter a whole number for %1.").arg(what));
    out = value;
    return Status::Ok();
}

}  // namespace

int TelephonyIndexFor(const QStringList& devices, const QString& name) {
    if (devices.isEmpty()) return -1;
    int index = static_cast<int>(devices.indexOf(name));
    if (index < 0)
        for (int i = 0; i < devices.size() && index < 0; ++i)
            if (devices[i].compare(name, Qt::CaseInsensitive) == 0) index = i;
    return std::max(index, 0);
}

QString ReceiptPrinterToStore(const QString& chosen) {
    return chosen.toUpper().contains(kOwnPrinterMark) ? kDefaultPrinterName : chosen;
}

PreferencesLogic::PreferencesLogic(Settings& settings, const QStringList& telephonyDevices,
                                   const QStringList& printers)
    : settings_(settings),
      previousPortUnconfigured_(settings.PortUnconfigured),
      telephony_(telephonyDevices) {
    SetUseLegacyTimer(settings.UseLegacyTimer);
    settings.PortUnconfigured = false;
    printerList_ << kDefaultPrinterName << printers;
    const Settings& s = settings;
    PreferencesValues& v = values;
    v.comPortIndex = std::clamp(s.ComPort, 0, 7);
    v.tapiIndex = TelephonyIndexFor(telephony_, s.TAPIDevice);
    v.useTapi = telephonyAvailable() && s.UseTAPI;
    v.toneOrPulse = s.ToneOrPulse == 1 ? 1 : 0;
    v.resetString = s.ResetString;
    v.resetAfterString = s.ResetAfterString;
    v.sendClass = std::clamp(s.FaxClass, 0, 3);
    v.sendRateIndex = TransferRateIndex(s.MaximumBPS);
    v.sendInit = s.InitString;
    v.userFax = s.UserFax;
    v.userName = s.UserName;
    v.userCompany = s.UserCompany;
    v.userVoice = s.UserVoice;
    v.ecm = s.ECM;
    v.dialPrefix = s.DialPrefix;
    v.dialSuffix = s.DialSuffix;
    v.dialAttempts = QString::number(s.DialAttempts);
    v.retryWait = QString::number(s.RetryWait);
    v.renegotiateBetween = s.RenegotiateBetween;
    v.blindDial = s.BlindDial;
    v.ignoreBusy = s.IgnoreBusy;
    v.receiveClass = std::clamp(s.FaxClassReceive, 0, 3);
    v.receiveRateIndex = TransferRateIndex(s.MaximumBPSReceive);
    v.receiveInit = s.InitStringReceive;
    v.answerOnRingIndex = std::clamp(s.AnswerOnRing - 1, 0, kRingChoices - 1);
    v.atStartup = s.AtStartup;
    v.ecmReceive = s.ECMReceive;
    v.wav = s.Wav;
    v.printOnReceipt = s.PrintOnReceipt;
    v.printerIndex = std::max(0, static_cast<int>(printerList_.indexOf(s.PrintOnReceiptPrinter)));
    v.resetBetweenCalls = s.ResetBetweenCalls;
    v.useAlternateHeaderFont = s.UseAlternateHeaderFont;
    v.alternateNamingRec = s.GlobalUseAlternateNamingRec;
    v.largerSendBuffer = s.GlobalLargerSendBuffer;
    v.largerReceiveBuffer = s.GlobalLargerReceiveBuffer;
    v.alternateFaxViewer = s.UseAlternateFaxViewer;
    v.addHalfInchLeftMargin = s.AddHalfInchLeftMargin;
    v.alternatePrintMethod = s.UseAlternatePrintMethod;
    v.ddbPrintMethod = s.UseDDBPrintMethod;
    v.alternateCoverGen = s.UseAlternateCoverGenMethod;
    v.legacyTimer = s.UseLegacyTimer;
    v.faxHeaderTemplate = s.FaxHeaderTemplate;
}

bool PreferencesLogic::receiveRateNoteShown() const {
    return TransferRateFromIndex(values.receiveRateIndex) > kRecommendedMaximumRate;
}

Status PreferencesLogic::store() {
    const PreferencesValues& v = values;
    int attempts = 0;
    int wait = 0;
    if (Status s =
            WholeNumber(v.dialAttempts, QStringLiteral("the number of dial attempts"), attempts);
        !s.ok())
        return s;
    if (Status s = WholeNumber(v.retryWait, QStringLiteral("the seconds between attempts"), wait);
        !s.ok())
        return s;

    Settings& s = settings_;
    s.ComPort = std::clamp(v.comPortIndex, 0, 7);
    s.UseTAPI = v.useTapi && telephonyAvailable();
    if (s.UseTAPI) s.TAPIDevice = telephonyDeviceName();
    s.ToneOrPulse = v.toneOrPulse;
    s.ResetString = v.resetString;
    s.ResetAfterString = v.resetAfterString;
    s.FaxClass = v.sendClass;
    s.MaximumBPS = TransferRateFromIndex(v.sendRateIndex);
    s.InitString = v.sendInit;
    s.UserFax = v.userFax;
    s.UserName = v.userName;
    s.UserCompany = v.userCompany;
    s.UserVoice = v.userVoice;
    s.ECM = v.ecm;
    s.DialPrefix = v.dialPrefix;
    s.DialSuffix = v.dialSuffix;
    s.DialAttempts = attempts;
    s.RetryWait = wait;
    s.RenegotiateBetween = v.renegotiateBetween;
    s.BlindDial = v.blindDial;
    s.IgnoreBusy = v.ignoreBusy;
    s.FaxClassReceive = v.receiveClass;
    s.MaximumBPSReceive = TransferRateFromIndex(v.receiveRateIndex);
    s.InitStringReceive = v.receiveInit;
    s.AnswerOnRing = v.answerOnRingIndex + 1;
    s.AtStartup = v.atStartup;
    s.ECMReceive = v.ecmReceive;
    s.Wav = v.wav;
    s.PrintOnReceipt = v.printOnReceipt;
    s.PrintOnReceiptPrinter =
        ReceiptPrinterToStore(printerList_.value(v.printerIndex, kDefaultPrinterName));
    s.ResetBetweenCalls = v.resetBetweenCalls;
    s.UseAlternateHeaderFont = v.useAlternateHeaderFont;
    s.GlobalUseAlternateNamingRec = v.alternateNamingRec;
    s.GlobalLargerSendBuffer = v.largerSendBuffer;
    s.GlobalLargerReceiveBuffer = v.largerReceiveBuffer;
    s.UseAlternateFaxViewer = v.alternateFaxViewer;
    s.AddHalfInchLeftMargin = v.addHalfInchLeftMargin;
    s.UseAlternatePrintMethod = v.alternatePrintMethod;
    s.UseDDBPrintMethod = v.alternatePrintMethod && v.ddbPrintMethod;
    s.UseAlternateCoverGenMethod = v.alternateCoverGen;
    s.UseLegacyTimer = v.legacyTimer;
    s.FaxHeaderTemplate = v.faxHeaderTemplate;
    SetUseLegacyTimer(s.UseLegacyTimer);
    return Status::Ok();
}

void PreferencesLogic::cancel() {
    settings_.PortUnconfigured = previousPortUnconfigured_;
}

}  // namespace corvane
