#pragma once
// A black-and-white page: rows of packed pixels, bit 7 of byte 0 leftmost, 1 black.

// Runs the faxline tool and fax programs against it in a scratch folder, and compares pages.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace corvane::faxline::testing {

struct Bitmap {
    int width = 0;
    std::vector<std::vector<unsigned char>> rows;
};

std::vector<Bitmap> ReadTiffPages(const std::filesystem::path& file);
Bitmap ReadPbm(const std::filesystem::path& file);  // raw PBM (P4)

// Number of rows that differ when received.rows[offset + k] is set against source.rows[k],
// for k from first_row on; a missing row counts as different.
int DifferingRows(const Bitmap& received, const Bitmap& source, int offset, int first_row);

// Runs a shell command; returns its exit status (or 128 + signal).
int Shell(const std::string& command);

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // A fine-resolution 1728 x 2200 page with a line of large text at the given row, as
    // name.pbm, name.g3 (raw G3, for sendfax) and name.tif (TIFF G3, from efix, which adds
    // five white rows). Returns the TIFF's path, empty when a tool failed.
    std::string MakePage(const std::string& name, const std::string& text, int row) const;

  private:
    std::filesystem::path path_;
};

// The faxline tool, started in the background; its standard output goes to a file.
class FaxlineRun {
  public:
    explicit FaxlineRun(const ScratchFolder& folder, std::vector<std::string> args);
    ~FaxlineRun();

    // True once the tool printed READY.
    bool WaitReady(int timeout_ms = 10000);
    // Waits for the tool to end; returns its exit status (-1 on time-out, after killing it).
    int Wait(int timeout_ms = 60000);
    // Fields of the summary line (status, pages, rate, resolution, remoteId, ...).
    std::map<std::string, std::string> Summary() const;
    std::string Output() const;
    // A field of the READY line, e.g. "tty" (the pseudo-terminal's /dev path).
    std::string ReadyField(const std::string& key) const;

  private:
    pid_t pid_ = -1;
    std::string outputFile_;
    int exitStatus_ = -1;
};

// A scripted DTE on a modem port: writes command lines and reads the modem's answers.
class ModemPort {
  public:
    explicit ModemPort(const std::string& path);
    ~ModemPort();
    ModemPort(const ModemPort&) = delete;
    ModemPort& operator=(const ModemPort&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Sends "AT..." and CR; returns what the modem wrote until a final result code (OK,
    // ERROR, CONNECT, NO CARRIER, BUSY, NO DIALTONE, NO ANSWER) or the time-out, in wall ms.
    std::string Command(const std::string& command, int timeout_ms = 10000);
    // Reads until the text appears or the time-out passes; returns all that was read.
    std::string ReadUntil(const std::string& text, int timeout_ms);
    void Write(const std::string& bytes);

  private:
    int fd_ = -1;
};

// A client of a modem's status line socket (`<link>.lines`): reads the line reports
// ("DCD=1 DSR=1 CTS=1 RI=0") and writes DTR/RTS lines.
class StatusLineClient {
  public:
    explicit StatusLineClient(const std::string& socketPath);
    ~StatusLineClient();
    StatusLineClient(const StatusLineClient&) = delete;
    StatusLineClient& operator=(const StatusLineClient&) = delete;
    bool isConnected() const { return fd_ >= 0; }

    // Reads until a report line containing text arrives after those already read, or the
    // time-out passes (wall ms); returns that line, empty on time-out.
    std::string WaitFor(const std::string& text, int timeout_ms);
    // Every report read so far, one per line.
    const std::string& Log() const { return log_; }
    // Reads what has arrived so far; returns the last report.
    std::string Current();
    void Send(const std::string& line);  // a newline is added

  private:
    void ReadSome(int timeout_ms);
    int fd_ = -1;
    std::string log_;
    size_t scanned_ = 0;  // log_ up to here has been searched by WaitFor
};

}  // namespace corvane::faxline::testing
