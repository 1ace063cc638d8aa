// T.30 frame coding of the Class 1 engine: rate bits as T.30 codes them, scan time, station
// ids, frame bytes and the training check rule.

#include "transport/t30_frames.h"

#include <gtest/gtest.h>

#include <utility>

namespace corvane {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

TEST(T30Frames, DcsCarriesEachRateAsT30CodesItAndReadsBack) {
    struct Case {
        int index;
        int rateBits;  // bits 11 to 14 in the second FIF octet
        const char* train;
        const char* page;
    };
    const Case cases[] = {
        {1, 0x00, "24", "24"}, {2, 0x08, "48", "48"},   {3, 0x0C, "72", "72"},
        {4, 0x04, "96", "96"}, {5, 0x28, "121", "122"}, {6, 0x20, "145", "146"},
    };
    for (const Case& c : cases) {
        for (bool fine : {false, true}) {
            DcsParams p;
            p.rateIndex = c.index;
            p.fine = fine;
            p.scanCode = 5;
            const QByteArray fif = DcsFif(p);
            ASSERT_EQ(fif.size(), 4);
            EXPECT_EQ(uchar(fif[1]), 0x02 | c.rateBits | (fine ? 0x40 : 0)) << c.index;
            const DcsParams back = ParseDcs(fif);
            EXPECT_EQ(back.rateIndex, c.index);
            EXPECT_EQ(back.fine, fine);
            EXPECT_FALSE(back.v17);
            EXPECT_EQ(back.scanCode, 5);
            EXPECT_STREQ(RateByIndex(back.rateIndex, back.v17).trainCode, c.train);
            EXPECT_STREQ(RateByIndex(back.rateIndex, back.v17).pageCode, c.page);
        }
    }
}

TEST(T30Frames, DcsOfAV17SenderSteppingDownKeepsV17Modulation) {
    // V.17 at 9600 and 7200 (a sender stepping down from 14400): the receiver must listen
    // with the V.17 codes, not V.29.
    const DcsParams at9600 = ParseDcs(Bytes({0x00, 0x02 | 0x24, 0x88, 0x00}));
    EXPECT_EQ(at9600.rateIndex, 4);
    EXPECT_TRUE(at9600.v17);
    EXPECT_STREQ(RateByIndex(4, true).trainCode, "97");
    const DcsParams at7200 = ParseDcs(Bytes({0x00, 0x02 | 0x2C, 0x88, 0x00}));
    EXPECT_EQ(at7200.rateIndex, 3);
    EXPECT_TRUE(at7200.v17);
    EXPECT_STREQ(RateByIndex(3, true).pageCode, "74");
}

TEST(T30Frames, DisOffersWhatTheRateAllows) {
    struct Case {
        int index;
        int rateBits;
    };
    // V.17 (bit 14) stands for 12000 and 14400 alike, so a limit of 12000 cannot offer it: a
    // V.17 sender would come at 14400. It offers V.29 and V.27ter, and the sender 9600.
    const Case cases[] = {{1, 0x00}, {2, 0x08}, {3, 0x0C}, {4, 0x0C}, {5, 0x0C}, {6, 0x2C}};
    for (const Case& c : cases) {
        const QByteArray fif = DisFif(c.index);
        EXPECT_EQ(fif, Bytes({0x00, 0x42 | c.rateBits, 0xF9, 0x00})) << c.index;
    }
}

TEST(T30Frames, RemoteRatesFromDis) {
    struct Case {
        int octet2;
        int highest;  // highest common index with a modem that does all six
        int below9600;
    };
    const Case cases[] = {
        {0x00, 1, 1},  // V.27ter fall-back mode: 2400 only
        {0x08, 2, 2},  // V.27ter only
        {0x04, 4, 3},  // V.29 only: 9600 and 7200
        {0x0C, 4, 3},  // V.27ter and V.29
        {0x2C, 6, 3},  // with V.17
    };
    RateSet all;
    for (int i = 1; i <= 6; ++i) all.can[i] = true;
    for (const Case& c : cases) {
        const DisCaps caps = ParseDis(Bytes({0x00, c.octet2, 0x70, 0x00}));
        EXPECT_EQ(all.highestCommon(caps.rates, 6), c.highest) << c.octet2;
        EXPECT_EQ(all.highestCommon(caps.rates, 3), c.below9600) << c.octet2;
    }
    // With V.17 offered, 12000 is a rate both can do.
    EXPECT_EQ(all.highestCommon(ParseDis(Bytes({0x00, 0x2C, 0x70})).rates, 5), 5);
    const DisCaps fineWide = ParseDis(Bytes({0x00, 0x40 | 0x0C, 0x01 | 0x70}));
    EXPECT_TRUE(fineWide.fine);
    EXPECT_TRUE(fineWide.wide);
    // Width bits 17-18: (1,0) 255 mm and (0,1) 303 mm both take 2048 dots; (0,0) 215 mm does
    // not, nor does the invalid (1,1).
    const std::pair<int, bool> widths[] = {
        {0x00, false}, {0x01, true}, {0x02, true}, {0x03, false}};
    for (const auto& [bits, wide] : widths)
        EXPECT_EQ(ParseDis(Bytes({0x00, 0x0C, 0x70 | bits})).wide, wide) << bits;
}

// The DCS names the longest page the DIS allows, never more: an A4-only machine may refuse
// a DCS that claims B4 or unlimited length.
TEST(T30Frames, DcsLengthIsTheLongestTheDisAllows) {
    const std::pair<int, std::uint8_t> cases[] = {
        {0x00, kLengthA4}, {0x04, kLengthB4}, {0x08, kLengthUnlimited}, {0x0C, kLengthA4}};
    for (const auto& [disBits, dcsBits] : cases) {
        DcsParams p;
        p.lengthBits = ParseDis(Bytes({0x00, 0x0C, 0x70 | disBits})).lengthBits;
        EXPECT_EQ(p.lengthBits, dcsBits) << disBits;
        EXPECT_EQ(uchar(DcsFif(p)[2]) & 0x0C, dcsBits) << disBits;
        EXPECT_EQ(ParseDcs(DcsFif(p)).lengthBits, dcsBits) << disBits;
    }
}

TEST(T30Frames, ModulationListGivesLocalRates) {
    const RateSet full = RatesFromModulationList("24,48,72,73,74,96,97,98,121,122,145,146");
    EXPECT_EQ(full.highestCommon(full, 6), 6);
    const RateSet v29 = RatesFromModulationList("24,48,72,96");
    EXPECT_EQ(v29.highestCommon(v29, 6), 4);
    EXPECT_EQ(IndexForBps(9600), 4);
    EXPECT_EQ(IndexForBps(1200), 1);
    EXPECT_EQ(IndexForBps(14400), 6);
}

TEST(T30Frames, ScanTimeCodesAndLineLength) {
    struct Case {
        int bits;
        int code;
        int msStandard;
        int msFine;
    };
    const Case cases[] = {{0x70, 0, 0, 0},   {0x10, 1, 5, 5},   {0x60, 2, 10, 5},
                          {0x20, 3, 10, 10}, {0x30, 4, 20, 10}, {0x00, 5, 20, 20},
                          {0x50, 6, 40, 20}, {0x40, 7, 40, 40}};
    for (const Case& c : cases) {
        EXPECT_EQ(ScanCodeFromBits(std::uint8_t(c.bits | 0x89)), c.code) << c.bits;
        EXPECT_EQ(ScanMs(c.code, false), c.msStandard);
        EXPECT_EQ(ScanMs(c.code, true), c.msFine);
        // The DCS states the scan time the page's resolution needs, in the sender's table.
        for (bool fine : {false, true}) {
            DcsParams p;
            p.scanCode = c.code;
            p.fine = fine;
            EXPECT_EQ(ScanMs(ScanCodeFromBits(uchar(DcsFif(p)[2])), fine),
                      fine ? c.msFine : c.msStandard);
        }
    }
    EXPECT_EQ(MinLineBytes(5, false, 9600), 24);  // 20 ms at 9600 bit/s
    EXPECT_EQ(MinLineBytes(0, true, 14400), 0);
    EXPECT_EQ(MinLineBytes(7, true, 14400), 72);
}

TEST(T30Frames, StationIdTravelsLastCharacterFirst) {
    const QByteArray fif = IdFif("ABC");
    EXPECT_EQ(fif, "CBA" + QByteArray(17, ' '));
    EXPECT_EQ(IdFromFif(fif), "ABC");
    EXPECT_EQ(IdFif("123456789012345678901234").size(), 20);
    EXPECT_EQ(IdFromFif(IdFif("+1 555 0100")), "+1 555 0100");
}

TEST(T30Frames, FramesAreBuiltAndReadWithDleDoubling) {
    DcsParams p;
    p.rateIndex = 6;
    p.fine = true;
    p.scanCode = 0;
    p.lengthBits = kLengthUnlimited;
    EXPECT_EQ(BuildFrame(fcfDcs | kCallerX, DcsFif(p), true),
              Bytes({0xFF, 0x13, 0x83, 0x00, 0x62, 0xF8, 0x00, 0x10, 0x03}));
    EXPECT_EQ(BuildFrame(fcfMps | kCallerX, {}, true), Bytes({0xFF, 0x13, 0x4F, 0x10, 0x03}));
    EXPECT_EQ(BuildFrame(fcfDcn | kCallerX, {}, true), Bytes({0xFF, 0x13, 0xFB, 0x10, 0x03}));

    // A FIF byte equal to DLE is doubled on the way out and single again on the way in.
    const QByteArray fif = Bytes({0x00, 0x10, 0x20});
    const QByteArray built = BuildFrame(fcfDis, fif, false);
    EXPECT_EQ(built, Bytes({0xFF, 0x03, 0x80, 0x00, 0x10, 0x10, 0x20, 0x10, 0x03}));
    const T30Frame back = ParseFrame(built);
    ASSERT_TRUE(back.valid);
    EXPECT_FALSE(back.final);
    EXPECT_EQ(back.fcf, fcfDis);
    EXPECT_EQ(back.fif, fif);

    // Noise before the address byte is cut; the X bit is cleared; two FCS bytes trail.
    const T30Frame mcf = ParseFrame(Bytes({0x0A, 0xFF, 0x13, 0x8D, 0x12, 0x34, 0x10, 0x03}));
    ASSERT_TRUE(mcf.valid);
    EXPECT_TRUE(mcf.final);
    EXPECT_EQ(mcf.fcf, fcfMcf);

    EXPECT_FALSE(ParseFrame(Bytes({0xFF, 0x13})).valid);  // truncated
    EXPECT_FALSE(ParseFrame(Bytes({0x13, 0x84})).valid);  // no address
}

TEST(T30Frames, TrainingCheckRule) {
    struct Case {
        int nonZero;
        int total;
        bool accepted;
    };
    const Case cases[] = {{100, 1000, false}, {99, 1000, true}, {0, 2700, true},
                          {1, 5, false},      {0, 0, false},    {2700, 2700, false}};
    for (const Case& c : cases)
        EXPECT_EQ(TrainingAccepted(c.nonZero, c.total), c.accepted) << c.nonZero << "/" << c.total;
    EXPECT_EQ(TrainingCheckBytes(14400), 2592);
    EXPECT_EQ(TrainingCheckBytes(2400), 432);
}

}  // namespace
}  // namespace corvane
