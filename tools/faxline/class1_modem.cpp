#include "class1_modem.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "pty_port.h"

#include "at_syntax.h"
#include "spandsp_api.h"
#include "telephone_line.h"

namespace corvane::faxline {
namespace {

constexpr int kDefaultS7Seconds = 60;
// How long before the carrier ends a modem with the early OK gives it.
constexpr int64_t kEarlyOkTailMs = 100;

}  // namespace

Class1Modem::Class1Modem(TelephoneLine& line, DteWriter to_dte, bool verbose, std::string classes)
    : line_(line), to_dte_(std::move(to_dte)), classes_(std::move(classes)) {
    t31_ = t31_init(nullptr, &Class1Modem::AtToDte, this, &Class1Modem::ModemControl, this, nullptr,
                    nullptr);
    t31_set_transmit_on_idle(t31_, 1);
    // Modems leave the factory with the full set of call progress results.
    t31_->at_state.result_code_mode = 4;
    SetEscapeRegisters();
    if (verbose) {
        const int level = SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_TAG | SPAN_LOG_FLOW;
        span_log_set_level(t31_get_logging_state(t31_), level);
        span_log_set_tag(t31_get_logging_state(t31_), "T31");
        span_log_set_level(&t31_->at_state.logging, level);
        span_log_set_tag(&t31_->at_state.logging, "AT");
    }
}

Class1Modem::~Class1Modem() {
    t31_free(t31_);
}

int Class1Modem::AtToDte(at_state_s*, void* user_data, const uint8_t* buf, size_t len) {
    auto* self = static_cast<Class1Modem*>(user_data);
    self->modem_step_ = ++self->step_;
    const std::string_view text(reinterpret_cast<const char*>(buf), len);
    // A received frame (address 0xFF, then the control field with its final bit).
    if (len >= 2 && buf[0] == 0xFF && self->t31_->at_state.at_rx_mode == AT_MODE_DELIVERY)
        self->last_frame_final_ = (buf[1] & 0x10) != 0;
    if (text.find_first_not_of("\r\n") != std::string_view::npos)
        self->last_result_ok_ = text.find("OK") != std::string_view::npos;
    self->to_dte_(buf, len);
    return static_cast<int>(len);
}

int Class1Modem::ModemControl(t31_state_s*, void* user_data, int op, const char* num) {
    auto* self = static_cast<Class1Modem*>(user_data);
    switch (op) {
        case AT_MODEM_CONTROL_CALL:
            self->dial_requested_ = true;
            self->dial_number_ = num ? num : "";
            break;
        case AT_MODEM_CONTROL_ANSWER:
            self->answer_requested_ = true;
            break;
        case AT_MODEM_CONTROL_HANGUP:
            self->hang_up_requested_ = true;
            break;
        case AT_MODEM_CONTROL_CTS:
            self->holding_ = (num == nullptr);
            break;
        default:
            break;
    }
    return 0;
}

void Class1Modem::RunDeferredRequests() {
    if (hang_up_requested_) {
        hang_up_requested_ = false;
        dial_requested_ = false;
        answer_requested_ = false;
        EndCall();
    }
    if (dial_requested_) {
        dial_requested_ = false;
        dialling_ = true;
        int s7 = t31_->at_state.p.s_regs[7];
        if (s7 <= 0) s7 = kDefaultS7Seconds;
        dial_deadline_ = line_.now_samples() + MsToSamples(s7 * 1000LL);
        line_.Dial(this, dial_number_.c_str());
    }
    if (answer_requested_) {
        answer_requested_ = false;
        in_call_ = true;
        line_.Answer(this);
        if (DataMode())
            StartDataCall();
        else
            t31_call_event(t31_, AT_CALL_EVENT_ANSWERED);
    }
}

void Class1Modem::EndCall() {
    if (dialling_ || in_call_) line_.HangUp(this);
    data_.End();
    dialling_ = false;
    in_call_ = false;
    dial_deadline_ = -1;
}

size_t Class1Modem::FromDte(const uint8_t* data, size_t len) {
    size_t taken = 0;
    // T.31 drops whatever follows DLE ETX within one chunk, so bytes go in one at a time.
    // A modem pacing by XON/XOFF alone reads on; what its buffer cannot hold is lost.
    while (taken < len && !(holding_ && !xon_flow_) && !(xon_flow_ && xoff_sent_ && DteStops())) {
        at_state_t& at = t31_->at_state;
        const bool command_mode =
            at.at_rx_mode == AT_MODE_ONHOOK_COMMAND || at.at_rx_mode == AT_MODE_OFFHOOK_COMMAND;
        const uint8_t byte = data[taken++];
        if (DataCallByte(byte)) continue;
        // While dialling any byte cancels the call, which T.31 itself does.
        if (command_mode && !dialling_) {
            CommandByte(byte);
            continue;
        }
        if (at.at_rx_mode == AT_MODE_STUFFED &&
            t31_->tx.in_bytes - t31_->tx.out_bytes >= T31_TX_BUF_LEN - 1) {
            ++overflows_;
            // A modem that does not hold the DTE back loses what its buffer cannot take
            // (T.31 itself must not be handed more than it holds).
            if (xon_flow_) continue;
        }
        const char c = static_cast<char>(byte);
        if (!command_mode || c == '\r') dte_step_ = ++step_;
        t31_at_rx(t31_, &c, 1);
        RunDeferredRequests();
        SoftwareFlow();
    }
    return taken;
}

// Command lines are checked whole before T.31 sees them: its interpreter accepts commands
// and values a hardware modem refuses. The modem echoes as the bytes come.
void Class1Modem::CommandByte(uint8_t c) {
    at_state_t& at = t31_->at_state;
    if (at.p.echo) {
        modem_step_ = ++step_;
        to_dte_(&c, 1);
    }
    if (c == 8 || c == 127) {
        if (!line_buf_.empty()) line_buf_.pop_back();
        return;
    }
    if (c != '\r') {
        if (line_buf_.size() < 256) line_buf_ += static_cast<char>(c);
        return;
    }
    dte_step_ = ++step_;
    std::string line;
    line.swap(line_buf_);
    size_t start = std::string::npos;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' && line[i + 1] == 'T') || (line[i] == 'a' && line[i + 1] == 't')) {
            start = i;
            break;
        }
    }
    if (start == std::string::npos) return;
    const std::string body = line.substr(start + 2);
    const auto commands = ParseAtLine(body);
    bool keeps_echo = true;
    if (!commands || !LineAllowed(*commands, keeps_echo)) {
        at_put_response_code(&at, AT_RESPONSE_CODE_ERROR);
        return;
    }
    const bool online_again = commands->size() == 1 &&
                              commands->front().kind == AtCommand::Kind::kBasic &&
                              commands->front().letter == 'O';
    if (online_again && data_.state() == DataCall::State::kEscaped) {
        data_.Resume();
        Respond(DataCall::ConnectText(at.result_code_mode), AT_RESPONSE_CODE_CONNECT);
        return;
    }
    if (online_again && !OffHook()) {
        at_put_response_code(&at, AT_RESPONSE_CODE_ERROR);  // no call to return to
        return;
    }
    if (commands->size() == 1 && commands->front().name == "FCLASS" &&
        commands->front().op == AtCommand::Op::kTest) {
        at_put_response(&at, classes_.c_str());
        at_put_response_code(&at, AT_RESPONSE_CODE_OK);
        return;
    }
    if (AnswerRegisterLine(*commands)) return;
    if (EagerFcError(*commands) || TailFcError(*commands)) return;
    bool factory = false;
    for (const AtCommand& cmd : *commands) {
        if (cmd.kind == AtCommand::Kind::kDial)
            quiet_answer_ = cmd.value.find('@') != std::string::npos;
        const bool amp = cmd.kind == AtCommand::Kind::kAmpersand;
        if (amp && (cmd.letter == 'C' || cmd.letter == 'D'))
            SetLineBehaviour(cmd.letter, cmd.number);
        if ((amp && cmd.letter == 'F') ||
            (cmd.kind == AtCommand::Kind::kBasic && cmd.letter == 'Z')) {
            ResetLineBehaviour();
            xon_flow_ = false;
        }
        if (cmd.name == "FCLASS" && cmd.op == AtCommand::Op::kSet && cmd.value == "1" &&
            personality_.fclass1_forces_xon)
            xon_flow_ = true;
    }
    const int echo = at.p.echo;
    at.p.echo = 0;
    const std::string command = "AT" + body + "\r";
    for (char ch : command) {
        t31_at_rx(t31_, &ch, 1);
        RunDeferredRequests();
    }
    if (keeps_echo) at.p.echo = echo;
    if (factory) SetEscapeRegisters();
    // T.31 does not keep every S register it accepts; the escape registers the modem uses
    // itself are kept here.
    for (const AtCommand& cmd : *commands) {
        if (cmd.kind == AtCommand::Kind::kSRegister && cmd.op == AtCommand::Op::kSet &&
            (cmd.number == 2 || cmd.number == 12))
            at.p.s_regs[cmd.number] =
                static_cast<uint8_t>(cmd.value.empty() ? 0 : std::stoi(cmd.value));
    }
}

bool Class1Modem::AnswerRegisterLine(const std::vector<AtCommand>& commands) {
    // T.31 prints only some of its S registers (S1, S2, S9, S11 and S12 answer a bare OK) and
    // refuses others it does not know although a modem has them. A line of S register
    // commands alone is answered here from the same registers, every one read back.
    for (const AtCommand& cmd : commands)
        if (cmd.kind != AtCommand::Kind::kSRegister) return false;
    at_state_t& at = t31_->at_state;
    for (const AtCommand& cmd : commands) {
        if (cmd.op == AtCommand::Op::kQuery) {
            char value[8];
            std::snprintf(value, sizeof value, "%03d", at.p.s_regs[cmd.number]);
            at_put_response(&at, value);
        } else if (cmd.op == AtCommand::Op::kSet)
            at.p.s_regs[cmd.number] =
                static_cast<uint8_t>(cmd.value.empty() ? 0 : std::stoi(cmd.value));
    }
    at_put_response_code(&at, AT_RESPONSE_CODE_OK);
    return true;
}

void Class1Modem::SetEscapeRegisters() {
    // T.31's factory profile leaves the escape character (S2) and its guard time (S12) at 0;
    // a modem's are '+' and one second.
    t31_->at_state.p.s_regs[2] = '+';
    t31_->at_state.p.s_regs[12] = 50;
}

bool Class1Modem::LineAllowed(const std::vector<AtCommand>& commands, bool& keeps_echo) const {
    struct Rule {
        const char* name;
        const char* ranges;  // nullptr: no value; the command is an action or a query
        bool class1_only;
    };
    // What spandsp's modulations give: V.27ter, V.29 and V.17 with and without short train.
    static const Rule kRules[] = {
        {"FTM", "24,48,72,73,74,96,97,98,121,122,145,146", true},
        {"FRM", "24,48,72,73,74,96,97,98,121,122,145,146", true},
        {"FTH", "3", true},
        {"FRH", "3", true},
        {"FTS", "(0-255)", true},
        {"FRS", "(0-255)", true},
        {"FAR", "(0,1)", true},
        {"FCL", "(0-255)", true},
        {"FIT", "(0-255),(0,1)", true},
        {"FDD", "(0,1)", true},
        {"FLO", "(0-2)", false},
        {"IFC", "(0-2),(0-2)", false},
        {"IPR", "(0,2400,4800,9600,19200,38400,57600,115200)", false},
        {"FMI", nullptr, false},
        {"FMM", nullptr, false},
        {"FMR", nullptr, false},
        {"GMI", nullptr, false},
        {"GMM", nullptr, false},
        {"GMR", nullptr, false},
        {"GCAP", nullptr, false},
    };
    const at_state_t& at = t31_->at_state;
    // A class chosen earlier on the same line counts for the commands after it.
    bool class1 = at.fclass_mode != 0;  // 1 or 1.0
    for (const AtCommand& cmd : commands) {
        switch (cmd.kind) {
            case AtCommand::Kind::kDial:
                break;
            case AtCommand::Kind::kSRegister:
                if (cmd.number > 99) return false;
                if (cmd.op == AtCommand::Op::kSet &&
                    (cmd.value.size() > 3 || (!cmd.value.empty() && std::stoi(cmd.value) > 255)))
                    return false;
                break;
            case AtCommand::Kind::kBasic:
            case AtCommand::Kind::kAmpersand:
                if (!BasicCommandAllowed(cmd)) return false;
                if (cmd.letter == 'E' || cmd.letter == 'Z' ||
                    (cmd.kind == AtCommand::Kind::kAmpersand && cmd.letter == 'F'))
                    keeps_echo = false;
                if (cmd.kind == AtCommand::Kind::kBasic && cmd.letter == 'Z') class1 = false;
                break;
            case AtCommand::Kind::kExtended: {
                if (cmd.name == "FCLASS") {
                    if (cmd.op == AtCommand::Op::kSet) {
                        if (!ClassListed(classes_, cmd.value)) return false;
                        class1 = cmd.value != "0";
                    }
                    break;
                }
                const Rule* rule = nullptr;
                for (const Rule& r : kRules)
                    if (cmd.name == r.name) rule = &r;
                if (!rule || (rule->class1_only && !class1)) return false;
                if (cmd.op == AtCommand::Op::kSet &&
                    (!rule->ranges || !ValueFits(cmd.value, rule->ranges)))
                    return false;
                if (!rule->ranges && cmd.op == AtCommand::Op::kTest) return false;
                break;
            }
        }
    }
    return true;
}

void Class1Modem::DteHungUp() {
    if (!dialling_ && !in_call_) return;
    EndCall();
    t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
    holding_ = false;
}

bool Class1Modem::WaitsForDte() const {
    // The DTE has its early OK and may act while the carrier runs on: real time.
    if (InTail()) return true;
    const int mode = t31_->at_state.at_rx_mode;
    // The modem has answered the DTE's last command (a result code, or CONNECT asking for
    // frame data) and nothing else has come from the DTE since.
    const bool answered = modem_step_ > dte_step_;
    switch (mode) {
        case AT_MODE_ONHOOK_COMMAND: {
            // Rings the DTE must answer itself come in real time; auto-answer needs no DTE.
            constexpr int64_t kRingGapSamples = MsToSamples(7000);
            // (A data call answered stays in this mode: it no longer waits.)
            return !in_call_ && last_ring_ >= 0 &&
                   line_.now_samples() - last_ring_ < kRingGapSamples &&
                   t31_->at_state.p.s_regs[0] == 0;
        }
        case AT_MODE_OFFHOOK_COMMAND:
            return !dialling_ && answered;
        case AT_MODE_HDLC:
            return answered;
        case AT_MODE_STUFFED:
            return !t31_->tx.final && t31_->tx.in_bytes - t31_->tx.out_bytes < T31_TX_BUF_LOW_TIDE;
        default:
            return false;
    }
}

bool Class1Modem::InPageData() const {
    return CarriesPageData();
}

bool Class1Modem::OffHook() const {
    return dialling_ || in_call_;
}

bool Class1Modem::IdleOnHook() const {
    return !OffHook() && t31_->at_state.at_rx_mode == AT_MODE_ONHOOK_COMMAND;
}

bool Class1Modem::CarriesPageData() const {
    const int mode = t31_->at_state.at_rx_mode;
    return (mode == AT_MODE_STUFFED || mode == AT_MODE_DELIVERY) && IsPageModem(t31_->modem);
}

void Class1Modem::Transmit(int16_t* amp, int len) {
    const int produced = t31_tx(t31_, amp, len);
    SoftwareFlow();
    NoteEndOfSignal();
    std::fill(amp + produced, amp + len, 0);
    // A buffer that runs dry in the middle of page data makes the modem insert zero bytes,
    // which cut the coded line that was being sent.
    const bool starved = t31_->at_state.at_rx_mode == AT_MODE_STUFFED && t31_->tx.data_started &&
                         !t31_->tx.final && t31_->tx.out_bytes >= t31_->tx.in_bytes &&
                         IsPageModem(t31_->modem);
    if (starved && !starved_) ++underruns_;
    starved_ = starved;
    RunDeferredRequests();
}

void Class1Modem::NoticeFarEndGone() {
    // A modem that transmits or sits in command mode hears nothing of the line: it finds out
    // once the DTE makes it listen again (NO CARRIER instead of a frame or page).
    if (!far_end_gone_ || t31_->at_state.at_rx_mode != AT_MODE_DELIVERY) return;
    far_end_gone_ = false;
    if (!in_call_) return;
    in_call_ = false;
    t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
}

void Class1Modem::Receive(int16_t* amp, int len) {
    if (data_.active()) {
        switch (data_.Receive(amp, len, line_.now_samples())) {
            case DataCall::Event::kCarrierFound:
                Respond(DataCall::ConnectText(t31_->at_state.result_code_mode),
                        AT_RESPONSE_CODE_CONNECT);
                break;
            case DataCall::Event::kCarrierLost:
            case DataCall::Event::kGaveUp:
                EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
                break;
            case DataCall::Event::kNone:
                break;
        }
        return;
    }
    t31_rx(t31_, amp, len);
    NoteEndOfSignal();
    NoticeFarEndGone();
    RunDeferredRequests();
    if (dialling_ && dial_deadline_ >= 0 && line_.now_samples() >= dial_deadline_) {
        // No answer within S7: NO CARRIER, or NO ANSWER under X3 and X4 when the dial string
        // waited for a quiet answer ('@') and the ringing never stopped.
        EndCall();
        DialFailed(quiet_answer_ && t31_->at_state.result_code_mode >= 3
                       ? AT_RESPONSE_CODE_NO_ANSWER
                       : AT_RESPONSE_CODE_NO_CARRIER);
        RunDeferredRequests();
    }
}

void Class1Modem::DialFailed(int response_code) {
    // T.31 is still in on-hook command mode while it dials, where its hang-up event says
    // nothing.
    if (t31_->at_state.at_rx_mode == AT_MODE_ONHOOK_COMMAND)
        at_put_response_code(&t31_->at_state, response_code);
    else
        t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
}

void Class1Modem::OnLineEvent(LineEvent event) {
    switch (event) {
        case LineEvent::kRing:
            last_ring_ = line_.now_samples();
            if (AutoAnswerAllowed()) {
                t31_call_event(t31_, AT_CALL_EVENT_ALERTING);
            } else {
                // T.31 answers by itself after S0 rings; with DTR down it must not.
                uint8_t& s0 = t31_->at_state.p.s_regs[0];
                const uint8_t rings_to_answer = s0;
                s0 = 0;
                t31_call_event(t31_, AT_CALL_EVENT_ALERTING);
                s0 = rings_to_answer;
            }
            break;
        case LineEvent::kAnswered:
            dialling_ = false;
            in_call_ = true;
            if (DataMode()) {
                StartDataCall();
            } else {
                t31_call_event(t31_, AT_CALL_EVENT_CONNECTED);
            }
            dial_deadline_ = -1;
            break;
        case LineEvent::kBusy:
            if (!dialling_) break;
            EndCall();
            // Below X3 a modem does not tell busy tone from a failed call.
            if (t31_->at_state.result_code_mode >= 3)
                t31_call_event(t31_, AT_CALL_EVENT_BUSY);
            else
                DialFailed(AT_RESPONSE_CODE_NO_CARRIER);
            break;
        case LineEvent::kNoDialTone:
            // X2 and X4 wait for dial tone; X0, X1 and X3 dial blind and meet no answer.
            if (!dialling_) break;
            if (t31_->at_state.result_code_mode == 2 || t31_->at_state.result_code_mode == 4) {
                EndCall();
                DialFailed(AT_RESPONSE_CODE_NO_DIALTONE);
            }
            break;
        case LineEvent::kFarEndHungUp:
            if (data_.active()) {
                EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
                break;
            }
            far_end_gone_ = in_call_;
            NoticeFarEndGone();
            break;
    }
    RunDeferredRequests();
}

// ---------------------------------------------------------------------------------------
// Data calls (class 0). T.31 knows nothing of them: the modem keeps it in command mode and
// gives the results itself.

bool Class1Modem::DataMode() const {
    return t31_->at_state.fclass_mode == 0;
}

void Class1Modem::StartDataCall() {
    int s7 = t31_->at_state.p.s_regs[7];
    if (s7 <= 0) s7 = kDefaultS7Seconds;
    // A dialled call keeps what is left of its S7 wait; an answered one starts its own.
    const int64_t give_up =
        dial_deadline_ >= 0 ? dial_deadline_ : line_.now_samples() + MsToSamples(s7 * 1000LL);
    data_.Start(give_up);
}

bool Class1Modem::DataCallByte(uint8_t c) {
    switch (data_.state()) {
        case DataCall::State::kNone:
        case DataCall::State::kEscaped:
            return false;
        case DataCall::State::kWaitingForCarrier:
            // Any byte while the modem waits for a carrier gives the call up.
            EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
            return true;
        case DataCall::State::kOnline: {
            const at_state_t& at = t31_->at_state;
            dte_step_ = ++step_;
            data_.FromDte(&c, 1, WallMs(), at.p.s_regs[2], GuardMs());
            return true;
        }
    }
    return false;
}

int64_t Class1Modem::GuardMs() const {
    // S12 counts fiftieths of a second.
    return t31_->at_state.p.s_regs[12] * 20LL;
}

void Class1Modem::ServiceDte() {
    if (data_.TakeEscape(WallMs(), GuardMs())) Respond("OK", AT_RESPONSE_CODE_OK);
}

bool Class1Modem::EscapeDataCall() {
    if (!data_.Escape()) return false;
    Respond("OK", AT_RESPONSE_CODE_OK);
    return true;
}

void Class1Modem::EndDataCall(int response_code) {
    EndCall();
    at_put_response_code(&t31_->at_state, response_code);
}

void Class1Modem::Respond(const std::string& text, int code) {
    modem_step_ = ++step_;
    if (t31_->at_state.p.result_code_format)
        at_put_response(&t31_->at_state, text.c_str());
    else
        at_put_response_code(&t31_->at_state, code);
}

// ---------------------------------------------------------------------------------------
// Personalities

// A DTE whose port obeys XOFF holds what it has queued; one that does not (or that stops
// only feeding its port) keeps sending what the port already has.
bool Class1Modem::DteStops() const {
    return dte_stops_on_xoff_ && dte_stops_on_xoff_();
}

void Class1Modem::SoftwareFlow() {
    xon_flow_ = xon_flow_ || personality_.ignores_cts;
    if (!xon_flow_) return;
    // XOFF at half the buffer, so that what the DTE's own buffers still hold fits; XON once
    // it has drained to a quarter.
    const int fill = t31_->tx.in_bytes - t31_->tx.out_bytes;
    const bool stuffed = t31_->at_state.at_rx_mode == AT_MODE_STUFFED;
    uint8_t c = 0;
    if (!xoff_sent_ && stuffed && fill >= T31_TX_BUF_LEN / 2)
        c = 0x13;
    else if (xoff_sent_ && (!stuffed || fill <= T31_TX_BUF_LEN / 4))
        c = 0x11;
    if (c == 0) return;
    xoff_sent_ = c == 0x13;
    to_dte_(&c, 1);
}

bool Class1Modem::InTail() const {
    return personality_.early_ok && line_.now_samples() < tail_until_;
}

// T.31 says OK once a transmission's carrier is off, and once a received final frame has
// checked. A modem with the early OK says it while the carrier (its own, or the far end's)
// still runs on for a few tens of milliseconds, and cannot listen until it has ended.
void Class1Modem::NoteEndOfSignal() {
    const int mode = t31_->at_state.at_rx_mode;
    const bool transmitting = mode == AT_MODE_HDLC || mode == AT_MODE_STUFFED;
    const bool carrying = transmitting || mode == AT_MODE_DELIVERY;
    // After a received frame that is not the last the carrier goes on with the next one, and
    // a NO CARRIER comes once the carrier has gone: neither has a tail.
    if (carrying_ && !carrying && mode == AT_MODE_OFFHOOK_COMMAND && last_result_ok_ &&
        (was_transmitting_ || last_frame_final_))
        tail_until_ = line_.now_samples() + MsToSamples(kEarlyOkTailMs);
    carrying_ = carrying;
    was_transmitting_ = transmitting;
}

bool Class1Modem::TailFcError(const std::vector<AtCommand>& commands) {
    if (!InTail()) return false;
    for (const AtCommand& cmd : commands) {
        if ((cmd.name == "FRM" || cmd.name == "FRH") && cmd.op == AtCommand::Op::kSet) {
            // The receiver still hears the last carrier: it cannot start on a new one.
            at_put_response_code(&t31_->at_state, AT_RESPONSE_CODE_FCERROR);
            return true;
        }
    }
    return false;
}

bool Class1Modem::EagerFcError(const std::vector<AtCommand>& commands) {
    if (personality_.fcerror_eager <= 0) return false;
    bool listens = false;
    for (const AtCommand& cmd : commands) {
        const bool set = cmd.op == AtCommand::Op::kSet;
        // A transmission (or the start of a call) begins a new phase.
        if (cmd.kind == AtCommand::Kind::kDial ||
            (cmd.kind == AtCommand::Kind::kBasic && cmd.letter == 'A') ||
            (set && (cmd.name == "FTH" || cmd.name == "FTM")))
            eager_left_ = personality_.fcerror_eager;
        listens = listens || (set && (cmd.name == "FRM" || cmd.name == "FRH"));
    }
    if (!listens || eager_left_ <= 0) return false;
    --eager_left_;
    at_put_response_code(&t31_->at_state, AT_RESPONSE_CODE_FCERROR);
    return true;
}

}  // namespace corvane::faxline
