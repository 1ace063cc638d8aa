#pragma once
// A Class 1 fax modem: spandsp's T.31 modem on the simulated line.

#include <string>
#include <vector>

#include "at_syntax.h"
#include "data_call.h"
#include "modem.h"

struct t31_state_s;
struct at_state_s;

namespace corvane::faxline {

class TelephoneLine;

class Class1Modem : public Modem {
  public:
    // classes: the +FCLASS values the modem offers ("0,1,1.0").
    Class1Modem(TelephoneLine& line, DteWriter toDte, bool verbose, std::string classes);
    ~Class1Modem() override;
    Class1Modem(const Class1Modem&) = delete;
    Class1Modem& operator=(const Class1Modem&) = delete;

    size_t FromDte(const uint8_t* data, size_t len) override;
    void DteHungUp() override;
    bool WaitsForDte() const override;
    bool InPageData() const override;
    bool OffHook() const override;
    bool IdleOnHook() const override;

    void Transmit(int16_t* amp, int len) override;
    void Receive(int16_t* amp, int len) override;
    void OnLineEvent(LineEvent event) override;
    bool CarriesPageData() const override;
    bool CarrierUp() const override { return data_.active() ? data_.carrier() : inCall_; }
    void ServiceDte() override;

  private:
    void HangUpForDtr() override { DteHungUp(); }
    // The T.31 profile is the interpreter's own; only &C and &D go back to their defaults.
    void ResetForDtr() override { ResetLineBehaviour(); }
    bool EscapeDataCall() override;

    static int AtToDte(at_state_s* s, void* user_data, const uint8_t* buf, size_t len);
    static int ModemControl(t31_state_s* s, void* user_data, int op, const char* num);

    void CommandByte(uint8_t c);
    // keepsEcho is cleared when the line sets or resets the echo (E, Z, &F).
    bool LineAllowed(const std::vector<AtCommand>& commands, bool& keepsEcho) const;

    // Line requests made from inside spandsp run once spandsp has returned.
    void RunDeferredRequests();
    void EndCall();
    void DialFailed(int responseCode);
    void NoticeFarEndGone();
    // Class 0: the call is a data call from the connection on.
    bool DataMode() const;
    void StartDataCall();
    // Bytes of a data call; false when the modem is in command mode and they are commands.
    bool DataCallByte(uint8_t c);
    void EndDataCall(int responseCode);
    int64_t GuardMs() const;
    // Answers a line made only of S register commands; false for any other line.
    bool AnswerRegisterLine(const std::vector<AtCommand>& commands);
    void SetEscapeRegisters();
    void Respond(const std::string& text, int code);
    // Personalities: the early OK after a final frame and the tail of the carrier behind it,
    // and the eager +FCERROR.
    void NoteEndOfSignal();
    bool InTail() const;
    bool TailFcError(const std::vector<AtCommand>& commands);
    // True when the line asked the modem to listen (+FRM/+FRH) and it said +FCERROR instead.
    bool EagerFcError(const std::vector<AtCommand>& commands);

    TelephoneLine& line_;
    DteWriter toDte_;
    std::string classes_;
    std::string lineBuf_;  // the command line being typed
    t31_state_s* t31_ = nullptr;
    bool holding_ = false;  // the modem's buffer is above its high tide: DTE must wait
    bool dialRequested_ = false;
    std::string dialNumber_;
    bool answerRequested_ = false;
    bool hangUpRequested_ = false;
    bool dialling_ = false;
    bool inCall_ = false;
    int64_t dialDeadline_ = -1;
    bool quietAnswer_ = false;  // the dial string waits for a quiet answer ('@')
    int64_t lastRing_ = -1;     // when the last ring of an unanswered call came
    bool farEndGone_ = false;   // noticed once the modem stops transmitting
    bool starved_ = false;      // the last block ran the page data buffer dry
    DataCall data_;
    // Whose turn it is: the step numbers of the DTE's last command or data byte and of the
    // modem's last output to the DTE.
    uint64_t step_ = 0;
    uint64_t dteStep_ = 0;
    uint64_t modemStep_ = 0;
    // early-ok: the DTE has had its OK, but the carrier runs on until then.
    bool carrying_ = false;
    bool wasTransmitting_ = false;
    bool lastFrameFinal_ = false;
    bool lastResultOk_ = false;  // the modem's last output to the DTE said OK
    int64_t tailUntil_ = -1;
    int eagerLeft_ = 0;
    // ignores-cts and fclass1-forces-xon: XOFF/XON pace the DTE instead of holding it back.
    bool xonFlow_ = false;
    bool xoffSent_ = false;
    void SoftwareFlow();
    bool DteStops() const;
};

}  // namespace corvane::faxline
