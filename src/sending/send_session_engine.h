#pragma once
// How the settings become the properties of the send machine, shared by the send window and
// corvane-cli so that both send the same way: the dial wait taken from the modem's own S7,
// the init string with "AT" in front, cover and document sent as one fax, and every string
// cut to the 255 characters the engine's properties hold.

#include <QString>
#include <QStringList>

#include "transport/class2_commands.h"

namespace corvane {

struct Settings;
class TFxSendFax;

constexpr int kMinimumDialWaitSeconds = 75;
constexpr int kMaxEngineStringLength = 255;

// The settings a send uses; corvane-cli's options may change them before they reach the engine.
struct SendEngineOptions {
    int maximumBps = 9600;
    bool ecm = false;
    bool blindDial = false;
    bool ignoreBusy = false;
    bool renegotiateBetween = false;
    bool pulseDial = false;
    int faxClass = 1;  // as stored: 0 automatic, 1 Class 1, 2 Class 2, 3 Class 2.0
    int dialAttempts = 3;
    int retryWaitSeconds = 60;
    QString stationId;
    QString initString;
    QString headerTemplate;
    QString headerSender;
    bool useAlternateHeaderFont = false;

    static SendEngineOptions FromSettings(const Settings& s);
};

// One fax to send: what the send window holds when "&Send Fax Now" is pressed.
struct SendRequest {
    QString number;  // as typed, without prefix and suffix
    QString prefix;
    QString suffix;
    bool prefixDisabled = false;
    bool suffixDisabled = false;
    QString coverPath;     // full path; empty without a cover
    QString documentPath;  // full path; the cover alone when the fax has no document
    QString headerRecipient;
};

// The seconds the engine waits for the remote to answer: the S7 value of the init string
// when it is longer than 75 s, else 75 s.
int DialWaitFromInitString(const QString& initString);
// True when the init string chooses XON/XOFF flow control (&K4): the modem then paces page
// data by XOFF and XON, which the engine must obey.
bool InitStringSelectsXonXoff(const QString& initString);
// The init command the engine sends: empty for a blank setting, else the setting as a command
// line (AtCommandLine: "AT" in front unless it begins with it).
QString ModemInitFromSetting(const QString& initString);
// Class 1: the pages of cover and document may follow each other after MPS, without a new
// DCS, when both start in the same resolution and renegotiation is off.
bool KeepParametersFor(const QString& coverPath, const QString& documentPath,
                       bool renegotiateBetween);
// Cover then document when both are named (the engine joins them into one fax), else the
// document alone.
QStringList SendFileList(const SendRequest& request);
// The number the engine dials after the prefix: the number followed by the suffix unless
// the suffix is disabled.
QString DialedNumber(const SendRequest& request);

// What ConfigureSendFax decided beyond the engine's properties.
struct SendEngineSetup {
    bool keepParameters = true;
};

// Sets every send property of `fax` from the options and the request.
SendEngineSetup ConfigureSendFax(TFxSendFax& fax, const SendEngineOptions& options,
                                 const SendRequest& request);

// The send log's lines that record the settings of the call, in their order.
QStringList SendSettingsLogLines(const SendEngineOptions& options, const SendRequest& request);

}  // namespace corvane
