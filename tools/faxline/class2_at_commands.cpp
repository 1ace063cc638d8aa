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
    verboseResults_ = true;
    sRegs_.fill(0);
    sRegs_[2] = 43;
    sRegs_[3] = 13;
    sRegs_[4] = 10;
    sRegs_[5] = 8;
    sRegs_[7] = kDefaultS7Seconds;
    sRegs_[12] = 50;  // escape guard time, fiftieths of a second
    fclass_ = "0";
    resultLevel_ = 4;
    settings_.clear();
    for (const Setting& s : kSettings) SettingValue(s) = s.initial;
    localId_.clear();
    dis_ = {1, 5, 0, 2, 0, 0, 0, 0};
    dcc_ = dis_;
    bitOrder_ = 0;
    ResetLineBehaviour();
}

std::string Class2Modem::Name(const char* class2, const char* class20) const {
    return fclass_ == "2.0" ? class20 : class2;
}

void Class2Modem::Reply(const std::string& text) {
    if (quiet_) return;
    const std::string out = verboseResults_ ? "\r\n" + text + "\r\n" : text + "\r";
    toDte_(reinterpret_cast<const uint8_t*>(out.data()), out.size());
}

void Class2Modem::Result(Outcome outcome) {
    if (outcome == Outcome::Pending) return;
    Reply(outcome == Outcome::Ok ? "OK" : "ERROR");
}

void Class2Modem::CommandByte(uint8_t c) {
    if (resultPending_) {
        // Any byte while dialling or answering cancels the call set-up, as on a modem.
        if (call_ == Call::Dialling ||
            (call_ == Call::Connected && !sessionOver_ && fax_ == nullptr)) {
            EndCall();
            Reply("NO CARRIER");
            resultPending_ = false;
        }
        return;
    }
    if (echo_ && c != '\n') toDte_(&c, 1);
    if (c == '\r') {
        std::string line;
        line.swap(lineBuf_);
        const size_t at = Upper(line).find("AT");
        if (at != std::string::npos) ExecuteLine(line.substr(at + 2));
        return;
    }
    if (c == '\n') return;
    if (c == 8 || c == 127) {
        if (!lineBuf_.empty()) lineBuf_.pop_back();
        return;
    }
    if (lineBuf_.size() < 256) lineBuf_ += static_cast<char>(c);
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
        case AtCommand::Kind::Dial:
            return true;
        case AtCommand::Kind::SRegister:
            return cmd.number < static_cast<int>(sRegs_.size()) &&
                   (cmd.op != AtCommand::Op::Set ||
                    (cmd.value.size() <= 3 && (cmd.value.empty() || std::stoi(cmd.value) <= 255)));
        case AtCommand::Kind::Basic:
        case AtCommand::Kind::Ampersand:
            return BasicCommandAllowed(cmd);
        case AtCommand::Kind::Extended:
            break;
    }
    if (cmd.name == "FCLASS")
        return cmd.op != AtCommand::Op::Set || ClassListed(classes_, cmd.value);
    for (const char* name : kGeneralCommands)
        if (cmd.name == name) return cmd.op == AtCommand::Op::Action;
    if (const Setting* s = FindSetting(cmd.name, fclass))
        return cmd.op != AtCommand::Op::Action &&
               (cmd.op != AtCommand::Op::Set || ValueFits(cmd.value, s->ranges));
    for (const FaxCommand& c : kFaxCommands) {
        if (LocalName(c.class2, c.class20, fclass) != cmd.name) continue;
        if (cmd.op == AtCommand::Op::Set) {
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
        Result(Outcome::Error);
        return;
    }
    // A modem refuses the whole line when one command in it is wrong. A class chosen earlier
    // on the line counts for the commands after it.
    std::string fclass = fclass_;
    for (const AtCommand& cmd : *commands) {
        if (!CommandAllowed(cmd, fclass)) {
            Result(Outcome::Error);
            return;
        }
        if (cmd.kind == AtCommand::Kind::Extended && cmd.name == "FCLASS" &&
            cmd.op == AtCommand::Op::Set)
            fclass = cmd.value;
        if (cmd.kind == AtCommand::Kind::Basic && cmd.letter == 'Z') fclass = "0";
    }
    Outcome outcome = Outcome::Ok;
    for (const AtCommand& cmd : *commands) {
        switch (cmd.kind) {
            case AtCommand::Kind::Extended:
                outcome = ExecuteExtended(cmd);
                break;
            case AtCommand::Kind::SRegister:
                if (cmd.op == AtCommand::Op::Query) {
                    char text[8];
                    std::snprintf(text, sizeof text, "%03d", sRegs_[cmd.number]);
                    Reply(text);
                } else if (cmd.op == AtCommand::Op::Set) {
                    sRegs_[cmd.number] = cmd.value.empty() ? 0 : std::stoi(cmd.value);
                }
                break;
            case AtCommand::Kind::Ampersand:
                if (cmd.letter == 'F') ResetProfile();
                if (cmd.letter == 'C' || cmd.letter == 'D')
                    SetLineBehaviour(cmd.letter, cmd.number);
                break;
            case AtCommand::Kind::Basic:
            case AtCommand::Kind::Dial:
                outcome = ExecuteBasic(cmd.letter, cmd.kind == AtCommand::Kind::Dial
                                                       ? cmd.value
                                                       : std::to_string(std::max(cmd.number, 0)));
                break;
        }
        if (outcome != Outcome::Ok) break;
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
            return Outcome::Ok;
        case 'Q':
            quiet_ = n != 0;
            return Outcome::Ok;
        case 'V':
            verboseResults_ = n != 0;
            return Outcome::Ok;
        case 'X':
            resultLevel_ = n;
            return Outcome::Ok;
        case 'Z':
            if (call_ != Call::Idle) EndCall();
            ResetProfile();
            return Outcome::Ok;
        case 'I':
            Reply(n == 3 ? "faxline Class 2/2.0 simulated modem" : "faxline");
            return Outcome::Ok;
        case 'H':
            if (call_ != Call::Idle) EndCall();
            return Outcome::Ok;
        case 'A':
            if (call_ != Call::Ringing) return Outcome::Error;
            AnswerCall();
            resultPending_ = true;
            return Outcome::Pending;
        case 'D': {
            if (call_ != Call::Idle) return Outcome::Error;
            std::string number;
            for (char c : arg)
                if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#')
                    number += c;
            call_ = Call::Dialling;
            calling_ = true;
            quietAnswer_ = arg.find('@') != std::string::npos;
            const int s7 = sRegs_[7] > 0 ? sRegs_[7] : kDefaultS7Seconds;
            dialDeadline_ = line_.nowSamples() + MsToSamples(s7 * 1000LL);
            line_.Dial(this, number.c_str());
            resultPending_ = true;
            return Outcome::Pending;
        }
        case 'O':
            if (data_.state() == DataCall::State::Escaped) {
                data_.Resume();
                Reply(DataCall::ConnectText(resultLevel_));
                return Outcome::Pending;  // CONNECT is the result
            }
            return call_ == Call::Idle ? Outcome::Error : Outcome::Ok;
        default:
            return Outcome::Ok;  // L, M, P, T: speaker and dialling mode
    }
}

Class2Modem::Outcome Class2Modem::ExecuteExtended(const AtCommand& cmd) {
    const std::string& name = cmd.name;
    const AtCommand::Op op = cmd.op;
    const std::string& value = cmd.value;
    using Op = AtCommand::Op;
    auto reportParams = [&](const char* reply, const Params& p) {
        Reply(std::string(reply) + ":" + Format(p));
        return Outcome::Ok;
    };
    if (name == "FCLASS") {
        if (op == Op::Test) Reply(classes_);
        if (op == Op::Query) Reply(fclass_);
        if (op == Op::Set) fclass_ = value;
        return Outcome::Ok;
    }
    if (name == "GMI" || name == "FMFR" || name == "FMI") {
        Reply("faxline");
        return Outcome::Ok;
    }
    if (name == "GMM" || name == "FMDL" || name == "FMM") {
        Reply("Class 2/2.0 simulated modem");
        return Outcome::Ok;
    }
    if (name == "GMR" || name == "FREV" || name == "FMR") {
        Reply("1.0");
        return Outcome::Ok;
    }
    if (name == "GCAP") {
        Reply("+GCAP:+FCLASS");
        return Outcome::Ok;
    }
    if (const Setting* setting = FindSetting(name, fclass_)) {
        std::string& stored = SettingValue(*setting);
        if (op == Op::Test) {
            Reply(std::string(setting->ranges) == "\"" ? "(20),(32-127)" : setting->ranges);
        } else if (op == Op::Query) {
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
                localId_ = Unquoted(value);
            if (setting->class2 && std::string(setting->class2) == "FBOR")
                bitOrder_ = std::atoi(stored.c_str());
        }
        return Outcome::Ok;
    }
    if (name == "FDIS" || name == "FIS" || name == "FDCC" || name == "FCC") {
        const bool dis = name == "FDIS" || name == "FIS";
        Params& p = dis ? dis_ : dcc_;
        const char* reply =
            dis ? (fclass_ == "2.0" ? "+FIS" : "+FDIS") : (fclass_ == "2.0" ? "+FCC" : "+FDCC");
        if (op == Op::Test) {
            Reply(std::string(reply) + ":" + kParamRanges);
            return Outcome::Ok;
        }
        if (op == Op::Query) return reportParams(reply, p);
        if (op == Op::Action) return Outcome::Error;
        Params next = p;
        if (!ParseParams(value, next)) return Outcome::Error;
        p = next;
        return Outcome::Ok;
    }
    if (name == "FDCS" || name == "FCS") {
        if (op == Op::Query)
            return reportParams(fclass_ == "2.0" ? "+FCS" : "+FDCS", SessionParams());
        return Outcome::Error;
    }
    if (name == "FHS") {
        if (op != Op::Query) return Outcome::Error;
        Reply("+FHS:" + HangUpText(hangUpCode_));
        return Outcome::Ok;
    }
    if (name == "FPTS" || name == "FPS") {
        if (op == Op::Test) {
            Reply("(1-5)");
            return Outcome::Ok;
        }
        if (op == Op::Query) {
            Reply(std::to_string(lastPageStatus_));
            return Outcome::Ok;
        }
        if (op == Op::Set) {
            // The receiving DTE's verdict on the page it was given (2 asks for it again); the
            // modem answers the sender with it at the next +FDR.
            rxPageStatus_ = std::atoi(value.c_str());
            lastPageStatus_ = rxPageStatus_;
            return Outcome::Ok;
        }
        return Outcome::Error;
    }
    if (op == Op::Test) {
        if (name == "FET") Reply("(0-2)");
        return Outcome::Ok;
    }
    if (name == "FET" && hangUpReportDue_) {
        ReportHangUp();
        return Outcome::Ok;
    }
    if (name == "FET") {
        if (op != Op::Set) return Outcome::Error;
        if (call_ != Call::Connected || sessionOver_ || !calling_) return Outcome::Error;
        postPage_ = std::atoi(value.c_str());
        resultPending_ = true;  // answered with the page status once the remote replied
        return Outcome::Pending;
    }
    if (op != Op::Action) return Outcome::Error;
    if (name == "FDT") {
        // After a far-end hang-up the modem still takes the page and fails once it tries to
        // send it, as a modem that has not yet noticed the line is dead. A call ended by the
        // modem or the DTE (+FK, +FKS) is over: no more pages.
        const bool usable = call_ == Call::Connected && !sessionOver_;
        if (!calling_ || abortedByDte_ || (!usable && !hangUpReportDue_)) return Outcome::Error;
        postPage_ = -1;
        if (!usable || pageCarrier_) {
            StartPageIn();
        } else {
            // CONNECT once the remote has accepted the training (CFR).
            fdtRequested_ = true;
            resultPending_ = true;
        }
        return Outcome::Pending;
    }
    if (name == "FDR") {
        if (call_ != Call::Connected && !sessionOver_) return Outcome::Error;
        if (calling_ || abortedByDte_) return Outcome::Error;  // no polling
        fdrOutstanding_ = true;
        resultPending_ = true;
        ServeFdr();
        return Outcome::Pending;
    }
    if (name == "FK" || name == "FKS") {
        // The modem sends DCN, hangs up and reports the hang-up (code 2) before its OK.
        if (call_ == Call::Idle || sessionOver_) {
            if (call_ != Call::Idle) EndCall();
            return Outcome::Ok;
        }
        abortedByDte_ = true;
        abort_ = true;
        hangUpRequested_ = true;
        resultPending_ = true;
        fdrOutstanding_ = false;
        return Outcome::Pending;
    }
    return Outcome::Error;
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
