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

Class1Modem::Class1Modem(TelephoneLine& line, DteWriter toDte, bool verbose, std::string classes)
    : line_(line), toDte_(std::move(toDte)), classes_(std::move(classes)) {
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
    self->modemStep_ = ++self->step_;
    const std::string_view text(reinterpret_cast<const char*>(buf), len);
    // A received frame (address 0xFF, then the control field with its final bit).
    if (len >= 2 && buf[0] == 0xFF && self->t31_->at_state.at_rx_mode == AT_MODE_DELIVERY)
        self->lastFrameFinal_ = (buf[1] & 0x10) != 0;
    if (text.find_first_not_of("\r\n") != std::string_view::npos)
        self->lastResultOk_ = text.find("OK") != std::string_view::npos;
    self->toDte_(buf, len);
    return static_cast<int>(len);
}

int Class1Modem::ModemControl(t31_state_s*, void* user_data, int op, const char* num) {
    auto* self = static_cast<Class1Modem*>(user_data);
    switch (op) {
        case AT_MODEM_CONTROL_CALL:
            self->dialRequested_ = true;
            self->dialNumber_ = num ? num : "";
            break;
        case AT_MODEM_CONTROL_ANSWER:
            self->answerRequested_ = true;
            break;
        case AT_MODEM_CONTROL_HANGUP:
            self->hangUpRequested_ = true;
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
    if (hangUpRequested_) {
        hangUpRequested_ = false;
        dialRequested_ = false;
        answerRequested_ = false;
        EndCall();
    }
    if (dialRequested_) {
        dialRequested_ = false;
        dialling_ = true;
        int s7 = t31_->at_state.p.s_regs[7];
        if (s7 <= 0) s7 = kDefaultS7Seconds;
        dialDeadline_ = line_.nowSamples() + MsToSamples(s7 * 1000LL);
        line_.Dial(this, dialNumber_.c_str());
    }
    if (answerRequested_) {
        answerRequested_ = false;
        inCall_ = true;
        line_.Answer(this);
        if (DataMode())
            StartDataCall();
        else
            t31_call_event(t31_, AT_CALL_EVENT_ANSWERED);
    }
}

void Class1Modem::EndCall() {
    if (dialling_ || inCall_) line_.HangUp(this);
    data_.End();
    dialling_ = false;
    inCall_ = false;
    dialDeadline_ = -1;
}

size_t Class1Modem::FromDte(const uint8_t* data, size_t len) {
    size_t taken = 0;
    // T.31 drops whatever follows DLE ETX within one chunk, so bytes go in one at a time.
    // A modem pacing by XON/XOFF alone reads on; what its buffer cannot hold is lost.
    while (taken < len && !(holding_ && !xonFlow_) && !(xonFlow_ && xoffSent_ && DteStops())) {
        at_state_t& at = t31_->at_state;
        const bool commandMode =
            at.at_rx_mode == AT_MODE_ONHOOK_COMMAND || at.at_rx_mode == AT_MODE_OFFHOOK_COMMAND;
        const uint8_t byte = data[taken++];
        if (DataCallByte(byte)) continue;
        // While dialling any byte cancels the call, which T.31 itself does.
        if (commandMode && !dialling_) {
            CommandByte(byte);
            continue;
        }
        if (at.at_rx_mode == AT_MODE_STUFFED &&
            t31_->tx.in_bytes - t31_->tx.out_bytes >= T31_TX_BUF_LEN - 1) {
            ++overflows_;
            // A modem that does not hold the DTE back loses what its buffer cannot take
            // (T.31 itself must not be handed more than it holds).
            if (xonFlow_) continue;
        }
        const char c = static_cast<char>(byte);
        if (!commandMode || c == '\r') dteStep_ = ++step_;
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
        modemStep_ = ++step_;
        toDte_(&c, 1);
    }
    if (c == 8 || c == 127) {
        if (!lineBuf_.empty()) lineBuf_.pop_back();
        return;
    }
    if (c != '\r') {
        if (lineBuf_.size() < 256) lineBuf_ += static_cast<char>(c);
        return;
    }
    dteStep_ = ++step_;
    std::string line;
    line.swap(lineBuf_);
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
    bool keepsEcho = true;
    if (!commands || !LineAllowed(*commands, keepsEcho)) {
        at_put_response_code(&at, AT_RESPONSE_CODE_ERROR);
        return;
    }
    const bool onlineAgain = commands->size() == 1 &&
                             commands->front().kind == AtCommand::Kind::Basic &&
                             commands->front().letter == 'O';
    if (onlineAgain && data_.state() == DataCall::State::Escaped) {
        data_.Resume();
        Respond(DataCall::ConnectText(at.result_code_mode), AT_RESPONSE_CODE_CONNECT);
        return;
    }
    if (onlineAgain && !OffHook()) {
        at_put_response_code(&at, AT_RESPONSE_CODE_ERROR);  // no call to return to
        return;
    }
    if (commands->size() == 1 && commands->front().name == "FCLASS" &&
        commands->front().op == AtCommand::Op::Test) {
        at_put_response(&at, classes_.c_str());
        at_put_response_code(&at, AT_RESPONSE_CODE_OK);
        return;
    }
    if (AnswerRegisterLine(*commands)) return;
    if (EagerFcError(*commands) || TailFcError(*commands)) return;
    bool factory = false;
    for (const AtCommand& cmd : *commands) {
        if (cmd.kind == AtCommand::Kind::Dial)
            quietAnswer_ = cmd.value.find('@') != std::string::npos;
        const bool amp = cmd.kind == AtCommand::Kind::Ampersand;
        if (amp && (cmd.letter == 'C' || cmd.letter == 'D'))
            SetLineBehaviour(cmd.letter, cmd.number);
        if ((amp && cmd.letter == 'F') ||
            (cmd.kind == AtCommand::Kind::Basic && cmd.letter == 'Z')) {
            ResetLineBehaviour();
            xonFlow_ = false;
        }
        if (cmd.name == "FCLASS" && cmd.op == AtCommand::Op::Set && cmd.value == "1" &&
            personality_.fclass1ForcesXon)
            xonFlow_ = true;
    }
    const int echo = at.p.echo;
    at.p.echo = 0;
    const std::string command = "AT" + body + "\r";
    for (char ch : command) {
        t31_at_rx(t31_, &ch, 1);
        RunDeferredRequests();
    }
    if (keepsEcho) at.p.echo = echo;
    if (factory) SetEscapeRegisters();
    // T.31 does not keep every S register it accepts; the escape registers the modem uses
    // itself are kept here.
    for (const AtCommand& cmd : *commands) {
        if (cmd.kind == AtCommand::Kind::SRegister && cmd.op == AtCommand::Op::Set &&
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
        if (cmd.kind != AtCommand::Kind::SRegister) return false;
    at_state_t& at = t31_->at_state;
    for (const AtCommand& cmd : commands) {
        if (cmd.op == AtCommand::Op::Query) {
            char value[8];
            std::snprintf(value, sizeof value, "%03d", at.p.s_regs[cmd.number]);
            at_put_response(&at, value);
        } else if (cmd.op == AtCommand::Op::Set)
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

bool Class1Modem::LineAllowed(const std::vector<AtCommand>& commands, bool& keepsEcho) const {
    struct Rule {
        const char* name;
        const char* ranges;  // nullptr: no value; the command is an action or a query
        bool class1Only;
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
            case AtCommand::Kind::Dial:
                break;
            case AtCommand::Kind::SRegister:
                if (cmd.number > 99) return false;
                if (cmd.op == AtCommand::Op::Set &&
                    (cmd.value.size() > 3 || (!cmd.value.empty() && std::stoi(cmd.value) > 255)))
                    return false;
                break;
            case AtCommand::Kind::Basic:
            case AtCommand::Kind::Ampersand:
                if (!BasicCommandAllowed(cmd)) return false;
                if (cmd.letter == 'E' || cmd.letter == 'Z' ||
                    (cmd.kind == AtCommand::Kind::Ampersand && cmd.letter == 'F'))
                    keepsEcho = false;
                if (cmd.kind == AtCommand::Kind::Basic && cmd.letter == 'Z') class1 = false;
                break;
            case AtCommand::Kind::Extended: {
                if (cmd.name == "FCLASS") {
                    if (cmd.op == AtCommand::Op::Set) {
                        if (!ClassListed(classes_, cmd.value)) return false;
                        class1 = cmd.value != "0";
                    }
                    break;
                }
                const Rule* rule = nullptr;
                for (const Rule& r : kRules)
                    if (cmd.name == r.name) rule = &r;
                if (!rule || (rule->class1Only && !class1)) return false;
                if (cmd.op == AtCommand::Op::Set &&
                    (!rule->ranges || !ValueFits(cmd.value, rule->ranges)))
                    return false;
                if (!rule->ranges && cmd.op == AtCommand::Op::Test) return false;
                break;
            }
        }
    }
    return true;
}

void Class1Modem::DteHungUp() {
    if (!dialling_ && !inCall_) return;
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
    const bool answered = modemStep_ > dteStep_;
    switch (mode) {
        case AT_MODE_ONHOOK_COMMAND: {
            // Rings the DTE must answer itself come in real time; auto-answer needs no DTE.
            constexpr int64_t kRingGapSamples = MsToSamples(7000);
            // (A data call answered stays in this mode: it no longer waits.)
            return !inCall_ && lastRing_ >= 0 && line_.nowSamples() - lastRing_ < kRingGapSamples &&
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
    return dialling_ || inCall_;
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
    if (!farEndGone_ || t31_->at_state.at_rx_mode != AT_MODE_DELIVERY) return;
    farEndGone_ = false;
    if (!inCall_) return;
    inCall_ = false;
    t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
}

void Class1Modem::Receive(int16_t* amp, int len) {
    if (data_.active()) {
        switch (data_.Receive(amp, len, line_.nowSamples())) {
            case DataCall::Event::CarrierFound:
                Respond(DataCall::ConnectText(t31_->at_state.result_code_mode),
                        AT_RESPONSE_CODE_CONNECT);
                break;
            case DataCall::Event::CarrierLost:
            case DataCall::Event::GaveUp:
                EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
                break;
            case DataCall::Event::None:
                break;
        }
        return;
    }
    t31_rx(t31_, amp, len);
    NoteEndOfSignal();
    NoticeFarEndGone();
    RunDeferredRequests();
    if (dialling_ && dialDeadline_ >= 0 && line_.nowSamples() >= dialDeadline_) {
        // No answer within S7: NO CARRIER, or NO ANSWER under X3 and X4 when the dial string
        // waited for a quiet answer ('@') and the ringing never stopped.
        EndCall();
        DialFailed(quietAnswer_ && t31_->at_state.result_code_mode >= 3
                       ? AT_RESPONSE_CODE_NO_ANSWER
                       : AT_RESPONSE_CODE_NO_CARRIER);
        RunDeferredRequests();
    }
}

void Class1Modem::DialFailed(int responseCode) {
    // T.31 is still in on-hook command mode while it dials, where its hang-up event says
    // nothing.
    if (t31_->at_state.at_rx_mode == AT_MODE_ONHOOK_COMMAND)
        at_put_response_code(&t31_->at_state, responseCode);
    else
        t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
}

void Class1Modem::OnLineEvent(LineEvent event) {
    switch (event) {
        case LineEvent::Ring:
            lastRing_ = line_.nowSamples();
            if (AutoAnswerAllowed()) {
                t31_call_event(t31_, AT_CALL_EVENT_ALERTING);
            } else {
                // T.31 answers by itself after S0 rings; with DTR down it must not.
                uint8_t& s0 = t31_->at_state.p.s_regs[0];
                const uint8_t ringsToAnswer = s0;
                s0 = 0;
                t31_call_event(t31_, AT_CALL_EVENT_ALERTING);
                s0 = ringsToAnswer;
            }
            break;
        case LineEvent::Answered:
            dialling_ = false;
            inCall_ = true;
            if (DataMode()) {
                StartDataCall();
            } else {
                t31_call_event(t31_, AT_CALL_EVENT_CONNECTED);
            }
            dialDeadline_ = -1;
            break;
        case LineEvent::Busy:
            if (!dialling_) break;
            EndCall();
            // Below X3 a modem does not tell busy tone from a failed call.
            if (t31_->at_state.result_code_mode >= 3)
                t31_call_event(t31_, AT_CALL_EVENT_BUSY);
            else
                DialFailed(AT_RESPONSE_CODE_NO_CARRIER);
            break;
        case LineEvent::NoDialTone:
            // X2 and X4 wait for dial tone; X0, X1 and X3 dial blind and meet no answer.
            if (!dialling_) break;
            if (t31_->at_state.result_code_mode == 2 || t31_->at_state.result_code_mode == 4) {
                EndCall();
                DialFailed(AT_RESPONSE_CODE_NO_DIALTONE);
            }
            break;
        case LineEvent::FarEndHungUp:
            if (data_.active()) {
                EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
                break;
            }
            farEndGone_ = inCall_;
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
    const int64_t giveUp =
        dialDeadline_ >= 0 ? dialDeadline_ : line_.nowSamples() + MsToSamples(s7 * 1000LL);
    data_.Start(giveUp);
}

bool Class1Modem::DataCallByte(uint8_t c) {
    switch (data_.state()) {
        case DataCall::State::None:
        case DataCall::State::Escaped:
            return false;
        case DataCall::State::WaitingForCarrier:
            // Any byte while the modem waits for a carrier gives the call up.
            EndDataCall(AT_RESPONSE_CODE_NO_CARRIER);
            return true;
        case DataCall::State::Online: {
            const at_state_t& at = t31_->at_state;
            dteStep_ = ++step_;
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

void Class1Modem::EndDataCall(int responseCode) {
    EndCall();
    at_put_response_code(&t31_->at_state, responseCode);
}

void Class1Modem::Respond(const std::string& text, int code) {
    modemStep_ = ++step_;
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
    return dteStopsOnXoff_ && dteStopsOnXoff_();
}

void Class1Modem::SoftwareFlow() {
    xonFlow_ = xonFlow_ || personality_.ignoresCts;
    if (!xonFlow_) return;
    // XOFF at half the buffer, so that what the DTE's own buffers still hold fits; XON once
    // it has drained to a quarter.
    const int fill = t31_->tx.in_bytes - t31_->tx.out_bytes;
    const bool stuffed = t31_->at_state.at_rx_mode == AT_MODE_STUFFED;
    uint8_t c = 0;
    if (!xoffSent_ && stuffed && fill >= T31_TX_BUF_LEN / 2)
        c = 0x13;
    else if (xoffSent_ && (!stuffed || fill <= T31_TX_BUF_LEN / 4))
        c = 0x11;
    if (c == 0) return;
    xoffSent_ = c == 0x13;
    toDte_(&c, 1);
}

bool Class1Modem::InTail() const {
    return personality_.earlyOk && line_.nowSamples() < tailUntil_;
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
    if (carrying_ && !carrying && mode == AT_MODE_OFFHOOK_COMMAND && lastResultOk_ &&
        (wasTransmitting_ || lastFrameFinal_))
        tailUntil_ = line_.nowSamples() + MsToSamples(kEarlyOkTailMs);
    carrying_ = carrying;
    wasTransmitting_ = transmitting;
}

bool Class1Modem::TailFcError(const std::vector<AtCommand>& commands) {
    if (!InTail()) return false;
    for (const AtCommand& cmd : commands) {
        if ((cmd.name == "FRM" || cmd.name == "FRH") && cmd.op == AtCommand::Op::Set) {
            // The receiver still hears the last carrier: it cannot start on a new one.
            at_put_response_code(&t31_->at_state, AT_RESPONSE_CODE_FCERROR);
            return true;
        }
    }
    return false;
}

bool Class1Modem::EagerFcError(const std::vector<AtCommand>& commands) {
    if (personality_.fcerrorEager <= 0) return false;
    bool listens = false;
    for (const AtCommand& cmd : commands) {
        const bool set = cmd.op == AtCommand::Op::Set;
        // A transmission (or the start of a call) begins a new phase.
        if (cmd.kind == AtCommand::Kind::Dial ||
            (cmd.kind == AtCommand::Kind::Basic && cmd.letter == 'A') ||
            (set && (cmd.name == "FTH" || cmd.name == "FTM")))
            eagerLeft_ = personality_.fcerrorEager;
        listens = listens || (set && (cmd.name == "FRM" || cmd.name == "FRH"));
    }
    if (!listens || eagerLeft_ <= 0) return false;
    --eagerLeft_;
    at_put_response_code(&t31_->at_state, AT_RESPONSE_CODE_FCERROR);
    return true;
}

}  // namespace corvane::faxline
