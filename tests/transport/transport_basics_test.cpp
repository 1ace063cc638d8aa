// Error table, tick arithmetic, stream matching and the byte ring.

#include <gtest/gtest.h>

#include "core/fax_errors.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "fixtures/temp_home.h"
#include "transport/byte_ring.h"
#include "transport/stream_matcher.h"
#include "transport/ticks.h"

namespace corvane {
namespace {

TEST(FaxErrorTextTest, NamedCodesReadTheirTextsBySignOrAbsoluteValue) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {0, "OK"},
        {-100, "Attempt to read beyond end of file"},
        {-103, "File/device not open"},
        {-1005, "ComPort component not assigned"},
        {-2001, "ie_BadId - Specified comport doesn't exist"},
        {-2008, "ie_Open - device already open"},
        {-2011, "The ComNumber property of the TFxComPort has not been set"},
        {-2012, "Comport was not opened by Tapi"},
        {-3004, "Failed to put entire block"},
        {-3006, "Output buffer too small for block"},
        {4801, "Initializing modem for fax processing"},
        {4843, "Finished"},
        {-5001, "No more trigger slots"},
        {-6005, "Cancel requested"},
        {-6006, "Fatal time out"},
        {-8001, "File is not an APF file"},
        {-8074, "Remote fax did not answer"},
        {8074, "Remote fax did not answer"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(FaxErrorText(c.code).has_value()) << c.code;
        EXPECT_EQ(*FaxErrorText(c.code), QString::fromLatin1(c.text)) << c.code;
    }
    EXPECT_FALSE(FaxErrorText(-8).has_value());  // the I/O event failure has no text
    EXPECT_FALSE(FaxErrorText(-7777).has_value());
    EXPECT_EQ(FaxErrorTextOr(-7777, "Unknown Error"), "Unknown Error");
}

TEST(FaxErrorTextTest, ExceptionCarriesCodeAndText) {
    try {
        throw EFaxPortError(ecAlreadyOpen);
    } catch (const EFaxError& e) {
        EXPECT_EQ(e.code(), -2008);
        EXPECT_EQ(e.text(), "ie_Open - device already open");
        EXPECT_STREQ(e.what(), "ie_Open - device already open");
    }
    const EFaxError own(-2008, "Dispatcher already started");
    EXPECT_EQ(own.text(), "Dispatcher already started");
}

TEST(TicksTest, SecondsConvertWithTheIntegerRule) {
    const struct {
        int seconds, ticks;
    } cases[] = {{0, 0}, {1, 18}, {6, 109}, {10, 182}, {30, 546}, {60, 1092}};
    for (const auto& c : cases) EXPECT_EQ(SecondsToTicks(c.seconds), c.ticks) << c.seconds;
}

TEST(TicksTest, TimerWaitsAreCapped) {
    EventTimer timer;
    timer.set(kMaxWaitTicks * 4);
    EXPECT_LE(timer.remainingMs(), TicksToMs(kMaxWaitTicks));
    EXPECT_FALSE(timer.expired());
    timer.set(0);
    EXPECT_TRUE(timer.expired());
}

TEST(TicksTest, LoadingSettingsChoosesTheClock) {
    testing::TempHome home;
    for (const bool legacy : {true, false}) {
        home.write("QX.INI", legacy ? "[Modem]\r\nUseLegacyTimer=1\r\n" : "[Modem]\r\n");
        Settings settings;
        LoadSettings(settings, IniFile(home.file("QX.INI")));
        EXPECT_EQ(UsesLegacyTimer(), legacy);
        EXPECT_GE(TickCount(), 0);
    }
}

std::vector<int> MatchEnds(const QByteArray& pattern, bool ignoreCase, const QByteArray& stream) {
    StreamMatcher m(pattern, ignoreCase);
    std::vector<int> ends;
    for (int i = 0; i < stream.size(); ++i)
        if (m.feed(stream[i])) ends.push_back(i);
    return ends;
}

TEST(StreamMatcherTest, FindsTextsInTheByteStream) {
    const struct {
        const char* pattern;
        bool ignoreCase;
        const char* stream;
        std::vector<int> ends;
    } cases[] = {
        {"OK", false, "\r\nOK\r\n", {3}},
        {"OK", false, "OOK", {2}},
        {"OK", false, "ok", {}},
        {"OK", true, "ok", {1}},
        {"ok", true, "\r\nOK\r\n", {3}},
        {"AAB", false, "AAAB", {3}},  // a restart after one byte would miss this
        {"ABAC", false, "ABABAC", {5}},
        {"CONNECT", false, "CONNECONNECT\r\n", {11}},
        {"OK", false, "OKOK", {1, 3}},
        {"\r\n", false, "x\r\r\n", {3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchEnds(c.pattern, c.ignoreCase, c.stream), c.ends)
            << c.pattern << " in " << c.stream;
}

TEST(ByteRingTest, KeepsBytesInOrderAcrossTheWrap) {
    ByteRing ring(8);
    char out[8];
    EXPECT_EQ(ring.write("abcdef", 6), 6);
    EXPECT_EQ(ring.read(out, 4), 4);
    EXPECT_EQ(ring.write("ghijklmn", 8), 6);  // only the free space is taken
    EXPECT_EQ(ring.freeSpace(), 0);
    EXPECT_EQ(ring.read(out, 8), 8);
    EXPECT_EQ(QByteArray(out, 8), "efghijkl");
    EXPECT_TRUE(ring.empty());

    ring.write("1234", 4);  // waiting bytes wrap the end of the buffer
    ASSERT_TRUE(ring.resize(16));
    EXPECT_EQ(ring.read(out, 8), 4);
    EXPECT_EQ(QByteArray(out, 4), "1234");
    ring.write("123456789", 9);
    EXPECT_FALSE(ring.resize(4));
    EXPECT_EQ(ring.used(), 9);
}

}  // namespace
}  // namespace corvane
