#pragma once

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
class Class2Modem : public Modem {
  public:
    // classes: the +FCLASS values the modem offers ("0,2,2.0").
    Class2Modem(TelephoneLine& line, DteWriter to_dte, bool verbose, std::string classes);
    ~Class2Modem() override;
    Class2Modem(const Class2Modem&) = delete;
    Class2Modem& operator=(const Class2Modem&) = delete;

    // Serves the pseudo-terminals and runs the line on while T.30 waits for the DTE inside a
    // callback (set by the session).
    void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }
    // Bytes written toward the DTE that it has not taken yet (set by the session).
    void SetDteBacklog(std::function<size_t()> backlog) { dte_backlog_ = std::move(backlog); }
    // Paced page output toward the DTE; called on every turn of the session loop.
    void ServiceDte() override;

    size_t FromDte(const uint8_t* data, size_t len) override;
    void DteHungUp() override;
    bool WaitsForDte() const override;
    bool UnderrunFailsPage() const override { return false; }
    bool InPageData() const override;
    bool OffHook() const override { return call_ != Call::kIdle; }
    bool IdleOnHook() const override;

    void Transmit(int16_t* amp, int len) override;
    void Receive(int16_t* amp, int len) override;
    void OnLineEvent(LineEvent event) override;
    bool CarriesPageData() const override;
    bool CarrierUp() const override {
        return data_.active() ? data_.carrier() : call_ == Call::kConnected;
    }

  private:
    void HangUpForDtr() override;
    void ResetForDtr() override { ResetProfile(); }
    bool EscapeDataCall() override;

    enum class Call { kIdle, kDialling, kRinging, kConnected };
    enum class Input { kCommand, kPageIn, kWaitDc2, kPageOut };
    using Params = std::array<int, 8>;  // vr, br, wd, ln, df, ec, bf, st

    struct ReceivedPage {
        PageBytes data;
        int post_page = 2;  // the +FET value: 0 more pages, 1 new document, 2 end
        int status = 1;     // the modem's copy-quality verdict, as +FPTS gives it
        int rows = 0;       // lines received, bad lines and the longest run of them
        int bad_rows = 0;
        int bad_run = 0;
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
    enum class Outcome { kOk, kError, kPending };
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
    bool DteBitsReversed(bool to_dte) const;

    // Call control.
    void StartT30(bool calling);
    void AnswerCall();
    void EndCall();
    void PageReceived(t30_state_s* t30, int post_page_fcf);
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
    int HangUpCode(int t30_code) const;
    // The hang-up code as the current class writes it: decimal (Class 2) or two hex digits
    // (Class 2.0, where 100 becomes A0).
    std::string HangUpText(int code) const;

    TelephoneLine& line_;
    DteWriter to_dte_;
    bool verbose_;
    std::function<void()> pump_;
    std::function<size_t()> dte_backlog_;
    std::string work_dir_;
    std::string classes_;

    // Profile.
    bool echo_ = true;
    bool quiet_ = false;
    bool verbose_results_ = true;
    std::array<int, 100> s_regs_{};
    std::string fclass_ = "0";
    int result_level_ = 4;                         // ATX
    std::map<std::string, std::string> settings_;  // by Class 2 name (or Class 2.0 name)
    Params dis_{1, 5, 0, 2, 0, 0, 0, 0};
    Params dcc_{1, 5, 0, 2, 0, 0, 0, 0};
    std::string local_id_;
    int bit_order_ = 0;

    // Command line assembly.
    Input input_ = Input::kCommand;
    std::string line_buf_;
    bool result_pending_ = false;  // a command waits for the call to produce its result

    // The call.
    Call call_ = Call::kIdle;
    int rings_ = 0;
    int64_t dial_deadline_ = -1;
    bool quiet_answer_ = false;  // the dial string waits for a quiet answer ('@')
    bool calling_ = false;
    fax_state_s* fax_ = nullptr;
    bool session_over_ = false;
    int hang_up_code_ = 0;
    bool hang_up_report_due_ = false;  // the session ended while the DTE had no command out
    bool con_reported_ = false;
    bool hang_up_requested_ = false;
    bool abort_ = false;
    bool aborted_by_dte_ = false;  // +FK/+FKS: the call is over, no more pages
    bool overflowed_ = false;      // the DTE did not read: received data was lost (code 93)
    int in_t30_ = 0;               // inside a spandsp call: T.30 must not be touched, only flagged
    bool holding_ = false;         // T.30 waits for the DTE: the modem neither sends nor hears
    int64_t heard_at_ = 0;         // while holding: when the far end was last heard
    int64_t done_at_ = -1;         // while holding: when the DTE was ready
    std::array<uint8_t, 32> remote_dis_{};
    int remote_dis_len_ = 0;
    std::array<uint8_t, 32> remote_dcs_{};
    int remote_dcs_len_ = 0;
    std::array<uint8_t, 32> local_dcs_{};
    int local_dcs_len_ = 0;

    // Sending: the page in line order, and how far it has gone out.
    PageBytes page_in_;
    size_t page_pos_ = 0;
    uint8_t page_byte_ = 0;
    int bit_pos_ = 8;
    bool fdt_requested_ = false;      // +FDT waits for the training to end
    bool page_carrier_ = false;       // the next high-speed carrier is page data
    bool page_on_line_ = false;       // all of the page has gone out
    bool page_data_started_ = false;  // the first page byte went out
    bool starved_ = false;            // the buffer ran dry (an under-run)
    bool xoff_sent_ = false;
    bool dte_timed_out_ = false;  // no post-page command within +FPHCTO
    int64_t post_page_deadline_ = 0;
    bool dle_ = false;
    bool page_ready_ = false;
    uint8_t page_end_ = 0;
    int post_page_ = -1;  // +FET value or the one implied by DLE , ; .
    bool last_page_ = false;
    int64_t page_start_ms_ = 0;
    int pages_sent_ = 0;
    int last_page_status_ = 1;

    DataCall data_;

    // Receiving.
    int rx_page_status_ = 1;  // +FPTS=/+FPS= from the DTE for the page it was given
    std::string rx_path_;
    int rx_pages_taken_ = 0;
    int rx_verdict_ = 0;              // the DTE's +FPTS for the page T.30 is about to answer
    bool rx_dte_late_ = false;        // the DTE never asked for the next page: the call is lost
    bool rx_last_page_ = false;       // the sender's last post-page message was EOP
    bool rx_document_done_ = false;   // the modem confirmed the last page (MCF or RTP to EOP)
    bool rx_page_refused_ = false;    // the last page response was RTN
    int64_t page_out_start_ms_ = 0;   // when the DTE released the page with DC2
    int64_t page_out_moving_ms_ = 0;  // when the DTE last kept up with the page data
    // spandsp's own HDLC sender, which the page response passes through on its way out.
    void (*t30_send_hdlc_)(void*, const uint8_t*, int) = nullptr;
    void* t30_send_hdlc_user_ = nullptr;
    std::deque<ReceivedPage> received_;
    bool fdr_outstanding_ = false;
    PageBytes page_out_;
    size_t page_out_pos_ = 0;
};

}  // namespace corvane::faxline
