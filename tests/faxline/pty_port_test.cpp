// The pseudo-terminal port: DTE presence, hang-ups and what a new DTE gets to see.

#include "pty_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "faxline_harness.h"

namespace corvane::faxline {
namespace {

using testing::ScratchFolder;

// Reads what arrives at the DTE within the wait.
std::string DteRead(int fd, int waitMs = 100) {
    std::string out;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, n);
    }
    return out;
}

void DteWrite(int fd, const std::string& text) {
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// Lets the port see what the DTE did.
void ServiceFor(PtyPort& port, int ms) {
    for (int i = 0; i < ms / 5; ++i) {
        pollfd p{port.masterFd(), port.WantedEvents(), 0};
        ::poll(&p, port.WantedEvents() ? 1 : 0, 5);
        port.Service(p.revents);
    }
}

void ModemWrite(PtyPort& port, const std::string& text) {
    port.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(PtyPort, SymlinkLeadsToARawPortAndGoesAway) {
    ScratchFolder dir;
    const std::string link = dir / "modem";
    {
        PtyPort port(link);
        ASSERT_TRUE(std::filesystem::is_symlink(link));
        const int dte = ::open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(dte, 0);
        // Without raw mode the DTE's CR would arrive as LF and its bytes would echo back.
        DteWrite(dte, "AT\r");
        ServiceFor(port, 50);
        EXPECT_TRUE(port.dtePresent());
        EXPECT_EQ(std::string(port.inbox().begin(), port.inbox().end()), "AT\r");
        ModemWrite(port, "\r\nOK\r\n");
        EXPECT_EQ(DteRead(dte), "\r\nOK\r\n");
        ::close(dte);
    }
    EXPECT_FALSE(std::filesystem::exists(link));
}

TEST(PtyPort, OutputWithoutADteIsDiscardedAndLeftoversDoNotReachTheNextDte) {
    ScratchFolder dir;
    PtyPort port(dir / "modem");
    ModemWrite(port, "RING\r\n");  // nobody there yet
    int dte = ::open((dir / "modem").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(dte, 0);
    EXPECT_EQ(DteRead(dte), "");

    DteWrite(dte, "ATZ\r");
    ServiceFor(port, 50);
    ModemWrite(port, "\r\nOK\r\n");
    ::close(dte);  // leaves the reply unread
    ServiceFor(port, 50);
    EXPECT_FALSE(port.dtePresent());
    EXPECT_TRUE(port.TakeHangUp());
    EXPECT_FALSE(port.TakeHangUp());

    dte = ::open((dir / "modem").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(dte, 0);
    EXPECT_EQ(DteRead(dte), "");
    ::close(dte);
}

TEST(PtyPort, SpeedZeroIsADtrDropThatHangsUpOnce) {
    ScratchFolder dir;
    PtyPort port(dir / "modem");
    const int dte = ::open((dir / "modem").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(dte, 0);
    DteWrite(dte, "AT\r");
    ServiceFor(port, 50);
    ASSERT_TRUE(port.dtePresent());
    EXPECT_FALSE(port.TakeHangUp());

    termios tio{};
    ASSERT_EQ(tcgetattr(dte, &tio), 0);
    const speed_t speed = cfgetospeed(&tio);
    cfsetspeed(&tio, B0);
    ASSERT_EQ(tcsetattr(dte, TCSANOW, &tio), 0);
    ServiceFor(port, 30);
    EXPECT_TRUE(port.TakeHangUp());
    ServiceFor(port, 30);
    EXPECT_FALSE(port.TakeHangUp());  // B0 held: one hang-up
    EXPECT_TRUE(port.dtePresent());   // the DTE still has the port open

    cfsetspeed(&tio, speed);
    ASSERT_EQ(tcsetattr(dte, TCSANOW, &tio), 0);
    ServiceFor(port, 30);
    EXPECT_FALSE(port.TakeHangUp());
    ::close(dte);
}

}  // namespace
}  // namespace corvane::faxline
