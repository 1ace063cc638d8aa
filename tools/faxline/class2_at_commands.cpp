// The Class 2 / 2.0 modem's AT command interpreter: command lines, basic and extended
// commands, result codes and the parameter lists of +FDIS/+FDCC and their reports.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "class2_modem.h"
#include "pty_port.h"
#include "spandsp_api.h"
#include "telephone_line.h"

namespace corvane::faxline {
namespace {

constexpr uint8_t kXon = 0x11;
constexpr int kDefaultS7Seconds = 60;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

// Settings that the modem keeps and reads back, under their Class 2 and Class 2.0 names
// (nullptr: not in that command set).
struct Class2Modem::Setting {
    const char* class2;
    const char* class20;
    const char* ranges;  // as answered to "=?"; '"' is a quoted string
    const char* initial;
};

const Class2Modem::Setting Class2Modem::kSettings[] = {
    {"FCR", "FCR", "(0,1)", "0"},       {"FAA", "FAA", "(0,1)", "0"},
    {"FBUG", "FBU", "(0,1)", "0"},      {"FPHCTO", "FCT", "(0-255)", "30"},
    {"FCQ", "FCQ", "(0-2),(0-2)", "0"}, {"FLO", "FLO", "(0-2)", "0"},
    {"FMINSP", "FMS", "(0-5)", "0"},    {"FBOR", "FBO", "(0-3)", "0"},
    {"FCIG", "FPI", "\"", "\"\""},      {"FLID", "FLI", "\"", "\"\""},
    {"FREL", nullptr, "(0,1)", "0"},    {nullptr, "FNR", "(0,1),(0,1),(0,1),(0,1)", "0,0,0,0"},
    {nullptr, "FIE", "(0,1)", "0"},     {nullptr, "FAP", "(0,1),(0,1),(0,1)", "0,0,0"},
};

void Class2Modem::ResetProfile() {
    echo_ = true;
    quiet_ = false;
    verbose_results_ = true;
    s_regs_.fill(0);
    s_regs_[2] = 43;
    s_regs_[3] = 13;
    s_regs_[4] = 10;
    s_regs_[5] = 8;
    s_regs_[7] = kDefaultS7Seconds;
    s_regs_[12] = 50;  // escape guard time, fiftieths of a second
    fclass_ = "0";
    result_level_ = 4;
    settings_.clear();
    for (const Setting& s : kSettings) SettingValue(s) = s.initial;
    local_id_.clear();
    dis_ = {1, 5, 0, 2, 0, 0, 0, 0};
    dcc_ = dis_;
    bit_order_ = 0;
    ResetLineBehaviour();
}

std::string Class2Modem::Name(const char* class2, const char* class20) const {
    return fclass_ == "2.0" ? class20 : class2;
}

void Class2Modem::Reply(const std::string& text) {
    if (quiet_) return;
    const std::string out = verbose_results_ ? "\r\n" + text + "\r\n" : text + "\r";
    to_dte_(reinterpret_cast<const uint8_t*>(out.data()), out.size());
}

void Class2Modem::Result(Outcome outcome) {
    if (outcome == Outcome::kPending) return;
    Reply(outcome == Outcome::kOk ? "OK" : "ERROR");
}

void Class2Modem::CommandByte(uint8_t c) {
    if (result_pending_) {
        // Any byte while dialling or answering cancels the call set-up, as on a modem.
        if (call_ == Call::kDialling ||
            (call_ == Call::kConnected && !session_over_ && fax_ == nullptr)) {
            EndCall();
            Reply("NO CARRIER");
            result_pending_ = false;
        }
        return;
    }
    if (echo_ && c != '\n') to_dte_(&c, 1);
    if (c == '\r') {
        std::string line;
        line.swap(line_buf_);
        const size_t at = Upper(line).find("AT");
        if (at != std::string::npos) ExecuteLine(line.substr(at + 2));
        return;
    }
    if (c == '\n') return;
    if (c == 8 || c == 127) {
        if (!line_buf_.empty()) line_buf_.pop_back();
        return;
    }
    if (line_buf_.size() < 256) line_buf_ += static_cast<char>(c);
}

// The command name a setting or command has in the current class; empty when the class
// does not know it.
std::string Class2Modem::LocalName(const char* class2, const char* class20,
                                   const std::string& fclass) {
    if (fclass == "2") return class2 ? class2 : "";
    if (fclass == "2.0") return class20 ? class20 : "";
    return "";
}

const Class2Modem::Setting* Class2Modem::FindSetting(const std::string& name,
                                                     const std::string& fclass) {
    for (const Setting& s : kSettings)
        if (!name.empty() && LocalName(s.class2, s.class20, fclass) == name) return &s;
    return nullptr;
}

std::string& Class2Modem::SettingValue(const Setting& setting) {
    return settings_[setting.class2 ? setting.class2 : setting.class20];
}

namespace {

struct FaxCommand {
    const char* class2;
    const char* class20;
    bool settable;  // takes "=value" (otherwise an action or a query only)
};

// Commands beyond the stored settings, by class.
constexpr FaxCommand kFaxCommands[] = {
    {"FDIS", "FIS", true},   {"FDCC", "FCC", true},  {"FDCS", "FCS", false}, {"FDT", "FDT", false},
    {"FDR", "FDR", false},   {"FET", nullptr, true}, {"FK", "FKS", false},   {"FPTS", "FPS", true},
    {nullptr, "FHS", false}, {"FMFR", "FMI", false}, {"FMDL", "FMM", false}, {"FREV", "FMR", false},
};

// Identity commands every class answers.
constexpr const char* kGeneralCommands[] = {"GMI", "GMM", "GMR", "GCAP"};

}  // namespace

bool Class2Modem::CommandAllowed(const AtCommand& cmd, const std::string& fclass) const {
    switch (cmd.kind) {
        case AtCommand::Kind::kDial:
            return true;
        case AtCommand::Kind::kSRegister:
            return cmd.number < static_cast<int>(s_regs_.size()) &&
                   (cmd.op != AtCommand::Op::kSet ||
                    (cmd.value.size() <= 3 && (cmd.value.empty() || std::stoi(cmd.value) <= 255)));
        case AtCommand::Kind::kBasic:
        case AtCommand::Kind::kAmpersand:
            return BasicCommandAllowed(cmd);
        case AtCommand::Kind::kExtended:
            break;
    }
    if (cmd.name == "FCLASS")
        return cmd.op != AtCommand::Op::kSet || ClassListed(classes_, cmd.value);
    for (const char* name : kGeneralCommands)
        if (cmd.name == name) return cmd.op == AtCommand::Op::kAction;
    if (const Setting* s = FindSetting(cmd.name, fclass))
        return cmd.op != AtCommand::Op::kAction &&
               (cmd.op != AtCommand::Op::kSet || ValueFits(cmd.value, s->ranges));
    for (const FaxCommand& c : kFaxCommands) {
        if (LocalName(c.class2, c.class20, fclass) != cmd.name) continue;
        if (cmd.op == AtCommand::Op::kSet) {
            if (!c.settable) return false;
            if (cmd.name == "FDIS" || cmd.name == "FIS" || cmd.name == "FDCC" || cmd.name == "FCC")
                return ValueFits(cmd.value, kParamRanges);
            if (cmd.name == "FET") return ValueFits(cmd.value, "(0-2)");
            return ValueFits(cmd.value, "(1-5)");
        }
        return true;
    }
    return false;
}

void Class2Modem::ExecuteLine(const std::string& line) {
    const auto commands = ParseAtLine(line);
    if (!commands) {
        Result(Outcome::kError);
        return;
    }
    // A modem refuses the whole line when one command in it is wrong. A class chosen earlier
    // on the line counts for the commands after it.
    std::string fclass = fclass_;
    for (const AtCommand& cmd : *commands) {
        if (!CommandAllowed(cmd, fclass)) {
            Result(Outcome::kError);
            return;
        }
        if (cmd.kind == AtCommand::Kind::kExtended && cmd.name == "FCLASS" &&
            cmd.op == AtCommand::Op::kSet)
            fclass = cmd.value;
        if (cmd.kind == AtCommand::Kind::kBasic && cmd.letter == 'Z') fclass = "0";
    }
    Outcome outcome = Outcome::kOk;
    for (const AtCommand& cmd : *commands) {
        switch (cmd.kind) {
            case AtCommand::Kind::kExtended:
                outcome = ExecuteExtended(cmd);
                break;
            case AtCommand::Kind::kSRegister:
                if (cmd.op == AtCommand::Op::kQuery) {
                    char text[8];
                    std::snprintf(text, sizeof text, "%03d", s_regs_[cmd.number]);
                    Reply(text);
                } else if (cmd.op == AtCommand::Op::kSet) {
                    s_regs_[cmd.number] = cmd.value.empty() ? 0 : std::stoi(cmd.value);
                }
                break;
            case AtCommand::Kind::kAmpersand:
                if (cmd.letter == 'F') ResetProfile();
                if (cmd.letter == 'C' || cmd.letter == 'D')
                    SetLineBehaviour(cmd.letter, cmd.number);
                break;
            case AtCommand::Kind::kBasic:
            case AtCommand::Kind::kDial:
                outcome = ExecuteBasic(cmd.letter, cmd.kind == AtCommand::Kind::kDial
                                                       ? cmd.value
                                                       : std::to_string(std::max(cmd.number, 0)));
                break;
        }
        if (outcome != Outcome::kOk) break;
    }
    Result(outcome);
}

Class2Modem::Outcome Class2Modem::ExecuteBasic(char letter, const std::string& arg) {
    const int n = std::isdigit(static_cast<unsigned char>(arg.empty() ? 'x' : arg[0]))
                      ? std::atoi(arg.c_str())
                      : 0;
    switch (letter) {
        case 'E':
            echo_ = n != 0;
            return Outcome::kOk;
        case 'Q':
            quiet_ = n != 0;
            return Outcome::kOk;
        case 'V':
            verbose_results_ = n != 0;
            return Outcome::kOk;
        case 'X':
            result_level_ = n;
            return Outcome::kOk;
        case 'Z':
            if (call_ != Call::kIdle) EndCall();
            ResetProfile();
            return Outcome::kOk;
        case 'I':
            Reply(n == 3 ? "faxline Class 2/2.0 simulated modem" : "faxline");
            return Outcome::kOk;
        case 'H':
            if (call_ != Call::kIdle) EndCall();
            return Outcome::kOk;
        case 'A':
            if (call_ != Call::kRinging) return Outcome::kError;
            AnswerCall();
            result_pending_ = true;
            return Outcome::kPending;
        case 'D': {
            if (call_ != Call::kIdle) return Outcome::kError;
            std::string number;
            for (char c : arg)
                if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#')
                    number += c;
            call_ = Call::kDialling;
            calling_ = true;
            quiet_answer_ = arg.find('@') != std::string::npos;
            const int s7 = s_regs_[7] > 0 ? s_regs_[7] : kDefaultS7Seconds;
            dial_deadline_ = line_.now_samples() + MsToSamples(s7 * 1000LL);
            line_.Dial(this, number.c_str());
            result_pending_ = true;
            return Outcome::kPending;
        }
        case 'O':
            if (data_.state() == DataCall::State::kEscaped) {
                data_.Resume();
                Reply(DataCall::ConnectText(result_level_));
                return Outcome::kPending;  // CONNECT is the result
            }
            return call_ == Call::kIdle ? Outcome::kError : Outcome::kOk;
        default:
            return Outcome::kOk;  // L, M, P, T: speaker and dialling mode
    }
}

Class2Modem::Outcome Class2Modem::ExecuteExtended(const AtCommand& cmd) {
    const std::string& name = cmd.name;
    const AtCommand::Op op = cmd.op;
    const std::string& value = cmd.value;
    using Op = AtCommand::Op;
    auto report_params = [&](const char* reply, const Params& p) {
        Reply(std::string(reply) + ":" + Format(p));
        return Outcome::kOk;
    };
    if (name == "FCLASS") {
        if (op == Op::kTest) Reply(classes_);
        if (op == Op::kQuery) Reply(fclass_);
        if (op == Op::kSet) fclass_ = value;
        return Outcome::kOk;
    }
    if (name == "GMI" || name == "FMFR" || name == "FMI") {
        Reply("faxline");
        return Outcome::kOk;
    }
    if (name == "GMM" || name == "FMDL" || name == "FMM") {
        Reply("Class 2/2.0 simulated modem");
        return Outcome::kOk;
    }
    if (name == "GMR" || name == "FREV" || name == "FMR") {
        Reply("1.0");
        return Outcome::kOk;
    }
    if (name == "GCAP") {
        Reply("+GCAP:+FCLASS");
        return Outcome::kOk;
    }
    if (const Setting* setting = FindSetting(name, fclass_)) {
        std::string& stored = SettingValue(*setting);
        if (op == Op::kTest) {
            Reply(std::string(setting->ranges) == "\"" ? "(20),(32-127)" : setting->ranges);
        } else if (op == Op::kQuery) {
            Reply(stored);
        } else {
            // Sub-parameters left empty keep their value.
            const std::vector<int> given = SplitNumbers(value);
            if (std::string(setting->ranges) == "\"") {
                stored = value;
            } else {
                std::vector<int> now = SplitNumbers(stored);
                now.resize(std::max(now.size(), given.size()), 0);
                std::string joined;
                for (size_t k = 0; k < now.size(); ++k) {
                    if (k < given.size() && given[k] >= 0) now[k] = given[k];
                    joined += (k ? "," : "") + std::to_string(now[k]);
                }
                stored = joined;
            }
            if (setting->class2 && std::string(setting->class2) == "FLID")
                local_id_ = Unquoted(value);
            if (setting->class2 && std::string(setting->class2) == "FBOR")
                bit_order_ = std::atoi(stored.c_str());
        }
        return Outcome::kOk;
    }
    if (name == "FDIS" || name == "FIS" || name == "FDCC" || name == "FCC") {
        const bool dis = name == "FDIS" || name == "FIS";
        Params& p = dis ? dis_ : dcc_;
        const char* reply =
            dis ? (fclass_ == "2.0" ? "+FIS" : "+FDIS") : (fclass_ == "2.0" ? "+FCC" : "+FDCC");
        if (op == Op::kTest) {
            Reply(std::string(reply) + ":" + kParamRanges);
            return Outcome::kOk;
        }
        if (op == Op::kQuery) return report_params(reply, p);
        if (op == Op::kAction) return Outcome::kError;
        Params next = p;
        if (!ParseParams(value, next)) return Outcome::kError;
        p = next;
        return Outcome::kOk;
    }
    if (name == "FDCS" || name == "FCS") {
        if (op == Op::kQuery)
            return report_params(fclass_ == "2.0" ? "+FCS" : "+FDCS", SessionParams());
        return Outcome::kError;
    }
    if (name == "FHS") {
        if (op != Op::kQuery) return Outcome::kError;
        Reply("+FHS:" + HangUpText(hang_up_code_));
        return Outcome::kOk;
    }
    if (name == "FPTS" || name == "FPS") {
        if (op == Op::kTest) {
            Reply("(1-5)");
            return Outcome::kOk;
        }
        if (op == Op::kQuery) {
            Reply(std::to_string(last_page_status_));
            return Outcome::kOk;
        }
        if (op == Op::kSet) {
            // The receiving DTE's verdict on the page it was given (2 asks for it again); the
            // modem answers the sender with it at the next +FDR.
            rx_page_status_ = std::atoi(value.c_str());
            last_page_status_ = rx_page_status_;
            return Outcome::kOk;
        }
        return Outcome::kError;
    }
    if (op == Op::kTest) {
        if (name == "FET") Reply("(0-2)");
        return Outcome::kOk;
    }
    if (name == "FET" && hang_up_report_due_) {
        ReportHangUp();
        return Outcome::kOk;
    }
    if (name == "FET") {
        if (op != Op::kSet) return Outcome::kError;
        if (call_ != Call::kConnected || session_over_ || !calling_) return Outcome::kError;
        post_page_ = std::atoi(value.c_str());
        result_pending_ = true;  // answered with the page status once the remote replied
        return Outcome::kPending;
    }
    if (op != Op::kAction) return Outcome::kError;
    if (name == "FDT") {
        // After a far-end hang-up the modem still takes the page and fails once it tries to
        // send it, as a modem that has not yet noticed the line is dead. A call ended by the
        // modem or the DTE (+FK, +FKS) is over: no more pages.
        const bool usable = call_ == Call::kConnected && !session_over_;
        if (!calling_ || aborted_by_dte_ || (!usable && !hang_up_report_due_))
            return Outcome::kError;
        post_page_ = -1;
        if (!usable || page_carrier_) {
            StartPageIn();
        } else {
            // CONNECT once the remote has accepted the training (CFR).
            fdt_requested_ = true;
            result_pending_ = true;
        }
        return Outcome::kPending;
    }
    if (name == "FDR") {
        if (call_ != Call::kConnected && !session_over_) return Outcome::kError;
        if (calling_ || aborted_by_dte_) return Outcome::kError;  // no polling
        fdr_outstanding_ = true;
        result_pending_ = true;
        ServeFdr();
        return Outcome::kPending;
    }
    if (name == "FK" || name == "FKS") {
        // The modem sends DCN, hangs up and reports the hang-up (code 2) before its OK.
        if (call_ == Call::kIdle || session_over_) {
            if (call_ != Call::kIdle) EndCall();
            return Outcome::kOk;
        }
        aborted_by_dte_ = true;
        abort_ = true;
        hang_up_requested_ = true;
        result_pending_ = true;
        fdr_outstanding_ = false;
        return Outcome::kPending;
    }
    return Outcome::kError;
}

std::string Class2Modem::Format(const Params& p) {
    std::string out;
    for (size_t i = 0; i < p.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(p[i]);
    }
    return out;
}

bool Class2Modem::ParseParams(const std::string& value, Params& p) {
    size_t index = 0;
    std::string item;
    auto flush = [&] {
        if (index >= p.size()) return;
        if (!item.empty()) p[index] = std::atoi(item.c_str());
        ++index;
        item.clear();
    };
    for (char c : value) {
        if (c == ',') {
            flush();
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            item += c;
        } else if (c != ' ') {
            return false;
        }
    }
    flush();
    return true;
}

}  // namespace corvane::faxline
