#include "sending/send_session_engine.h"

#include "core/settings.h"
#include "faxdoc/apf_page_ops.h"
#include "transport/at_command.h"
#include "transport/send_fax.h"

namespace corvane {

namespace {

QString Cut(const QString& text) {
    return text.left(kMaxEngineStringLength);
}

bool Named(const QString& path) {
    return !path.trimmed().isEmpty();
}

}  // namespace

SendEngineOptions SendEngineOptions::FromSettings(const Settings& s) {
    SendEngineOptions o;
    o.maximumBps = s.MaximumBPS;
    o.ecm = s.ECM;
    o.blindDial = s.BlindDial;
    o.ignoreBusy = s.IgnoreBusy;
    o.renegotiateBetween = s.RenegotiateBetween;
    o.pulseDial = s.ToneOrPulse == 1;
    o.faxClass = s.FaxClass;
    o.dialAttempts = s.DialAttempts;
    o.retryWaitSeconds = s.RetryWait;
    o.stationId = s.UserFax;
    o.initString = s.InitString;
    o.headerTemplate = s.FaxHeaderTemplate;
    o.headerSender = s.UserName;
    o.useAlternateHeaderFont = s.UseAlternateHeaderFont;
    return o;
}

int DialWaitFromInitString(const QString& initString) {
    const QString upper = initString.toUpper();
    const qsizetype at = upper.indexOf(QStringLiteral("S7="));
    if (at < 0) return kMinimumDialWaitSeconds;
    // "S7=" and at most three digits; anything after the last digit is another command.
    QString field = upper.mid(at, 6);
    while (!field.isEmpty() && !field.back().isDigit()) field.chop(1);
    if (field.size() < 4) return kMinimumDialWaitSeconds;
    bool ok = false;
    const int seconds = field.mid(3, 3).toInt(&ok);
    if (!ok) return kMinimumDialWaitSeconds;
    return std::max(seconds, kMinimumDialWaitSeconds);
}

bool InitStringSelectsXonXoff(const QString& initString) {
    return initString.contains(QLatin1String("&K4"), Qt::CaseInsensitive);
}

QString ModemInitFromSetting(const QString& initString) {
    if (initString.trimmed().isEmpty()) return {};
    return AtCommandLine(initString);
}

bool KeepParametersFor(const QString& coverPath, const QString& documentPath,
                       bool renegotiateBetween) {
    if (Named(coverPath) && Named(documentPath))
        return SameApfResolution(coverPath.trimmed(), documentPath.trimmed()) &&
               !renegotiateBetween;
    return !renegotiateBetween;
}

QStringList SendFileList(const SendRequest& request) {
    if (Named(request.coverPath) && Named(request.documentPath))
        return {Cut(request.coverPath.trimmed()), Cut(request.documentPath.trimmed())};
    return {Cut(request.documentPath)};
}

QString DialedNumber(const SendRequest& request) {
    return request.suffixDisabled ? request.number : request.number + request.suffix;
}

SendEngineSetup ConfigureSendFax(TFxSendFax& fax, const SendEngineOptions& o,
                                 const SendRequest& request) {
    fax.DesiredBPS = o.maximumBps;
    fax.DesiredECM = o.ecm;
    fax.BlindDial = o.blindDial;
    fax.DetectBusy = !o.ignoreBusy;
    fax.FaxFileList = SendFileList(request);
    fax.FaxFile.clear();
    if (fax.FaxFileList.size() == 1) fax.FaxFile = fax.FaxFileList.front();
    fax.PhoneNumber = Cut(DialedNumber(request));
    fax.ToneDial = !o.pulseDial;
    fax.FaxClass = FaxClassFromSetting(o.faxClass);
    fax.DialAttempts = o.dialAttempts;
    fax.DialRetryWait = o.retryWaitSeconds;
    fax.DialWait = DialWaitFromInitString(o.initString);
    fax.SoftwareFlow = InitStringSelectsXonXoff(o.initString);
    fax.StationID = Cut(o.stationId);
    fax.DialPrefix = request.prefixDisabled ? QString() : Cut(request.prefix);
    fax.ModemInit = Cut(ModemInitFromSetting(o.initString));
    fax.HeaderLine = Cut(o.headerTemplate);
    fax.HeaderSender = Cut(o.headerSender);
    fax.HeaderRecipient = Cut(request.headerRecipient);
    fax.EnhTextEnabled = !o.useAlternateHeaderFont;
    // One fax per call: a call that cannot connect ends the run rather than looking for a
    // next entry.
    fax.AbortNoConnect = true;
    SendEngineSetup setup;
    setup.keepParameters =
        KeepParametersFor(request.coverPath, request.documentPath, o.renegotiateBetween);
    fax.SetKeepParameters(setup.keepParameters);
    return setup;
}

QStringList SendSettingsLogLines(const SendEngineOptions& o, const SendRequest& request) {
    QStringList lines;
    lines << QStringLiteral("Desired BPS: %1").arg(o.maximumBps);
    if (o.ecm) lines << QStringLiteral("Desired ECM: ON");
    if (o.blindDial) lines << QStringLiteral("Blind Dial: ON");
    if (o.ignoreBusy) lines << QStringLiteral("Ignore Busy: ON");
    lines << (o.renegotiateBetween ? QStringLiteral("Negotiate between pages: ON")
                                   : QStringLiteral("Negotiate between pages: OFF"));
    lines << QStringLiteral("Fax#: ") + request.number;
    if (!request.prefixDisabled) lines << QStringLiteral("Dial Prefix: ") + request.prefix;
    if (!request.suffixDisabled) lines << QStringLiteral("Dial Suffix: ") + request.suffix;
    if (o.pulseDial) lines << QStringLiteral("Using Pulse Dialing ***");
    lines << QStringLiteral("Fax Class: ") + FaxClassName(o.faxClass);
    lines << QStringLiteral("StationID: ") + o.stationId;
    lines << QStringLiteral("User INIT String: ") + o.initString;
    return lines;
}

}  // namespace corvane
