#pragma once
// One run of the tool: the ports, the modems, the line and the fax machine, driven by the
// paced audio loop until the call has ended as far as every party is concerned.

#include <memory>
#include <vector>

#include "call_summary.h"
#include "modem.h"
#include "options.h"
#include "pty_port.h"
#include "remote_fax.h"
#include "status_line_channel.h"
#include "telephone_line.h"

namespace corvane::faxline {

class Session {
  public:
    explicit Session(const Options& options);
    ~Session();

    // Prints READY, runs the loop and the summary line; returns the exit status.
    int Run();

    // Ends the loop from a signal handler.
    static void RequestStop();

  private:
    struct Station {
        std::unique_ptr<PtyPort> port;
        std::unique_ptr<Modem> modem;
        std::unique_ptr<StatusLineChannel> lines;  // at <link>.lines
        bool dteSeen = false;
        int64_t goneSinceMs = -1;
    };

    std::unique_ptr<Modem> MakeModem(ModemKind kind, PtyPort& port);
    void ServicePorts(int64_t waitUs);
    void FeedModems();
    void ServiceStatusLines(Station& station, const char* name);
    double SpeedFactor();
    bool Finished(int64_t nowMs);
    // Ends the fax machine's call once it is over and readies it for the next, while the run
    // has calls to go.
    void MoveToNextCall();
    // The call under way (or the last one) as the fax machine and the modems saw it.
    CallSummary CurrentCall() const;
    // The run: one call, or every call of --calls together.
    CallSummary Summary() const;
    int FailingUnderruns() const;
    int Overflows() const;
    void Trace(const char* direction, const uint8_t* data, size_t len);

    Options options_;
    TelephoneLine line_;
    std::vector<Station> stations_;
    std::unique_ptr<RemoteFax> remote_;
    int64_t startMs_ = 0;
    int64_t callOverMs_ = -1;
    int64_t lastPumpUs_ = 0;  // pacing of the line while a modem waits for its DTE
    int64_t holdNextBlockUs_ = 0;
    std::vector<CallSummary> calls_;  // calls over, while more are to come
    int underrunsBefore_ = 0;         // modem counts when the current call began
    int failingUnderrunsBefore_ = 0;
    int overflowsBefore_ = 0;
    bool timedOut_ = false;
    bool stopped_ = false;
};

}  // namespace corvane::faxline
