#include "session.h"

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "class1_modem.h"
#include "class2_modem.h"

namespace corvane::faxline {
namespace {

std::atomic<bool> gStop{false};

int64_t WallUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// With no call made yet, a DTE that closed the port may open it again (set-up and call by
// separate opens); only a longer absence ends the run.
constexpr int64_t kGoneGraceMs = 1500;

}  // namespace

void Session::RequestStop() {
    gStop = true;
}

Session::Session(const Options& options) : options_(options), line_(options.line) {
    Station first;
    first.port = std::make_unique<PtyPort>(options_.modemLink);
    first.modem = MakeModem(options_.modemKind, *first.port);
    first.lines = std::make_unique<StatusLineChannel>(options_.modemLink + ".lines");
    stations_.push_back(std::move(first));
    if (!options_.secondModemLink.empty()) {
        Station second;
        second.port = std::make_unique<PtyPort>(options_.secondModemLink);
        second.modem = MakeModem(options_.secondModemKind, *second.port);
        second.lines = std::make_unique<StatusLineChannel>(options_.secondModemLink + ".lines");
        stations_.push_back(std::move(second));
        line_.Attach(stations_[0].modem.get(), stations_[1].modem.get());
    } else {
        remote_ = std::make_unique<RemoteFax>(options_.remote, line_);
        line_.Attach(stations_[0].modem.get(), remote_.get());
    }
}

Session::~Session() = default;

std::unique_ptr<Modem> Session::MakeModem(ModemKind kind, PtyPort& port) {
    const char* name = stations_.empty() ? "<1" : "<2";
    const std::string classes = stations_.empty() ? options_.classes : SupportedClasses(kind);
    DteWriter writer = [this, &port, name](const uint8_t* data, size_t len) {
        if (options_.trace && port.dtePresent()) Trace(name, data, len);
        port.Write(data, len);
    };
    if (kind == ModemKind::Class1) {
        auto modem =
            std::make_unique<Class1Modem>(line_, std::move(writer), options_.verbose, classes);
        if (stations_.empty()) modem->SetPersonality(options_.personality);
        modem->SetDteStopsOnXoff([&port] { return port.DteOutputStopsOnXoff(); });
        return modem;
    }
    auto modem = std::make_unique<Class2Modem>(line_, std::move(writer), options_.verbose, classes);
    if (stations_.empty()) modem->SetPersonality(options_.personality);
    modem->SetDteBacklog([&port] { return port.Backlog(); });
    modem->SetPump([this] {
        ServicePorts(2000);
        for (Station& s : stations_) s.modem->ServiceDte();
        // The line runs on in real time while the modem waits for its DTE; a new wait starts
        // its own count.
        const int64_t now = WallUs();
        if (now - lastPumpUs_ > 100000) holdNextBlockUs_ = now;
        lastPumpUs_ = now;
        if (now >= holdNextBlockUs_) {
            line_.RunBlock();
            holdNextBlockUs_ += kBlockMs * 1000;
        }
    });
    return modem;
}

void Session::Trace(const char* direction, const uint8_t* data, size_t len) {
    std::string text;
    for (size_t i = 0; i < len && i < 200; ++i) {
        const uint8_t c = data[i];
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            text += hex;
        }
    }
    if (len > 200) text += "...";
    std::fprintf(stderr, "[%8.3f %7.3f] %s %s\n", line_.nowSamples() / double(kSampleRate),
                 (WallMs() - startMs_) / 1000.0, direction, text.c_str());
}

void Session::ServicePorts(int64_t waitUs) {
    std::vector<pollfd> fds;
    for (Station& s : stations_) fds.push_back({s.port->masterFd(), s.port->WantedEvents(), 0});
    for (pollfd& p : fds)
        if (p.events == 0) p.fd = -1;  // left out: POLLHUP would end every wait at once
    timespec ts{static_cast<time_t>(waitUs / 1000000), static_cast<long>(waitUs % 1000000) * 1000};
    ::ppoll(fds.data(), fds.size(), &ts, nullptr);
    for (size_t i = 0; i < stations_.size(); ++i) {
        Station& s = stations_[i];
        s.port->Service(fds[i].revents);
        if (s.port->dtePresent()) {
            s.dteSeen = true;
            s.goneSinceMs = -1;
        }
        if (s.port->TakeHangUp()) {
            s.modem->DteHungUp();
            if (!s.port->dtePresent()) s.goneSinceMs = WallMs();
        }
        ServiceStatusLines(s, i == 0 ? "1" : "2");
    }
    FeedModems();
}

void Session::ServiceStatusLines(Station& s, const char* name) {
    StatusLines lines;
    lines.dcd = s.modem->DcdOn();
    lines.ri = line_.RingingAt(s.modem.get());
    s.lines->Service(lines);
    s.modem->SetDtr(s.lines->dtr());
    if (s.lines->TakeDtrDrop()) {
        if (options_.trace) {
            const std::string note = std::string("-") + name;
            Trace(note.c_str(), reinterpret_cast<const uint8_t*>("(DTR dropped)"), 13);
        }
        s.modem->DtrDropped();
    }
}

void Session::FeedModems() {
    for (size_t i = 0; i < stations_.size(); ++i) {
        Station& s = stations_[i];
        auto& inbox = s.port->inbox();
        if (inbox.empty()) continue;
        std::vector<uint8_t> bytes(inbox.begin(), inbox.end());
        const size_t taken = s.modem->FromDte(bytes.data(), bytes.size());
        if (options_.trace && taken > 0) Trace(i == 0 ? ">1" : ">2", bytes.data(), taken);
        inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(taken));
    }
}

double Session::SpeedFactor() {
    switch (options_.pacing.mode) {
        case Pacing::Mode::Realtime:
            return 1.0;
        case Pacing::Mode::Fixed:
            return options_.pacing.speed;
        case Pacing::Mode::Adaptive:
            break;
    }
    bool pageData = false;
    for (Station& s : stations_) {
        if (!s.port->dtePresent()) continue;
        if (s.modem->WaitsForDte() || s.port->OutputPending()) return 1.0;
        pageData = pageData || s.modem->InPageData();
    }
    return pageData ? options_.pacing.pageSpeed : options_.pacing.maxSpeed;
}

void Session::MoveToNextCall() {
    if (!remote_ || calls_.size() + 1 >= static_cast<size_t>(options_.calls)) return;
    if (!remote_->finished() || line_.state() != TelephoneLine::State::Idle) return;
    CallSummary call = CurrentCall();
    calls_.push_back(call);
    std::string line = FormatSummary(call);
    line.replace(0, line.find(' '), "FAXLINE-CALL " + std::to_string(calls_.size()));
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    underrunsBefore_ = 0;
    for (const Station& s : stations_) underrunsBefore_ += s.modem->underruns();
    failingUnderrunsBefore_ = FailingUnderruns();
    overflowsBefore_ = Overflows();
    remote_->NextCall();
}

int Session::FailingUnderruns() const {
    int n = 0;
    for (const Station& s : stations_)
        if (s.modem->UnderrunFailsPage()) n += s.modem->underruns();
    return n;
}

int Session::Overflows() const {
    int n = 0;
    for (const Station& s : stations_) n += s.modem->overflows();
    return n;
}

bool Session::Finished(int64_t nowMs) {
    if (gStop) {
        stopped_ = true;
        return true;
    }
    if (nowMs - startMs_ > options_.timeoutSeconds * 1000) {
        timedOut_ = true;
        return true;
    }
    bool anyOffHook = false;
    for (Station& s : stations_) anyOffHook = anyOffHook || s.modem->OffHook();
    const bool callDone = remote_ ? remote_->finished() && !anyOffHook
                                  : line_.everConnected() &&
                                        line_.state() == TelephoneLine::State::Idle && !anyOffHook;
    if (callDone && callOverMs_ < 0) callOverMs_ = nowMs;

    bool allGone = true;
    bool allGoneLong = true;
    for (Station& s : stations_) {
        if (!s.dteSeen || s.port->dtePresent()) {
            allGone = allGoneLong = false;
            continue;
        }
        if (s.goneSinceMs < 0 || nowMs - s.goneSinceMs < kGoneGraceMs) allGoneLong = false;
    }
    if (callDone) {
        return allGone || nowMs - callOverMs_ > options_.lingerSeconds * 1000;
    }
    // The DTE gave up without a call the fax machine finished (busy, no answer, errors).
    const bool remoteIdle = !remote_ || !remote_->callStarted() || remote_->finished();
    return allGoneLong && !anyOffHook && line_.state() == TelephoneLine::State::Idle && remoteIdle;
}

CallSummary Session::CurrentCall() const {
    CallSummary summary;
    if (remote_) summary = remote_->summary();
    if (summary.status == "not-called") {
        if (!line_.outcome().empty()) summary.status = line_.outcome();
        if (!remote_ && line_.everConnected()) summary.status = line_.dropped() ? "dropped" : "ok";
    }
    if (remote_ && remote_->callStarted() && !remote_->finished()) summary.status = "failed";
    for (const Station& s : stations_) summary.underruns += s.modem->underruns();
    summary.underruns -= underrunsBefore_;
    summary.overflows = Overflows() - overflowsBefore_;
    // Data lost inside a page, or a carrier dropped for want of data, is a failed transfer
    // whatever T.30 concluded.
    if (summary.status == "ok" &&
        (FailingUnderruns() > failingUnderrunsBefore_ || summary.overflows > 0))
        summary.status = "failed";
    summary.simulatedSeconds = line_.nowSamples() / double(kSampleRate);
    summary.wallSeconds = (WallMs() - startMs_) / 1000.0;
    return summary;
}

CallSummary Session::Summary() const {
    CallSummary summary = CurrentCall();
    if (options_.calls > 1) {
        // The run is ok only when every call it was to have went through; a call never made
        // counts as not-called.
        std::vector<CallSummary> all = calls_;
        all.push_back(summary);
        summary.calls = static_cast<int>(all.size());
        if (all.back().status == "not-called" && all.size() > 1) --summary.calls;
        summary.status = "ok";
        summary.pages = summary.badRows = summary.rtn = summary.rtp = 0;
        summary.underruns = summary.overflows = 0;
        summary.rows = -1;
        for (size_t i = 0; i < static_cast<size_t>(options_.calls); ++i) {
            const std::string status = i < all.size() ? all[i].status : "not-called";
            if (summary.status == "ok" && status != "ok") summary.status = status;
            if (i >= all.size()) continue;
            summary.pages += all[i].pages;
            if (all[i].rows >= 0) summary.rows = std::max(summary.rows, 0) + all[i].rows;
            summary.badRows += all[i].badRows;
            summary.rtn += all[i].rtn;
            summary.rtp += all[i].rtp;
            summary.underruns += all[i].underruns;
            summary.overflows += all[i].overflows;
        }
    }
    if (timedOut_) summary.status = "timeout";
    if (stopped_) summary.status = "stopped";
    return summary;
}

int Session::Run() {
    startMs_ = WallMs();
    std::string ready = "READY pty=" + options_.modemLink;
    if (stations_.size() > 1) ready += " pty2=" + options_.secondModemLink;
    ready += " tty=" + stations_[0].port->slavePath();
    if (stations_.size() > 1) ready += " tty2=" + stations_[1].port->slavePath();
    std::printf("%s\n", ready.c_str());
    std::fflush(stdout);

    int64_t nextBlockUs = WallUs();
    while (true) {
        const int64_t nowUs = WallUs();
        if (nowUs >= nextBlockUs) {
            line_.RunBlock();
            FeedModems();  // the modem may have released flow control
            if (remote_ && options_.remote.role == RemoteFaxOptions::Role::Send &&
                !remote_->callStarted()) {
                Station& s = stations_[0];
                if (s.port->dtePresent() && s.modem->IdleOnHook() && s.port->inbox().empty() &&
                    s.port->IdleMs() >= options_.callAfterMs)
                    remote_->StartCall();
            }
            const double factor = SpeedFactor();
            const int64_t period = static_cast<int64_t>(kBlockMs * 1000 / factor);
            nextBlockUs += period;
            // Falling behind (a busy machine) is not made up: simulated time lags instead.
            if (nextBlockUs < nowUs - period) nextBlockUs = nowUs;
            MoveToNextCall();
            if (Finished(nowUs / 1000)) break;
        }
        const int64_t wait = std::max<int64_t>(0, nextBlockUs - WallUs());
        ServicePorts(std::min<int64_t>(wait, 5000));
        for (Station& s : stations_) s.modem->ServiceDte();
    }
    const CallSummary summary = Summary();
    std::printf("%s\n", FormatSummary(summary).c_str());
    std::fflush(stdout);
    return summary.status == options_.expect ? 0 : 1;
}

}  // namespace corvane::faxline
