#pragma once
// TFxReceiveFax: the receive machine. It sets the modem up to answer, waits for rings,
// answers, and writes each received page to an APF file, which is consistent on disk after
// every finished page; after each call it goes back to waiting (or ends, with OneFax).

#include <QStringList>
#include <memory>

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
    void runMachine(FaxLineEvent event) override;
    bool inAbortState() const override { return state_ == rfAbort || state_ == rfDone; }
    void endAfterFailure() override;

  private:
    bool waitsForReply(TFaxReceiveState s) const;
    bool isActionState(TFaxReceiveState s) const;
    void runState(FaxLineEvent event, const QString& reply);
    void abortWith(int error);

    void stInit();
    void stInitReply(const QString& reply);
    void stWaiting(const QString& reply);
    void stAnswer();
    void stValCnnct(const QString& reply);
    void stGtSndID(const QString& reply);
    void stGtCnnct(const QString& reply);
    void stStartPage();
    void stGtPgDta(FaxLineEvent event);
    void stGtPgRslt(const QString& reply);
    void stSendPgSts(const QString& reply);
    void stGetFHNG(const QString& reply);
    void stComplete();
    void stAbort();

    // Class 1 (receive_fax_class1.cpp).
    void stClass1Reply(const QString& reply);
    void stClass1CollFrms(const QString& reply);
    void stClass1CollTrn(FaxLineEvent event);
    void stClass1WaitEOP(const QString& reply);
    void stClass1WritePage();
    void stClass1SendMCF(const QString& reply);
    void stClass1WaitDCN(const QString& reply);
    void stClass1Timeout();
    void onClass1Frame();
    void class1SendIds();
    // The code for an ERROR no state expects: a lost call when the modem, back on hook
    // without carrier, refuses a frame command; else a bad response.
    int class1ErrorReply();
    bool isClass1() const { return classInUse_ == FaxClassKind::Class1; }

    void prepare();
    // Asks the owner to accept the call (once) and creates the file; false when the call
    // ends instead.
    bool offerCall();
    bool createFile();
    void keepPage();
    void closeFile();
    void hangUp();
    void sendFdr();

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
    QString lastCommand_;
    QStringList initQueue_;  // set-up commands still to send in rf2Init1
};

}  // namespace corvane
