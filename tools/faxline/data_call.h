#pragma once
// A call in data mode (+FCLASS=0), as a data modem makes it: after the far end picks up, the
// modem listens for a data carrier and connects only when it hears one. The only data modem
// on this line is the fax machine's `--answer data` (answer tone, then V.21 marks at 300 bit/s),
// so the carrier looked for is V.21's answering channel holding marks. A fax machine, whose
// V.21 carries HDLC flags, or a person never gives one: the call ends NO CARRIER once S7 runs
// out or the far end hangs up. Online, the DTE's data goes nowhere; "+++" between guard times
// (S12) returns to command mode.

#include <cstddef>
#include <cstdint>
#include <string>

struct fsk_rx_state_s;

namespace corvane::faxline {

class DataCall {
  public:
    enum class State { None, WaitingForCarrier, Online, Escaped };
    enum class Event { None, CarrierFound, CarrierLost, GaveUp };

    DataCall();
    ~DataCall();
    DataCall(const DataCall&) = delete;
    DataCall& operator=(const DataCall&) = delete;

    State state() const { return state_; }
    bool active() const { return state_ != State::None; }
    // The far end's carrier is up (DCD under &C1).
    bool carrier() const { return state_ == State::Online || state_ == State::Escaped; }

    // The line is connected (dialled and answered, or answered): wait for a carrier until
    // `giveUpAt` (samples).
    void Start(int64_t giveUpAt);
    void End();
    // Back on line after ATO.
    void Resume();

    // Audio from the line at simulated time `now`.
    Event Receive(const int16_t* amp, int len, int64_t now);

    // Bytes from the DTE while online, at wall time `wallMs`; escape is S2, guardMs S12.
    void FromDte(const uint8_t* data, size_t len, int64_t wallMs, uint8_t escape, int64_t guardMs);
    // True once the escape sequence and the guard time after it are complete; the call is
    // then in command mode (kEscaped).
    bool TakeEscape(int64_t wallMs, int64_t guardMs);

    // Command mode at once (DTR dropped under &D1); false when not online.
    bool Escape();

    // The connect result by ATX level: the rate from X1 up.
    static std::string ConnectText(int resultLevel);

  private:
    static void PutBit(void* user, int bit);

    State state_ = State::None;
    fsk_rx_state_s* rx_ = nullptr;
    int64_t giveUpAt_ = -1;
    int marks_ = 0;  // consecutive mark bits heard
    bool rxCarrier_ = false;
    int64_t carrierGoneAt_ = -1;
    int64_t lastDteMs_ = -1;
    int escapes_ = 0;  // escape characters counted toward "+++"
};

}  // namespace corvane::faxline
