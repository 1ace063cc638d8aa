#pragma once
// TFxReceiveFax: the receive machine. It sets the modem up to answer, waits for rings,
// answers, and writes each received page to an APF file, which is consistent on disk after
// every finished page; after each call it goes back to waiting (or ends, with OneFax).

#include <QStringList>
#include <memory>

#include "core/fax_errors.h"
#include "faxdoc/apf_receive_writer.h"
#include "transport/abstract_fax.h"
#include "transport/received_page.h"

namespace corvane {

// Every state of the receive machine; "rf1" states belong to the Class 1 engine.
enum TFaxReceiveState {
    rfNone,
    rfInit,
    rf1Init1,
    rf2Init1,
    rf2Init1A,
    rf2Init1B,
    rf2Init3,
    rfWaiting,
    rfAnswer,
    rf1SendCSI,
    rf1SendDIS,
    rf1CollFrms,
    rf1CollRtry1,
    rf1CollRtry2,
    rf1StrtTrn,
    rf1CollTrn,
    rf1Retrain,
    rf1FinTrn,
    rf1SendCFR,
    rf1WtPgCnnct,
    rf2ValCnnct,
    rf2GtSndID,
    rf2GtCnnct,
    rfStartPage,
    rfGtPgDta,
    rf1FinPage,
    rf1WaitEOP,
    rf1WritePage,
    rf1SendMCF,
    rf1WaitDCN,
    rf1WtHngp,
    rf2GtPgRslt,
    rf2SendPgSts,  // tells the modem that a page did not decode, before the next +FDR
    rf2GetFHNG,
    rfComplete,
    rfAbort,
    rfDone,
};

const char* ReceiveStateName(TFaxReceiveState state);

class TFxReceiveFax : public TFxAbstractFax {
  public:
    TFxReceiveFax();
    ~TFxReceiveFax() override;

    // ---- properties ----
    int AnswerOnRing = 1;
    bool FaxAndData = false;
    bool OneFax = false;
    bool ConstantStatus = false;
    QString DestinationDir;
    int DialWait = 60;  // seconds the answered call may take to connect
    // The full name of the file to create for a call.
    std::function<void(QString& name)> OnFaxName;
    // Accept the call from `remoteId`; accepted when unassigned.
    std::function<bool(const QString& remoteId)> OnFaxAccept;

    // Starts the run; raises EFaxError (start checks, -8063 when no fax class is usable).
    void BeginReceive();

    TFaxReceiveState State() const { return state_; }
    // Pages of the current call that did not decode and were refused.
    int BadPages() const { return badPages_; }

  protected:
    StateFacts CurrentStateFacts() const override;
    void RunState(FaxLineEvent event, const QString& reply) override;
    void StateTimedOut() override;
    void EnterAbortState() override { state_ = rfAbort; }
    bool InAbortState() const override { return state_ == rfAbort || state_ == rfDone; }
    void OnClass1Frame() override;
    // Class 1: a lost call when the modem, back on hook without carrier, refuses a frame
    // command; else a bad response.
    int ErrorReplyCode() override;
    int HangupReplyCode() override { return ecFaxSessionError; }
    void EndAfterFailure() override;

  private:
    // One row per state, in the order of TFaxReceiveState (receive_fax_states.cpp).
    using StateRow = corvane::StateRow<TFxReceiveFax, TFaxReceiveState>;
    static const StateRow kStates[];
    static const StateRow& Row(TFaxReceiveState state);
    friend const char* ReceiveStateName(TFaxReceiveState state);

    void StInit();
    bool InitAnswered(const QString& reply);
    void SendInitCommand(const QString& command, TFaxReceiveState next);
    void St2Init1(const QString& reply);
    void St2Init1A(const QString& reply);
    void St2Init1B(const QString& reply);
    void St2Init3(const QString& reply);
    void StWaiting(const QString& reply);
    void StAnswer();
    void StValCnnct(const QString& reply);
    void StGtSndID(const QString& reply);
    void StGtCnnct(const QString& reply);
    void StStartPage();
    void StGtPgDta(FaxLineEvent event);
    void StGtPgRslt(const QString& reply);
    void StSendPgSts(const QString& reply);
    void StGetFHNG(const QString& reply);
    void StComplete();
    void StAbort();

    // Class 1 (receive_fax_class1.cpp): one function per state, and what a reply time-out
    // does in the states that do not just fail.
    void St1Init1(const QString& reply);
    void St1SendCSI(const QString& reply);
    void St1SendCSITimeout();
    void St1SendDIS(const QString& reply);
    void St1CollFrms(const QString& reply);
    void St1CollFrmsTimeout();
    void St1CollRtry1();
    void St1CollRtry2(const QString& reply);
    void St1CollRtry2Timeout();
    void St1StrtTrn(const QString& reply);
    void St1CollTrn(FaxLineEvent event);
    void St1Retrain(const QString& reply);
    void St1FinTrn(const QString& reply);
    void St1SendCFR(const QString& reply);
    void St1WtPgCnnct(const QString& reply);
    void St1FinPage(const QString& reply);
    void St1WaitEOP(const QString& reply);
    void St1WritePage();
    void St1SendMCF(const QString& reply);
    void St1WaitDCN(const QString& reply);
    void St1WaitDCNTimeout();
    void St1WtHngp(const QString& reply);
    void Class1SendIds();

    void Prepare();
    // Asks the owner to accept the call (once) and creates the file; false when the call
    // ends instead.
    bool OfferCall();
    bool CreateFile();
    void KeepPage();
    void CloseFile();
    void HangUp();
    void SendFdr();

    TFaxReceiveState state_ = rfNone;
    int rings_ = 0;
    int postPage_ = -1;
    bool pageGood_ = false;
    bool rejectPage_ = false;
    int badPages_ = 0;
    // Class 1: the post-page command of the sender.
    bool morePages_ = false;
    bool newParams_ = false;
    bool pageRefused_ = false;
    ReceivedPageCollector page_;
    ApfReceiveWriter writer_;
    QStringList initQueue_;  // set-up commands still to send in rf2Init1
};

}  // namespace corvane
