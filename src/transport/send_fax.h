#pragma once
// TFxSendFax: the send machine. It joins the files to send into one, initialises the modem,
// dials (retrying a busy line), and sends each page with the header line on top, pacing the
// page data through the output buffer; Class 2 and Class 2.0 each by their own commands.
//
//   TFxSendFax fax;
//   fax.ComPort = &port;  fax.PhoneNumber = "5551234";  fax.FaxFileList = {cover, document};
//   fax.OnFaxFinish = [](int error) { ... };
//   fax.BeginTransmit();   // raises EFaxError when the call cannot start; then events follow

#include <QStringList>
#include <QTemporaryFile>
#include <memory>

#include "transport/abstract_fax.h"
#include "transport/send_page_data.h"

namespace corvane {

class HeaderLineRenderer;

// Every state of the send machine; "tf1" states belong to the Class 1 engine.
enum TFaxSendState {
    tfNone,
    tfGetEntry,
    tfInit,
    tf1Init1,
    tf2Init1,
    tf2Init1A,
    tf2Init1B,
    tf2Init2,
    tf2Init3,
    tfDial,
    tfRetryWait,
    tf1Connect,
    tf1SendTSI,
    tf1TSIRespns,
    tf1DCSRspns,
    tf1TrainStrt,
    tf1TrainFnsh,
    tf1WaitCFR,
    tf1WaitPgCn,
    tf2Connect,
    tf2GetParams,
    tfWaitXon,
    tfWaitFrHead,
    tfSndPgeHdr,
    tfOpenCover,
    tfSendCover,
    tfPrepPage,
    tfSendPage,
    tfDrainPage,
    tf1PageEnd,
    tf1PrepEOP,
    tf1SendEOP,
    tf1WaitMPS,
    tf1WaitEOP,
    tf1WaitMCF,
    tf1SendDCN,
    tf1Hangup,
    tf1WaitHngp,
    tf2SendEOP,
    tf2WaitFPTS,
    tf2WaitFET,
    tf2WaitPgOK,
    tf2SndNwPrm,
    tf2NextPage,
    tf20ChckPg,
    tfClose,
    tfCompleteOK,
    tfAbort,
    tfDone,
};

const char* SendStateName(TFaxSendState state);

class TFxSendFax : public TFxAbstractFax {
  public:
    TFxSendFax();
    ~TFxSendFax() override;

    // ---- properties ----
    QStringList FaxFileList;
    QString PhoneNumber;
    QString DialPrefix;
    bool ToneDial = true;
    bool BlindDial = false;
    bool DetectBusy = true;
    int DialWait = 60;       // seconds
    int DialAttempts = 3;    // 0: without end
    int DialRetryWait = 60;  // seconds
    int MaxSendCount = 50;
    int BufferMinimum = 1000;
    bool SafeMode = true;
    QString HeaderLine;
    QString HeaderSender;
    QString HeaderRecipient;
    QString HeaderTitle;
    bool EnhTextEnabled = false;
    QString CoverFile;
    int DialAttempt() const { return dialAttempt_; }
    // The next entry: number, fax file and cover file; false when there is none. Unassigned,
    // the properties make the one entry.
    std::function<bool(QString& number, QString& faxFile, QString& coverFile)> OnFaxNext;

    // Starts the run; raises EFaxError (start checks, -8001 for a file that is not a fax
    // file, -8063 when the modem cannot be initialised).
    void BeginTransmit();

    // Class 1: a page in the resolution of the page before it follows after MPS, without a
    // new DCS; cleared, every page after the first follows after EOM and a new negotiation.
    // A page in another resolution always follows after EOM. Not a published property: the
    // send session sets it from its settings. [true]
    void SetKeepParameters(bool keep) { keepParameters_ = keep; }
    bool KeepParameters() const { return keepParameters_; }

    TFaxSendState State() const { return state_; }
    // Pages sent again after the remote rejected them, in this fax.
    int ResentPages() const { return retries_; }

  protected:
    StateFacts CurrentStateFacts() const override;
    void RunState(FaxLineEvent event, const QString& reply) override;
    void StateTimedOut() override;
    void EnterAbortState() override { state_ = tfAbort; }
    bool InAbortState() const override { return state_ == tfAbort || state_ == tfDone; }
    void OnClass1Frame() override;
    int HangupReplyCode() override;
    void EndAfterFailure() override;

  private:
    // One row per state, in the order of TFaxSendState (send_fax_states.cpp).
    using StateRow = corvane::StateRow<TFxSendFax, TFaxSendState>;
    static const StateRow kStates[];
    static const StateRow& Row(TFaxSendState state);
    friend const char* SendStateName(TFaxSendState state);

    void StGetEntry();
    void StInit();
    bool InitAnswered(const QString& reply);
    void SendInitCommand(const QString& command, TFaxSendState next);
    void St2Init1(const QString& reply);
    void St2Init1A(const QString& reply);
    void St2Init1B(const QString& reply);
    void St2Init2(const QString& reply);
    void St2Init3(const QString& reply);
    void StDial();
    void StRetryWait(FaxLineEvent event);
    void StConnect(const QString& reply);
    void StNoAnswer();
    void StGetParams(const QString& reply);
    void StWaitXon(FaxLineEvent event);
    void StWaitFrHead(FaxLineEvent event);
    void StSndPgeHdr();
    void StOpenCover();
    void StPrepPage();
    void StSendPage(FaxLineEvent event);
    void StDrainPage(FaxLineEvent event);
    void StSendEOP();
    void StWaitFPTS(const QString& reply);
    void StWaitFET(const QString& reply);
    void StChckPg(const QString& reply);
    void StWaitPgOK(const QString& reply);
    bool OpenNextPage();
    void StSndNwPrm();
    void StNextPage();
    void StClose();
    void StCompleteOK();
    void StAbort();
    // Class 1 (send_fax_class1.cpp): one function per state, and what a reply time-out does
    // in the states that do not just fail.
    void St1Init1(const QString& reply);
    void St1Connect(const QString& reply);
    void St1SendTSI(const QString& reply);
    void St1TSIRespns(const QString& reply);
    void St1DCSRspns(const QString& reply);
    void St1TrainStrt(const QString& reply);
    void St1TrainFnsh(const QString& reply);
    void St1WaitCFR(const QString& reply);
    void St1WaitCFRTimeout();
    void St1WaitPgCn(const QString& reply);
    void St1PageEnd(const QString& reply);
    void St1PrepEOP();
    void St1SendEOP(const QString& reply);
    void St1WaitMPS(const QString& reply);
    void St1WaitMCF(const QString& reply);
    void St1WaitMCFTimeout();
    void St1SendDCN(const QString& reply);
    void St1Hangup(const QString& reply);
    void St1WaitHngp(const QString& reply);
    void St1WaitHngpTimeout();
    bool Class1StepDown();
    void Class1SendDCS();
    void Class1RepeatDCS(int waitMs);
    bool CallDropped();
    void Class1PageReady();
    // The error for the modem's hang-up report, by its phase.
    int HangupError() const {
        return SendHangupError(DecimalHangupCode(hangupCode_, Cmds().hexHangupCodes));
    }
    // Busy, voice, no dial tone after dialling; true when the line was one of them.
    bool DialResult(const QString& reply);
    void DialFailed(int error);

    void Prepare();
    void HangUp();
    void OpenPage(int n);
    bool MorePagesFollow() const;
    bool WritePageData();
    // The next escaped piece of page data into pending_; false at the end of the page.
    bool NextPiece();
    bool DropOrHoldInput();
    QString ExpandedHeader() const;
    void CloseFaxFile();
    void RemoveJoinedFile();

    TFaxSendState state_ = tfNone;
    bool entryTaken_ = false;
    QString number_;
    QString faxPath_;
    std::unique_ptr<QTemporaryFile> joined_;
    SendPageReader page_;
    bool pageOpen_ = false;
    QChar resolution_;      // '0' normal, '1' fine, blank before the first page
    QChar nextResolution_;  // of the page that follows the current one
    bool pageWide_ = false;
    bool pageDone_ = false;
    bool pageConfirmed_ = false;
    bool pageEndQueued_ = false;  // Class 1: DLE ETX follows the page data
    bool keepParameters_ = true;
    bool nextAfterMps_ = true;  // Class 1: the next page goes after MPS without a new DCS
    QByteArray pending_;        // escaped bytes not yet written
    int dialAttempt_ = 0;
    int retries_ = 0;
    std::int64_t lastStatusMs_ = 0;
    std::unique_ptr<HeaderLineRenderer> renderer_;
    bool bitOrderSet_ = false;  // tf2Init1: the bit order command went after the class
    bool xoff_ = false;         // the modem said XOFF (software flow control): no data now
    int queriedStatus_ = -1;    // the page status read with AT+FPS? (Class 2.0)
};

}  // namespace corvane
