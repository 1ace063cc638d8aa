#pragma once
// Error codes of the program (modem transport, fax engines, fax documents) and the exception
// that carries a code with its text.
// Codes are negative, 0 is success; fax status codes (4801..4843) share the same text table.
// The text of a code is looked up by its absolute value.

#include <QString>
#include <optional>
#include <stdexcept>

namespace corvane {

// The codes the program raises or returns by name; every one has its text in the table of
// fax_errors.cpp (apart from ecEventObjects, which has none).
enum FaxErrorCode : int {
    ecOK = 0,
    // The operating system's file layer.
    ecFileNotFound = -2,
    ecPathNotFound = -3,
    ecAccessDenied = -5,
    ecEventObjects = -8,
    ecReadBeyondEnd = -100,
    ecDiskWrite = -101,
    ecDeviceNotOpen = -103,
    ecDiskFull = -112,
    // Start checks and the serial line.
    ecPortNotAssigned = -1005,
    ecNetworkPort = -1009,
    ecBadId = -2001,
    ecPortInUse = -2005,
    // A dispatcher is started twice: a program fault, not a port someone else holds.
    ecDispatcherStarted = -2006,
    // A procedure handler closes its own port: the thread it runs on cannot wait for itself.
    ecCloseFromOwnHandler = -2007,
    ecAlreadyOpen = -2008,
    // The driver does not offer the requested rate.
    ecUnsupportedBaud = -2009,
    // The driver refused the line settings (parity, data or stop bits).
    ecLineSettingsRefused = -2010,
    ecNoComNumber = -2011,
    ecNotOpenedByTapi = -2012,
    ecPutBlockFailed = -3004,
    ecOutputBufferTooSmall = -3006,
    ecNoMoreTriggers = -5001,
    // Fax documents: APF files, the unpacker, the converter and the header line.
    ecFaxBadFormat = -8001,
    ecBadArgument = -8002,
    ecCantMakeBitmap = -8003,
    ecConvertAbort = -8010,
    ecBadGraphicsFormat = -8011,
    ecFaxFontBad = -8012,
    ecFontTooLarge = -8013,
    ecGotQuitMessage = -8014,
    // Fax engines.
    ecCancelRequested = -6005,
    ecFatalTimeout = -6006,
    ecNoFilename = -6010,
    ecFileRejected = -6011,
    ecFaxIncompatible = -8060,
    ecFaxBadResponse = -8061,
    ecFaxTrainFail = -8062,
    ecFaxInitError = -8063,
    ecFaxBusy = -8064,
    ecFaxVoiceCall = -8065,
    ecFaxDataCall = -8066,
    ecFaxNoDialTone = -8067,
    ecFaxNoFaxConnect = -8068,
    ecFaxSessionError = -8069,
    ecFaxPageError = -8070,
    ecFaxNoAnswer = -8074,
};

// The text stored for `code` (sign ignored), or nothing when the table has none.
std::optional<QString> FaxErrorText(int code);
// The text for `code`, or `fallback` when the table has none.
QString FaxErrorTextOr(int code, const QString& fallback);

// Raised by port and fax operations; carries the code and the table's text (or a text of its
// own that adds detail, such as the rate a port refused).
class EFaxError : public std::runtime_error {
  public:
    explicit EFaxError(int code);
    EFaxError(int code, const QString& text);

    int code() const { return code_; }
    QString text() const { return text_; }

  private:
    int code_;
    QString text_;
};

// Failures of opening or using the serial line.
class EFaxPortError : public EFaxError {
  public:
    using EFaxError::EFaxError;
};

}  // namespace corvane
