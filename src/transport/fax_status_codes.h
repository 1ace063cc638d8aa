#pragma once
// Codes the fax engines report: status codes (OnFaxStatus) and log codes (OnFaxLog). The
// error codes they raise or finish with are in core/fax_errors.h; status texts come from the
// same table, looked up by the absolute value of the code.

#include "core/fax_errors.h"

namespace corvane {

// Status codes.
enum FaxStatusCode : int {
    fsNone = 0,
    fsInitializing = 4801,   // "Initializing modem for fax processing"
    fsDialing = 4802,        // "Dialing"
    fsBusyWait = 4803,       // "Busy, waiting until redial..."
    fsSendingPage = 4804,    // "Sending page data"
    fsSendingEOP = 4805,     // "Sending EOP"
    fsPageError = 4806,      // "Error sending page"
    fsPageAccepted = 4807,   // "Page accepted by remote"
    fsConnecting = 4808,     // "Connecting..."
    fsWaitingCall = 4820,    // "Waiting for incoming call"
    fsNoConnect = 4821,      // "No connect on this call"
    fsAnswering = 4822,      // "Answering incoming call"
    fsCallValidated = 4823,  // "Incoming call validated as fax"
    fsGettingPage = 4824,    // "Getting page data"
    fsGettingEOP = 4825,     // "Getting end-of-page signal"
    fsGettingEOD = 4826,     // "Getting end-of-document status"
    fsGettingHangup = 4827,  // "Getting hangup command"
    fsGotHangup = 4828,      // "Got Class 2 FHNG code"
    fsGettingParams = 4840,  // "Getting connection params"
    fsGotStationId = 4841,   // "Got called-station ID"
    fsUserAbort = 4842,      // "User abort"
    fsFinished = 4843,       // "Finished"
};

// Log codes.
enum FaxLogCode : int {
    lfaxTransmitStart = 1,
    lfaxTransmitOk = 2,
    lfaxTransmitFail = 3,
    lfaxReceiveStart = 4,
    lfaxReceiveOk = 5,
    lfaxReceiveSkip = 6,
    lfaxReceiveFail = 7,
};

}  // namespace corvane
