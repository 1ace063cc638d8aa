// Data calls (+FCLASS=0) as a data modem makes them: CONNECT with a rate only when a data
// modem answers, online mode with the "+++" escape, and NO CARRIER toward a fax machine.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

bool Has(const std::string& reply, const std::string& line) {
    return reply.find("\r\n" + line + "\r\n") != std::string::npos;
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct DataCase {
    const char* name;
    const char* modemClass;  // --class
    const char* remote;      // "data": a data modem answers; "fax": a fax machine answers;
                             // "calls": a fax machine calls and the program answers
    const char* xLevel;
    const char* result;  // the dial or answer result
};

void PrintTo(const DataCase& c, std::ostream* os) {
    *os << c.name;
}

class DataCalls : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataCalls, ConnectsOnlyToADataModem) {
    const DataCase& c = GetParam();
    const std::string remote = c.remote;
    ScratchFolder dir;
    std::vector<std::string> args = {"--modem",  dir / "modem", "--class",  c.modemClass,
                                     "--expect", "failed",      "--linger", "2"};
    std::string page;
    if (remote == "calls") {
        page = dir.MakePage("page", "DATA", 100);
        ASSERT_FALSE(page.empty());
        args.insert(args.end(), {"--remote", "send", "--file", page, "--call-after-ms", "300"});
    } else {
        args.insert(args.end(), {"--file", dir / "remote.tif"});
        if (remote == "data") args.insert(args.end(), {"--answer", "data"});
    }
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    StatusLineClient lines(dir / "modem.lines");
    ASSERT_TRUE(lines.isConnected());
    const std::string kDown = "DCD=0 DSR=1 CTS=1 RI=0";
    ASSERT_EQ(lines.WaitFor("DCD=", 5000), kDown);
    {
        ModemPort port(dir / "modem");
        // A short guard time (S12, fiftieths of a second) keeps the escape within the few
        // seconds the data modem holds the line at the adaptive pace.
        ASSERT_TRUE(Has(port.Command(std::string("ATE0X") + c.xLevel + "S12=10"), "OK"));
        if (remote == "calls") {
            ASSERT_NE(port.ReadUntil("RING\r\n", 20000).find("RING"), std::string::npos);
            port.Write("ATA\r");
        } else {
            port.Write("ATD123\r");
        }
        const std::string result = port.ReadUntil(std::string(c.result) + "\r\n", 60000);
        ASSERT_TRUE(Has(result, c.result)) << result;
        const bool connected = std::string(c.result) != "NO CARRIER";
        if (connected) {
            EXPECT_EQ(lines.WaitFor("DCD=1", 5000), "DCD=1 DSR=1 CTS=1 RI=0") << lines.Log();
            // Online: data goes to the far modem, not to the command interpreter.
            port.Write("ATH\r");
            Sleep(300);
            port.Write("+++");
            EXPECT_TRUE(Has(port.ReadUntil("OK\r\n", 5000), "OK"));
            port.Write("ATO\r");
            EXPECT_TRUE(Has(port.ReadUntil(std::string(c.result) + "\r\n", 5000), c.result));
            // The far data modem hears nothing from us and gives up.
            EXPECT_TRUE(Has(port.ReadUntil("NO CARRIER\r\n", 30000), "NO CARRIER"));
        }
        if (connected) {
            EXPECT_EQ(lines.WaitFor(kDown, 5000), kDown) << lines.Log();
        } else {
            lines.Current();
            EXPECT_EQ(lines.Log().find("DCD=1"), std::string::npos) << lines.Log();
        }
        EXPECT_TRUE(Has(port.Command("AT"), "OK"));
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["pages"], "0");
}

INSTANTIATE_TEST_SUITE_P(
    Class0, DataCalls,
    ::testing::Values(DataCase{"class1_data_modem", "1", "data", "4", "CONNECT 300"},
                      DataCase{"class1_data_modem_x0", "1", "data", "0", "CONNECT"},
                      DataCase{"class1_fax_machine", "1", "fax", "4", "NO CARRIER"},
                      DataCase{"class1_answer_fax_call", "1", "calls", "4", "NO CARRIER"},
                      DataCase{"class2_data_modem", "2", "data", "4", "CONNECT 300"},
                      DataCase{"class2_fax_machine", "2", "fax", "4", "NO CARRIER"},
                      DataCase{"class2_answer_fax_call", "2", "calls", "4", "NO CARRIER"}),
    [](const ::testing::TestParamInfo<DataCase>& info) { return info.param.name; });

// ATH after the escape ends the call at once: carrier down, and the far end hears it.
TEST(DataCallHangUp, AfterEscape) {
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--file", dir / "remote.tif", "--answer",
                          "data", "--expect", "failed", "--linger", "2"});
    ASSERT_TRUE(line.WaitReady());
    StatusLineClient lines(dir / "modem.lines");
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0S12=10"), "OK"));
        port.Write("ATD123\r");
        ASSERT_TRUE(Has(port.ReadUntil("CONNECT 300\r\n", 60000), "CONNECT 300"));
        Sleep(300);
        port.Write("+++");
        ASSERT_TRUE(Has(port.ReadUntil("OK\r\n", 5000), "OK"));
        EXPECT_TRUE(Has(port.Command("ATH"), "OK"));
        EXPECT_EQ(lines.WaitFor("DCD=0", 5000), "DCD=0 DSR=1 CTS=1 RI=0") << lines.Log();
        EXPECT_TRUE(Has(port.Command("ATO"), "ERROR"));  // no call to return to
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
}

// Under &D1 a DTR drop is an escape: command mode with OK, the call and its carrier stay.
TEST(DataCallDtr, DropUnderD1ReturnsToCommandMode) {
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--answer", "data", "--expect", "failed", "--linger", "2"});
    ASSERT_TRUE(line.WaitReady());
    StatusLineClient lines(dir / "modem.lines");
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0&D1"), "OK"));
        port.Write("ATD123\r");
        ASSERT_TRUE(Has(port.ReadUntil("CONNECT 300\r\n", 60000), "CONNECT 300"));
        lines.Send("DTR=0");
        EXPECT_TRUE(Has(port.ReadUntil("OK\r\n", 5000), "OK"));
        lines.Send("DTR=1");
        port.Write("ATO\r");
        EXPECT_TRUE(Has(port.ReadUntil("CONNECT 300\r\n", 5000), "CONNECT 300"));
        lines.Current();
        EXPECT_EQ(lines.Log().find("DCD=0", lines.Log().find("DCD=1")), std::string::npos)
            << lines.Log();
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
}

}  // namespace
}  // namespace corvane::faxline::testing
