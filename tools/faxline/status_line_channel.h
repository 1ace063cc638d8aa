#pragma once
// The modem's RS-232 status lines as the DTE would see them.

#include <string>
#include <vector>

namespace corvane::faxline {

struct StatusLines {
    bool dcd = false;
    bool dsr = true;
    bool cts = true;
    bool ri = false;
    bool operator==(const StatusLines&) const = default;
};

// A pseudo-terminal has no modem control lines, so each modem port gets a Unix-domain stream
// socket beside its link (`<link>.lines`) that carries them. A client that connects is sent
// the current lines at once and then every change, one text line each:
//     DCD=1 DSR=1 CTS=1 RI=0
// and may write `DTR=0`, `DTR=1`, `RTS=0`, `RTS=1` lines of its own.
//
// DTR is down while any connected client's last DTR line said 0; a client that never wrote
// one (an observer) has no say, and one that disconnects gives up its say. A program closes
// its port and its client together, and the pseudo-terminal's close already hangs up; the
// next program, which may not know the channel at all, must find DTR up as a newly opened
// serial port would.
class StatusLineChannel {
  public:
    explicit StatusLineChannel(std::string path);
    ~StatusLineChannel();
    StatusLineChannel(const StatusLineChannel&) = delete;
    StatusLineChannel& operator=(const StatusLineChannel&) = delete;

    const std::string& path() const { return path_; }

    // Non-blocking: takes new clients, reads what clients wrote and sends the lines to every
    // client when they changed (and to new clients in any case).
    void Service(const StatusLines& lines);

    bool dtr() const;
    bool rts() const;
    // True once after DTR went from on to off.
    bool TakeDtrDrop();

  private:
    struct Client {
        int fd = -1;
        std::string pending;  // a partial line
        int dtr = -1;         // -1: never said
        int rts = -1;
        bool greeted = false;
    };

    void Accept();
    void ReadClient(Client& client);
    void Send(Client& client, const std::string& text);
    void UpdateDtr();

    std::string path_;
    int listener_ = -1;
    std::vector<Client> clients_;
    StatusLines published_;
    bool dtr_ = true;
    bool dtrDropped_ = false;
};

}  // namespace corvane::faxline
