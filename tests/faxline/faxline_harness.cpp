#include "faxline_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvane::faxline::testing {

std::vector<Bitmap> ReadTiffPages(const std::filesystem::path& file) {
    std::vector<Bitmap> pages;
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFOpen(file.c_str(), "r");
    if (!tiff) return pages;
    do {
        uint32_t width = 0, length = 0;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        Bitmap page;
        page.width = static_cast<int>(width);
        const tmsize_t rowBytes = TIFFScanlineSize(tiff);
        for (uint32_t y = 0; y < length; ++y) {
            std::vector<unsigned char> row(rowBytes);
            if (TIFFReadScanline(tiff, row.data(), y) < 0) break;
            if (photometric == PHOTOMETRIC_MINISBLACK)
                for (unsigned char& b : row) b = static_cast<unsigned char>(~b);
            page.rows.push_back(std::move(row));
        }
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    return pages;
}

Bitmap ReadPbm(const std::filesystem::path& file) {
    Bitmap page;
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int width = 0, height = 0;
    in >> magic >> width >> height;
    in.get();
    if (magic != "P4" || width <= 0 || height <= 0) return page;
    page.width = width;
    const size_t rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        std::vector<unsigned char> row(rowBytes);
        if (!in.read(reinterpret_cast<char*>(row.data()), rowBytes)) break;
        page.rows.push_back(std::move(row));
    }
    return page;
}

int DifferingRows(const Bitmap& received, const Bitmap& source, int offset, int first_row) {
    int differing = 0;
    for (size_t k = first_row; k < source.rows.size(); ++k) {
        const size_t r = k + offset;
        if (r >= received.rows.size() || received.rows[r] != source.rows[k]) ++differing;
    }
    return differing;
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "faxline-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!std::getenv("FAXLINE_KEEP_SCRATCH")) std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::MakePage(const std::string& name, const std::string& text,
                                    int row) const {
    const std::string tif = *this / (name + ".tif");
    const std::string base = *this / name;
    const std::string command =
        "pbmtext -builtin fixed '" + text + "' | pamenlarge 4 > '" + base + ".txt.pbm' && " +
        "pbmmake -white 1728 2200 > '" + base + ".blank.pbm' && " + "pnmpaste '" + base +
        ".txt.pbm' 100 " + std::to_string(row) + " '" + base + ".blank.pbm' > '" + base +
        ".pbm' && pbm2g3 '" + base + ".pbm' > '" + base + ".g3' && " +
        "efix -v '' -i pbm -o tiffg3 -r 204x196 '" + base + ".pbm' > '" + tif + "'";
    if (Shell(command) != 0) return {};
    return tif;
}

FaxlineRun::FaxlineRun(const ScratchFolder& folder, std::vector<std::string> args) {
    static int counter = 0;
    outputFile_ = folder / ("faxline-" + std::to_string(++counter) + ".out");
    const std::string errorFile = outputFile_ + ".err";
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> argv;
        std::string program = FAXLINE_PATH;
        argv.push_back(program.data());
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (!freopen(outputFile_.c_str(), "w", stdout)) _exit(127);
        if (!freopen(errorFile.c_str(), "w", stderr)) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

FaxlineRun::~FaxlineRun() {
    if (pid_ > 0 && exitStatus_ == -1) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::string FaxlineRun::Output() const {
    std::ifstream in(outputFile_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FaxlineRun::WaitReady(int timeout_ms) {
    for (int waited = 0; waited < timeout_ms; waited += 20) {
        if (Output().find("READY") != std::string::npos) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int FaxlineRun::Wait(int timeout_ms) {
    if (exitStatus_ != -1) return exitStatus_;
    for (int waited = 0; waited < timeout_ms; waited += 20) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitStatus_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    exitStatus_ = -2;
    return -1;
}

std::string FaxlineRun::ReadyField(const std::string& key) const {
    const std::string out = Output();
    const size_t ready = out.find("READY ");
    if (ready == std::string::npos) return {};
    const std::string line = out.substr(ready, out.find('\n', ready) - ready);
    const size_t start = line.find(" " + key + "=");
    if (start == std::string::npos) return {};
    const size_t value = start + key.size() + 2;
    return line.substr(value, line.find(' ', value) - value);
}

std::map<std::string, std::string> FaxlineRun::Summary() const {
    std::map<std::string, std::string> fields;
    const std::string out = Output();
    const size_t start = out.find("FAXLINE-SUMMARY ");
    if (start == std::string::npos) return fields;
    const std::string line = out.substr(start + 16, out.find('\n', start) - start - 16);
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t eq = line.find('=', pos);
        if (eq == std::string::npos) break;
        const std::string key = line.substr(pos, eq - pos);
        std::string value;
        size_t next = eq + 1;
        if (next < line.size() && line[next] == '"') {
            for (++next; next < line.size() && line[next] != '"'; ++next) {
                if (line[next] == '\\' && next + 1 < line.size()) ++next;
                value += line[next];
            }
            ++next;
        } else {
            const size_t space = line.find(' ', next);
            value =
                line.substr(next, space == std::string::npos ? std::string::npos : space - next);
            next = space == std::string::npos ? line.size() : space;
        }
        fields[key] = value;
        pos = next;
        while (pos < line.size() && line[pos] == ' ') ++pos;
    }
    return fields;
}

ModemPort::ModemPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
}

ModemPort::~ModemPort() {
    if (fd_ >= 0) ::close(fd_);
}

void ModemPort::Write(const std::string& bytes) {
    size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
}

std::string ModemPort::ReadUntil(const std::string& text, int timeout_ms) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (fd_ >= 0 && out.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::min<long>(left, 100))) <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

std::string ModemPort::Command(const std::string& command, int timeout_ms) {
    Write(command + "\r");
    static const char* kFinal[] = {"OK\r\n",   "ERROR\r\n",       "CONNECT\r\n",  "NO CARRIER\r\n",
                                   "BUSY\r\n", "NO DIALTONE\r\n", "NO ANSWER\r\n"};
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        out += ReadUntil("\r\n", 100);
        for (const char* f : kFinal)
            if (out.find(std::string("\r\n") + f) != std::string::npos) return out;
    }
    return out;
}

StatusLineClient::StatusLineClient(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return;
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

StatusLineClient::~StatusLineClient() {
    if (fd_ >= 0) ::close(fd_);
}

void StatusLineClient::ReadSome(int timeout_ms) {
    pollfd p{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&p, 1, timeout_ms) <= 0) return;
    char buf[512];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) log_.append(buf, static_cast<size_t>(n));
}

std::string StatusLineClient::WaitFor(const std::string& text, int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        size_t eol;
        while ((eol = log_.find('\n', scanned_)) != std::string::npos) {
            const std::string line = log_.substr(scanned_, eol - scanned_);
            scanned_ = eol + 1;
            if (line.find(text) != std::string::npos) return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || fd_ < 0) return "";
        ReadSome(static_cast<int>(std::min<long>(left, 100)));
    }
}

std::string StatusLineClient::Current() {
    ReadSome(0);
    while (fd_ >= 0) {
        const size_t before = log_.size();
        ReadSome(0);
        if (log_.size() == before) break;
    }
    const size_t end = log_.rfind('\n');
    if (end == std::string::npos) return "";
    const size_t previous = end == 0 ? std::string::npos : log_.rfind('\n', end - 1);
    const size_t start = previous == std::string::npos ? 0 : previous + 1;
    return log_.substr(start, end - start);
}

void StatusLineClient::Send(const std::string& line) {
    const std::string text = line + "\n";
    if (fd_ >= 0) (void)::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
}

}  // namespace corvane::faxline::testing
