#pragma once
// The software fax machine at the other end of the line: a spandsp fax terminal that
// answers and receives into a TIFF, or calls and sends one.

#include <cstdint>
#include <memory>
#include <string>

#include "call_summary.h"
#include "line_party.h"
#include "page_spoiler.h"

struct fax_state_s;
struct fsk_tx_state_s;
struct t30_state_s;

namespace corvane::faxline {

class TelephoneLine;

struct RemoteFaxOptions {
    enum class Role { Receive, Send };
    // Who is at this end of the line: a fax machine, a person (no fax tones at all) or a data
    // modem. Receiving, it picks up (a data modem: answer tone, then a data carrier without fax
    // frames); sending, it calls (a data modem: the originating carrier once the answer tone
    // is over).
    enum class Answer { Fax, Voice, Data };
    // Where the machine breaks off the call with DCN: on the DIS it hears (calling), on the
    // DCS (answering: DCN instead of CFR) or after page N (answering: DCN instead of MCF).
    enum class DcnPhase { Never, Dis, Dcs, Page };
    Role role = Role::Receive;
    Answer answer = Answer::Fax;
    DcnPhase dcnAfter = DcnPhase::Never;
    int dcnPage = 0;
    std::string file;  // TIFF to send, or to receive into
    std::string ident = "FAXLINE REMOTE";
    bool v27ter = true, v29 = true, v17 = true;
    bool ecm = false;
    int answerAfterRings = 1;
    int ringWaitSeconds = 60;  // a caller gives up after this long without an answer
    int rtnPage = 0;           // this page (1-based) gets RTN: judged bad, damaged if sending
    int rtnTimes = 1;          // how many times in a row that page gets RTN
    int fttAbove = 0;          // receiving: training above this rate fails (FTT); 0: never
    bool fine = true;          // receiving: accepts fine resolution
    int width = 1728;          // receiving: widest page, 1728, 2048 or 2432 pixels
    enum class Length { A4, B4, Unlimited };
    Length length = Length::Unlimited;  // receiving: longest page (A4 also takes US letter)
    int rtpPage = 0;                    // receiving: judge this page poor, once: RTP
    bool verbose = false;
};

class RemoteFax : public LineParty {
  public:
    RemoteFax(const RemoteFaxOptions& options, TelephoneLine& line);
    ~RemoteFax() override;
    RemoteFax(const RemoteFax&) = delete;
    RemoteFax& operator=(const RemoteFax&) = delete;

    // Sending role: dials the modem.
    void StartCall();
    // Readies the machine for the next call of the run (receiving: into a file of its own).
    void NextCall();
    bool callStarted() const { return callStarted_; }
    bool finished() const { return finished_; }
    const CallSummary& summary() const { return summary_; }

    void Transmit(int16_t* amp, int len) override;
    void Receive(int16_t* amp, int len) override;
    void OnLineEvent(LineEvent event) override;
    bool CarriesPageData() const override;

  private:
    static int PhaseB(t30_state_s* s, void* user_data, int result);
    static int PhaseD(t30_state_s* s, void* user_data, int result);
    static void PhaseE(t30_state_s* s, void* user_data, int completion_code);
    static void Frame(t30_state_s* s, void* user, int incoming, const uint8_t* msg, int len);
    static void PageBitIn(void* user, int bit);
    static void SendFrame(void* user, const uint8_t* msg, int len);
    bool BreaksOffWith(uint8_t fcf) const;
    void HookPageBits();
    // Adds the last page received to the summary's rows when T.30 kept it.
    void SettlePendingPage(bool kept);

    void StartT30(bool calling);
    bool calling() const { return options_.role == RemoteFaxOptions::Role::Send; }
    void AnswerWithoutFax();
    void TransmitWithoutFax(int16_t* amp, int len);
    std::string CallFile() const;
    void Finish(const std::string& status);

    RemoteFaxOptions options_;
    TelephoneLine& line_;
    fax_state_s* fax_ = nullptr;
    int callNumber_ = 1;
    // Everything below belongs to one call and starts afresh with the next.
    int rings_ = 0;
    int64_t ringDeadline_ = -1;
    bool callStarted_ = false;
    bool finished_ = false;
    bool hangUpPending_ = false;
    // The last page of the document went through and was confirmed: the fax is complete
    // even when T.30 keeps an error from a step it recovered from (a repeated DIS, say).
    bool documentComplete_ = false;
    int postPageMessages_ = 0;
    int pagesKept_ = 0;              // pages answered MCF or RTP
    int rtnGiven_ = 0;               // RTNs given to the page --rtn-page names
    bool lastPageRejected_ = false;  // the last verdict given was RTN
    bool pageRx_ = false;            // the next high-speed carrier brings a page
    bool tcfRx_ = false;             // the next high-speed carrier is a training check to spoil
    int64_t pageBits_ = 0;
    int pendingRows_ = -1;  // the page T.30 is judging
    int pendingBadRows_ = 0;
    // A call picked up by a person or a data modem: when, and the audio it sends.
    int64_t otherAnswerAt_ = -1;
    int64_t otherSamples_ = 0;
    fsk_tx_state_s* dataCarrier_ = nullptr;
    std::unique_ptr<OutgoingPageSpoiler> spoiler_;  // sending with --rtn-page
    // T.30's own way of sending frames, which SendFrame passes them on to.
    void (*t30SendFrame_)(void*, const uint8_t*, int) = nullptr;
    void* t30SendFrameUser_ = nullptr;
    bool dcnDue_ = false;     // the frame T.30 sends next goes out as DCN
    int64_t dcnSentAt_ = -1;  // the machine broke off the call with DCN
    CallSummary summary_;
};

}  // namespace corvane::faxline
