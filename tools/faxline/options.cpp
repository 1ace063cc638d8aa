#include "options.h"

#include <cstdlib>
#include <string_view>

#include "at_syntax.h"

namespace corvane::faxline {
namespace {

// The loop must stay paced: spandsp's modems and the DTE share no clock, and at some point
// the DTE's replies can no longer keep up with the protocol timers.
constexpr double kMaxSpeed = 100;

bool ParseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

bool ParseInt(const std::string& text, int& out) {
    double value = 0;
    if (!ParseNumber(text, value) || value != static_cast<int>(value)) return false;
    out = static_cast<int>(value);
    return true;
}

// What the far end is: a fax machine, a person or a data modem.
bool ParseAnswer(const std::string& text, RemoteFaxOptions::Answer& out) {
    if (text == "fax")
        out = RemoteFaxOptions::Answer::Fax;
    else if (text == "voice")
        out = RemoteFaxOptions::Answer::Voice;
    else if (text == "data")
        out = RemoteFaxOptions::Answer::Data;
    else
        return false;
    return true;
}

bool ParseKind(const std::string& text, ModemKind& out) {
    if (text == "1") {
        out = ModemKind::Class1;
        return true;
    }
    if (text == "2" || text == "2.0") {
        out = ModemKind::Class2;
        return true;
    }
    return false;
}

bool ParseRates(const std::string& text, RemoteFaxOptions& remote) {
    remote.v27ter = remote.v29 = remote.v17 = false;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item == "v27ter")
            remote.v27ter = true;
        else if (item == "v29")
            remote.v29 = true;
        else if (item == "v17")
            remote.v17 = true;
        else
            return false;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return remote.v27ter || remote.v29 || remote.v17;
}

// Every item of the list is a class the modem kind supports, and class 0 is among them.
bool ClassesValid(const std::string& list, ModemKind kind) {
    if (list.empty()) return false;
    size_t start = 0;
    bool data = false;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        const std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!ClassListed(SupportedClasses(kind), item)) return false;
        data = data || item == "0";
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return data;
}

}  // namespace

const char* SupportedClasses(ModemKind kind) {
    return kind == ModemKind::Class1 ? "0,1,1.0" : "0,2,2.0";
}

const char* UsageText() {
    return R"(Usage: faxline --modem PATH [options]

Simulated fax line: pseudo-terminals that behave as fax modems, joined by a simulated
telephone line to a software fax machine or to each other. Prints "READY pty=PATH" once the
modem port exists, and at the end one line "FAXLINE-SUMMARY status=... pages=... rate=...
resolution=... simSeconds=... wallSeconds=... underruns=... overflows=... calls=...
t30Code=... remoteId="..." t30Text="..."". Exit status 0 only when the status equals
--expect.

Modems:
  --modem PATH         create the modem's pseudo-terminal and a symlink to it at PATH
  --class 1|2          1: Class 1 modem (AT+FCLASS=1); 2: Class 2 and Class 2.0 modem
                       (AT+FCLASS=2 or 2.0) [1]
  --modem2 PATH        a second modem on the other end of the line instead of the fax
                       machine: two programs can call each other
  --class2 1|2         class of the second modem [1]
  --classes LIST       the classes the first modem offers in AT+FCLASS=? and accepts in
                       AT+FCLASS=, from 0,1,1.0 (Class 1) or 0,2,2.0 (Class 2) [all]

Remote fax machine (when there is no second modem):
  --remote receive|send  answer and receive, or call the modem and send [receive]
  --file TIFF          the TIFF to send, or the TIFF to receive into (required)
  --remote-id ID       the machine's station id ["FAXLINE REMOTE"]
  --rates LIST         modems it offers, from v27ter,v29,v17 [v27ter,v29,v17]
  --ecm                offer error correction mode [off]
  --rings N            answer after N rings [1]
  --answer fax|voice|data
                       receiving: who picks up. voice: a person (no fax tones; the
                       calling fax times out after T1); data: a data modem (answer
                       tone, then a V.21 data carrier without fax frames). The call ends
                       with status failed [fax]
  --caller fax|voice|data
                       sending: who calls. voice: a person (speech, no fax tones); data:
                       a data modem (after the answer tone, a V.21 originating carrier
                       without fax frames). The answering fax modem finds no fax; the call
                       ends with status failed [fax]
  --calls N            the machine calls (--remote send) or answers (--remote receive) N
                       times in one run; each call prints a FAXLINE-CALL line, and the
                       summary is ok only when every call was [1]. Receiving: call K > 1
                       goes to FILE-K.tif beside FILE.tif
  --remote-no-fine     receiving: the machine takes standard resolution only
  --remote-width N     receiving: the widest page it takes, 1728, 2048 or 2432 [1728]
  --remote-length a4|b4|unlimited
                       receiving: the longest page it takes (a4 includes US letter, b4
                       US legal) [unlimited]
  --ftt-above RATE     receiving: its training check fails above RATE (2400 to 12000), so
                       the sender must step down after FTT
  --rtn-page N         receiving: the machine finds page N bad and answers RTN;
                       sending: the machine damages page N on the line (as noise would) so
                       that the receiver should answer RTN, and sends it again clean
  --rtn-times K        ... K times in a row, resends included [1]
  --rtp-page N         receiving: the machine finds page N poor (once) and answers RTP
  --dcn-after PHASE    the machine breaks off the call with DCN. dis: calling, on the
                       modem's DIS instead of DCS; dcs: answering, instead of CFR after
                       the training; page:N: answering, instead of MCF after page N
  --personality NAME   the first modem shows a fault of real modems (repeatable, combinable;
                       see tools/faxline/README.md). Class 1: early-ok (OK to a final
                       frame before the carrier ends; +FRM/+FRH in that tail get
                       +FCERROR), fcerror-eager[:N] (+FCERROR to the first N receive
                       commands after each transmission). Class 2: class2-msb-first,
                       fbo-inverted (received pages reach the DTE in the bit order
                       opposite to +FBOR / +FBO), no-rtc (no RTC of its own after a
                       page it sends), garbage-rtc (broken bits instead of it), xon-only (XON, not DC2, starts a received page),
                       no-xon-after-fdt (no XON after +FDT's CONNECT)
  --call-after-ms N    when sending: dial once the DTE has been quiet for N ms of wall
                       time with the modem on hook (it has finished its set-up) [1500]

Line:
  --busy               the called number is busy
  --no-dialtone        the line is dead: NO DIALTONE under ATX2 and ATX4, NO CARRIER after
                       S7 seconds under X0, X1 and X3 (blind dialling)
  --no-answer          the called number rings but nobody answers: once its S7 wait is
                       over a modem says NO ANSWER when the dial string holds '@' (wait
                       for quiet answer) under ATX3 and ATX4, otherwise NO CARRIER
  --delay-ms N         one-way delay of the audio [0; 60 with two modems]
  --noise DBM0         add white noise at this level (signals are about -14 dBm0): at
                       -30 pages go at a lower rate and may lose rows, at -10 no frame
                       gets through and the call ends by T.30's time-outs
  --drop-after-page N  the line drops once page N went through (fax machine mode)
  --drop-after-ms N    the line drops after N ms of page data (high-speed modulation)

Pacing: the line runs in blocks of 20 ms of simulated time and must be paced, since the
fax protocol's timers measure simulated time while the DTE works in wall time.
  --pace adaptive      real time while a modem waits for its DTE (command mode during a
                       call, nearly empty transmit buffer, results unread by the DTE), faster
                       while the DTE waits for the line [default]
  --pace realtime      always real time
  --speed N            always N times real time (at most 100)
  --max-speed N        adaptive: cap on the speed-up [20]
  --page-speed N       adaptive: cap while page data flows; fax programs measure the time
                       a page takes and some fail when it is under one second [3]

Ending:
  --expect STATUS      the status that counts as success: ok, failed, busy, no-answer,
                       no-dialtone, dropped [ok]
  --timeout S          give up after S seconds of wall time [300]
  --linger S           after the call, wait up to S seconds for the DTE to close the port [10]
  --verbose            spandsp protocol log on standard error
  --trace              DTE traffic on standard error
  --help               this text

Differences from a hardware modem: see tools/faxline/README.md. In short: no modem
control lines on a pseudo-terminal: they travel on a socket beside it (PATH.lines), and
closing the port or speed B0 is a DTR drop as well; the Class 2
modem does not yet let a receiving program reject a page.
)";
}

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error, bool& help) {
    Options o;
    help = false;
    bool delayGiven = false;
    bool fileGiven = false;
    bool callerGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value for " + arg;
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        double number = 0;
        if (arg == "--help" || arg == "-h") {
            help = true;
            return std::nullopt;
        } else if (arg == "--modem") {
            if (!value(o.modemLink)) return std::nullopt;
        } else if (arg == "--modem2") {
            if (!value(o.secondModemLink)) return std::nullopt;
        } else if (arg == "--class" || arg == "--class2") {
            if (!value(v)) return std::nullopt;
            if (!ParseKind(v, arg == "--class" ? o.modemKind : o.secondModemKind)) {
                error = "bad class: " + v;
                return std::nullopt;
            }
        } else if (arg == "--remote") {
            if (!value(v)) return std::nullopt;
            if (v == "receive")
                o.remote.role = RemoteFaxOptions::Role::Receive;
            else if (v == "send")
                o.remote.role = RemoteFaxOptions::Role::Send;
            else {
                error = "bad --remote: " + v;
                return std::nullopt;
            }
        } else if (arg == "--file") {
            if (!value(o.remote.file)) return std::nullopt;
            fileGiven = true;
        } else if (arg == "--remote-id") {
            if (!value(o.remote.ident)) return std::nullopt;
        } else if (arg == "--rates") {
            if (!value(v)) return std::nullopt;
            if (!ParseRates(v, o.remote)) {
                error = "bad --rates: " + v;
                return std::nullopt;
            }
        } else if (arg == "--ecm") {
            o.remote.ecm = true;
        } else if (arg == "--classes") {
            if (!value(o.classes)) return std::nullopt;
        } else if (arg == "--no-dialtone") {
            o.line.noDialtone = true;
        } else if (arg == "--remote-length") {
            std::string v;
            if (!value(v)) return std::nullopt;
            if (v == "a4")
                o.remote.length = RemoteFaxOptions::Length::A4;
            else if (v == "b4")
                o.remote.length = RemoteFaxOptions::Length::B4;
            else if (v == "unlimited")
                o.remote.length = RemoteFaxOptions::Length::Unlimited;
            else
                return std::nullopt;
        } else if (arg == "--remote-no-fine") {
            o.remote.fine = false;
        } else if (arg == "--busy") {
            o.line.callee = LineOptions::CalleeBehaviour::Busy;
        } else if (arg == "--no-answer") {
            o.line.callee = LineOptions::CalleeBehaviour::NoAnswer;
        } else if (arg == "--verbose") {
            o.verbose = true;
            o.remote.verbose = true;
        } else if (arg == "--trace") {
            o.trace = true;
        } else if (arg == "--pace") {
            if (!value(v)) return std::nullopt;
            if (v == "adaptive")
                o.pacing.mode = Pacing::Mode::Adaptive;
            else if (v == "realtime")
                o.pacing.mode = Pacing::Mode::Realtime;
            else {
                error = "bad --pace: " + v;
                return std::nullopt;
            }
        } else if (arg == "--caller") {
            // The same choice as --answer, for the end that calls.
            if (!value(v)) return std::nullopt;
            if (!ParseAnswer(v, o.remote.answer)) {
                error = "bad --caller: " + v;
                return std::nullopt;
            }
            callerGiven = true;
        } else if (arg == "--answer") {
            if (!value(v)) return std::nullopt;
            if (!ParseAnswer(v, o.remote.answer)) {
                error = "bad --answer: " + v;
                return std::nullopt;
            }
        } else if (arg == "--dcn-after") {
            if (!value(v)) return std::nullopt;
            int page = 0;
            if (v == "dis") {
                o.remote.dcnAfter = RemoteFaxOptions::DcnPhase::Dis;
            } else if (v == "dcs") {
                o.remote.dcnAfter = RemoteFaxOptions::DcnPhase::Dcs;
            } else if (v.rfind("page:", 0) == 0 && ParseInt(v.substr(5), page) && page > 0) {
                o.remote.dcnAfter = RemoteFaxOptions::DcnPhase::Page;
                o.remote.dcnPage = page;
            } else {
                error = "bad --dcn-after: " + v + " (dis, dcs or page:N)";
                return std::nullopt;
            }
        } else if (arg == "--personality") {
            if (!value(v)) return std::nullopt;
            if (!AddPersonality(v, o.personality, error)) return std::nullopt;
        } else if (arg == "--expect") {
            if (!value(o.expect)) return std::nullopt;
        } else {
            // Options with a numeric value.
            if (!value(v)) {
                error = "unknown option " + arg;
                return std::nullopt;
            }
            if (!ParseNumber(v, number)) {
                error = "bad number for " + arg + ": " + v;
                return std::nullopt;
            }
            int whole = 0;
            const bool is_int = ParseInt(v, whole);
            if (arg == "--rings" && is_int && whole > 0) {
                o.remote.answerAfterRings = whole;
            } else if (arg == "--call-after-ms" && is_int && whole >= 0) {
                o.callAfterMs = whole;
            } else if (arg == "--delay-ms" && is_int && whole >= 0 && whole <= 2000) {
                o.line.delayMs = whole;
                delayGiven = true;
            } else if (arg == "--noise") {
                o.line.noise = true;
                o.line.noiseDbm0 = number;
            } else if (arg == "--ftt-above" && is_int &&
                       (whole == 2400 || whole == 4800 || whole == 7200 || whole == 9600 ||
                        whole == 12000)) {
                o.remote.fttAbove = whole;
            } else if (arg == "--remote-width" && is_int &&
                       (whole == 1728 || whole == 2048 || whole == 2432)) {
                o.remote.width = whole;
            } else if (arg == "--rtn-page" && is_int && whole > 0) {
                o.remote.rtnPage = whole;
            } else if (arg == "--rtn-times" && is_int && whole > 0) {
                o.remote.rtnTimes = whole;
            } else if (arg == "--calls" && is_int && whole > 0 && whole <= 100) {
                o.calls = whole;
            } else if (arg == "--rtp-page" && is_int && whole > 0) {
                o.remote.rtpPage = whole;
            } else if (arg == "--drop-after-page" && is_int && whole > 0) {
                o.line.dropAfterPage = whole;
            } else if (arg == "--drop-after-ms" && is_int && whole > 0) {
                o.line.dropAfterPageDataMs = whole;
            } else if (arg == "--speed" && number > 0 && number <= kMaxSpeed) {
                o.pacing.mode = Pacing::Mode::Fixed;
                o.pacing.speed = number;
            } else if (arg == "--max-speed" && number >= 1 && number <= kMaxSpeed) {
                o.pacing.maxSpeed = number;
            } else if (arg == "--page-speed" && number >= 1 && number <= kMaxSpeed) {
                o.pacing.pageSpeed = number;
            } else if (arg == "--timeout" && number > 0) {
                o.timeoutSeconds = number;
            } else if (arg == "--linger" && number >= 0) {
                o.lingerSeconds = number;
            } else {
                error = "bad option or value: " + arg + " " + v;
                return std::nullopt;
            }
        }
    }
    if (o.classes.empty()) o.classes = SupportedClasses(o.modemKind);
    if (!ClassesValid(o.classes, o.modemKind)) {
        error = "bad --classes for this modem: " + o.classes + " (choose from 0 and " +
                SupportedClasses(o.modemKind) + ")";
        return std::nullopt;
    }
    if (o.personality.class1Only() && o.modemKind != ModemKind::Class1) {
        error = "--personality early-ok and fcerror-eager are faults of a Class 1 modem";
        return std::nullopt;
    }
    if (o.personality.class2Only() && o.modemKind != ModemKind::Class2) {
        error =
            "--personality class2-msb-first, fbo-inverted, no-rtc, garbage-rtc, xon-only and "
            "no-xon-after-fdt are faults of a Class 2 modem";
        return std::nullopt;
    }
    if (o.modemLink.empty()) {
        error = "--modem PATH is required";
        return std::nullopt;
    }
    if (o.secondModemLink.empty() && !fileGiven) {
        error = "--file TIFF is required for the fax machine";
        return std::nullopt;
    }
    if (callerGiven &&
        (o.remote.role != RemoteFaxOptions::Role::Send || !o.secondModemLink.empty())) {
        error = "--caller is for a machine that calls (--remote send)";
        return std::nullopt;
    }
    if (!callerGiven && o.remote.answer != RemoteFaxOptions::Answer::Fax &&
        (o.remote.role != RemoteFaxOptions::Role::Receive || !o.secondModemLink.empty())) {
        error = "--answer is for a machine that answers (--remote receive)";
        return std::nullopt;
    }
    const bool calling = o.remote.role == RemoteFaxOptions::Role::Send;
    if (o.remote.dcnAfter != RemoteFaxOptions::DcnPhase::Never &&
        calling != (o.remote.dcnAfter == RemoteFaxOptions::DcnPhase::Dis)) {
        error =
            "--dcn-after dis is for a calling machine (--remote send), dcs and page:N for "
            "an answering one";
        return std::nullopt;
    }
    if (o.calls > 1 && !o.secondModemLink.empty()) {
        error = "--calls needs the fax machine (no --modem2)";
        return std::nullopt;
    }
    if (!o.secondModemLink.empty() && !delayGiven) o.line.delayMs = 60;
    if (!o.secondModemLink.empty() && o.line.delayMs < 60) {
        error = "two modems need --delay-ms of at least 60";
        return std::nullopt;
    }
    return o;
}

}  // namespace corvane::faxline
