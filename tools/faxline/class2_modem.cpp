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

Class2Modem::Class2Modem(TelephoneLine& line, DteWriter toDte, bool verbose, std::string classes)
    : line_(line), toDte_(std::move(toDte)), verbose_(verbose), classes_(std::move(classes)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "faxline-XXXXXX").string();
    if (mkdtemp(pattern.data())) workDir_ = pattern;
    ResetProfile();
}

Class2Modem::~Class2Modem() {
    if (fax_) fax_free(fax_);
    std::error_code ignored;
    if (!workDir_.empty()) std::filesystem::remove_all(workDir_, ignored);
}

// Page data from the DTE is taken in line order (first bit in the lowest bit of each byte).
// Class 2 modems hand received pages to the DTE with the bits of each byte reversed, which
// fax programs for Class 2 expect; Class 2.0 keeps line order both ways. +FBOR/+FBO bit 0
// flips the bit order of page data. A modem with the bit order fault hands received pages
// over the other way round.
bool Class2Modem::DteBitsReversed(bool toDte) const {
    const bool class20 = fclass_ == "2.0";
    bool reversed = toDte && !class20;
    if (toDte && (class20 ? personality_.fboInverted : personality_.class2MsbFirst))
        reversed = !reversed;
    return reversed != ((bitOrder_ & 1) != 0);
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
            case Input::PageIn: {
                const size_t n = TakePageData(data + taken, len - taken);
                if (n == 0) return taken;  // paced: the DTE waits
                taken += n;
                break;
            }
            case Input::WaitDc2:
                // Only DC2 releases the page (only XON, for a modem with that fault).
                if (data[taken] == (personality_.xonOnly ? kXon : kDc2)) StartPageOut();
                ++taken;
                break;
            case Input::PageOut:
                ++taken;  // flow control bytes and stray input while the page goes out
                break;
            case Input::Command:
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
    pageIn_.push_back(c);
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
    return pageIn_.size() - pagePos_;
}

void Class2Modem::StartPageIn() {
    fdtRequested_ = false;
    resultPending_ = false;
    Reply(Name("+FDCS", "+FCS") + ":" + Format(SessionParams()));
    Reply("CONNECT");
    const uint8_t xon = kXon;
    if (!personality_.noXonAfterFdt) toDte_(&xon, 1);
    xoffSent_ = false;
    input_ = Input::PageIn;
    pageIn_.clear();
    pagePos_ = 0;
    bitPos_ = 8;
    dle_ = false;
    pageReady_ = false;
    pageOnLine_ = false;
    pageDataStarted_ = false;
    starved_ = false;
}

int Class2Modem::PageBit(void* user) {
    return static_cast<Class2Modem*>(user)->NextPageBit();
}

// The page goes to the line bit by bit as the DTE wrote it. When the buffer runs dry the
// modem sends zero bits, which are fill only between coded lines: an under-run in the
// middle of a line damages it, as it does on a hardware modem.
int Class2Modem::NextPageBit() {
    if (bitPos_ < 8) return (pageByte_ >> bitPos_++) & 1;
    if (pagePos_ < pageIn_.size()) {
        pageByte_ = pageIn_[pagePos_++];
        bitPos_ = 0;
        pageDataStarted_ = true;
        starved_ = false;
        return (pageByte_ >> bitPos_++) & 1;
    }
    if (!pageReady_) {
        if (pageDataStarted_ && !starved_) ++underruns_;
        starved_ = true;
        return 0;
    }
    const int64_t now = line_.nowSamples();
    if (!pageOnLine_) {
        pageOnLine_ = true;
        const int phcto = std::atoi(settings_["FPHCTO"].c_str());
        postPageDeadline_ = now + MsToSamples(phcto * 100LL);
        if (pageEnd_ == kEtx) {
            // Class 2: the page is out; the DTE says with AT+FET what follows.
            resultPending_ = false;
            Reply("OK");
        }
    }
    if (postPage_ < 0) {
        if (now < postPageDeadline_) return 0;  // fill while the DTE decides
        // The DTE let +FPHCTO pass: the modem ends the document and hangs up.
        postPage_ = 2;
        dteTimedOut_ = true;
    }
    t30_state_t* t30 = fax_get_t30_state(fax_);
    // T.30 asks its document whether more pages follow; only MPS continues it.
    if (postPage_ != 0) t30->t4.tx.tiff.stop_page = t30->t4.tx.current_page;
    lastPage_ = postPage_ == 2;
    pageReady_ = false;
    pageCarrier_ = false;
    pageIn_.clear();
    pagePos_ = 0;
    return SIG_STATUS_END_OF_DATA;
}

void Class2Modem::HookPageBits() {
    if (!fax_ || sessionOver_ || !pageCarrier_) return;
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
    const get_bit_func_t t30Bits = &t30_non_ecm_get_bit;
    if (*get != t30Bits) return;
    *get = &Class2Modem::PageBit;
    *user = this;
    if (*current == t30Bits) *current = &Class2Modem::PageBit;
}

void Class2Modem::ReportHangUp() {
    hangUpReportDue_ = false;
    Reply(Name("+FHNG", "+FHS") + ":" + HangUpText(hangUpCode_));
    if (resultPending_) {
        resultPending_ = false;
        Reply("OK");
    }
}

void Class2Modem::FinishPageIn(uint8_t end) {
    input_ = Input::Command;
    if (sessionOver_) {
        resultPending_ = true;
        ReportHangUp();
        return;
    }
    pageEnd_ = end;
    pageReady_ = true;
    // Six EOLs end the page on the line, unless the modem leaves that to the DTE.
    if (personality_.garbageRtc) {
        // Short zero runs and stray ones: nothing a receiver can take for EOLs.
        for (uint8_t b : {0x55, 0x01, 0xAA, 0x80, 0x33, 0x10, 0xCC, 0x08, 0x55})
            pageIn_.push_back(b);
    } else if (!personality_.noRtc) {
        AppendRtc(pageIn_);
    }
    postPage_ = end == ',' ? 0 : end == ';' ? 1 : end == '.' ? 2 : -1;
    // Class 2: OK comes once the page is out on the line; Class 2.0: once the remote
    // confirmed it.
    resultPending_ = true;
}

void Class2Modem::ServeFdr() {
    if (!fdrOutstanding_ || input_ != Input::Command) return;
    if (!received_.empty()) {
        Reply(std::string(fclass_ == "2.0" ? "+FCS" : "+FDCS") + ":" + Format(SessionParams()));
        Reply("CONNECT");
        input_ = Input::WaitDc2;
        return;
    }
    if (sessionOver_) {
        Reply(Name("+FHNG", "+FHS") + ":" + HangUpText(hangUpCode_));
        fdrOutstanding_ = false;
        resultPending_ = false;
        Reply("OK");
    }
}

void Class2Modem::StartPageOut() {
    ReceivedPage& page = received_.front();
    pageOut_.clear();
    PageBytes data = page.data;
    if (DteBitsReversed(true)) ReverseBitsInPlace(data);
    for (uint8_t b : data) {
        pageOut_.push_back(b);
        if (b == kDle) pageOut_.push_back(kDle);
    }
    pageOut_.push_back(kDle);
    pageOut_.push_back(kEtx);
    pageOutPos_ = 0;
    pageOutStartMs_ = WallMs();
    pageOutMovingMs_ = pageOutStartMs_;
    input_ = Input::PageOut;
}

void Class2Modem::ServiceDte() {
    if (data_.TakeEscape(WallMs(), sRegs_[12] * 20LL)) Reply("OK");
    if (input_ == Input::PageIn && settings_["FLO"] == "1") {
        const size_t buffered = BufferedPageBytes();
        const uint8_t code = !xoffSent_ && buffered >= kTxHighTide ? kXoff
                             : xoffSent_ && buffered < kTxLowTide  ? kXon
                                                                   : 0;
        if (code) {
            xoffSent_ = code == kXoff;
            toDte_(&code, 1);
        }
    }
    if (input_ != Input::PageOut) return;
    // The page has come in whole by now, so it goes to the DTE as fast as the DTE takes it.
    // A modem gets it at line rate and holds 8 KB the DTE has not taken. The buffer has
    // overflowed when the DTE falls further behind the line rate than that, counted from DC2,
    // or takes nothing (the pseudo-terminal full) for as long as 8 KB take at line rate.
    const size_t backlog = dteBacklog_ ? dteBacklog_() : 0;
    const int64_t now = WallMs();
    const double arrived =
        std::min<double>(static_cast<double>(pageOut_.size()),
                         static_cast<double>(now - pageOutStartMs_) * LineBytesPerMs());
    const double taken = static_cast<double>(pageOutPos_ - std::min(backlog, pageOutPos_));
    if (backlog < kRxChunkBytes) pageOutMovingMs_ = now;
    if (arrived - taken > kRxBufferBytes ||
        now - pageOutMovingMs_ > kRxBufferBytes / LineBytesPerMs()) {
        OverflowToDte();
        return;
    }
    if (backlog < kRxChunkBytes) {
        const size_t until = std::min(pageOut_.size(), pageOutPos_ + kRxChunkBytes);
        if (until > pageOutPos_) {
            toDte_(pageOut_.data() + pageOutPos_, until - pageOutPos_);
            pageOutPos_ = until;
        }
    }
    if (pageOutPos_ < pageOut_.size()) return;
    const ReceivedPage page = received_.front();
    received_.pop_front();
    input_ = Input::Command;
    // The modem's verdict stands unless the DTE sets another before its next +FDR.
    lastPageStatus_ = page.status;
    rxPageStatus_ = page.status;
    if (fclass_ == "2.0")
        // With the line count, bad lines and longest run of bad lines, which receiving
        // programs check (mgetty rejects a page under 50 lines).
        Reply("+FPS:" + std::to_string(lastPageStatus_) + "," + std::to_string(page.rows) + "," +
              std::to_string(page.badRows) + "," + std::to_string(page.badRun) + ",0");
    else
        Reply("+FPTS:" + std::to_string(lastPageStatus_));
    Reply("+FET:" + std::to_string(page.postPage));
    fdrOutstanding_ = false;
    resultPending_ = false;
    Reply("OK");
}

// The DTE stopped reading and the modem's buffer toward it is full: received data is lost,
// so the modem ends the page data, hangs up and reports code 93.
void Class2Modem::OverflowToDte() {
    ++overflows_;
    overflowed_ = true;
    const uint8_t end[] = {kDle, kEtx};
    toDte_(end, sizeof end);
    input_ = Input::Command;
    received_.clear();
    pageOut_.clear();
    pageOutPos_ = 0;
    hangUpCode_ = 93;
    abort_ = true;
    hangUpRequested_ = true;  // Transmit ends T.30 and the call, then answers +FDR
}

// ---------------------------------------------------------------------------------------
// The call

void Class2Modem::AnswerCall() {
    line_.Answer(this);
    call_ = Call::Connected;
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
    sessionOver_ = false;
    abortedByDte_ = false;
    overflowed_ = false;
    hangUpReportDue_ = false;
    conReported_ = false;
    abort_ = false;
    hangUpCode_ = 0;
    remoteDisLen_ = remoteDcsLen_ = 0;
    pageReady_ = false;
    pageCarrier_ = false;
    fdtRequested_ = false;
    dteTimedOut_ = false;
    localDcsLen_ = 0;
    postPage_ = -1;
    lastPage_ = false;
    pagesSent_ = 0;
    rxPagesTaken_ = 0;
    rxVerdict_ = 0;
    rxDteLate_ = false;
    rxLastPage_ = false;
    rxDocumentDone_ = false;
    rxPageRefused_ = false;
    received_.clear();
    t30_state_t* t30 = fax_get_t30_state(fax_);
    t30_set_tx_ident(t30, localId_.c_str());
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
        rxPath_ = workDir_ + "/received.tif";
        ::unlink(rxPath_.c_str());
        t30_set_rx_file(t30, rxPath_.c_str(), -1);
        t30SendHdlc_ = t30->send_hdlc_handler;
        t30SendHdlcUser_ = t30->send_hdlc_user_data;
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
    if (inT30_ > 0) {
        abort_ = true;
        hangUpRequested_ = true;
        return;
    }
    if (call_ != Call::Idle) line_.HangUp(this);
    if (fax_ && !sessionOver_) {
        abort_ = true;
        t30_terminate(fax_get_t30_state(fax_));
    }
    call_ = Call::Idle;
    calling_ = false;
    rings_ = 0;
    dialDeadline_ = -1;
    if (input_ != Input::Command) input_ = Input::Command;
}

void Class2Modem::DteHungUp() {
    if (call_ != Call::Idle) EndCall();
    resultPending_ = false;
    fdrOutstanding_ = false;
    input_ = Input::Command;
    lineBuf_.clear();
}

void Class2Modem::HangUpForDtr() {
    if (call_ == Call::Ringing) return;  // nothing to hang up: the DTE has not answered
    if (call_ != Call::Connected || sessionOver_ || fax_ == nullptr) {
        // Dialling, or a call T.30 has already finished: just on hook, no result.
        DteHungUp();
        return;
    }
    // A call in progress ends as +FK/+FKS ends it: DCN, hang-up code 2 (call aborted by the
    // DTE), then OK for whatever command or page data was outstanding.
    input_ = Input::Command;
    lineBuf_.clear();
    fdrOutstanding_ = false;
    abortedByDte_ = true;
    abort_ = true;
    hangUpRequested_ = true;
    resultPending_ = true;
}

// T.30 waits inside its callback while the line runs on (the pump runs it in real time): the
// modem is deaf and silent meanwhile, and the far end's timers keep running, so a DTE that
// takes too long loses the call as it would on a line.
bool Class2Modem::HoldForDte(const std::function<bool()>& done) {
    const int64_t start = WallMs();
    holding_ = true;
    heardAt_ = line_.nowSamples();
    bool ok = true;
    // Once the DTE is ready, T.30 goes on when the far end is quiet (between its repeated
    // DIS), as a modem does not start to send over an incoming carrier.
    auto ready = [&] {
        if (!done()) return false;
        if (doneAt_ < 0) doneAt_ = line_.nowSamples();
        return line_.nowSamples() - heardAt_ >= MsToSamples(kQuietBeforeSendMs) ||
               line_.nowSamples() - doneAt_ >= MsToSamples(kQuietWaitLimitMs);
    };
    doneAt_ = -1;
    while (!ready()) {
        if (abort_ || hangUpRequested_ || call_ == Call::Idle ||
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
    if (!self->conReported_) {
        self->Reply(self->Name("+FCON", "+FCO"));
        self->conReported_ = true;
    }
    const char* remote = t30_get_rx_ident(s);
    const std::string id = remote ? remote : "";
    if (!self->calling_) {
        // The caller's DCS arrived: this completes ATA.
        self->Reply(self->Name("+FTSI", "+FTI") + ":\"" + id + "\"");
        self->Reply(self->Name("+FDCS", "+FCS") + ":" + Format(self->SessionParams()));
        if (self->resultPending_ && !self->fdrOutstanding_) {
            self->resultPending_ = false;
            self->Reply("OK");
        }
        return T30_ERR_OK;
    }
    if (self->pagesSent_ == 0) {
        // The remote's DIS answers ATD.
        self->Reply(self->Name("+FCSI", "+FCI") + ":\"" + id + "\"");
        self->Reply(self->Name("+FDIS", "+FIS") + ":" + Format(self->RemoteCapabilities()));
        if (self->resultPending_) {
            self->resultPending_ = false;
            self->Reply("OK");
        }
    }
    // T.30 waits here until the DTE asks for the page (+FDT): only then does the modem send
    // DCS with the parameters the DTE set. The far end meanwhile repeats its DIS and gives
    // up after its T1.
    if (!self->HoldForDte([self] { return self->fdtRequested_; })) return T30_ERR_CALLDROPPED;
    const std::string document =
        self->workDir_ + "/document" + std::to_string(++self->pagesSent_) + ".tif";
    const int width = self->dis_[2] == 1 ? 2048 : self->dis_[2] == 2 ? 2432 : 1728;
    // DCS asks for fine only where both the DTE and the remote want it; +FDCS tells the DTE.
    const bool remoteFine = self->remoteDisLen_ < 5 || (self->remoteDis_[4] & kFineBit);
    if (!WriteBlankDocument(kDocumentPages, self->dis_[0] == 1 && remoteFine, width, document))
        return T30_ERR_FILEERROR;
    self->pageCarrier_ = false;
    t30_set_tx_file(s, document.c_str(), -1, -1);
    return T30_ERR_OK;
}

int Class2Modem::Document(t30_state_s*, void* user, int) {
    // Asked once the DTE's page is out and no MPS follows: EOM for +FET=1 (DLE ;).
    return static_cast<Class2Modem*>(user)->postPage_ == 1 ? 1 : 0;
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
    self->lastPageStatus_ = status;
    if (self->fclass_ != "2.0") self->Reply("+FPTS:" + std::to_string(status));
    if (self->lastPage_ && (status == 1 || status == 3)) return T30_ERR_OK;  // OK after +FHNG
    self->resultPending_ = false;
    if (self->fclass_ == "2.0")
        self->Reply(status == 1 || status == 3 ? "OK" : "ERROR");
    else
        self->Reply("OK");
    return T30_ERR_OK;
}

void Class2Modem::PhaseE(t30_state_s*, void* user, int result) {
    auto* self = static_cast<Class2Modem*>(user);
    self->sessionOver_ = true;
    // After the last page was confirmed T.30 waits for a next page (see ReceiveHdlc): the
    // sender's DCN, or its silence, ends the document normally.
    const bool done =
        self->rxDocumentDone_ && (result == T30_ERR_RX_DCNDATA || result == T30_ERR_RX_T2EXPFAX);
    // A DCN where the page should have come again after RTN ends phase D.
    const bool refused = self->rxPageRefused_ && result == T30_ERR_RX_DCNDATA;
    self->hangUpCode_ = self->overflowed_ ? 93
                        : self->abort_    ? 2
                        : done            ? 0
                        : refused         ? 100
                                          : self->HangUpCode(result);
    // The DTE gave no post-page command in time: the modem ended the document itself.
    if (self->dteTimedOut_ && self->hangUpCode_ == 0) self->hangUpCode_ = 50;
    // The receiving DTE never asked for the next page: an unspecified receive phase D error.
    if (self->rxDteLate_ && !self->overflowed_ && !self->abort_) self->hangUpCode_ = 100;
    self->hangUpRequested_ = true;
    if (self->abortedByDte_ && self->resultPending_) {
        self->ReportHangUp();  // answers +FK/+FKS
        return;
    }
    // A DTE in the middle of a page hears of it once the page data has ended, as from a
    // modem that buffers the page.
    // A DTE between commands hears of it with its next command.
    if (self->calling_ && self->input_ != Input::PageIn && self->resultPending_)
        self->ReportHangUp();
    else if (self->calling_)
        self->hangUpReportDue_ = true;
    else if (self->resultPending_ && !self->fdrOutstanding_)
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
            self->pageCarrier_ = false;
            std::copy(msg, msg + n, self->localDcs_.begin());
            self->localDcsLen_ = n;
        }
        return;
    }
    if (self->calling_) {
        // The next high-speed carrier carries a page: after CFR, and after MCF or RTP to MPS.
        if (fcf == T30_CFR || ((fcf == T30_MCF || fcf == T30_RTP) && self->postPage_ == 0)) {
            self->pageCarrier_ = true;
            if (self->fdtRequested_) self->StartPageIn();
        }
    }
    if (fcf == T30_DIS) {
        std::copy(msg, msg + n, self->remoteDis_.begin());
        self->remoteDisLen_ = n;
    } else if (fcf == T30_DCS) {
        std::copy(msg, msg + n, self->remoteDcs_.begin());
        self->remoteDcsLen_ = n;
    }
}

// The sender's post-page message has arrived and T.30 has judged the page (it answers once
// this returns). The page goes to the DTE, and T.30 waits, deaf, until the DTE has had it and
// asks for the next one with AT+FDR: the response then follows the DTE's +FPTS. Meanwhile
// the sender repeats its post-page message every T4 and gives up after its third.
void Class2Modem::PageReceived(t30_state_s* t30, int postPageFcf) {
    ReceivedPage page;
    page.postPage = rxLastPage_ ? 2 : postPageFcf == T30_MPS ? 0 : 1;
    // The modem's copy-quality check, by T.30's own measure: under 5 % bad rows is good,
    // under 15 % tolerable (RTP), more (or no rows at all) bad.
    t30_stats_t stats;
    t30_get_transfer_statistics(t30, &stats);
    page.status = stats.length > 0 && stats.bad_rows * 20 < stats.length       ? 1
                  : stats.length > 0 && stats.bad_rows * 20 < stats.length * 3 ? 3
                                                                               : 2;
    page.rows = stats.length;
    page.badRows = stats.bad_rows;
    page.badRun = stats.longest_bad_row_run;
    // T.30 throws a bad page away; the DTE gets what arrived all the same.
    if (TiffPageCount(rxPath_) <= rxPagesTaken_) t4_rx_end_page(&t30->t4.rx);
    const int pages = TiffPageCount(rxPath_);
    if (pages > rxPagesTaken_) {
        if (!ReadPageAsT4(rxPath_, pages - 1, page.data)) page.status = 2;
        rxPagesTaken_ = pages;
    } else {
        page.status = 2;
    }
    // The coder pads its last byte with ones, which a DTE that counts RTC's EOLs reads as a
    // broken line after the fourth; a clean RTC ends the page as the sender's did.
    while (!page.data.empty() && page.data.back() == 0xFF) page.data.pop_back();
    AppendRtc(page.data);
    received_.push_back(std::move(page));
    ServeFdr();
    rxVerdict_ = 0;
    const bool asked = HoldForDte(
        [this] { return received_.empty() && input_ == Input::Command && fdrOutstanding_; });
    if (asked) {
        rxVerdict_ = rxPageStatus_;
    } else if (!abort_) {
        // The DTE never asked for the next page: the sender has given up on the page, or the
        // modem does so itself; either way the call is lost in receive phase D.
        rxDteLate_ = true;
        hangUpRequested_ = true;
    }
}

// The receiver's page response on its way to the line carries the DTE's verdict in place of
// T.30's own, and T.30 keeps that verdict for any repeat the sender asks for.
void Class2Modem::SendHdlc(void* user, const uint8_t* msg, int len) {
    auto* self = static_cast<Class2Modem*>(user);
    const uint8_t fcf = msg && len == 3 ? msg[2] & 0xFE : 0;
    const bool response = fcf == T30_MCF || fcf == T30_RTN || fcf == T30_RTP;
    if (!response) {
        self->t30SendHdlc_(self->t30SendHdlcUser_, msg, len);
        return;
    }
    static constexpr uint8_t kVerdicts[] = {T30_MCF, T30_RTN, T30_RTP, T30_PIN, T30_PIP};
    const uint8_t verdict =
        self->rxVerdict_ > 0 ? kVerdicts[std::clamp(self->rxVerdict_, 1, 5) - 1] : fcf;
    self->rxVerdict_ = 0;
    self->rxDocumentDone_ = self->rxLastPage_ && (verdict == T30_MCF || verdict == T30_RTP);
    self->rxPageRefused_ = verdict == T30_RTN;
    fax_get_t30_state(self->fax_)->last_rx_page_result = verdict;
    const uint8_t frame[3] = {msg[0], msg[1], static_cast<uint8_t>(verdict | (msg[2] & 0x01))};
    self->t30SendHdlc_(self->t30SendHdlcUser_, frame, 3);
}

// Frames from the line on their way to T.30. spandsp's receiver closes its document on EOP
// and cannot take the page again after an RTN to it, so T.30 is told MPS instead; the modem
// knows the page was the last, reports +FET:2 and ends the call normally on the sender's DCN.
void Class2Modem::ReceiveHdlc(void* user, const uint8_t* msg, int len, int ok) {
    auto* self = static_cast<Class2Modem*>(user);
    t30_state_t* t30 = fax_get_t30_state(self->fax_);
    const uint8_t fcf = msg && len == 3 && ok ? msg[2] & 0xFE : 0;
    if (fcf == T30_MPS || fcf == T30_EOM || fcf == T30_EOS) self->rxLastPage_ = false;
    if (fcf != T30_EOP) {
        t30_hdlc_accept(t30, msg, len, ok);
        return;
    }
    self->rxLastPage_ = true;
    const uint8_t frame[3] = {msg[0], msg[1], static_cast<uint8_t>(T30_MPS | (msg[2] & 0x01))};
    t30_hdlc_accept(t30, frame, 3, ok);
}

int Class2Modem::HangUpCode(int t30Code) const {
    // A modem that never made out a frame of the other machine (its DIS, or the caller's DCS)
    // ends by T1 whichever way the call was lost: a far end that hung up first (spandsp's
    // machine gives up after three DIS) is silence to it until T1 runs out.
    const bool farEndHeard = calling_ ? remoteDisLen_ > 0 : remoteDcsLen_ > 0;
    if (!farEndHeard && (t30Code == T30_ERR_CALLDROPPED || t30Code == T30_ERR_RETRYDCN)) return 11;
    switch (t30Code) {
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
            return postPage_ == 2 ? 54 : postPage_ == 1 ? 56 : 52;
        // DCN where the modem expected CFR or DIS: an invalid command in phase B.
        case T30_ERR_TX_BADDCS:
        case T30_ERR_TX_GOTDCN:
        case T30_ERR_TX_NODIS:
            return 23;
        // DCN or another frame where the answer to MPS, EOP or EOM belonged (spandsp names a
        // DCN after MPS as a receiver's error).
        case T30_ERR_TX_BADPG:
        case T30_ERR_TX_INVALRSP:
            return postPage_ == 2 ? 55 : postPage_ == 1 ? 57 : 53;
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
            if (calling_) return postPage_ == 2 ? 55 : postPage_ == 1 ? 57 : 53;
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
    if (remoteDisLen_ >= 5) {
        p[0] = (remoteDis_[4] & kFineBit) ? 1 : 0;
        p[1] = BestRateCodeFromDis(remoteDis_[4]);
    }
    if (remoteDisLen_ >= 6) {
        const int widthBits = remoteDis_[5] & 0x03;  // 0: 1728, 1: up to 2048, 2: up to 2432
        p[2] = widthBits == 1 ? 1 : widthBits == 2 ? 2 : 0;
    }
    return p;
}

int Class2Modem::PredictedRateCode() const {
    if (!calling_ && remoteDcsLen_ >= 5) return RateCodeFromDcs(remoteDcs_[4]);
    const int local = std::clamp(calling_ ? dis_[1] : dcc_[1], 0, 5);
    const int remote = remoteDisLen_ >= 5 ? BestRateCodeFromDis(remoteDis_[4]) : local;
    // spandsp offers V.27ter, V.29 and V.17 only at their top rates.
    int code = std::min(local, remote);
    if (code == 4) code = 3;
    if (code == 2) code = 1;
    return code;
}

Class2Modem::Params Class2Modem::SessionParams() const {
    Params p = calling_ ? dis_ : dcc_;
    if (!calling_ && remoteDcsLen_ >= 5) p[0] = (remoteDcs_[4] & kFineBit) ? 1 : 0;
    p[1] = PredictedRateCode();
    if (calling_ && localDcsLen_ >= 5) {
        // What the modem sent in DCS (after any step down the training forced).
        p[0] = (localDcs_[4] & kFineBit) ? 1 : 0;
        p[1] = RateCodeFromDcs(localDcs_[4]);
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
    if (fax_ && !sessionOver_) {
        ++inT30_;
        produced = fax_tx(fax_, amp, len);
        --inT30_;
    }
    std::fill(amp + produced, amp + len, 0);
    if (sessionOver_ && input_ == Input::PageIn) {
        // A dead line the modem has not noticed: the page still drains at line rate and the
        // hang-up is reported once it has ended.
        const size_t blockBytes = kRates[std::clamp(SessionParams()[1], 0, 5)] * kBlockMs / 8000;
        pagePos_ = std::min(pageIn_.size(), pagePos_ + blockBytes);
    }
    HookPageBits();
    if (hangUpRequested_) {
        hangUpRequested_ = false;
        if (fax_ && !sessionOver_) t30_terminate(fax_get_t30_state(fax_));
        if (call_ != Call::Idle) line_.HangUp(this);
        call_ = Call::Idle;
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
        if (energy / len > kCarrierLevel) heardAt_ = line_.nowSamples();
        return;
    }
    if (fax_ && !sessionOver_) {
        // spandsp sets up its frame receiver anew for each V.21 reception.
        hdlc_rx_state_t& frames = fax_->modems.hdlc_rx;
        if (!calling_ && frames.frame_handler == &t30_hdlc_accept) {
            frames.frame_handler = &Class2Modem::ReceiveHdlc;
            frames.frame_user_data = this;
        }
        ++inT30_;
        fax_rx(fax_, amp, len);
        --inT30_;
        HookTrainingCheck(fax_);
    }
    if (call_ == Call::Dialling && dialDeadline_ >= 0 && line_.nowSamples() >= dialDeadline_) {
        EndCall();
        resultPending_ = false;
        // Waiting for a quiet answer ('@'), ringing that never stopped is NO ANSWER under X3
        // and X4; otherwise S7 ran out without a carrier.
        Reply(quietAnswer_ && resultLevel_ >= 3 ? "NO ANSWER" : "NO CARRIER");
    }
}

void Class2Modem::OnLineEvent(LineEvent event) {
    switch (event) {
        case LineEvent::Ring:
            if (call_ == Call::Idle) call_ = Call::Ringing;
            if (call_ != Call::Ringing) return;
            Reply("RING");
            if (sRegs_[0] > 0 && ++rings_ >= sRegs_[0] && AutoAnswerAllowed()) {
                AnswerCall();
                resultPending_ = true;
            }
            return;
        case LineEvent::Answered:
            if (call_ != Call::Dialling) return;
            call_ = Call::Connected;
            if (fclass_ == "0")
                StartDataCall();
            else
                StartT30(true);
            dialDeadline_ = -1;
            return;
        case LineEvent::Busy:
            if (call_ != Call::Dialling) return;
            EndCall();
            resultPending_ = false;
            // Below X3 a modem does not tell busy tone from a failed call.
            Reply(resultLevel_ >= 3 ? "BUSY" : "NO CARRIER");
            return;
        case LineEvent::NoDialTone:
            // X2 and X4 wait for dial tone; X0, X1 and X3 dial blind and meet no answer.
            if (call_ != Call::Dialling || (resultLevel_ != 2 && resultLevel_ != 4)) return;
            EndCall();
            resultPending_ = false;
            Reply("NO DIALTONE");
            return;
        case LineEvent::FarEndHungUp:
            if (data_.active()) {
                EndDataCall();
                return;
            }
            if (inT30_ > 0) {
                // T.30 is waiting for the DTE inside a callback: end the wait, not T.30.
                call_ = Call::Idle;
                rings_ = 0;
                hangUpRequested_ = true;
                return;
            }
            if (fax_ && !sessionOver_) {
                abort_ = false;
                ++inT30_;
                t30_terminate(fax_get_t30_state(fax_));
                --inT30_;
            }
            if (call_ != Call::Idle) {
                call_ = Call::Idle;
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
    if (call_ == Call::Ringing) return sRegs_[0] == 0;
    if (data_.active()) return false;
    if (holding_) return true;
    if (call_ != Call::Connected || !calling_ || sessionOver_) return false;
    if (input_ == Input::PageIn) return BufferedPageBytes() < kTxLowTide;
    return input_ == Input::Command && !resultPending_;
}

bool Class2Modem::InPageData() const {
    return input_ == Input::PageIn || pageReady_;
}

bool Class2Modem::IdleOnHook() const {
    return call_ == Call::Idle && input_ == Input::Command && !resultPending_;
}

bool Class2Modem::CarriesPageData() const {
    if (!fax_ || sessionOver_) return false;
    const fax_modems_state_t& m = fax_->modems;
    return IsT30PageModem(m.current_tx_type) || (IsT30PageModem(m.current_rx_type) && m.rx_trained);
}

// ---------------------------------------------------------------------------------------
// Data calls (class 0): no T.30, only a carrier to wait for and data that goes nowhere.

void Class2Modem::StartDataCall() {
    constexpr int kDefaultS7Seconds = 60;
    const int s7 = sRegs_[7] > 0 ? sRegs_[7] : kDefaultS7Seconds;
    // A dialled call keeps what is left of its S7 wait; an answered one starts its own.
    data_.Start(dialDeadline_ >= 0 ? dialDeadline_ : line_.nowSamples() + MsToSamples(s7 * 1000LL));
}

bool Class2Modem::DataCallByte(uint8_t c) {
    switch (data_.state()) {
        case DataCall::State::None:
        case DataCall::State::Escaped:
            return false;
        case DataCall::State::WaitingForCarrier:
            EndDataCall();  // any byte gives the call up
            return true;
        case DataCall::State::Online:
            data_.FromDte(&c, 1, WallMs(), static_cast<uint8_t>(sRegs_[2]), sRegs_[12] * 20LL);
            return true;
    }
    return false;
}

void Class2Modem::DataCallAudio(const int16_t* amp, int len) {
    switch (data_.Receive(amp, len, line_.nowSamples())) {
        case DataCall::Event::CarrierFound:
            resultPending_ = false;
            Reply(DataCall::ConnectText(resultLevel_));
            break;
        case DataCall::Event::CarrierLost:
        case DataCall::Event::GaveUp:
            EndDataCall();
            break;
        case DataCall::Event::None:
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
    resultPending_ = false;
    Reply("NO CARRIER");
}

}  // namespace corvane::faxline
