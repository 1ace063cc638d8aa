// The AT layer of both modem kinds, driven by a scripted program on the modem port: what a
// hardware modem refuses, what it stores and reads back, and its call progress results.

#include <gtest/gtest.h>

#include "faxline_harness.h"

namespace corvane::faxline::testing {
namespace {

bool EndsWith(const std::string& reply, const std::string& result) {
    return reply.find("\r\n" + result + "\r\n") != std::string::npos;
}

struct RefusedCase {
    const char* name;
    const char* modemClass;  // faxline --class
    std::vector<std::string> setup;
    std::string command;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class ModemRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ModemRefuses, WithError) {
    const RefusedCase& c = GetParam();
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", c.modemClass, "--file",
                          dir / "remote.tif", "--expect", "not-called", "--linger", "0"});
    ASSERT_TRUE(line.WaitReady());
    ModemPort port(dir / "modem");
    ASSERT_TRUE(port.isOpen());
    ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
    for (const std::string& s : c.setup) ASSERT_TRUE(EndsWith(port.Command(s), "OK")) << s;
    const std::string reply = port.Command(c.command);
    EXPECT_TRUE(EndsWith(reply, "ERROR")) << c.command << " answered " << reply;
    // The modem is still at the program's service afterwards.
    EXPECT_TRUE(EndsWith(port.Command("AT"), "OK"));
}

const std::vector<std::string> kClass2 = {"AT+FCLASS=2"};
const std::vector<std::string> kClass20 = {"AT+FCLASS=2.0"};
const std::vector<std::string> kClass1 = {"AT+FCLASS=1"};

INSTANTIATE_TEST_SUITE_P(
    WrongCommands, ModemRefuses,
    ::testing::Values(
        // Class 1 modem (spandsp's T.31 behind the strict layer).
        RefusedCase{"c1_unknown", "1", kClass1, "AT+FOO"},
        RefusedCase{"c1_result_level", "1", kClass1, "ATX9"},
        RefusedCase{"c1_class2_page", "1", kClass1, "AT+FDT"},
        RefusedCase{"c1_class2_params", "1", kClass1, "AT+FDIS=1,5,0,2,0,0,0,0"},
        RefusedCase{"c1_class_not_offered", "1", {}, "AT+FCLASS=2"},
        RefusedCase{"c1_modulation_out_of_range", "1", kClass1, "AT+FTM=95"},
        RefusedCase{"c1_modulation_in_data_mode", "1", {}, "AT+FTH=3"},
        RefusedCase{"c1_bad_s_register_value", "1", kClass1, "ATS7=300"},
        RefusedCase{"c1_s_register_out_of_range", "1", kClass1, "ATS100?"},
        // Class 2.
        RefusedCase{"c2_unknown", "2", kClass2, "AT+FOO"},
        RefusedCase{"c2_params_out_of_range", "2", kClass2, "AT+FDCC=9,9,9,9,9,9,9,9"},
        RefusedCase{"c2_bit_order_out_of_range", "2", kClass2, "AT+FBOR=7"},
        RefusedCase{"c2_result_level", "2", kClass2, "ATX9"},
        RefusedCase{"c2_class20_abort", "2", kClass2, "AT+FKS"},
        RefusedCase{"c2_class20_params", "2", kClass2, "AT+FIS?"},
        RefusedCase{"c2_class20_page_status", "2", kClass2, "AT+FPS=1"},
        RefusedCase{"c2_class1_modulation", "2", kClass2, "AT+FTM=96"},
        RefusedCase{"c2_page_without_call", "2", kClass2, "AT+FDT"},
        RefusedCase{"c2_fax_command_in_data_mode", "2", {}, "AT+FCR=1"},
        RefusedCase{"c2_id_too_long", "2", kClass2, "AT+FLID=\"123456789012345678901\""},
        // Class 2.0.
        RefusedCase{"c20_class2_abort", "2", kClass20, "AT+FK"},
        RefusedCase{"c20_class2_params", "2", kClass20, "AT+FDIS=1"},
        RefusedCase{"c20_post_page_command", "2", kClass20, "AT+FET=0"},
        RefusedCase{"c20_flow_control_out_of_range", "2", kClass20, "AT+FLO=3"},
        RefusedCase{"c20_class1_frames", "2", kClass20, "AT+FRH=3"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(Class2Modem, SettingsReadBackInTheirOwnClass) {
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "2", "--file", dir / "remote.tif",
                          "--expect", "not-called", "--linger", "0"});
    ASSERT_TRUE(line.WaitReady());
    ModemPort port(dir / "modem");
    ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
    ASSERT_TRUE(EndsWith(port.Command("AT+FCLASS=2"), "OK"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FPHCTO?"), "30"));  // the factory value
    for (const char* set :
         {"AT+FCR=1", "AT+FAA=1", "AT+FPHCTO=50", "AT+FBUG=1", "AT+FCIG=\"POLL 9\"", "AT+FDIS=0,3"})
        ASSERT_TRUE(EndsWith(port.Command(set), "OK")) << set;
    EXPECT_TRUE(EndsWith(port.Command("AT+FCR?"), "1"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FAA?"), "1"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FPHCTO?"), "50"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FBUG?"), "1"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FCIG?"), "\"POLL 9\""));
    // A partial list changes only the values given.
    EXPECT_TRUE(EndsWith(port.Command("AT+FDIS?"), "+FDIS:0,3,0,2,0,0,0,0"));
    // The same setting under its Class 2.0 name.
    ASSERT_TRUE(EndsWith(port.Command("AT+FCLASS=2.0"), "OK"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FCT?"), "50"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FHS?"), "+FHS:00"));
    // ATZ restores the factory profile.
    ASSERT_TRUE(EndsWith(port.Command("ATZ"), "OK"));
    ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
    ASSERT_TRUE(EndsWith(port.Command("AT+FCLASS=2"), "OK"));
    EXPECT_TRUE(EndsWith(port.Command("AT+FCR?"), "0"));
}

// Every S register a program sets reads back, one per line or several on one line, in
// each kind of modem (T.31 alone prints only some of them).
class SRegisters : public ::testing::TestWithParam<const char*> {};

TEST_P(SRegisters, ReadBackAsSet) {
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", GetParam(), "--file",
                          dir / "remote.tif", "--expect", "not-called", "--linger", "0"});
    ASSERT_TRUE(line.WaitReady());
    ModemPort port(dir / "modem");
    ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
    EXPECT_EQ(port.Command("ATS12?"), "\r\n050\r\n\r\nOK\r\n");  // a one-second guard time
    ASSERT_TRUE(EndsWith(port.Command("ATS0=2S7=45S9=6S12=40"), "OK"));
    for (const auto& [query, value] : std::vector<std::pair<std::string, std::string>>{
             {"ATS0?", "002"}, {"ATS7?", "045"}, {"ATS9?", "006"}, {"ATS12?", "040"}})
        EXPECT_EQ(port.Command(query), "\r\n" + value + "\r\n\r\nOK\r\n") << query;
    EXPECT_EQ(port.Command("ATS0?S7?"), "\r\n002\r\n\r\n045\r\n\r\nOK\r\n");
}

INSTANTIATE_TEST_SUITE_P(Modems, SRegisters, ::testing::Values("1", "2"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string("class") + info.param;
                         });

TEST(ModemClasses, OfferedClassesAreConfigurable) {
    struct Case {
        const char* modemClass;
        const char* classes;
        const char* refused;
        const char* accepted;
    };
    for (const Case& c : {Case{"2", "0,2.0", "AT+FCLASS=2", "AT+FCLASS=2.0"},
                          Case{"1", "0,1", "AT+FCLASS=1.0", "AT+FCLASS=1"}}) {
        ScratchFolder dir;
        FaxlineRun line(dir,
                        {"--modem", dir / "modem", "--class", c.modemClass, "--classes", c.classes,
                         "--file", dir / "remote.tif", "--expect", "not-called", "--linger", "0"});
        ASSERT_TRUE(line.WaitReady());
        ModemPort port(dir / "modem");
        ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
        EXPECT_TRUE(EndsWith(port.Command("AT+FCLASS=?"), c.classes));
        EXPECT_TRUE(EndsWith(port.Command(c.refused), "ERROR")) << c.refused;
        EXPECT_TRUE(EndsWith(port.Command(c.accepted), "OK")) << c.accepted;
    }
    // A class the modem kind cannot do is refused when the line starts.
    ScratchFolder dir;
    FaxlineRun line(dir, {"--modem", dir / "modem", "--class", "1", "--classes", "0,1,2", "--file",
                          dir / "remote.tif"});
    EXPECT_FALSE(line.WaitReady());
    EXPECT_EQ(line.Wait(), 2);
}

struct DialCase {
    const char* name;
    const char* modemClass;
    const char* faxClass;  // AT+FCLASS= value
    std::vector<std::string> lineOptions;
    const char* resultLevel;  // ATX command
    const char* result;       // a line of the reply to the dial command
    const char* status;       // faxline summary
    const char* dial = "ATDT5551234";
};

void PrintTo(const DialCase& c, std::ostream* os) {
    *os << c.name;
}

class DialResult : public ::testing::TestWithParam<DialCase> {};

TEST_P(DialResult, FollowsTheResultLevel) {
    const DialCase& c = GetParam();
    ScratchFolder dir;
    std::vector<std::string> args{
        "--modem",          dir / "modem", "--class", c.modemClass, "--file",
        dir / "remote.tif", "--expect",    c.status,  "--linger",   "5"};
    args.insert(args.end(), c.lineOptions.begin(), c.lineOptions.end());
    FaxlineRun line(dir, args);
    ASSERT_TRUE(line.WaitReady());
    {
        ModemPort port(dir / "modem");
        ASSERT_TRUE(EndsWith(port.Command("ATE0"), "OK"));
        ASSERT_TRUE(EndsWith(port.Command(std::string("AT+FCLASS=") + c.faxClass), "OK"));
        ASSERT_TRUE(EndsWith(port.Command(std::string(c.resultLevel) + "S7=30"), "OK"));
        // Simulated time runs ahead while the modem dials, so S7 passes in a few seconds.
        const std::string reply = port.Command(c.dial, 60000);
        EXPECT_TRUE(EndsWith(reply, c.result)) << reply;
    }
    EXPECT_EQ(line.Wait(), 0) << line.Output();
    EXPECT_EQ(line.Summary()["status"], c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, DialResult,
    ::testing::Values(
        DialCase{"c1_busy_x4", "1", "1", {"--busy"}, "ATX4", "BUSY", "busy"},
        DialCase{"c1_busy_x0", "1", "1", {"--busy"}, "ATX0", "NO CARRIER", "busy"},
        DialCase{
            "c1_no_dialtone_x4", "1", "1", {"--no-dialtone"}, "ATX4", "NO DIALTONE", "no-dialtone"},
        DialCase{"c1_no_dialtone_x3_blind",
                 "1",
                 "1",
                 {"--no-dialtone"},
                 "ATX3",
                 "NO CARRIER",
                 "no-dialtone"},
        DialCase{"c2_busy_x3", "2", "2", {"--busy"}, "ATX3", "BUSY", "busy"},
        DialCase{"c2_busy_x1", "2", "2", {"--busy"}, "ATX1", "NO CARRIER", "busy"},
        DialCase{"c20_no_dialtone_x2",
                 "2",
                 "2.0",
                 {"--no-dialtone"},
                 "ATX2",
                 "NO DIALTONE",
                 "no-dialtone"},
        DialCase{"c20_no_dialtone_x1_blind",
                 "2",
                 "2.0",
                 {"--no-dialtone"},
                 "ATX1",
                 "NO CARRIER",
                 "no-dialtone"},
        // Waiting for a quiet answer ('@'), ringing until S7 is NO ANSWER under X3 and X4.
        DialCase{"c1_no_answer_quiet_x4",
                 "1",
                 "1",
                 {"--no-answer"},
                 "ATX4",
                 "NO ANSWER",
                 "no-answer",
                 "ATDT@5551234"},
        DialCase{"c1_no_answer_x4", "1", "1", {"--no-answer"}, "ATX4", "NO CARRIER", "no-answer"},
        DialCase{"c20_no_answer_quiet_x3",
                 "2",
                 "2.0",
                 {"--no-answer"},
                 "ATX3",
                 "NO ANSWER",
                 "no-answer",
                 "ATDT@5551234"},
        DialCase{"c2_no_answer_quiet_x2",
                 "2",
                 "2",
                 {"--no-answer"},
                 "ATX2",
                 "NO CARRIER",
                 "no-answer",
                 "ATDT@5551234"},
        // No fax answers a person or a data modem: T.30's T1 runs out (hang-up code 11).
        DialCase{"c2_voice_answer", "2", "2", {"--answer", "voice"}, "ATX4", "+FHNG:11", "failed"},
        DialCase{"c20_data_answer", "2", "2.0", {"--answer", "data"}, "ATX4", "+FHS:11", "failed"}),
    [](const ::testing::TestParamInfo<DialCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::faxline::testing
