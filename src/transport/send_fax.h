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

    TFaxSendState State() const { return state_; }
    // Pages sent again after the remote rejected them, in this fax.
    int ResentPages() const { return retries_; }

  protected:
    void runMachine(FaxLineEvent event) override;
    bool inAbortState() const override { return state_ == tfAbort || state_ == tfDone; }
    void endAfterFailure() override;

  private:
    void runState(FaxLineEvent event, const QString& reply);
    bool waitsForReply(TFaxSendState s) const;
    bool isActionState(TFaxSendState s) const;
    void abortWith(int error);

    void stGetEntry();
    void stInit();
    void stInitReply(const QString& reply);
    void stDial();
    void stConnect(const QString& reply);
    void stGetParams(const QString& reply);
    void stWaitXon(FaxLineEvent event);
    void stWaitFrHead(FaxLineEvent event);
    void stSndPgeHdr();
    void stPrepPage();
    void stSendPage(FaxLineEvent event);
    void stDrainPage(FaxLineEvent event);
    void stSendEOP();
    void stWaitFPTS(const QString& reply);
    void stWaitFET(const QString& reply);
    void stChckPg(const QString& reply);
    void stWaitPgOK(const QString& reply);
    bool openNextPage();
    void stSndNwPrm();
    void stNextPage();
    // Class 1 (send_fax_class1.cpp).
    void stClass1Init(const QString& reply);
    void stClass1Connect(const QString& reply);
    void stClass1Reply(const QString& reply);
    void stClass1WaitCFR(const QString& reply);
    void stClass1PrepEOP();
    void stClass1WaitMCF(const QString& reply);
    void stClass1Timeout();
    void onClass1Frame();
    bool class1StepDown();
    void class1SendDCS();
    void class1RepeatDCS(int waitMs);
    bool callDropped();
    void class1PageReady();
    bool receivesFrames(TFaxSendState s) const;
    bool isClass1() const { return classInUse_ == FaxClassKind::Class1; }
    // Busy, voice, no dial tone after dialling; true when the line was one of them.
    // The error for the modem's hang-up report, by its phase.
    int hangupError() const {
        return SendHangupError(DecimalHangupCode(hangupCode_, cmds().hexHangupCodes));
    }
    bool dialResult(const QString& reply);
    void dialFailed(int error);
    void stClose();
    void stCompleteOK();
    void stAbort();

    void prepare();
    void hangUp();
    void openPage(int n);
    bool morePagesFollow() const;
    bool writePageData();
    // The next escaped piece of page data into pending_; false at the end of the page.
    bool nextPiece();
    bool dropOrHoldInput();
    QString expandedHeader() const;
    void closeFaxFile();
    void removeJoinedFile();

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
    bool keepParams_ = true;      // Class 1: the next page goes after MPS without a new DCS
    QByteArray pending_;          // escaped bytes not yet written
    int dialAttempt_ = 0;
    int retries_ = 0;
    std::int64_t lastStatusMs_ = 0;
    std::unique_ptr<HeaderLineRenderer> renderer_;
    QString lastCommand_;
    bool bitOrderSet_ = false;
    bool xoff_ = false;
    int queriedStatus_ =
        -1;  // the page status read with AT+FPS? (Class 2.0)  // the modem said XOFF (software flow
             // control): no page data now  // tf2Init1: the bit order command went after the class
};

}  // namespace corvane
