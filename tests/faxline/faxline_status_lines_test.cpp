// The modem status lines on the channel beside the port: DCD follows the call, RI pulses with
// the rings, and a DTR drop from the program hangs up as a modem set to &D2 does.

#include <gtest/gtest.h>

#include <tuple>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

bool Has(const std::string& reply, const std::string& line) {
    return reply.find("\r\n" + line + "\r\n") != std::string::npos;
}

// One white 1728-pixel row in one-dimensional coding, first bit in the lowest bit of each
// byte; it holds no DLE, so it needs no stuffing.
const std::string kWhiteRow("\x00\x80\xB2\x59\x01\x00", 6);

std::string WhiteRows(int rows) {
    std::string page;
    for (int r = 0; r < rows; ++r) page += kWhiteRow;
    return page;
}

struct DtrCase {
    const char* name;
    const char* faxClass;
    const char* dtrSetting;  // &D
    const char* hangUp;      // the hang-up report after the drop; nullptr: the call goes on
    const char* status;      // summary
};

void PrintTo(const DtrCase& c, std::ostream* os) {
    *os << c.name;
}

class DtrDrop : public ::testing::TestWithParam<DtrCase> {};

// A Class 2 call sending a page: DCD is down before the call and up once the call is
// connected; DTR dropped half-way through the page ends the call (the far end sees it), DCD
// falls and the modem takes commands again. Under &D0 the drop changes nothing.
TEST_P(DtrDrop, InMidPage) {
    const DtrCase& c = GetParam();
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--expect", c.status, "--linger", "5"});
    ASSERT_TRUE(line.WaitReady());
    StatusLineClient lines(dir / "modem.lines");
    ASSERT_TRUE(lines.isConnected());
    EXPECT_EQ(lines.WaitFor("DCD=", 5000), "DCD=0 DSR=1 CTS=1 RI=0");
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
        ASSERT_TRUE(
            Has(port.Command(std::string("AT+FCLASS=") + c.faxClass + ";" + c.dtrSetting), "OK"));
        const bool class20 = std::string(c.faxClass) == "2.0";
        ASSERT_TRUE(Has(port.Command(class20 ? "AT+FIS=0,3" : "AT+FDIS=0,3"), "OK"));
        EXPECT_EQ(lines.Current(), "DCD=0 DSR=1 CTS=1 RI=0");
        ASSERT_TRUE(Has(port.Command("ATD123", 60000), "OK"));
        EXPECT_EQ(lines.WaitFor("DCD=1", 5000), "DCD=1 DSR=1 CTS=1 RI=0");
        ASSERT_TRUE(Has(port.Command("AT+FDT", 60000), "CONNECT"));
        port.Write(WhiteRows(500));
        lines.Send("DTR=0");
        if (c.hangUp) {
            const std::string reply = port.ReadUntil("OK\r\n", 30000);
            EXPECT_TRUE(Has(reply, c.hangUp)) << reply;
            EXPECT_TRUE(Has(reply, "OK")) << reply;
            EXPECT_EQ(lines.WaitFor("DCD=0", 10000), "DCD=0 DSR=1 CTS=1 RI=0") << lines.Log();
            lines.Send("DTR=1");
            EXPECT_TRUE(Has(port.Command("AT"), "OK"));
            EXPECT_TRUE(Has(port.Command("AT+FDT", 5000), "ERROR"));  // no call any more
        } else {
            port.Write(WhiteRows(600) + "\x10" + (class20 ? "." : "\x03"));
            ASSERT_TRUE(Has(port.ReadUntil("OK\r\n", 60000), "OK"));
            if (!class20) {
                EXPECT_TRUE(Has(port.Command("AT+FET=2", 60000), "+FPTS:1"));
            }
            EXPECT_EQ(lines.WaitFor("DCD=0", 30000), "DCD=0 DSR=1 CTS=1 RI=0") << lines.Log();
        }
        port.Command("ATH0");
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], c.status);
    EXPECT_EQ(summary["pages"], c.hangUp ? "0" : "1");
}

INSTANTIATE_TEST_SUITE_P(Class2, DtrDrop,
                         ::testing::Values(DtrCase{"class2", "2", "&D2", "+FHNG:2", "failed"},
                                           DtrCase{"class2_0", "2.0", "&D2", "+FHS:02", "failed"},
                                           DtrCase{"class2_ignored", "2", "&D0", nullptr, "ok"}),
                         [](const ::testing::TestParamInfo<DtrCase>& info) {
                             return info.param.name;
                         });

// A machine calls: RI pulses with each ring while the program has not answered, DCD stays
// down until it answers and falls again when the program closes the port.
TEST(StatusLines, RingThenAnswer) {
    ScratchFolder dir;
    const std::string page = dir.MakePage("page", "RING", 100);
    ASSERT_FALSE(page.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--remote", "send", "--file", page,
                          "--call-after-ms", "300", "--expect", "failed", "--linger", "3"});
    ASSERT_TRUE(line.WaitReady());
    StatusLineClient lines(dir / "modem.lines");
    ASSERT_TRUE(lines.isConnected());
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
        ASSERT_TRUE(Has(port.Command("AT+FCLASS=1"), "OK"));
        EXPECT_EQ(lines.WaitFor("RI=1", 20000), "DCD=0 DSR=1 CTS=1 RI=1") << lines.Log();
        EXPECT_NE(port.ReadUntil("RING\r\n", 5000).find("RING"), std::string::npos);
        // The burst ends (2 s of the 6 s cadence) while the program has still not answered.
        EXPECT_EQ(lines.WaitFor("RI=0", 5000), "DCD=0 DSR=1 CTS=1 RI=0") << lines.Log();
        EXPECT_EQ(lines.WaitFor("RI=1", 10000), "DCD=0 DSR=1 CTS=1 RI=1") << lines.Log();
        const std::string answer = port.Command("ATA", 30000);
        EXPECT_TRUE(Has(answer, "CONNECT")) << answer;
        EXPECT_EQ(lines.WaitFor("DCD=1", 5000), "DCD=1 DSR=1 CTS=1 RI=0") << lines.Log();
    }
    EXPECT_EQ(lines.WaitFor("DCD=0", 10000), "DCD=0 DSR=1 CTS=1 RI=0") << lines.Log();
    EXPECT_EQ(line.Wait(), 0) << line.Output();
}

// With DTR held down the modem reports the rings but does not answer by itself; raised
// again, it answers at the next ring.
TEST(StatusLines, NoAutoAnswerWhileDtrIsDown) {
    for (const auto& [modemClass, faxClass, answered] :
         {std::tuple{"1", "1", "CONNECT"}, std::tuple{"2", "2", "+FCON"}}) {
        ScratchFolder dir;
        const std::string page = dir.MakePage("page", "DTR", 100);
        ASSERT_FALSE(page.empty());
        FaxlineRun line(
            dir, {"--modem", dir / "modem", "--class", modemClass, "--remote", "send", "--file",
                  page, "--call-after-ms", "300", "--expect", "failed", "--linger", "2"});
        ASSERT_TRUE(line.WaitReady());
        StatusLineClient lines(dir / "modem.lines");
        lines.Send("DTR=0");
        {
            ModemPort port(dir / "modem");
            ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
            ASSERT_TRUE(Has(port.Command(std::string("AT+FCLASS=") + faxClass), "OK"));
            ASSERT_TRUE(Has(port.Command("ATS0=1"), "OK"));
            std::string rings = port.ReadUntil("RING\r\n", 20000);
            rings += port.ReadUntil("RING\r\n", 20000);
            EXPECT_EQ(rings.find(answered), std::string::npos) << modemClass << ": " << rings;
            lines.Current();
            EXPECT_EQ(lines.Log().find("DCD=1"), std::string::npos) << lines.Log();
            lines.Send("DTR=1");
            const std::string answer = port.ReadUntil(answered, 20000);
            EXPECT_NE(answer.find(answered), std::string::npos) << modemClass << ": " << answer;
        }
        EXPECT_EQ(line.Wait(), 0) << line.Output();
    }
}

// Under &D3 a DTR drop also restores the stored profile, as ATZ does: the receive settings
// are gone (a program must set them again before the next call); under &D2 they stay.
TEST(StatusLines, DtrDropUnderAmpD3ResetsTheProfile) {
    for (const auto& [setting, fcr] : {std::pair{"&D3", "0"}, std::pair{"&D2", "1"}}) {
        ScratchFolder dir;
        FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file",
                              dir / "remote.tif", "--expect", "not-called", "--timeout", "30"});
        ASSERT_TRUE(line.WaitReady());
        StatusLineClient lines(dir / "modem.lines");
        {
            ModemPort port(dir / "modem");
            ASSERT_TRUE(Has(port.Command(std::string("ATE0") + setting), "OK"));
            ASSERT_TRUE(Has(port.Command("AT+FCLASS=2;+FCR=1"), "OK"));
            lines.Send("DTR=0");
            lines.Send("DTR=1");
            lines.Current();
            // The class is back to 0 after the reset (echo on again: the reply is searched).
            const std::string cls = port.Command("AT+FCLASS?");
            EXPECT_TRUE(Has(cls, fcr[0] == '0' ? "0" : "2")) << setting;
            if (fcr[0] == '1') {
                const std::string value = port.Command("AT+FCR?");
                EXPECT_TRUE(Has(value, "1") || Has(value, "+FCR:1")) << setting;
            }
        }
        EXPECT_EQ(line.Wait(), 0) << line.Output();
    }
}

// Clients come and go over a run, each told the lines at once; the socket goes with the run.
TEST(StatusLines, ClientsComeAndGo) {
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--file", dir / "remote.tif", "--expect",
                          "not-called", "--timeout", "30"});
    ASSERT_TRUE(line.WaitReady());
    {
        StatusLineClient first(dir / "modem.lines");
        EXPECT_EQ(first.WaitFor("DCD=", 5000), "DCD=0 DSR=1 CTS=1 RI=0");
        first.Send("DTR=0");
    }
    StatusLineClient second(dir / "modem.lines");
    EXPECT_EQ(second.WaitFor("DCD=", 5000), "DCD=0 DSR=1 CTS=1 RI=0");
    {
        // A program comes and goes, so that the run ends.
        ModemPort port(dir / "modem");
        EXPECT_TRUE(Has(port.Command("AT"), "OK"));
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_FALSE(std::filesystem::exists(dir / "modem.lines"));
}

}  // namespace
}  // namespace corvane::faxline::testing
