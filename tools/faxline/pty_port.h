#pragma once
// The master side of a pseudo-terminal that a fax program opens as its modem port, reachable
// through a symlink of the caller's choosing.
//
// A pseudo-terminal has no DTR line, so the DTE counts as present once it has written a byte
// since the last hang-up; its last close shows as POLLHUP (which stays set until the next open)
// and EIO on read, and a speed of B0 stands for dropping DTR. Output while no DTE is present is
// discarded, never left queued for the next program that opens the port.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace corvane::faxline {

class PtyPort {
  public:
    explicit PtyPort(const std::string& linkPath);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& linkPath() const { return linkPath_; }
    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }
    // True when the program's side of the terminal stops its output on XOFF (IXON): its
    // driver then holds what it has queued, as a serial port's does.
    bool DteOutputStopsOnXoff() const;

    // Poll events to ask for; 0 while the master should be left out of a blocking poll
    // (POLLHUP would wake it at once).
    short WantedEvents() const;
    // Reads and writes what the poll result allows; checks DTR (speed B0).
    void Service(short revents);

    bool dtePresent() const { return present_; }
    // True once after the DTE hung up (closed the port or dropped DTR).
    bool TakeHangUp();

    // Bytes from the DTE not yet taken by the modem.
    std::deque<uint8_t>& inbox() { return inbox_; }
    void Write(const uint8_t* data, size_t len);
    // True while output is still on its way to the DTE or unread by it.
    bool OutputPending();
    // Bytes waiting for room in the pseudo-terminal (the DTE does not read).
    size_t Backlog() const { return outbox_.size(); }
    // Wall-clock milliseconds since the DTE last wrote, or the modem last wrote to it.
    int64_t IdleMs() const;

  private:
    void ReadAvailable();
    void FlushOutbox();
    void DteGone();
    void CheckDtr();
    int SlaveUnreadBytes() const;

    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
    bool present_ = false;
    bool hangUp_ = false;
    bool dtrDown_ = false;
    std::deque<uint8_t> inbox_;
    std::vector<uint8_t> outbox_;
    int64_t lastActivityMs_ = 0;
    int64_t lastWriteMs_ = 0;
};

int64_t WallMs();

}  // namespace corvane::faxline
