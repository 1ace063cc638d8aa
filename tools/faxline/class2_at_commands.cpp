// The Class 2 / 2.0 modem's AT command interpreter: command lines, basic and extended
// commands, result codes and the parameter lists of +FDIS/+FDCC and their reports.

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
    fclass_ = "0";
    dis_ = {1, 5, 0, 2, 0, 0, 0, 0};
    dcc_ = dis_;
    bit_order_ = 0;
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

void Class2Modem::ExecuteLine(const std::string& line) {
    size_t i = 0;
    Outcome outcome = Outcome::kOk;
    while (i < line.size() && outcome == Outcome::kOk) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        if (c == '+') {
            size_t j = i + 1;
            while (j < line.size() &&
                   (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '.'))
                ++j;
            const std::string name = Upper(line.substr(i + 1, j - i - 1));
            char op = ' ';
            std::string value;
            if (j < line.size() && line[j] == '?') {
                op = '?';
                ++j;
            } else if (j < line.size() && line[j] == '=') {
                ++j;
                if (j < line.size() && line[j] == '?') {
                    op = 't';
                    ++j;
                } else {
                    op = '=';
                    bool quoted = false;
                    while (j < line.size() && (quoted || line[j] != ';')) {
                        if (line[j] == '"') quoted = !quoted;
                        value += line[j++];
                    }
                }
            }
            i = j;
            outcome = ExecuteExtended(name, op, value);
            continue;
        }
        if (c == 'D') {
            outcome = ExecuteBasic('D', line.substr(i + 1));
            break;
        }
        if (c == '&') {
            i += 2;
            while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i;
            continue;
        }
        if (c == 'S') {
            size_t j = i + 1;
            std::string reg;
            while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])))
                reg += line[j++];
            const int index = reg.empty() ? 0 : std::atoi(reg.c_str());
            if (index < 0 || index >= 100) {
                outcome = Outcome::kError;
                break;
            }
            if (j < line.size() && line[j] == '?') {
                char text[8];
                std::snprintf(text, sizeof text, "%03d", s_regs_[index]);
                Reply(text);
                i = j + 1;
            } else if (j < line.size() && line[j] == '=') {
                ++j;
                std::string v;
                while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])))
                    v += line[j++];
                s_regs_[index] = std::atoi(v.c_str());
                i = j;
            } else {
                i = j;
            }
            continue;
        }
        std::string arg;
        size_t j = i + 1;
        while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])))
            arg += line[j++];
        i = j;
        outcome = ExecuteBasic(c, arg);
    }
    Result(outcome);
}

Class2Modem::Outcome Class2Modem::ExecuteBasic(char letter, const std::string& arg) {
    const int n = arg.empty() ? 0 : std::atoi(arg.c_str());
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
            const int s7 = s_regs_[7] > 0 ? s_regs_[7] : kDefaultS7Seconds;
            dial_deadline_ = line_.now_samples() + MsToSamples(s7 * 1000LL);
            line_.Dial(this, number.c_str());
            result_pending_ = true;
            return Outcome::kPending;
        }
        case 'X':
        case 'L':
        case 'M':
        case 'W':
        case 'B':
        case 'O':
        case 'T':
        case 'P':
            return Outcome::kOk;
        default:
            return Outcome::kError;
    }
}

Class2Modem::Outcome Class2Modem::ExecuteExtended(const std::string& name, char op,
                                                  const std::string& value) {
    auto report_params = [&](const char* reply, const Params& p) {
        Reply(std::string(reply) + ":" + Format(p));
        return Outcome::kOk;
    };
    if (name == "FCLASS") {
        if (op == 't') {
            Reply("0,2,2.0");
            return Outcome::kOk;
        }
        if (op == '?') {
            Reply(fclass_);
            return Outcome::kOk;
        }
        if (value == "0" || value == "2" || value == "2.0") {
            fclass_ = value;
            return Outcome::kOk;
        }
        return Outcome::kError;
    }
    if (name == "FDIS" || name == "FIS" || name == "FDCC" || name == "FCC") {
        Params& p = (name == "FDIS" || name == "FIS") ? dis_ : dcc_;
        const char* reply = (name == "FDIS" || name == "FIS")
                                ? (fclass_ == "2.0" ? "+FIS" : "+FDIS")
                                : (fclass_ == "2.0" ? "+FCC" : "+FDCC");
        if (op == 't') {
            Reply(std::string(reply) + ":(0,1),(0-5),(0-2),(0-2),(0),(0),(0),(0-7)");
            return Outcome::kOk;
        }
        if (op == '?') return report_params(reply, p);
        Params next = p;
        if (!ParseParams(value, next)) return Outcome::kError;
        p = next;
        return Outcome::kOk;
    }
    if (name == "FDCS" || name == "FCS") {
        if (op == '?') return report_params(fclass_ == "2.0" ? "+FCS" : "+FDCS", SessionParams());
        return Outcome::kOk;
    }
    if (name == "FLID" || name == "FLI" || name == "FPI" || name == "FCIG") {
        if (op == '?') {
            Reply("\"" + local_id_ + "\"");
            return Outcome::kOk;
        }
        if (op == '=' && (name == "FLID" || name == "FLI"))
            local_id_ = Unquoted(value).substr(0, 20);
        return Outcome::kOk;
    }
    if (name == "FBOR" || name == "FBO") {
        if (op == '?') {
            Reply(std::to_string(bit_order_));
            return Outcome::kOk;
        }
        if (op == 't') {
            Reply("(0-3)");
            return Outcome::kOk;
        }
        if (op == '=') bit_order_ = std::atoi(value.c_str());
        return Outcome::kOk;
    }
    if (name == "FPTS" || name == "FPS") {
        if (op == '?') {
            Reply((fclass_ == "2.0" ? "+FPS:" : "+FPTS:") + std::to_string(last_page_status_));
            return Outcome::kOk;
        }
        return Outcome::kOk;  // the modem has already confirmed received pages
    }
    if (name == "FET" && hang_up_report_due_) {
        ReportHangUp();
        return Outcome::kOk;
    }
    if (name == "FET") {
        if (op != '=') return Outcome::kOk;
        const int v = std::atoi(value.c_str());
        if (v < 0 || v > 2) return Outcome::kError;
        if (call_ != Call::kConnected || session_over_) return Outcome::kError;
        post_page_ = v;
        result_pending_ = true;  // answered with the page status once the remote replied
        return Outcome::kPending;
    }
    if (name == "FDT") {
        // After a far-end hang-up the modem still takes the page and fails once it tries to
        // send it, as a modem that has not yet noticed the line is dead.
        const bool usable = call_ == Call::kConnected && !session_over_;
        if (!calling_ || (!usable && !hang_up_report_due_)) return Outcome::kError;
        Reply(std::string(fclass_ == "2.0" ? "+FCS" : "+FDCS") + ":" + Format(SessionParams()));
        Reply("CONNECT");
        const uint8_t xon = kXon;
        to_dte_(&xon, 1);
        input_ = Input::kPageIn;
        page_in_.clear();
        dle_ = false;
        page_start_ms_ = WallMs();
        return Outcome::kPending;
    }
    if (name == "FDR") {
        if (call_ != Call::kConnected && !session_over_) return Outcome::kError;
        if (calling_) return Outcome::kError;  // no polling
        fdr_outstanding_ = true;
        result_pending_ = true;
        ServeFdr();
        return Outcome::kPending;
    }
    if (name == "FK" || name == "FKS") {
        if (call_ != Call::kIdle) {
            abort_ = true;
            hang_up_requested_ = true;
        }
        return Outcome::kOk;
    }
    if (name == "FHS" && op == '?') {
        Reply("+FHS:" + std::to_string(hang_up_code_));
        return Outcome::kOk;
    }
    if (name == "FMFR" || name == "FMI" || name == "GMI") {
        if (op == '?' || op == ' ') Reply("faxline");
        return Outcome::kOk;
    }
    if (name == "FMDL" || name == "FMM" || name == "GMM") {
        if (op == '?' || op == ' ') Reply("Class 2/2.0 simulated modem");
        return Outcome::kOk;
    }
    if (name == "FREV" || name == "FMR" || name == "GMR") {
        if (op == '?' || op == ' ') Reply("1.0");
        return Outcome::kOk;
    }
    if (name.rfind("F", 0) == 0) {
        // Settings without effect on the simulation (+FCR, +FAA, +FLO, +FNR, +FCQ, +FCT,
        // +FPHCTO, +FBUG, +FIE, +FAP, +FTBC, +FMINSP, ...).
        if (op == '?') Reply("0");
        if (op == 't') Reply("(0-1)");
        return Outcome::kOk;
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
