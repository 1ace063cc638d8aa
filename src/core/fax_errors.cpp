#include "core/fax_errors.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace corvane {

namespace {

struct ErrorTextEntry {
    int id;  // absolute value of the code
    const char* text;
};

// Sorted by id. Codes without a text (-8) are deliberately absent.
constexpr ErrorTextEntry kErrorTexts[] = {
    {0, "OK"},
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {6, "Invalid file handle"},
    {12, "Invalid file access code"},
    {100, "Attempt to read beyond end of file"},
    {101, "Disk write error"},
    {102, "File not assigned"},
    {103, "File/device not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {112, "Disk is full"},
    {150, "Disk is write-protected"},
    {152, "Drive not ready"},
    {154, "CRC error in data"},
    {156, "Disk seek error"},
    {158, "Sector not found"},
    {160, "Device write fault"},
    {161, "Device read fault"},
    {162, "Hardware failure"},
    {1005, "ComPort component not assigned"},
    {1009, "Fax operations are not possible on a network port"},
    {2001, "ie_BadId - Specified comport doesn't exist"},
    {2005, "ie_Open - port is in use"},
    {2006, "Dispatcher already started"},
    {2007, "A port cannot be closed from its own trigger handler"},
    {2008, "ie_Open - device already open"},
    {2009, "Unsupported port speed"},
    {2010, "The port refused its line settings"},
    {2011, "The ComNumber property of the TFxComPort has not been set"},
    {2012, "Comport was not opened by Tapi"},
    {3004, "Failed to put entire block"},
    {3006, "Output buffer too small for block"},
    {4801, "Initializing modem for fax processing"},
    {4802, "Dialing"},
    {4803, "Busy, waiting until redial..."},
    {4804, "Sending page data"},
    {4805, "Sending EOP"},
    {4806, "Error sending page"},
    {4807, "Page accepted by remote"},
    {4808, "Connecting..."},
    {4820, "Waiting for incoming call"},
    {4821, "No connect on this call"},
    {4822, "Answering incoming call"},
    {4823, "Incoming call validated as fax"},
    {4824, "Getting page data"},
    {4825, "Getting end-of-page signal"},
    {4826, "Getting end-of-document status"},
    {4827, "Getting hangup command"},
    {4828, "Got Class 2 FHNG code"},
    {4840, "Getting connection params"},
    {4841, "Got called-station ID"},
    {4842, "User abort"},
    {4843, "Finished"},
    {5001, "No more trigger slots"},
    {6005, "Cancel requested"},
    {6006, "Fatal time out"},
    {6010, "No filename specified in protocol receive"},
    {6011, "File was rejected"},
    {8001, "File is not an APF file"},
    {8002, "Bad argument passed to function"},
    {8003, "CreateBitmapIndirect API failure"},
    {8010, "User aborted fax conversion"},
    {8011, "Unsupported graphics file format"},
    {8012, "FXFAX.FNT not found, or resource bad"},
    {8013, "Font selected for enhanced text converter too large"},
    {8014, "Got quit message"},
    {8060, "Fax incompatible with remote fax"},
    {8061, "Bad response from modem"},
    {8062, "Modems failed to train"},
    {8063, "Error while initializing modem"},
    {8064, "Called fax number was busy"},
    {8065, "Called fax number answered with voice"},
    {8066, "Incoming data call"},
    {8067, "No dial tone"},
    {8068, "Failed to connect to remote fax"},
    {8069, "Fax failed in mid-session"},
    {8070, "Fax failed at page end"},
    {8074, "Remote fax did not answer"},
    {9000, "Error checking for modem"},
    {9001, "Error opening Communications Port"},
    {9002, "Error opening modem with TAPI"},
    {9003, "Error sending reset string"},
    {9004, "Communications Port is in use"},
};

static_assert(std::is_sorted(std::begin(kErrorTexts), std::end(kErrorTexts),
                             [](const ErrorTextEntry& a, const ErrorTextEntry& b) {
                                 return a.id < b.id;
                             }));

QString DescribeUnknown(int code) {
    return QStringLiteral("Error %1").arg(code);
}

}  // namespace

std::optional<QString> FaxErrorText(int code) {
    const int id = std::abs(code);
    const auto it = std::lower_bound(std::begin(kErrorTexts), std::end(kErrorTexts), id,
                                     [](const ErrorTextEntry& e, int v) { return e.id < v; });
    if (it == std::end(kErrorTexts) || it->id != id) return std::nullopt;
    return QString::fromLatin1(it->text);
}

QString FaxErrorTextOr(int code, const QString& fallback) {
    return FaxErrorText(code).value_or(fallback);
}

EFaxError::EFaxError(int code) : EFaxError(code, FaxErrorTextOr(code, DescribeUnknown(code))) {}

EFaxError::EFaxError(int code, const QString& text)
    : std::runtime_error(text.toStdString()), code_(code), text_(text) {}

}  // namespace corvane
