// A scripted program drives the Class 2/2.0 modem through a call where efax cannot go:
// damaged page data, a call the program ends itself, and pages a receiving program rejects.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

bool Has(const std::string& reply, const std::string& line) {
    return reply.find("\r\n" + line + "\r\n") != std::string::npos;
}

// One white 1728-pixel row in one-dimensional coding: EOL, white 1728 (makeup 1728 and
// terminating 0), first bit in the lowest bit of each byte.
const std::string kWhiteRow("\x00\x80\xB2\x59\x01\x00", 6);

std::string DleStuffed(const std::string& data) {
    std::string out;
    for (char c : data) {
        out += c;
        if (c == '\x10') out += c;
    }
    return out;
}

// A standard-resolution page of white rows; with damage, 20 random bytes after every fifth
// row, which spoil about a fifth of the rows: more than a receiver accepts.
std::string PageData(int rows, bool damaged) {
    std::string page;
    std::mt19937 random(7);
    for (int r = 0; r < rows; ++r) {
        page += kWhiteRow;
        if (damaged && r % 5 == 2)
            for (int i = 0; i < 20; ++i) page += static_cast<char>(random() & 0xFF);
    }
    return page;
}

struct ScriptCase {
    const char* name;
    const char* faxClass;
    bool damaged;
    const char* pageEnd;      // DLE and this byte end the page
    const char* postPage;     // Class 2 command after the page ("" for Class 2.0)
    const char* pageStatus;   // what the modem reports for the page
    const char* finalResult;  // the last result after the page
    const char* status;       // summary
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

class ScriptedPage : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptedPage, ReportsWhatTheRemoteFound) {
    const ScriptCase& c = GetParam();
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--expect", c.status, "--linger", "5"});
    ASSERT_TRUE(line.WaitReady());
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
        ASSERT_TRUE(Has(port.Command(std::string("AT+FCLASS=") + c.faxClass), "OK"));
        const bool class20 = std::string(c.faxClass) == "2.0";
        ASSERT_TRUE(Has(port.Command(class20 ? "AT+FIS=0,3" : "AT+FDIS=0,3"), "OK"));
        ASSERT_TRUE(Has(port.Command("ATD123", 60000), "OK"));
        const std::string connect = port.Command("AT+FDT", 60000);
        ASSERT_TRUE(Has(connect, "CONNECT")) << connect;
        // The rate the training settled on: 9600 (code 3), standard resolution.
        EXPECT_NE(connect.find(class20 ? "+FCS:0,3," : "+FDCS:0,3,"), std::string::npos) << connect;
        port.Write(DleStuffed(PageData(1100, c.damaged)) + "\x10" + c.pageEnd);
        std::string after;
        if (*c.postPage) {
            ASSERT_TRUE(Has(port.ReadUntil("OK\r\n", 60000), "OK"));
            after = port.Command(c.postPage, 60000);
        } else {
            after = port.ReadUntil(std::string(c.finalResult) + "\r\n", 60000);
        }
        EXPECT_NE(after.find(c.pageStatus), std::string::npos) << after;
        EXPECT_TRUE(Has(after, c.finalResult)) << after;
        if (c.damaged && class20) {
            EXPECT_TRUE(Has(port.Command("AT+FPS?"), "2"));
        }
        if (!c.damaged) {
            EXPECT_TRUE(Has(after, class20 ? "+FHS:00" : "+FHNG:0")) << after;
        }
        port.Command("ATH0");
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    auto summary = line.Summary();
    EXPECT_EQ(summary["status"], c.status);
    if (!c.damaged) {
        EXPECT_EQ(summary["rows"], "1100");
        EXPECT_EQ(summary["bad_rows"], "0");
    } else {
        EXPECT_EQ(summary["rtn"], "1");  // the page was thrown away: nothing arrived
        EXPECT_EQ(summary["pages"], "0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ScriptedPage,
    ::testing::Values(
        ScriptCase{"class2_good", "2", false, "\x03", "AT+FET=2", "+FPTS:1", "OK", "ok"},
        ScriptCase{"class2_damaged", "2", true, "\x03", "AT+FET=2", "+FPTS:2", "OK", "failed"},
        ScriptCase{"class2_0_good", "2.0", false, ".", "", "+FHS:00", "OK", "ok"},
        ScriptCase{"class2_0_damaged", "2.0", true, ".", "", "ERROR", "ERROR", "failed"}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

// The machine's widest page reaches the program in +FDIS (wd: 0 1728, 1 2048, 2 2432).
TEST(ScriptedDial, RemoteWidthShowsInFdis) {
    for (const auto& [width, fdis] :
         {std::pair{"1728", "+FDIS:1,5,0,"}, std::pair{"2048", "+FDIS:1,5,1,"},
          std::pair{"2432", "+FDIS:1,5,2,"}}) {
        ScratchFolder dir;
        FaxlineRun line(dir,
                        {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                         "--remote-width", width, "--expect", "failed", "--linger", "5"});
        ASSERT_TRUE(line.WaitReady());
        {
            ModemPort port(dir / "modem");
            ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
            ASSERT_TRUE(Has(port.Command("AT+FCLASS=2"), "OK"));
            const std::string dial = port.Command("ATD123", 60000);
            EXPECT_NE(dial.find(fdis), std::string::npos) << width << ": " << dial;
            port.Command("AT+FK", 20000);
        }
        EXPECT_EQ(line.Wait(), 0) << line.Output();
    }
}

// A receiving program that stops reading during page data: the modem's buffer toward it
// overflows, the data ends and the modem reports hang-up code 93.
TEST(ScriptedReceive, ProgramThatStopsReadingGetsOverflowCode) {
    ScratchFolder dir;
    // A busy page (bands of stripes) that codes to far more than the terminal buffers.
    {
        std::ofstream pbm(dir / "busy.pbm", std::ios::binary);
        pbm << "P4\n1728 2200\n";
        for (int r = 0; r < 2200; ++r)
            for (int b = 0; b < 216; ++b) pbm.put((r / 40) % 3 == 0 && b % 2 ? '\x0F' : '\0');
    }
    ASSERT_EQ(Shell("efix -v '' -i pbm -o tiffg3 -r 204x196 '" + dir / "busy.pbm" + "' > '" +
                    dir / "busy.tif" + "'"),
              0);
    FaxlineRun line(
        dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
              dir / "busy.tif", "--page-speed", "10", "--expect", "failed", "--linger", "30"});
    ASSERT_TRUE(line.WaitReady());
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
        ASSERT_TRUE(Has(port.Command("AT+FCLASS=2"), "OK"));
        ASSERT_TRUE(Has(port.Command("AT+FCR=1;S0=1"), "OK"));
        // The caller's DCS completes the answer: +FDCS, then OK.
        std::string answer = port.ReadUntil("+FDCS:", 60000);
        ASSERT_NE(answer.find("+FDCS:"), std::string::npos) << answer;
        if (answer.find("OK\r\n", answer.find("+FDCS:")) == std::string::npos)
            answer += port.ReadUntil("OK\r\n", 20000);
        ASSERT_TRUE(Has(answer.substr(answer.find("+FDCS:")), "OK")) << answer;
        ASSERT_TRUE(Has(port.Command("AT+FDR", 30000), "CONNECT"));
        port.Write("\x12");
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const std::string rest = port.ReadUntil("+FHNG:93\r\n\r\nOK\r\n", 20000);
        EXPECT_NE(rest.find("\x10\x03\r\n+FHNG:93\r\n\r\nOK\r\n"), std::string::npos)
            << rest.size() << " bytes, ends: "
            << ::testing::PrintToString(rest.substr(rest.size() > 100 ? rest.size() - 100 : 0));
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["overflows"], "1");
}

// A standard-resolution document of short pages, each with its page number in large text,
// as one TIFF for the remote machine to send.
std::string MakeShortDocument(const ScratchFolder& dir, int pages) {
    std::string parts;
    for (int n = 1; n <= pages; ++n) {
        const std::string base = dir / ("short" + std::to_string(n));
        const std::string command =
            "pbmtext -builtin fixed 'PAGE " + std::to_string(n) + "' | pamenlarge 3 > '" + base +
            ".txt.pbm' && pbmmake -white 1728 120 > '" + base + ".blank.pbm' && pnmpaste '" + base +
            ".txt.pbm' " + std::to_string(100 * n) + " 20 '" + base + ".blank.pbm' > '" + base +
            ".pbm' && efix -v '' -i pbm -o tiffg3 -r 204x98 '" + base + ".pbm' > '" + base +
            ".tif'";
        if (Shell(command) != 0) return {};
        parts += " '" + base + ".tif'";
    }
    const std::string document = dir / "document.tif";
    if (Shell("tiffcp" + parts + " '" + document + "'") != 0) return {};
    return document;
}

// Sets the class and auto-answer, then waits for the caller's DCS, which completes the answer.
void AnswerOnFirstRing(ModemPort& port, const std::string& faxClass) {
    ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
    ASSERT_TRUE(Has(port.Command("AT+FCLASS=" + faxClass), "OK"));
    ASSERT_TRUE(Has(port.Command("AT+FCR=1;S0=1"), "OK"));
    const std::string dcs = faxClass == "2.0" ? "+FCS:" : "+FDCS:";
    std::string answer = port.ReadUntil(dcs, 60000);
    ASSERT_NE(answer.find(dcs), std::string::npos) << answer;
    if (answer.find("OK\r\n", answer.find(dcs)) == std::string::npos)
        answer += port.ReadUntil("OK\r\n", 20000);
    ASSERT_TRUE(Has(answer.substr(answer.find(dcs)), "OK")) << answer;
}

struct ReceivedPage {
    std::string data;    // as the modem sent it, up to DLE ETX
    std::string report;  // what followed: page status, +FET and the final result
};

// AT+FDR, then DC2 after CONNECT; reads the page and the reports after it.
ReceivedPage TakePage(ModemPort& port) {
    const std::string connect = port.Command("AT+FDR", 60000);
    if (!Has(connect, "CONNECT")) return {"", connect};
    port.Write("\x12");
    std::string all = port.ReadUntil("+FET:", 60000);
    if (all.find("OK\r\n", all.rfind("+FET:")) == std::string::npos)
        all += port.ReadUntil("OK\r\n", 10000);
    const size_t end = all.rfind("\x10\x03\r\n");
    if (end == std::string::npos) return {"", all};
    return {all.substr(0, end), all.substr(end + 2)};
}

// A receiving program that rejects page 2 of three with +FPTS=2 (Class 2.0: +FPS=2): only
// then does the modem answer the sender, with RTN, and the sender trains again and sends the
// same page once more.
TEST(ScriptedReceive, RejectedPageIsSentAgain) {
    for (const std::string faxClass : {"2", "2.0"}) {
        SCOPED_TRACE("class " + faxClass);
        const bool class20 = faxClass == "2.0";
        ScratchFolder dir;
        const std::string document = MakeShortDocument(dir, 3);
        ASSERT_FALSE(document.empty());
        FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send",
                              "--file", document, "--linger", "5"});
        ASSERT_TRUE(line.WaitReady());
        {
            ModemPort port(dir / "modem");
            AnswerOnFirstRing(port, faxClass);
            // Class 2.0 adds the line count (60), bad lines and longest bad run.
            const std::string good = class20 ? "+FPS:1,60,0,0,0" : "+FPTS:1";
            std::vector<ReceivedPage> pages;
            for (int k = 0; k < 4; ++k) {
                pages.push_back(TakePage(port));
                const ReceivedPage& page = pages.back();
                ASSERT_TRUE(Has(page.report, good)) << "page " << k + 1 << page.report;
                ASSERT_TRUE(Has(page.report, k < 3 ? "+FET:0" : "+FET:2")) << page.report;
                ASSERT_TRUE(Has(page.report, "OK")) << page.report;
                if (k == 1) {
                    ASSERT_TRUE(Has(port.Command(class20 ? "AT+FPS=2" : "AT+FPTS=2"), "OK"));
                    const std::string kept = port.Command(class20 ? "AT+FPS?" : "AT+FPTS?");
                    EXPECT_TRUE(Has(kept, "2")) << kept;
                }
            }
            EXPECT_EQ(pages[2].data, pages[1].data) << "the rejected page came again";
            EXPECT_NE(pages[3].data, pages[1].data);
            const std::string end = port.Command("AT+FDR", 30000);
            EXPECT_TRUE(Has(end, class20 ? "+FHS:00" : "+FHNG:0")) << end;
            EXPECT_TRUE(Has(end, "OK")) << end;
        }
        EXPECT_EQ(line.Wait(), 0) << line.Output();
        EXPECT_EQ(line.Summary()["rtn"], "1");
        EXPECT_EQ(line.Summary()["pages"], "3");
    }
}

// A receiving program that never asks for the next page: the modem holds back its answer,
// the sender repeats its post-page message and gives up, and the modem reports an
// unspecified receive phase D error (100; Class 2.0 writes it A0) with the next command.
TEST(ScriptedReceive, ProgramThatNeverAsksForTheNextPageLosesTheCall) {
    ScratchFolder dir;
    const std::string document = MakeShortDocument(dir, 2);
    ASSERT_FALSE(document.empty());
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--remote", "send", "--file",
                          document, "--expect", "failed", "--linger", "5"});
    ASSERT_TRUE(line.WaitReady());
    {
        ModemPort port(dir / "modem");
        AnswerOnFirstRing(port, "2.0");
        const ReceivedPage page = TakePage(port);
        ASSERT_TRUE(Has(page.report, "+FET:0")) << page.report;
        // The sender waits T4 (3.45 s) for an answer three times, then sends DCN.
        std::this_thread::sleep_for(std::chrono::seconds(14));
        const std::string late = port.Command("AT+FDR", 20000);
        EXPECT_TRUE(Has(late, "+FHS:A0")) << late;
        EXPECT_TRUE(Has(late, "OK")) << late;
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["pages"], "0");
}

TEST(ScriptedAbort, EndsTheCallAndRefusesMorePages) {
    for (const char* faxClass : {"2", "2.0"}) {
        const bool class20 = std::string(faxClass) == "2.0";
        ScratchFolder dir;
        FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file",
                              dir / "remote.tif", "--expect", "failed", "--linger", "5"});
        ASSERT_TRUE(line.WaitReady());
        {
            ModemPort port(dir / "modem");
            ASSERT_TRUE(Has(port.Command("ATE0"), "OK"));
            ASSERT_TRUE(Has(port.Command(std::string("AT+FCLASS=") + faxClass), "OK"));
            ASSERT_TRUE(Has(port.Command("ATD123", 60000), "OK"));
            const std::string abort = port.Command(class20 ? "AT+FKS" : "AT+FK", 60000);
            EXPECT_TRUE(Has(abort, class20 ? "+FHS:02" : "+FHNG:2")) << abort;
            EXPECT_TRUE(Has(abort, "OK")) << abort;
            EXPECT_TRUE(Has(port.Command("AT+FDT", 20000), "ERROR")) << faxClass;
        }
        EXPECT_EQ(line.Wait(), 0) << line.Output();
        EXPECT_EQ(line.Summary()["pages"], "0");
    }
}

}  // namespace
}  // namespace corvane::faxline::testing
