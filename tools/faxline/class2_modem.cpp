#include "class2_modem.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "pty_port.h"
#include "spandsp_api.h"
#include "telephone_line.h"
#include "training_check.h"

namespace corvane::faxline {
namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kDc2 = 0x12;
constexpr uint8_t kXoff = 0x13;
// The transmit buffer toward the line, with the tides of XON/XOFF flow control.
constexpr size_t kTxBufferBytes = 4096;
constexpr size_t kTxHighTide = 3072;
constexpr size_t kTxLowTide = 1024;
// Pages in the stand-in document T.30 sends from: more than any fax in a test.
constexpr int kDocumentPages = 200;
// How long the modem holds the line for a DTE that does not hand over its page.
constexpr int64_t kDteHoldLimitMs = 60000;
// While T.30 waits for the DTE: how long the line must be quiet before it goes on, for how long
// at most it waits for that, and the mean sample level (about -43 dBm0) that counts as a
// carrier.
constexpr int64_t kQuietBeforeSendMs = 200;
constexpr int64_t kQuietWaitLimitMs = 10000;
constexpr int kCarrierLevel = 150;
// The modem's buffer toward the DTE, beyond what the pseudo-terminal itself holds.
constexpr size_t kRxBufferBytes = 8192;
// Received page data goes to the DTE in pieces of this size, each once it took the last.
constexpr size_t kRxChunkBytes = 1024;
constexpr int kRates[] = {2400, 4800, 7200, 9600, 12000, 14400};

// T.30 frames as spandsp passes them: address, control, FCF, then the FIF octets, with the
// first bit of each octet in its lowest bit (DIS/DCS bit 9 is 0x01 of octet 2).
constexpr uint8_t kRateBits = 0x3C;
constexpr uint8_t kFineBit = 0x40;

int RateCodeFromDcs(uint8_t octet2) {
    switch (octet2 & kRateBits) {
        case 0x00:
            return 0;  // V.27ter 2400
        case 0x08:
            return 1;  // V.27ter 4800
        case 0x04:
            return 3;  // V.29 9600
        case 0x0C:
            return 2;  // V.29 7200
        case 0x20:
            return 5;  // V.17 14400
        case 0x28:
            return 4;  // V.17 12000
        case 0x24:
            return 3;  // V.17 9600
        case 0x2C:
            return 2;  // V.17 7200
        default:
            return 3;
    }
}

int BestRateCodeFromDis(uint8_t octet2) {
    const uint8_t bits = octet2 & kRateBits;
    if ((bits & 0x2C) == 0x2C) return 5;  // V.17
    if (bits & 0x04) return 3;            // V.29
    if (bits & 0x08) return 1;            // V.27ter 4800
    return 0;
}

// RTC: six EOLs (eleven zero bits and a one), first bit in the lowest bit of each byte.
void AppendRtc(PageBytes& out) {
    uint32_t bits = 0;
    int count = 0;
    for (int eol = 0; eol < 6; ++eol) {
        for (int b = 0; b < 12; ++b) {
            if (b == 11) bits |= 1u << count;
            if (++count == 8) {
                out.push_back(static_cast<uint8_t>(bits));
                bits = 0;
                count = 0;
            }
        }
    }
}

}  // namespace

Class2Modem::Class2Modem(TelephoneLine& line, DteWriter to_dte, bool verbose, std::string classes)
    : line_(line), to_dte_(std::move(to_dte)), verbose_(verbose), classes_(std::move(classes)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "faxline-XXXXXX").string();
    if (mkdtemp(pattern.data())) work_dir_ = pattern;
    ResetProfile();
}

Class2Modem::~Class2Modem() {
    if (fax_) fax_free(fax_);
    std::error_code ignored;
    if (!work_dir_.empty()) std::filesystem::remove_all(work_dir_, ignored);
}

// Page data from the DTE is taken in line order (first bit in the lowest bit of each byte).
// Class 2 modems hand received pages to the DTE with the bits of each byte reversed, which
// fax programs for Class 2 expect; Class 2.0 keeps line order both ways. +FBOR/+FBO bit 0
// flips the bit order of page data. A modem with the bit order fault hands received pages
// over the other way round.
bool Class2Modem::DteBitsReversed(bool to_dte) const {
    const bool class20 = fclass_ == "2.0";
    bool reversed = to_dte && !class20;
    if (to_dte && (class20 ? personality_.fbo_inverted : personality_.class2_msb_first))
        reversed = !reversed;
    return reversed != ((bit_order_ & 1) != 0);
}

// ---------------------------------------------------------------------------------------
// Bytes from the DTE (AT commands: class2_at_commands.cpp)

size_t Class2Modem::FromDte(const uint8_t* data, size_t len) {
    size_t taken = 0;
    while (taken < len) {
        if (DataCallByte(data[taken])) {
            ++taken;
            continue;
        }
        switch (input_) {
            case Input::kPageIn: {
                const size_t n = TakePageData(data + taken, len - taken);
                if (n == 0) return taken;  // paced: the DTE waits
                taken += n;
                break;
            }
            case Input::kWaitDc2:
                // Only DC2 releases the page (only XON, for a modem with that fault).
                if (data[taken] == (personality_.xon_only ? kXon : kDc2)) StartPageOut();
                ++taken;
                break;
            case Input::kPageOut:
                ++taken;  // flow control bytes and stray input while the page goes out
                break;
            case Input::kCommand:
                CommandByte(data[taken++]);
                break;
        }
    }
    return taken;
}

// ---------------------------------------------------------------------------------------
// Page data

double Class2Modem::LineBytesPerMs() const {
    return kRates[std::clamp(PredictedRateCode(), 0, 5)] / 8000.0;
}

void Class2Modem::StorePageByte(uint8_t c) {
    if (DteBitsReversed(false)) {
        PageBytes one{c};
        ReverseBitsInPlace(one);
        c = one[0];
    }
    page_in_.push_back(c);
}

size_t Class2Modem::TakePageData(const uint8_t* data, size_t len) {
    // The modem's transmit buffer drains at line rate; a full buffer holds the DTE back by
    // not reading (and with +FLO=1 by XOFF as well, see ServiceDte).
    size_t taken = 0;
    while (taken < len) {
        if (!dle_ && BufferedPageBytes() >= kTxBufferBytes) break;
        const uint8_t c = data[taken++];
        if (dle_) {
            dle_ = false;
            if (c == kDle) {
                StorePageByte(kDle);
            } else if (c == kEtx || c == ',' || c == ';' || c == '.') {
                FinishPageIn(c);
                return taken;
            }
            continue;
        }
        if (c == kDle) {
            dle_ = true;
            continue;
        }
        StorePageByte(c);
    }
    return taken;
}

size_t Class2Modem::BufferedPageBytes() const {
    return page_in_.size() - page_pos_;
}

void Class2Modem::StartPageIn() {
    fdt_requested_ = false;
    result_pending_ = false;
    Reply(Name("+FDCS", "+FCS") + ":" + Format(SessionParams()));
    Reply("CONNECT");
    const uint8_t xon = kXon;
    if (!personality_.no_xon_after_fdt) to_dte_(&xon, 1);
    xoff_sent_ = false;
    input_ = Input::kPageIn;
    page_in_.clear();
    page_pos_ = 0;
    bit_pos_ = 8;
    dle_ = false;
    page_ready_ = false;
    page_on_line_ = false;
    page_data_started_ = false;
    starved_ = false;
}

int Class2Modem::PageBit(void* user) {
    return static_cast<Class2Modem*>(user)->NextPageBit();
}

// The page goes to the line bit by bit as the DTE wrote it. When the buffer runs dry the
// modem sends zero bits, which are fill only between coded lines: an under-run in the
// middle of a line damages it, as it does on a hardware modem.
int Class2Modem::NextPageBit() {
    if (bit_pos_ < 8) return (page_byte_ >> bit_pos_++) & 1;
    if (page_pos_ < page_in_.size()) {
        page_byte_ = page_in_[page_pos_++];
        bit_pos_ = 0;
        page_data_started_ = true;
        starved_ = false;
        return (page_byte_ >> bit_pos_++) & 1;
    }
    if (!page_ready_) {
        if (page_data_started_ && !starved_) ++underruns_;
        starved_ = true;
        return 0;
    }
    const int64_t now = line_.now_samples();
    if (!page_on_line_) {
        page_on_line_ = true;
        const int phcto = std::atoi(settings_["FPHCTO"].c_str());
        post_page_deadline_ = now + MsToSamples(phcto * 100LL);
        if (page_end_ == kEtx) {
            // Class 2: the page is out; the DTE says with AT+FET what follows.
            result_pending_ = false;
            Reply("OK");
        }
    }
    if (post_page_ < 0) {
        if (now < post_page_deadline_) return 0;  // fill while the DTE decides
        // The DTE let +FPHCTO pass: the modem ends the document and hangs up.
        post_page_ = 2;
        dte_timed_out_ = true;
    }
    t30_state_t* t30 = fax_get_t30_state(fax_);
    // T.30 asks its document whether more pages follow; only MPS continues it.
    if (post_page_ != 0) t30->t4.tx.tiff.stop_page = t30->t4.tx.current_page;
    last_page_ = post_page_ == 2;
    page_ready_ = false;
    page_carrier_ = false;
    page_in_.clear();
    page_pos_ = 0;
    return SIG_STATUS_END_OF_DATA;
}

void Class2Modem::HookPageBits() {
    if (!fax_ || session_over_ || !page_carrier_) return;
    fax_modems_state_t& m = fax_->modems;
    get_bit_func_t* get = nullptr;
    get_bit_func_t* current = nullptr;
    void** user = nullptr;
    switch (m.current_tx_type) {
        case T30_MODEM_V17:
            get = &m.fast_modems.v17_tx.get_bit;
            current = &m.fast_modems.v17_tx.current_get_bit;
            user = &m.fast_modems.v17_tx.get_bit_user_data;
            break;
        case T30_MODEM_V29:
            get = &m.fast_modems.v29_tx.get_bit;
            current = &m.fast_modems.v29_tx.current_get_bit;
            user = &m.fast_modems.v29_tx.get_bit_user_data;
            break;
        case T30_MODEM_V27TER:
            get = &m.fast_modems.v27ter_tx.get_bit;
            current = &m.fast_modems.v27ter_tx.current_get_bit;
            user = &m.fast_modems.v27ter_tx.get_bit_user_data;
            break;
        default:
            return;
    }
    // T.30 feeds the page modem from its own document; this modem feeds it the DTE's bits.
    const get_bit_func_t t30_bits = &t30_non_ecm_get_bit;
    if (*get != t30_bits) return;
    *get = &Class2Modem::PageBit;
    *user = this;
    if (*current == t30_bits) *current = &Class2Modem::PageBit;
}

void Class2Modem::ReportHangUp() {
    hang_up_report_due_ = false;
    Reply(Name("+FHNG", "+FHS") + ":" + HangUpText(hang_up_code_));
    if (result_pending_) {
        result_pending_ = false;
        Reply("OK");
    }
}

void Class2Modem::FinishPageIn(uint8_t end) {
    input_ = Input::kCommand;
    if (session_over_) {
        result_pending_ = true;
        ReportHangUp();
        return;
    }
    page_end_ = end;
    page_ready_ = true;
    // Six EOLs end the page on the line, unless the modem leaves that to the DTE.
    if (personality_.garbage_rtc) {
        // Short zero runs and stray ones: nothing a receiver can take for EOLs.
        for (uint8_t b : {0x55, 0x01, 0xAA, 0x80, 0x33, 0x10, 0xCC, 0x08, 0x55})
            page_in_.push_back(b);
    } else if (!personality_.no_rtc) {
        AppendRtc(page_in_);
    }
    post_page_ = end == ',' ? 0 : end == ';' ? 1 : end == '.' ? 2 : -1;
    // Class 2: OK comes once the page is out on the line; Class 2.0: once the remote
    // confirmed it.
    result_pending_ = true;
}

void Class2Modem::ServeFdr() {
    if (!fdr_outstanding_ || input_ != Input::kCommand) return;
    if (!received_.empty()) {
        Reply(std::string(fclass_ == "2.0" ? "+FCS" : "+FDCS") + ":" + Format(SessionParams()));
        Reply("CONNECT");
        input_ = Input::kWaitDc2;
        return;
    }
    if (session_over_) {
        Reply(Name("+FHNG", "+FHS") + ":" + HangUpText(hang_up_code_));
        fdr_outstanding_ = false;
        result_pending_ = false;
        Reply("OK");
    }
}

void Class2Modem::StartPageOut() {
    ReceivedPage& page = received_.front();
    page_out_.clear();
    PageBytes data = page.data;
    if (DteBitsReversed(true)) ReverseBitsInPlace(data);
    for (uint8_t b : data) {
        page_out_.push_back(b);
        if (b == kDle) page_out_.push_back(kDle);
    }
    page_out_.push_back(kDle);
    page_out_.push_back(kEtx);
    page_out_pos_ = 0;
    page_out_start_ms_ = WallMs();
    page_out_moving_ms_ = page_out_start_ms_;
    input_ = Input::kPageOut;
}

void Class2Modem::ServiceDte() {
    if (data_.TakeEscape(WallMs(), s_regs_[12] * 20LL)) Reply("OK");
    if (input_ == Input::kPageIn && settings_["FLO"] == "1") {
        const size_t buffered = BufferedPageBytes();
        const uint8_t code = !xoff_sent_ && buffered >= kTxHighTide ? kXoff
                             : xoff_sent_ && buffered < kTxLowTide  ? kXon
                                                                    : 0;
        if (code) {
            xoff_sent_ = code == kXoff;
            to_dte_(&code, 1);
        }
    }
    if (input_ != Input::kPageOut) return;
    // The page has come in whole by now, so it goes to the DTE as fast as the DTE takes it.
    // A modem gets it at line rate and holds 8 KB the DTE has not taken. The buffer has
    // overflowed when the DTE falls further behind the line rate than that, counted from DC2,
    // or takes nothing (the pseudo-terminal full) for as long as 8 KB take at line rate.
    const size_t backlog = dte_backlog_ ? dte_backlog_() : 0;
    const int64_t now = WallMs();
    const double arrived =
        std::min<double>(static_cast<double>(page_out_.size()),
                         static_cast<double>(now - page_out_start_ms_) * LineBytesPerMs());
    const double taken = static_cast<double>(page_out_pos_ - std::min(backlog, page_out_pos_));
    if (backlog < kRxChunkBytes) page_out_moving_ms_ = now;
    if (arrived - taken > kRxBufferBytes ||
        now - page_out_moving_ms_ > kRxBufferBytes / LineBytesPerMs()) {
        OverflowToDte();
        return;
    }
    if (backlog < kRxChunkBytes) {
        const size_t until = std::min(page_out_.size(), page_out_pos_ + kRxChunkBytes);
        if (until > page_out_pos_) {
            to_dte_(page_out_.data() + page_out_pos_, until - page_out_pos_);
            page_out_pos_ = until;
        }
    }
    if (page_out_pos_ < page_out_.size()) return;
    const ReceivedPage page = received_.front();
    received_.pop_front();
    input_ = Input::kCommand;
    // The modem's verdict stands unless the DTE sets another before its next +FDR.
    last_page_status_ = page.status;
    rx_page_status_ = page.status;
    if (fclass_ == "2.0")
        // With the line count, bad lines and longest run of bad lines, which receiving
        // programs check (mgetty rejects a page under 50 lines).
        Reply("+FPS:" + std::to_string(last_page_status_) + "," + std::to_string(page.rows) + "," +
              std::to_string(page.bad_rows) + "," + std::to_string(page.bad_run) + ",0");
    else
        Reply("+FPTS:" + std::to_string(last_page_status_));
    Reply("+FET:" + std::to_string(page.post_page));
    fdr_outstanding_ = false;
    result_pending_ = false;
    Reply("OK");
}

// The DTE stopped reading and the modem's buffer toward it is full: received data is lost,
// so the modem ends the page data, hangs up and reports code 93.
void Class2Modem::OverflowToDte() {
    ++overflows_;
    overflowed_ = true;
    const uint8_t end[] = {kDle, kEtx};
    to_dte_(end, sizeof end);
    input_ = Input::kCommand;
    received_.clear();
    page_out_.clear();
    page_out_pos_ = 0;
    hang_up_code_ = 93;
    abort_ = true;
    hang_up_requested_ = true;  // Transmit ends T.30 and the call, then answers +FDR
}

// ---------------------------------------------------------------------------------------
// The call

void Class2Modem::AnswerCall() {
    line_.Answer(this);
    call_ = Call::kConnected;
    calling_ = false;
    if (fclass_ == "0")
        StartDataCall();
    else
        StartT30(false);
}

void Class2Modem::StartT30(bool calling) {
    if (fax_) fax_free(fax_);
    fax_ = fax_init(nullptr, calling);
    fax_set_transmit_on_idle(fax_, 1);
    session_over_ = false;
    aborted_by_dte_ = false;
    overflowed_ = false;
    hang_up_report_due_ = false;
    con_reported_ = false;
    abort_ = false;
    hang_up_code_ = 0;
    remote_dis_len_ = remote_dcs_len_ = 0;
    page_ready_ = false;
    page_carrier_ = false;
    fdt_requested_ = false;
    dte_timed_out_ = false;
    local_dcs_len_ = 0;
    post_page_ = -1;
    last_page_ = false;
    pages_sent_ = 0;
    rx_pages_taken_ = 0;
    rx_verdict_ = 0;
    rx_dte_late_ = false;
    rx_last_page_ = false;
    rx_document_done_ = false;
    rx_page_refused_ = false;
    received_.clear();
    t30_state_t* t30 = fax_get_t30_state(fax_);
    t30_set_tx_ident(t30, local_id_.c_str());
    const int br = calling ? dis_[1] : dcc_[1];
    int modems = T30_SUPPORT_V27TER;
    if (br >= 3) modems |= T30_SUPPORT_V29;
    if (br >= 5) modems |= T30_SUPPORT_V17;
    t30_set_supported_modems(t30, modems);
    t30_set_ecm_capability(t30, 0);
    // Page data goes to the line as the DTE coded it: one-dimensional, as +FDIS offers it.
    // Received pages are re-coded for the DTE, so the line may bring two-dimensional ones.
    t30_set_supported_compressions(
        t30, calling ? T30_SUPPORT_T4_1D_COMPRESSION
                     : T30_SUPPORT_T4_1D_COMPRESSION | T30_SUPPORT_T4_2D_COMPRESSION);
    t30_set_supported_resolutions(t30,
                                  T30_SUPPORT_STANDARD_RESOLUTION | T30_SUPPORT_FINE_RESOLUTION);
    if (!calling) {
        rx_path_ = work_dir_ + "/received.tif";
        ::unlink(rx_path_.c_str());
        t30_set_rx_file(t30, rx_path_.c_str(), -1);
        t30_send_hdlc_ = t30->send_hdlc_handler;
        t30_send_hdlc_user_ = t30->send_hdlc_user_data;
        t30->send_hdlc_handler = &Class2Modem::SendHdlc;
        t30->send_hdlc_user_data = this;
    }
    t30_set_phase_b_handler(t30, &Class2Modem::PhaseB, this);
    t30_set_phase_d_handler(t30, &Class2Modem::PhaseD, this);
    t30_set_phase_e_handler(t30, &Class2Modem::PhaseE, this);
    t30_set_document_handler(t30, &Class2Modem::Document, this);
    t30_set_real_time_frame_handler(t30, &Class2Modem::Frame, this);
    const int level =
        verbose_ ? SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_TAG | SPAN_LOG_FLOW : SPAN_LOG_NONE;
    span_log_set_level(t30_get_logging_state(t30), level);
    span_log_set_tag(t30_get_logging_state(t30), "C2MODEM");
}

void Class2Modem::EndCall() {
    data_.End();
    if (in_t30_ > 0) {
        abort_ = true;
        hang_up_requested_ = true;
        return;
    }
    if (call_ != Call::kIdle) line_.HangUp(this);
    if (fax_ && !session_over_) {
        abort_ = true;
        t30_terminate(fax_get_t30_state(fax_));
    }
    call_ = Call::kIdle;
    calling_ = false;
    rings_ = 0;
    dial_deadline_ = -1;
    if (input_ != Input::kCommand) input_ = Input::kCommand;
}

void Class2Modem::DteHungUp() {
    if (call_ != Call::kIdle) EndCall();
    result_pending_ = false;
    fdr_outstanding_ = false;
    input_ = Input::kCommand;
    line_buf_.clear();
}

void Class2Modem::HangUpForDtr() {
    if (call_ == Call::kRinging) return;  // nothing to hang up: the DTE has not answered
    if (call_ != Call::kConnected || session_over_ || fax_ == nullptr) {
        // Dialling, or a call T.30 has already finished: just on hook, no result.
        DteHungUp();
        return;
    }
    // A call in progress ends as +FK/+FKS ends it: DCN, hang-up code 2 (call aborted by the
    // DTE), then OK for whatever command or page data was outstanding.
    input_ = Input::kCommand;
    line_buf_.clear();
    fdr_outstanding_ = false;
    aborted_by_dte_ = true;
    abort_ = true;
    hang_up_requested_ = true;
    result_pending_ = true;
}

// T.30 waits inside its callback while the line runs on (the pump runs it in real time): the
// modem is deaf and silent meanwhile, and the far end's timers keep running, so a DTE that
// takes too long loses the call as it would on a line.
bool Class2Modem::HoldForDte(const std::function<bool()>& done) {
    const int64_t start = WallMs();
    holding_ = true;
    heard_at_ = line_.now_samples();
    bool ok = true;
    // Once the DTE is ready, T.30 goes on when the far end is quiet (between its repeated
    // DIS), as a modem does not start to send over an incoming carrier.
    auto ready = [&] {
        if (!done()) return false;
        if (done_at_ < 0) done_at_ = line_.now_samples();
        return line_.now_samples() - heard_at_ >= MsToSamples(kQuietBeforeSendMs) ||
               line_.now_samples() - done_at_ >= MsToSamples(kQuietWaitLimitMs);
    };
    done_at_ = -1;
    while (!ready()) {
        if (abort_ || hang_up_requested_ || call_ == Call::kIdle ||
            WallMs() - start > kDteHoldLimitMs || !pump_) {
            ok = false;
            break;
        }
        pump_();
    }
    holding_ = false;
    return ok;
}

int Class2Modem::PhaseB(t30_state_s* s, void* user, int) {
    auto* self = static_cast<Class2Modem*>(user);
    if (!self->con_reported_) {
        self->Reply(self->Name("+FCON", "+FCO"));
        self->con_reported_ = true;
    }
    const char* remote = t30_get_rx_ident(s);
    const std::string id = remote ? remote : "";
    if (!self->calling_) {
        // The caller's DCS arrived: this completes ATA.
        self->Reply(self->Name("+FTSI", "+FTI") + ":\"" + id + "\"");
        self->Reply(self->Name("+FDCS", "+FCS") + ":" + Format(self->SessionParams()));
        if (self->result_pending_ && !self->fdr_outstanding_) {
            self->result_pending_ = false;
            self->Reply("OK");
        }
        return T30_ERR_OK;
    }
    if (self->pages_sent_ == 0) {
        // The remote's DIS answers ATD.
        self->Reply(self->Name("+FCSI", "+FCI") + ":\"" + id + "\"");
        self->Reply(self->Name("+FDIS", "+FIS") + ":" + Format(self->RemoteCapabilities()));
        if (self->result_pending_) {
            self->result_pending_ = false;
            self->Reply("OK");
        }
    }
    // T.30 waits here until the DTE asks for the page (+FDT): only then does the modem send
    // DCS with the parameters the DTE set. The far end meanwhile repeats its DIS and gives
    // up after its T1.
    if (!self->HoldForDte([self] { return self->fdt_requested_; })) return T30_ERR_CALLDROPPED;
    const std::string document =
        self->work_dir_ + "/document" + std::to_string(++self->pages_sent_) + ".tif";
    const int width = self->dis_[2] == 1 ? 2048 : self->dis_[2] == 2 ? 2432 : 1728;
    // DCS asks for fine only where both the DTE and the remote want it; +FDCS tells the DTE.
    const bool remote_fine = self->remote_dis_len_ < 5 || (self->remote_dis_[4] & kFineBit);
    if (!WriteBlankDocument(kDocumentPages, self->dis_[0] == 1 && remote_fine, width, document))
        return T30_ERR_FILEERROR;
    self->page_carrier_ = false;
    t30_set_tx_file(s, document.c_str(), -1, -1);
    return T30_ERR_OK;
}

int Class2Modem::Document(t30_state_s*, void* user, int) {
    // Asked once the DTE's page is out and no MPS follows: EOM for +FET=1 (DLE ;).
    return static_cast<Class2Modem*>(user)->post_page_ == 1 ? 1 : 0;
}

int Class2Modem::PhaseD(t30_state_s* s, void* user, int result) {
    auto* self = static_cast<Class2Modem*>(user);
    if (!self->calling_) {
        self->PageReceived(s, result);
        return T30_ERR_OK;
    }
    int status = 0;
    switch (result) {
        case T30_MCF:
            status = 1;
            break;
        case T30_RTN:
            status = 2;
            break;
        case T30_RTP:
            status = 3;
            break;
        case T30_PIN:
            status = 4;
            break;
        case T30_PIP:
            status = 5;
            break;
        default:
            return T30_ERR_OK;
    }
    self->last_page_status_ = status;
    if (self->fclass_ != "2.0") self->Reply("+FPTS:" + std::to_string(status));
    if (self->last_page_ && (status == 1 || status == 3)) return T30_ERR_OK;  // OK after +FHNG
    self->result_pending_ = false;
    if (self->fclass_ == "2.0")
        self->Reply(status == 1 || status == 3 ? "OK" : "ERROR");
    else
        self->Reply("OK");
    return T30_ERR_OK;
}

void Class2Modem::PhaseE(t30_state_s*, void* user, int result) {
    auto* self = static_cast<Class2Modem*>(user);
    self->session_over_ = true;
    // After the last page was confirmed T.30 waits for a next page (see ReceiveHdlc): the
    // sender's DCN, or its silence, ends the document normally.
    const bool done =
        self->rx_document_done_ && (result == T30_ERR_RX_DCNDATA || result == T30_ERR_RX_T2EXPFAX);
    // A DCN where the page should have come again after RTN ends phase D.
    const bool refused = self->rx_page_refused_ && result == T30_ERR_RX_DCNDATA;
    self->hang_up_code_ = self->overflowed_ ? 93
                          : self->abort_    ? 2
                          : done            ? 0
                          : refused         ? 100
                                            : self->HangUpCode(result);
    // The DTE gave no post-page command in time: the modem ended the document itself.
    if (self->dte_timed_out_ && self->hang_up_code_ == 0) self->hang_up_code_ = 50;
    // The receiving DTE never asked for the next page: an unspecified receive phase D error.
    if (self->rx_dte_late_ && !self->overflowed_ && !self->abort_) self->hang_up_code_ = 100;
    self->hang_up_requested_ = true;
    if (self->aborted_by_dte_ && self->result_pending_) {
        self->ReportHangUp();  // answers +FK/+FKS
        return;
    }
    // A DTE in the middle of a page hears of it once the page data has ended, as from a
    // modem that buffers the page.
    // A DTE between commands hears of it with its next command.
    if (self->calling_ && self->input_ != Input::kPageIn && self->result_pending_)
        self->ReportHangUp();
    else if (self->calling_)
        self->hang_up_report_due_ = true;
    else if (self->result_pending_ && !self->fdr_outstanding_)
        self->ReportHangUp();  // ATA that never got as far as the caller's DCS
}

void Class2Modem::Frame(t30_state_s*, void* user, int incoming, const uint8_t* msg, int len) {
    auto* self = static_cast<Class2Modem*>(user);
    if (len < 3) return;
    const uint8_t fcf = msg[2] & 0xFE;
    const int n = std::min<int>(len, 32);
    if (!incoming) {
        if (fcf == T30_DCS) {
            // Training follows; page data only after the remote's CFR.
            self->page_carrier_ = false;
            std::copy(msg, msg + n, self->local_dcs_.begin());
            self->local_dcs_len_ = n;
        }
        return;
    }
    if (self->calling_) {
        // The next high-speed carrier carries a page: after CFR, and after MCF or RTP to MPS.
        if (fcf == T30_CFR || ((fcf == T30_MCF || fcf == T30_RTP) && self->post_page_ == 0)) {
            self->page_carrier_ = true;
            if (self->fdt_requested_) self->StartPageIn();
        }
    }
    if (fcf == T30_DIS) {
        std::copy(msg, msg + n, self->remote_dis_.begin());
        self->remote_dis_len_ = n;
    } else if (fcf == T30_DCS) {
        std::copy(msg, msg + n, self->remote_dcs_.begin());
        self->remote_dcs_len_ = n;
    }
}

// The sender's post-page message has arrived and T.30 has judged the page (it answers once
// this returns). The page goes to the DTE, and T.30 waits, deaf, until the DTE has had it and
// asks for the next one with AT+FDR: the response then follows the DTE's +FPTS. Meanwhile
// the sender repeats its post-page message every T4 and gives up after its third.
void Class2Modem::PageReceived(t30_state_s* t30, int post_page_fcf) {
    ReceivedPage page;
    page.post_page = rx_last_page_ ? 2 : post_page_fcf == T30_MPS ? 0 : 1;
    // The modem's copy-quality check, by T.30's own measure: under 5 % bad rows is good,
    // under 15 % tolerable (RTP), more (or no rows at all) bad.
    t30_stats_t stats;
    t30_get_transfer_statistics(t30, &stats);
    page.status = stats.length > 0 && stats.bad_rows * 20 < stats.length       ? 1
                  : stats.length > 0 && stats.bad_rows * 20 < stats.length * 3 ? 3
                                                                               : 2;
    page.rows = stats.length;
    page.bad_rows = stats.bad_rows;
    page.bad_run = stats.longest_bad_row_run;
    // T.30 throws a bad page away; the DTE gets what arrived all the same.
    if (TiffPageCount(rx_path_) <= rx_pages_taken_) t4_rx_end_page(&t30->t4.rx);
    const int pages = TiffPageCount(rx_path_);
    if (pages > rx_pages_taken_) {
        if (!ReadPageAsT4(rx_path_, pages - 1, page.data)) page.status = 2;
        rx_pages_taken_ = pages;
    } else {
        page.status = 2;
    }
    // The coder pads its last byte with ones, which a DTE that counts RTC's EOLs reads as a
    // broken line after the fourth; a clean RTC ends the page as the sender's did.
    while (!page.data.empty() && page.data.back() == 0xFF) page.data.pop_back();
    AppendRtc(page.data);
    received_.push_back(std::move(page));
    ServeFdr();
    rx_verdict_ = 0;
    const bool asked = HoldForDte(
        [this] { return received_.empty() && input_ == Input::kCommand && fdr_outstanding_; });
    if (asked) {
        rx_verdict_ = rx_page_status_;
    } else if (!abort_) {
        // The DTE never asked for the next page: the sender has given up on the page, or the
        // modem does so itself; either way the call is lost in receive phase D.
        rx_dte_late_ = true;
        hang_up_requested_ = true;
    }
}

// The receiver's page response on its way to the line carries the DTE's verdict in place of
// T.30's own, and T.30 keeps that verdict for any repeat the sender asks for.
void Class2Modem::SendHdlc(void* user, const uint8_t* msg, int len) {
    auto* self = static_cast<Class2Modem*>(user);
    const uint8_t fcf = msg && len == 3 ? msg[2] & 0xFE : 0;
    const bool response = fcf == T30_MCF || fcf == T30_RTN || fcf == T30_RTP;
    if (!response) {
        self->t30_send_hdlc_(self->t30_send_hdlc_user_, msg, len);
        return;
    }
    static constexpr uint8_t kVerdicts[] = {T30_MCF, T30_RTN, T30_RTP, T30_PIN, T30_PIP};
    const uint8_t verdict =
        self->rx_verdict_ > 0 ? kVerdicts[std::clamp(self->rx_verdict_, 1, 5) - 1] : fcf;
    self->rx_verdict_ = 0;
    self->rx_document_done_ = self->rx_last_page_ && (verdict == T30_MCF || verdict == T30_RTP);
    self->rx_page_refused_ = verdict == T30_RTN;
    fax_get_t30_state(self->fax_)->last_rx_page_result = verdict;
    const uint8_t frame[3] = {msg[0], msg[1], static_cast<uint8_t>(verdict | (msg[2] & 0x01))};
    self->t30_send_hdlc_(self->t30_send_hdlc_user_, frame, 3);
}

// Frames from the line on their way to T.30. spandsp's receiver closes its document on EOP
// and cannot take the page again after an RTN to it, so T.30 is told MPS instead; the modem
// knows the page was the last, reports +FET:2 and ends the call normally on the sender's DCN.
void Class2Modem::ReceiveHdlc(void* user, const uint8_t* msg, int len, int ok) {
    auto* self = static_cast<Class2Modem*>(user);
    t30_state_t* t30 = fax_get_t30_state(self->fax_);
    const uint8_t fcf = msg && len == 3 && ok ? msg[2] & 0xFE : 0;
    if (fcf == T30_MPS || fcf == T30_EOM || fcf == T30_EOS) self->rx_last_page_ = false;
    if (fcf != T30_EOP) {
        t30_hdlc_accept(t30, msg, len, ok);
        return;
    }
    self->rx_last_page_ = true;
    const uint8_t frame[3] = {msg[0], msg[1], static_cast<uint8_t>(T30_MPS | (msg[2] & 0x01))};
    t30_hdlc_accept(t30, frame, 3, ok);
}

int Class2Modem::HangUpCode(int t30_code) const {
    // A modem that never made out a frame of the other machine (its DIS, or the caller's DCS)
    // ends by T1 whichever way the call was lost: a far end that hung up first (spandsp's
    // machine gives up after three DIS) is silence to it until T1 runs out.
    const bool far_end_heard = calling_ ? remote_dis_len_ > 0 : remote_dcs_len_ > 0;
    if (!far_end_heard && (t30_code == T30_ERR_CALLDROPPED || t30_code == T30_ERR_RETRYDCN))
        return 11;
    switch (t30_code) {
        case T30_ERR_OK:
            return 0;
        case T30_ERR_T0_EXPIRED:
        case T30_ERR_T1_EXPIRED:
            return 11;
        case T30_ERR_CANNOT_TRAIN:
            return 27;
        case T30_ERR_INCOMPATIBLE:
        case T30_ERR_RX_INCAPABLE:
        case T30_ERR_TX_INCAPABLE:
        case T30_ERR_NORESSUPPORT:
        case T30_ERR_NOSIZESUPPORT:
            return 21;
        case T30_ERR_TX_PHBDEAD:
            return 25;
        case T30_ERR_TX_PHDDEAD:
            return post_page_ == 2 ? 54 : post_page_ == 1 ? 56 : 52;
        // DCN where the modem expected CFR or DIS: an invalid command in phase B.
        case T30_ERR_TX_BADDCS:
        case T30_ERR_TX_GOTDCN:
        case T30_ERR_TX_NODIS:
            return 23;
        // DCN or another frame where the answer to MPS, EOP or EOM belonged (spandsp names a
        // DCN after MPS as a receiver's error).
        case T30_ERR_TX_BADPG:
        case T30_ERR_TX_INVALRSP:
            return post_page_ == 2 ? 55 : post_page_ == 1 ? 57 : 53;
        case T30_ERR_RX_DCNWHY:
        case T30_ERR_RX_T2EXP:
            return 70;
        case T30_ERR_RX_T2EXPFAX:
        case T30_ERR_RX_T2EXPMPS:
            return 73;
        case T30_ERR_RX_DCNDATA:
        case T30_ERR_RX_NOCARRIER:
        case T30_ERR_RX_NOFAX:
            return 90;
        case T30_ERR_RX_NOEOL:
            return 91;
        case T30_ERR_RX_DCNFAX:
        case T30_ERR_RX_DCNPHD:
        case T30_ERR_RX_INVALCMD:
            if (calling_) return post_page_ == 2 ? 55 : post_page_ == 1 ? 57 : 53;
            return 100;
        default:
            return calling_ ? 50 : 100;
    }
}

std::string Class2Modem::HangUpText(int code) const {
    if (fclass_ != "2.0") return std::to_string(code);
    char text[4];
    std::snprintf(text, sizeof text, "%02X", (code / 10) * 16 + code % 10);
    return text;
}

Class2Modem::Params Class2Modem::RemoteCapabilities() const {
    Params p{0, 0, 0, 2, 0, 0, 0, 0};
    if (remote_dis_len_ >= 5) {
        p[0] = (remote_dis_[4] & kFineBit) ? 1 : 0;
        p[1] = BestRateCodeFromDis(remote_dis_[4]);
    }
    if (remote_dis_len_ >= 6) {
        const int width_bits = remote_dis_[5] & 0x03;  // 0: 1728, 1: up to 2048, 2: up to 2432
        p[2] = width_bits == 1 ? 1 : width_bits == 2 ? 2 : 0;
    }
    return p;
}

int Class2Modem::PredictedRateCode() const {
    if (!calling_ && remote_dcs_len_ >= 5) return RateCodeFromDcs(remote_dcs_[4]);
    const int local = std::clamp(calling_ ? dis_[1] : dcc_[1], 0, 5);
    const int remote = remote_dis_len_ >= 5 ? BestRateCodeFromDis(remote_dis_[4]) : local;
    // spandsp offers V.27ter, V.29 and V.17 only at their top rates.
    int code = std::min(local, remote);
    if (code == 4) code = 3;
    if (code == 2) code = 1;
    return code;
}

Class2Modem::Params Class2Modem::SessionParams() const {
    Params p = calling_ ? dis_ : dcc_;
    if (!calling_ && remote_dcs_len_ >= 5) p[0] = (remote_dcs_[4] & kFineBit) ? 1 : 0;
    p[1] = PredictedRateCode();
    if (calling_ && local_dcs_len_ >= 5) {
        // What the modem sent in DCS (after any step down the training forced).
        p[0] = (local_dcs_[4] & kFineBit) ? 1 : 0;
        p[1] = RateCodeFromDcs(local_dcs_[4]);
    }
    p[3] = 2;
    p[4] = 0;
    p[5] = 0;
    p[6] = 0;
    p[7] = 0;
    return p;
}

// ---------------------------------------------------------------------------------------
// The line

void Class2Modem::Transmit(int16_t* amp, int len) {
    if (holding_) {
        std::fill(amp, amp + len, 0);
        return;
    }
    int produced = 0;
    if (fax_ && !session_over_) {
        ++in_t30_;
        produced = fax_tx(fax_, amp, len);
        --in_t30_;
    }
    std::fill(amp + produced, amp + len, 0);
    if (session_over_ && input_ == Input::kPageIn) {
        // A dead line the modem has not noticed: the page still drains at line rate and the
        // hang-up is reported once it has ended.
        const size_t block_bytes = kRates[std::clamp(SessionParams()[1], 0, 5)] * kBlockMs / 8000;
        page_pos_ = std::min(page_in_.size(), page_pos_ + block_bytes);
    }
    HookPageBits();
    if (hang_up_requested_) {
        hang_up_requested_ = false;
        if (fax_ && !session_over_) t30_terminate(fax_get_t30_state(fax_));
        if (call_ != Call::kIdle) line_.HangUp(this);
        call_ = Call::kIdle;
        rings_ = 0;
        ServeFdr();
    }
}

void Class2Modem::Receive(int16_t* amp, int len) {
    if (data_.active()) {
        DataCallAudio(amp, len);
        return;
    }
    if (holding_) {
        int64_t energy = 0;
        for (int i = 0; i < len; ++i) energy += std::abs(int(amp[i]));
        if (energy / len > kCarrierLevel) heard_at_ = line_.now_samples();
        return;
    }
    if (fax_ && !session_over_) {
        // spandsp sets up its frame receiver anew for each V.21 reception.
        hdlc_rx_state_t& frames = fax_->modems.hdlc_rx;
        if (!calling_ && frames.frame_handler == &t30_hdlc_accept) {
            frames.frame_handler = &Class2Modem::ReceiveHdlc;
            frames.frame_user_data = this;
        }
        ++in_t30_;
        fax_rx(fax_, amp, len);
        --in_t30_;
        HookTrainingCheck(fax_);
    }
    if (call_ == Call::kDialling && dial_deadline_ >= 0 && line_.now_samples() >= dial_deadline_) {
        EndCall();
        result_pending_ = false;
        // Waiting for a quiet answer ('@'), ringing that never stopped is NO ANSWER under X3
        // and X4; otherwise S7 ran out without a carrier.
        Reply(quiet_answer_ && result_level_ >= 3 ? "NO ANSWER" : "NO CARRIER");
    }
}

void Class2Modem::OnLineEvent(LineEvent event) {
    switch (event) {
        case LineEvent::kRing:
            if (call_ == Call::kIdle) call_ = Call::kRinging;
            if (call_ != Call::kRinging) return;
            Reply("RING");
            if (s_regs_[0] > 0 && ++rings_ >= s_regs_[0] && AutoAnswerAllowed()) {
                AnswerCall();
                result_pending_ = true;
            }
            return;
        case LineEvent::kAnswered:
            if (call_ != Call::kDialling) return;
            call_ = Call::kConnected;
            if (fclass_ == "0")
                StartDataCall();
            else
                StartT30(true);
            dial_deadline_ = -1;
            return;
        case LineEvent::kBusy:
            if (call_ != Call::kDialling) return;
            EndCall();
            result_pending_ = false;
            // Below X3 a modem does not tell busy tone from a failed call.
            Reply(result_level_ >= 3 ? "BUSY" : "NO CARRIER");
            return;
        case LineEvent::kNoDialTone:
            // X2 and X4 wait for dial tone; X0, X1 and X3 dial blind and meet no answer.
            if (call_ != Call::kDialling || (result_level_ != 2 && result_level_ != 4)) return;
            EndCall();
            result_pending_ = false;
            Reply("NO DIALTONE");
            return;
        case LineEvent::kFarEndHungUp:
            if (data_.active()) {
                EndDataCall();
                return;
            }
            if (in_t30_ > 0) {
                // T.30 is waiting for the DTE inside a callback: end the wait, not T.30.
                call_ = Call::kIdle;
                rings_ = 0;
                hang_up_requested_ = true;
                return;
            }
            if (fax_ && !session_over_) {
                abort_ = false;
                ++in_t30_;
                t30_terminate(fax_get_t30_state(fax_));
                --in_t30_;
            }
            if (call_ != Call::kIdle) {
                call_ = Call::kIdle;
                rings_ = 0;
                ServeFdr();
            }
            return;
    }
}

bool Class2Modem::WaitsForDte() const {
    // T.30 runs in the modem; where it waits for the DTE (+FDT) the line runs in real time
    // under the session's pump. A sending DTE between commands and an unanswered ring run in
    // real time too, so that events on the line keep their place relative to the DTE's steps.
    if (call_ == Call::kRinging) return s_regs_[0] == 0;
    if (data_.active()) return false;
    if (holding_) return true;
    if (call_ != Call::kConnected || !calling_ || session_over_) return false;
    if (input_ == Input::kPageIn) return BufferedPageBytes() < kTxLowTide;
    return input_ == Input::kCommand && !result_pending_;
}

bool Class2Modem::InPageData() const {
    return input_ == Input::kPageIn || page_ready_;
}

bool Class2Modem::IdleOnHook() const {
    return call_ == Call::kIdle && input_ == Input::kCommand && !result_pending_;
}

bool Class2Modem::CarriesPageData() const {
    if (!fax_ || session_over_) return false;
    const fax_modems_state_t& m = fax_->modems;
    return IsT30PageModem(m.current_tx_type) || (IsT30PageModem(m.current_rx_type) && m.rx_trained);
}

// ---------------------------------------------------------------------------------------
// Data calls (class 0): no T.30, only a carrier to wait for and data that goes nowhere.

void Class2Modem::StartDataCall() {
    constexpr int kDefaultS7Seconds = 60;
    const int s7 = s_regs_[7] > 0 ? s_regs_[7] : kDefaultS7Seconds;
    // A dialled call keeps what is left of its S7 wait; an answered one starts its own.
    data_.Start(dial_deadline_ >= 0 ? dial_deadline_
                                    : line_.now_samples() + MsToSamples(s7 * 1000LL));
}

bool Class2Modem::DataCallByte(uint8_t c) {
    switch (data_.state()) {
        case DataCall::State::kNone:
        case DataCall::State::kEscaped:
            return false;
        case DataCall::State::kWaitingForCarrier:
            EndDataCall();  // any byte gives the call up
            return true;
        case DataCall::State::kOnline:
            data_.FromDte(&c, 1, WallMs(), static_cast<uint8_t>(s_regs_[2]), s_regs_[12] * 20LL);
            return true;
    }
    return false;
}

void Class2Modem::DataCallAudio(const int16_t* amp, int len) {
    switch (data_.Receive(amp, len, line_.now_samples())) {
        case DataCall::Event::kCarrierFound:
            result_pending_ = false;
            Reply(DataCall::ConnectText(result_level_));
            break;
        case DataCall::Event::kCarrierLost:
        case DataCall::Event::kGaveUp:
            EndDataCall();
            break;
        case DataCall::Event::kNone:
            break;
    }
}

bool Class2Modem::EscapeDataCall() {
    if (!data_.Escape()) return false;
    Reply("OK");
    return true;
}

void Class2Modem::EndDataCall() {
    EndCall();
    result_pending_ = false;
    Reply("NO CARRIER");
}

}  // namespace corvane::faxline
