#pragma once
// Codes the fax engines report: status codes (OnFaxStatus), log codes (OnFaxLog) and the error
// codes they raise or finish with. Texts come from the program's error text table
// (core/fax_errors.h), looked up by the absolute value of the code.

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

// Error codes of the engines (the port's own codes are in core/fax_errors.h).
enum FaxEngineErrorCode : int {
    ecCancelRequested = -6005,  // "Cancel requested"
    ecFatalTimeout = -6006,     // "Fatal time out"
    ecNoFilename = -6010,       // "No filename specified in protocol receive"
    ecFileRejected = -6011,     // "File was rejected"
    ecNotApfFile = -8001,       // "File is not an APF file"
    ecFaxIncompatible = -8060,  // "Fax incompatible with remote fax"
    ecFaxBadResponse = -8061,   // "Bad response from modem"
    ecFaxTrainFail = -8062,     // "Modems failed to train"
    ecFaxInitError = -8063,     // "Error while initializing modem"
    ecFaxBusy = -8064,          // "Called fax number was busy"
    ecFaxVoiceCall = -8065,     // "Called fax number answered with voice"
    ecFaxDataCall = -8066,      // "Incoming data call"
    ecFaxNoDialTone = -8067,    // "No dial tone"
    ecFaxNoFaxConnect = -8068,  // "Failed to connect to remote fax"
    ecFaxSessionError = -8069,  // "Fax failed in mid-session"
    ecFaxPageError = -8070,     // "Fax failed at page end"
    ecFaxNoAnswer = -8074,      // "Remote fax did not answer"
};

}  // namespace corvane
