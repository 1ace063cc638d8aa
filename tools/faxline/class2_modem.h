#pragma once
// A Class 2 / Class 2.0 fax modem. spandsp has no such DCE, so this one parses the Class 2
// and 2.0 AT commands itself and runs a spandsp T.30 fax terminal toward the line:
//  - sending: when the remote's DIS arrives, T.30 waits (the line running on, the modem deaf)
//    until the DTE asks for the page with AT+FDT; DCS and training follow, CONNECT comes
//    after CFR, and the DTE's bytes go to the page modulator at line rate. The receiver's
//    MCF/RTN/RTP becomes the page status report.
//  - receiving: when the sender's post-page message arrives, the page T.30 took in is read
//    back from its TIFF, coded as one-dimensional T.4 and handed to the DTE after AT+FDR with
//    the modem's own copy-quality verdict (+FPTS). T.30 waits (the modem deaf) until the DTE
//    asks for the next page with AT+FDR, and answers MCF, RTN or RTP as the DTE's +FPTS
//    then says; the sender's T4 runs meanwhile.

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "at_syntax.h"
#include "data_call.h"
#include "modem.h"
#include "page_codec.h"

struct fax_state_s;
struct t30_state_s;

namespace corvane::faxline {

class TelephoneLine;

class Class2Modem : public Modem {
  public:
    // classes: the +FCLASS values the modem offers ("0,2,2.0").
    Class2Modem(TelephoneLine& line, DteWriter toDte, bool verbose, std::string classes);
    ~Class2Modem() override;
    Class2Modem(const Class2Modem&) = delete;
    Class2Modem& operator=(const Class2Modem&) = delete;

    // Serves the pseudo-terminals and runs the line on while T.30 waits for the DTE inside a
    // callback (set by the session).
    void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }
    // Bytes written toward the DTE that it has not taken yet (set by the session).
    void SetDteBacklog(std::function<size_t()> backlog) { dteBacklog_ = std::move(backlog); }
    // Paced page output toward the DTE; called on every turn of the session loop.
    void ServiceDte() override;

    size_t FromDte(const uint8_t* data, size_t len) override;
    void DteHungUp() override;
    bool WaitsForDte() const override;
    bool UnderrunFailsPage() const override { return false; }
    bool InPageData() const override;
    bool OffHook() const override { return call_ != Call::Idle; }
    bool IdleOnHook() const override;

    void Transmit(int16_t* amp, int len) override;
    void Receive(int16_t* amp, int len) override;
    void OnLineEvent(LineEvent event) override;
    bool CarriesPageData() const override;
    bool CarrierUp() const override {
        return data_.active() ? data_.carrier() : call_ == Call::Connected;
    }

  private:
    void HangUpForDtr() override;
    void ResetForDtr() override { ResetProfile(); }
    bool EscapeDataCall() override;

    enum class Call { Idle, Dialling, Ringing, Connected };
    enum class Input { Command, PageIn, WaitDc2, PageOut };
    using Params = std::array<int, 8>;  // vr, br, wd, ln, df, ec, bf, st

    struct ReceivedPage {
        PageBytes data;
        int postPage = 2;  // the +FET value: 0 more pages, 1 new document, 2 end
        int status = 1;    // the modem's copy-quality verdict, as +FPTS gives it
        int rows = 0;      // lines received, bad lines and the longest run of them
        int badRows = 0;
        int badRun = 0;
    };

    // AT command handling.
    struct Setting;
    static const Setting kSettings[];
    static constexpr const char* kParamRanges = "(0,1),(0-5),(0-2),(0-2),(0),(0),(0),(0-7)";
    static std::string LocalName(const char* class2, const char* class20,
                                 const std::string& fclass);
    static const Setting* FindSetting(const std::string& name, const std::string& fclass);
    std::string& SettingValue(const Setting& setting);
    bool CommandAllowed(const AtCommand& cmd, const std::string& fclass) const;
    void CommandByte(uint8_t c);
    void ExecuteLine(const std::string& line);
    enum class Outcome { Ok, Error, Pending };
    Outcome ExecuteExtended(const AtCommand& cmd);
    Outcome ExecuteBasic(char letter, const std::string& arg);
    void Reply(const std::string& text);
    void Result(Outcome outcome);
    void ResetProfile();
    std::string Name(const char* class2, const char* class20) const;

    // Page data.
    size_t TakePageData(const uint8_t* data, size_t len);
    void StorePageByte(uint8_t c);
    size_t BufferedPageBytes() const;
    void StartPageIn();
    static int PageBit(void* user);
    int NextPageBit();
    void HookPageBits();
    void FinishPageIn(uint8_t end);
    void ReportHangUp();
    void ServeFdr();
    void StartPageOut();
    void OverflowToDte();
    double LineBytesPerMs() const;
    bool DteBitsReversed(bool toDte) const;

    // Call control.
    void StartT30(bool calling);
    void AnswerCall();
    void EndCall();
    void PageReceived(t30_state_s* t30, int postPageFcf);
    static void SendHdlc(void* user, const uint8_t* msg, int len);
    static void ReceiveHdlc(void* user, const uint8_t* msg, int len, int ok);
    bool HoldForDte(const std::function<bool()>& done);
    // Class 0: a data call once the line is connected.
    void StartDataCall();
    bool DataCallByte(uint8_t c);  // false: a command byte
    void DataCallAudio(const int16_t* amp, int len);
    void EndDataCall();

    static int PhaseB(t30_state_s* s, void* user, int result);
    static int PhaseD(t30_state_s* s, void* user, int result);
    static void PhaseE(t30_state_s* s, void* user, int result);
    static int Document(t30_state_s* s, void* user, int status);
    static void Frame(t30_state_s* s, void* user, int direction, const uint8_t* msg, int len);

    Params RemoteCapabilities() const;
    Params SessionParams() const;
    int PredictedRateCode() const;
    static std::string Format(const Params& p);
    static bool ParseParams(const std::string& value, Params& p);
    int HangUpCode(int t30Code) const;
    // The hang-up code as the current class writes it: decimal (Class 2) or two hex digits
    // (Class 2.0, where 100 becomes A0).
    std::string HangUpText(int code) const;

    TelephoneLine& line_;
    DteWriter toDte_;
    bool verbose_;
    std::function<void()> pump_;
    std::function<size_t()> dteBacklog_;
    std::string workDir_;
    std::string classes_;

    // Profile.
    bool echo_ = true;
    bool quiet_ = false;
    bool verboseResults_ = true;
    std::array<int, 100> sRegs_{};
    std::string fclass_ = "0";
    int resultLevel_ = 4;                          // ATX
    std::map<std::string, std::string> settings_;  // by Class 2 name (or Class 2.0 name)
    Params dis_{1, 5, 0, 2, 0, 0, 0, 0};
    Params dcc_{1, 5, 0, 2, 0, 0, 0, 0};
    std::string localId_;
    int bitOrder_ = 0;

    // Command line assembly.
    Input input_ = Input::Command;
    std::string lineBuf_;
    bool resultPending_ = false;  // a command waits for the call to produce its result

    // The call.
    Call call_ = Call::Idle;
    int rings_ = 0;
    int64_t dialDeadline_ = -1;
    bool quietAnswer_ = false;  // the dial string waits for a quiet answer ('@')
    bool calling_ = false;
    fax_state_s* fax_ = nullptr;
    bool sessionOver_ = false;
    int hangUpCode_ = 0;
    bool hangUpReportDue_ = false;  // the session ended while the DTE had no command out
    bool conReported_ = false;
    bool hangUpRequested_ = false;
    bool abort_ = false;
    bool abortedByDte_ = false;  // +FK/+FKS: the call is over, no more pages
    bool overflowed_ = false;    // the DTE did not read: received data was lost (code 93)
    int inT30_ = 0;              // inside a spandsp call: T.30 must not be touched, only flagged
    bool holding_ = false;       // T.30 waits for the DTE: the modem neither sends nor hears
    int64_t heardAt_ = 0;        // while holding: when the far end was last heard
    int64_t doneAt_ = -1;        // while holding: when the DTE was ready
    std::array<uint8_t, 32> remoteDis_{};
    int remoteDisLen_ = 0;
    std::array<uint8_t, 32> remoteDcs_{};
    int remoteDcsLen_ = 0;
    std::array<uint8_t, 32> localDcs_{};
    int localDcsLen_ = 0;

    // Sending: the page in line order, and how far it has gone out.
    PageBytes pageIn_;
    size_t pagePos_ = 0;
    uint8_t pageByte_ = 0;
    int bitPos_ = 8;
    bool fdtRequested_ = false;     // +FDT waits for the training to end
    bool pageCarrier_ = false;      // the next high-speed carrier is page data
    bool pageOnLine_ = false;       // all of the page has gone out
    bool pageDataStarted_ = false;  // the first page byte went out
    bool starved_ = false;          // the buffer ran dry (an under-run)
    bool xoffSent_ = false;
    bool dteTimedOut_ = false;  // no post-page command within +FPHCTO
    int64_t postPageDeadline_ = 0;
    bool dle_ = false;
    bool pageReady_ = false;
    uint8_t pageEnd_ = 0;
    int postPage_ = -1;  // +FET value or the one implied by DLE , ; .
    bool lastPage_ = false;
    int64_t pageStartMs_ = 0;
    int pagesSent_ = 0;
    int lastPageStatus_ = 1;

    DataCall data_;

    // Receiving.
    int rxPageStatus_ = 1;  // +FPTS=/+FPS= from the DTE for the page it was given
    std::string rxPath_;
    int rxPagesTaken_ = 0;
    int rxVerdict_ = 0;            // the DTE's +FPTS for the page T.30 is about to answer
    bool rxDteLate_ = false;       // the DTE never asked for the next page: the call is lost
    bool rxLastPage_ = false;      // the sender's last post-page message was EOP
    bool rxDocumentDone_ = false;  // the modem confirmed the last page (MCF or RTP to EOP)
    bool rxPageRefused_ = false;   // the last page response was RTN
    int64_t pageOutStartMs_ = 0;   // when the DTE released the page with DC2
    int64_t pageOutMovingMs_ = 0;  // when the DTE last kept up with the page data
    // spandsp's own HDLC sender, which the page response passes through on its way out.
    void (*t30SendHdlc_)(void*, const uint8_t*, int) = nullptr;
    void* t30SendHdlcUser_ = nullptr;
    std::deque<ReceivedPage> received_;
    bool fdrOutstanding_ = false;
    PageBytes pageOut_;
    size_t pageOutPos_ = 0;
};

}  // namespace corvane::faxline
