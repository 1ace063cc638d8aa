#include "remote_fax.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "spandsp_api.h"
#include "telephone_line.h"
#include "training_check.h"

namespace corvane::faxline {
namespace {

std::string ResolutionName(int y_resolution) {
    if (y_resolution >= T4_Y_RESOLUTION_SUPERFINE) return "superfine";
    if (y_resolution >= T4_Y_RESOLUTION_FINE) return "fine";
    if (y_resolution > 0) return "standard";
    return "none";
}

// The rate a DCS orders (FIF octet 2, first bit lowest).
int DcsRate(uint8_t octet2) {
    switch (octet2 & 0x3C) {
        case 0x00:
            return 2400;
        case 0x08:
            return 4800;
        case 0x04:
        case 0x24:
            return 9600;
        case 0x0C:
        case 0x2C:
            return 7200;
        case 0x20:
            return 14400;
        case 0x28:
            return 12000;
        default:
            return 0;
    }
}

// A person or a data modem that picked up holds the line this long before giving up, longer
// than a calling fax terminal waits for a fax answer (T1, 35 s).
constexpr int64_t kOtherAnswerHoldMs = 60000;
// A data modem's answer tone (2100 Hz) lasts 3.3 s; its carrier follows after 75 ms.
constexpr int64_t kAnswerToneMs = 3300;
constexpr int64_t kAnswerToneGapMs = 75;
// Voice: a "hello" of one second in every three.
constexpr int64_t kVoicePeriodMs = 3000;
constexpr int64_t kVoiceBurstMs = 1000;
// About -20 dBm0.
constexpr double kToneAmplitude = 3000;
constexpr double kPi = 3.14159265358979323846;

double Sine(double hz, int64_t sample) {
    return std::sin(2 * kPi * hz * double(sample) / kSampleRate);
}

// An answering data modem idles with marks: a carrier that holds no fax frames.
int MarkBit(void*) {
    return 1;
}

}  // namespace

RemoteFax::RemoteFax(const RemoteFaxOptions& options, TelephoneLine& line)
    : options_(options), line_(line) {}

RemoteFax::~RemoteFax() {
    if (fax_) fax_free(fax_);
    if (dataCarrier_) fsk_tx_free(dataCarrier_);
}

std::string RemoteFax::CallFile() const {
    if (callNumber_ == 1 || options_.role == RemoteFaxOptions::Role::Send) return options_.file;
    // Later calls receive beside the first: out.tif, out-2.tif, out-3.tif...
    const std::filesystem::path first(options_.file);
    std::filesystem::path next = first;
    next.replace_filename(first.stem().string() + "-" + std::to_string(callNumber_) +
                          first.extension().string());
    return next.string();
}

void RemoteFax::NextCall() {
    if (fax_) fax_free(fax_);
    fax_ = nullptr;
    if (dataCarrier_) fsk_tx_free(dataCarrier_);
    dataCarrier_ = nullptr;
    ++callNumber_;
    rings_ = 0;
    ringDeadline_ = -1;
    callStarted_ = false;
    finished_ = false;
    hangUpPending_ = false;
    documentComplete_ = false;
    postPageMessages_ = 0;
    pagesKept_ = 0;
    rtnGiven_ = 0;
    lastPageRejected_ = false;
    pageRx_ = false;
    tcfRx_ = false;
    pageBits_ = 0;
    pendingRows_ = -1;
    pendingBadRows_ = 0;
    otherAnswerAt_ = -1;
    otherSamples_ = 0;
    dcnSentAt_ = -1;
    dcnDue_ = false;
    spoiler_.reset();
    summary_ = CallSummary{};
}

void RemoteFax::AnswerWithoutFax() {
    otherAnswerAt_ = line_.nowSamples();
    otherSamples_ = 0;
    const bool voice = options_.answer == RemoteFaxOptions::Answer::Voice;
    if (calling())
        summary_.t30Text = voice ? "called by voice" : "called by a data modem";
    else
        summary_.t30Text = voice ? "answered by voice" : "answered by a data modem";
    // V.21: the answering modem sends on channel 2, the calling one on channel 1.
    if (options_.answer == RemoteFaxOptions::Answer::Data)
        dataCarrier_ = fsk_tx_init(nullptr, &preset_fsk_specs[calling() ? FSK_V21CH1 : FSK_V21CH2],
                                   &MarkBit, nullptr);
}

void RemoteFax::TransmitWithoutFax(int16_t* amp, int len) {
    for (int i = 0; i < len; ++i) {
        const int64_t n = otherSamples_ + i;
        double value = 0;
        if (options_.answer == RemoteFaxOptions::Answer::Voice) {
            if (n % MsToSamples(kVoicePeriodMs) < MsToSamples(kVoiceBurstMs))
                value = kToneAmplitude * 0.5 * (Sine(300, n) + Sine(520, n));
        } else if (n < MsToSamples(kAnswerToneMs) && !calling()) {
            value = kToneAmplitude * Sine(2100, n);
        }
        amp[i] = static_cast<int16_t>(value);
    }
    // Answering, the carrier follows the modem's own answer tone; calling, it follows the
    // answer tone of the called modem (a fax modem's CED lasts as long).
    const int64_t carrierFrom = MsToSamples(kAnswerToneMs + kAnswerToneGapMs);
    if (dataCarrier_ && otherSamples_ + len > carrierFrom) {
        const int skip = static_cast<int>(std::max<int64_t>(0, carrierFrom - otherSamples_));
        fsk_tx(dataCarrier_, amp + skip, len - skip);
    }
    otherSamples_ += len;
}

void RemoteFax::StartCall() {
    if (callStarted_) return;
    callStarted_ = true;
    ringDeadline_ = line_.nowSamples() + MsToSamples(options_.ringWaitSeconds * 1000LL);
    line_.Dial(this, "1");
}

void RemoteFax::StartT30(bool calling) {
    fax_ = fax_init(nullptr, calling);
    fax_set_transmit_on_idle(fax_, 1);
    t30_state_t* t30 = fax_get_t30_state(fax_);
    t30_set_tx_ident(t30, options_.ident.c_str());
    int modems = 0;
    if (options_.v27ter) modems |= T30_SUPPORT_V27TER;
    if (options_.v29) modems |= T30_SUPPORT_V29;
    if (options_.v17) modems |= T30_SUPPORT_V17;
    t30_set_supported_modems(t30, modems);
    t30_set_ecm_capability(t30, options_.ecm);
    if (options_.ecm) {
        t30_set_supported_compressions(t30, T30_SUPPORT_T4_1D_COMPRESSION |
                                                T30_SUPPORT_T4_2D_COMPRESSION |
                                                T30_SUPPORT_T6_COMPRESSION);
    }
    t30_set_supported_resolutions(t30, options_.fine ? T30_SUPPORT_STANDARD_RESOLUTION |
                                                           T30_SUPPORT_FINE_RESOLUTION |
                                                           T30_SUPPORT_SUPERFINE_RESOLUTION
                                                     : T30_SUPPORT_STANDARD_RESOLUTION);
    int sizes = T30_SUPPORT_215MM_WIDTH | T30_SUPPORT_A4_LENGTH | T30_SUPPORT_US_LETTER_LENGTH;
    if (options_.length != RemoteFaxOptions::Length::A4)
        sizes |= T30_SUPPORT_B4_LENGTH | T30_SUPPORT_US_LEGAL_LENGTH;
    if (options_.length == RemoteFaxOptions::Length::Unlimited)
        sizes |= T30_SUPPORT_UNLIMITED_LENGTH;
    if (options_.width >= 2048) sizes |= T30_SUPPORT_255MM_WIDTH;
    if (options_.width >= 2432) sizes |= T30_SUPPORT_303MM_WIDTH;
    t30_set_supported_image_sizes(t30, sizes);
    if (options_.role == RemoteFaxOptions::Role::Send) {
        t30_set_tx_file(t30, options_.file.c_str(), -1, -1);
        if (options_.rtnPage > 0)
            spoiler_ = std::make_unique<OutgoingPageSpoiler>(options_.rtnPage, options_.rtnTimes);
        // A page answered with RTN goes again after fresh training, one rate lower each time
        // until none is left, as T.30 lets a sender do (spandsp would go on to the next page).
        t30->retransmit_capable = 1;
    } else {
        t30_set_rx_file(t30, CallFile().c_str(), -1);
    }
    t30_set_phase_b_handler(t30, &RemoteFax::PhaseB, this);
    t30_set_phase_d_handler(t30, &RemoteFax::PhaseD, this);
    t30_set_phase_e_handler(t30, &RemoteFax::PhaseE, this);
    t30_set_real_time_frame_handler(t30, &RemoteFax::Frame, this);
    t30SendFrame_ = t30->send_hdlc_handler;
    t30SendFrameUser_ = t30->send_hdlc_user_data;
    t30->send_hdlc_handler = &RemoteFax::SendFrame;
    t30->send_hdlc_user_data = this;
    const int level = options_.verbose ? SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_PROTOCOL |
                                             SPAN_LOG_SHOW_TAG | SPAN_LOG_FLOW
                                       : SPAN_LOG_NONE;
    span_log_set_level(t30_get_logging_state(t30), level);
    span_log_set_tag(t30_get_logging_state(t30), "REMOTE");
    span_log_set_level(fax_get_logging_state(fax_), level);
    span_log_set_tag(fax_get_logging_state(fax_), "REMOTE");
}

// A handler that returns an error makes T.30 answer DIS with DCN: the calling machine breaks
// off the call.
int RemoteFax::PhaseB(t30_state_s*, void* user_data, int) {
    auto* self = static_cast<RemoteFax*>(user_data);
    const auto phase = self->options_.dcnAfter;
    const bool calling = self->options_.role == RemoteFaxOptions::Role::Send;
    if (phase == RemoteFaxOptions::DcnPhase::Dis && calling) return T30_ERR_UNEXPECTED;
    return T30_ERR_OK;
}

int RemoteFax::PhaseD(t30_state_s* s, void* user_data, int result) {
    auto* self = static_cast<RemoteFax*>(user_data);
    self->line_.NotePageDone();
    if (self->options_.role == RemoteFaxOptions::Role::Receive) {
        // The sender's end of document; T.30 confirms it right after this handler.
        ++self->postPageMessages_;
        self->documentComplete_ = result == T30_EOP;
        // The page just received, before T.30 judges its copy quality: it counts once T.30
        // has kept it (MCF or RTP; a page answered with RTN is thrown away).
        t30_stats_t stats;
        t30_get_transfer_statistics(s, &stats);
        self->pendingRows_ = stats.length;
        self->pendingBadRows_ = stats.bad_rows;
    } else {
        t30_stats_t stats;
        t30_get_transfer_statistics(s, &stats);
        self->documentComplete_ = (result == T30_MCF || result == T30_RTP) &&
                                  stats.pages_in_file > 0 && stats.pages_tx >= stats.pages_in_file;
    }
    return T30_ERR_OK;
}

void RemoteFax::PhaseE(t30_state_s* s, void* user_data, int completion_code) {
    auto* self = static_cast<RemoteFax*>(user_data);
    t30_stats_t stats;
    t30_get_transfer_statistics(s, &stats);
    CallSummary& out = self->summary_;
    out.t30Code = completion_code;
    out.t30Text = t30_completion_code_to_str(completion_code);
    out.pages =
        self->options_.role == RemoteFaxOptions::Role::Send ? stats.pages_tx : stats.pages_rx;
    out.rate = stats.bit_rate;
    out.resolution = ResolutionName(stats.y_resolution);
    if (const char* id = t30_get_rx_ident(s)) out.remoteId = id;
    // The terminal has sent or received DCN by now; hang up after this block.
    self->hangUpPending_ = true;
    // A receiver that had to ask for a page again does not count as recovered.
    const bool recovered =
        self->documentComplete_ && (self->options_.role == RemoteFaxOptions::Role::Send ||
                                    stats.pages_rx == self->postPageMessages_);
    // A page with rows the machine could not decode is not a fax that went through, even
    // where T.30 accepted it.
    // Nor is a document whose last page was rejected and never sent again.
    const bool lastPageLost = self->options_.role == RemoteFaxOptions::Role::Receive &&
                              (self->lastPageRejected_ || stats.pages_rx == 0);
    if ((completion_code == T30_ERR_OK || recovered) && out.badRows == 0 && !lastPageLost)
        self->Finish("ok");
    else
        self->Finish(self->line_.dropped() ? "dropped" : "failed");
}

void RemoteFax::SettlePendingPage(bool kept) {
    if (pendingRows_ < 0) return;
    if (kept) {
        summary_.rows = std::max(summary_.rows, 0) + pendingRows_;
        summary_.badRows += pendingBadRows_;
    }
    pendingRows_ = -1;
}

void RemoteFax::Finish(const std::string& status) {
    if (finished_) return;
    finished_ = true;
    summary_.status = status;
}

void RemoteFax::Transmit(int16_t* amp, int len) {
    int produced = 0;
    if (fax_ && !finished_) {
        if (spoiler_) spoiler_->Hook(fax_);
        produced = fax_tx(fax_, amp, len);
    } else if (otherAnswerAt_ >= 0 && !finished_) {
        TransmitWithoutFax(amp, len);
        produced = len;
        if (line_.nowSamples() - otherAnswerAt_ >= MsToSamples(kOtherAnswerHoldMs)) {
            line_.HangUp(this);
            Finish("failed");
        }
    }
    std::fill(amp + produced, amp + len, 0);
    // After its DCN the machine waits for the frame to go out, then hangs up.
    constexpr int64_t kDcnHangUpMs = 1500;
    if (dcnSentAt_ >= 0 && !finished_ &&
        line_.nowSamples() - dcnSentAt_ >= MsToSamples(kDcnHangUpMs)) {
        // Failed whatever T.30 makes of the page it took: the sender never had it confirmed.
        Finish("failed");
        line_.HangUp(this);
        if (fax_) t30_terminate(fax_get_t30_state(fax_));
        summary_.pages = pagesKept_;  // the page it broke off on was never confirmed
        summary_.t30Text = "broke off with DCN";
    }
    if (hangUpPending_) {
        hangUpPending_ = false;
        line_.HangUp(this);
    }
    if (ringDeadline_ >= 0 && !fax_ && otherAnswerAt_ < 0 && !finished_ &&
        line_.nowSamples() >= ringDeadline_) {
        line_.HangUp(this);
        Finish("no-answer");
    }
}

void RemoteFax::Receive(int16_t* amp, int len) {
    if (fax_ && !finished_) fax_rx(fax_, amp, len);
    HookPageBits();
}

void RemoteFax::Frame(t30_state_s*, void* user, int incoming, const uint8_t* msg, int len) {
    auto* self = static_cast<RemoteFax*>(user);
    if (len < 3) return;
    const uint8_t fcf = msg[2] & 0xFE;
    if (self->spoiler_) self->spoiler_->OnFrame(incoming != 0, fcf);
    if (!incoming && self->BreaksOffWith(fcf)) {
        self->dcnDue_ = true;  // SendFrame sends DCN instead; the frame never counts
        return;
    }
    // After CFR, and after MCF or RTP (to MPS), the next high-speed carrier is a page.
    // RTN and RTP, whichever end gave them.
    if (fcf == T30_RTN) ++self->summary_.rtn;
    if (fcf == T30_RTP) ++self->summary_.rtp;
    // The verdict on the page just received: MCF and RTP keep it, RTN throws it away.
    if (!incoming && (fcf == T30_MCF || fcf == T30_RTP || fcf == T30_RTN)) {
        self->SettlePendingPage(fcf != T30_RTN);
        self->lastPageRejected_ = fcf == T30_RTN;
        // Damage ordered for a page counts against that page, resends included (PageBitIn).
        if (fcf == T30_RTN && self->pagesKept_ + 1 == self->options_.rtnPage) ++self->rtnGiven_;
        if (fcf != T30_RTN) ++self->pagesKept_;
    }
    if (!incoming && (fcf == T30_CFR || fcf == T30_FTT)) self->tcfRx_ = false;
    if (!incoming && (fcf == T30_CFR || fcf == T30_MCF || fcf == T30_RTP)) {
        self->pageRx_ = true;
        self->pageBits_ = 0;
    }
    if (incoming && fcf == T30_DCS) {
        self->pageRx_ = false;
        // The training check that follows fails when the rate is above the limit.
        self->tcfRx_ =
            self->options_.fttAbove > 0 && len >= 5 && DcsRate(msg[4]) > self->options_.fttAbove;
    }
}

// Frames on their way from T.30 to the modem. To break off the call the machine sends DCN
// where T.30 would answer, then hangs up (T.30 itself has no way to be told).
void RemoteFax::SendFrame(void* user, const uint8_t* msg, int len) {
    auto* self = static_cast<RemoteFax*>(user);
    if (msg && len >= 3 && self->dcnDue_) {
        self->dcnDue_ = false;
        const uint8_t dcn[3] = {msg[0], msg[1], static_cast<uint8_t>(T30_DCN | (msg[2] & 1))};
        self->dcnSentAt_ = self->line_.nowSamples();
        self->t30SendFrame_(self->t30SendFrameUser_, dcn, 3);
        return;
    }
    self->t30SendFrame_(self->t30SendFrameUser_, msg, len);
}

// The answering machine's reply it replaces with DCN: CFR or FTT after the training check
// (dcs), or its verdict on page N (page:N).
bool RemoteFax::BreaksOffWith(uint8_t fcf) const {
    if (dcnSentAt_ >= 0 || options_.role != RemoteFaxOptions::Role::Receive) return false;
    switch (options_.dcnAfter) {
        case RemoteFaxOptions::DcnPhase::Dcs:
            return fcf == T30_CFR || fcf == T30_FTT;
        case RemoteFaxOptions::DcnPhase::Page:
            return pagesKept_ + 1 == options_.dcnPage &&
                   (fcf == T30_MCF || fcf == T30_RTP || fcf == T30_RTN);
        default:
            return false;
    }
}

void RemoteFax::HookPageBits() {
    if (!fax_ || finished_) return;
    put_bit_func_t* put = nullptr;
    void** user = nullptr;
    if (!PageReceiverSink(fax_, &put, &user)) return;
    const bool spoilPage = pageRx_ && (options_.rtnPage > 0 || options_.rtpPage > 0);
    if (!spoilPage && !tcfRx_) {
        HookTrainingCheck(fax_);
        return;
    }
    if (*put != static_cast<put_bit_func_t>(&t30_non_ecm_put_bit) &&
        *put != static_cast<put_bit_func_t>(&TrainingCheckPutBit))
        return;
    *put = &RemoteFax::PageBitIn;
    *user = this;
}

// Page bits on their way from the demodulator to T.30. For a page the machine is told to
// find bad, 40 bits in every 200 are scrambled; for a poor page, 40 in every 400: the
// rows they fall in cannot be decoded (about one in 6, or one in 12, of a typical page;
// spandsp calls under 5 % good and over 10 % bad), and T.30's own copy-quality check
// judges the page.
void RemoteFax::PageBitIn(void* user, int bit) {
    auto* self = static_cast<RemoteFax*>(user);
    t30_state_t* t30 = fax_get_t30_state(self->fax_);
    if (bit >= 0 && self->tcfRx_) {
        bit = 1;  // a training check of ones: the channel is no good at this rate
    } else if (bit >= 0) {
        const int page = self->pagesKept_ + 1;
        const int64_t n = self->pageBits_++;
        const bool bad =
            page == self->options_.rtnPage && self->rtnGiven_ < self->options_.rtnTimes;
        const bool poor = page == self->options_.rtpPage;
        if ((bad && n % 200 < 40) || (poor && n % 400 < 40))
            bit = static_cast<int>((n * 2654435761u) >> 7) & 1;
    }
    TrainingCheckPutBit(t30, bit);
}

void RemoteFax::OnLineEvent(LineEvent event) {
    switch (event) {
        case LineEvent::Ring:
            if (fax_ || finished_ || otherAnswerAt_ >= 0 ||
                options_.role != RemoteFaxOptions::Role::Receive)
                return;
            callStarted_ = true;
            if (++rings_ >= options_.answerAfterRings) {
                line_.Answer(this);
                if (options_.answer == RemoteFaxOptions::Answer::Fax)
                    StartT30(false);
                else
                    AnswerWithoutFax();
            }
            return;
        case LineEvent::Answered:
            if (options_.answer == RemoteFaxOptions::Answer::Fax)
                StartT30(true);
            else
                AnswerWithoutFax();
            return;
        case LineEvent::NoDialTone:
            return;
        case LineEvent::Busy:
            line_.HangUp(this);
            Finish("busy");
            return;
        case LineEvent::FarEndHungUp:
            if (fax_ && !finished_) {
                // The terminal would only notice by its timers; end it the way a lost line ends.
                // T.30 reports how far the call got (DCN already sent counts as done).
                t30_terminate(fax_get_t30_state(fax_));
                if (!finished_) Finish(line_.dropped() ? "dropped" : "failed");
            } else if (otherAnswerAt_ >= 0 && !finished_) {
                Finish("failed");
            }
            return;
    }
}

bool RemoteFax::CarriesPageData() const {
    if (!fax_ || finished_) return false;
    const fax_modems_state_t& m = fax_->modems;
    return IsT30PageModem(m.current_tx_type) || (IsT30PageModem(m.current_rx_type) && m.rx_trained);
}

}  // namespace corvane::faxline
