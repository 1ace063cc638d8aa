#pragma once
// Something plugged into the simulated telephone line: a modem or the software fax machine.

#include <cstdint>

namespace corvane::faxline {

// Audio runs at 8000 samples per second and advances in blocks of 20 ms.
inline constexpr int kSampleRate = 8000;
inline constexpr int kBlockSamples = 160;
inline constexpr int kBlockMs = 20;

constexpr int64_t MsToSamples(int64_t ms) {
    return ms * kSampleRate / 1000;
}

enum class LineEvent {
    Ring,          // a ring burst starts at the called party
    Answered,      // the called party went off hook: the caller is connected
    Busy,          // the dialled number is busy
    NoDialTone,    // the caller went off hook and heard no dial tone
    FarEndHungUp,  // the other party hung up (or the line dropped) some time ago
};

class LineParty {
  public:
    virtual ~LineParty() = default;
    // Fills exactly len samples of outgoing audio (silence when idle).
    virtual void Transmit(int16_t* amp, int len) = 0;
    virtual void Receive(int16_t* amp, int len) = 0;
    virtual void OnLineEvent(LineEvent event) = 0;
    // True while this party sends or receives a high-speed (page data) modulation.
    virtual bool CarriesPageData() const = 0;
};

// What a party may ask of the line. Requests are answered by later line events.
class LineControl {
  public:
    virtual ~LineControl() = default;
    virtual void Dial(LineParty* caller, const char* number) = 0;
    virtual void Answer(LineParty* callee) = 0;
    virtual void HangUp(LineParty* party) = 0;
};

}  // namespace corvane::faxline
