#pragma once
// T.30 control frames as a Class 1 engine moves them through the modem's HDLC commands:
// building the frames it sends (address, control, FCF, FIF, DLE ETX), reading the frames the
// modem hands over, the DIS/DCS bits of rate, resolution, width and scan time, the rate table
// with the modulation codes of AT+FTM/AT+FRM, and the training check rule.
//
// Bytes are in the order the modem sends them, first bit in the lowest place (DIS = 0x80).

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace corvane {

// Control fields; a received FCF is compared with its lowest bit (the X bit) cleared.
enum T30Fcf : std::uint8_t {
    fcfCsi = 0x40,
    fcfTsi = 0x42,
    fcfFtt = 0x44,
    fcfRtn = 0x4C,
    fcfMps = 0x4E,
    fcfDis = 0x80,
    fcfDcs = 0x82,
    fcfCfr = 0x84,
    fcfMcf = 0x8C,
    fcfRtp = 0xCC,
    fcfEom = 0x8E,
    fcfEop = 0x2E,
    fcfDcn = 0xFA,
};

// The codes the caller sends carry the X bit.
constexpr std::uint8_t kCallerX = 0x01;

constexpr int kMinRateIndex = 1;
constexpr int kMaxRateIndex = 6;
constexpr int kStationIdLength = 20;

struct T30Rate {
    int bps;
    const char* trainCode;  // AT+FTM/AT+FRM for the training check and pages after MPS
    const char* pageCode;   // AT+FTM/AT+FRM for the first page after CFR
};

// Index 1 to 6: 2400 ... 14400. With `v17`, 7200 and 9600 take the V.17 codes.
const T30Rate& RateByIndex(int index, bool v17 = false);
// The highest index whose rate does not exceed `bps` (1 at least).
int IndexForBps(int bps);

// Which rate indexes a side can do; 1 and 2 always.
struct RateSet {
    std::array<bool, kMaxRateIndex + 1> can{false, true, true, false, false, false, false};
    bool has(int index) const {
        return index >= kMinRateIndex && index <= kMaxRateIndex && can[index];
    }
    // The highest index both sets have, at most `limit`; 0 when none.
    int highestCommon(const RateSet& other, int limit) const;
};

// From the first line of an "AT+FTM=?" / "AT+FRM=?" reply that holds a comma.
RateSet RatesFromModulationList(const QString& line);

// Recording length bits of FIF octet 3 (bits 19 and 20).
constexpr std::uint8_t kLengthA4 = 0x00;
constexpr std::uint8_t kLengthB4 = 0x04;
constexpr std::uint8_t kLengthUnlimited = 0x08;

// What a remote's DIS offers.
struct DisCaps {
    RateSet rates;
    bool fine = false;
    bool wide = false;  // 2048 dots
    int scanCode = 0;   // 0 to 7
    // Recording length: the longest page the remote takes, as DCS bits 19-20 name it.
    std::uint8_t lengthBits = 0;  // kLengthA4, kLengthB4 or kLengthUnlimited
};
DisCaps ParseDis(const QByteArray& fif);

// What a sender's DCS asks for.
struct DcsParams {
    int rateIndex = 1;
    bool v17 = false;  // 7200 and 9600 by V.17 rather than V.29 (a sender's step-down)
    bool fine = false;
    bool wide = false;
    int scanCode = 0;
    std::uint8_t lengthBits = kLengthA4;
};
DcsParams ParseDcs(const QByteArray& fif);

// FIF octets of the frames the engine sends.
QByteArray DisFif(int rateIndex);
QByteArray DcsFif(const DcsParams& p);

// Minimum scan time: the code from the scan bits of the third FIF octet, and the
// milliseconds per line by code and resolution.
int ScanCodeFromBits(std::uint8_t octet3);
int ScanMs(int code, bool fine);
// Bytes a line must have at `bps` to last the scan time.
int MinLineBytes(int code, bool fine, int bps);

// The 20 id bytes as they travel: the characters from the last to the first, then spaces
// up to 20.
QByteArray IdFif(const QString& id);
// The id out of received id bytes; surrounding spaces dropped.
QString IdFromFif(const QByteArray& fif);

// A frame ready for the modem after CONNECT: 0xFF, control (0x13 final, 0x03 not), FCF, FIF,
// every DLE doubled, then DLE ETX.
QByteArray BuildFrame(std::uint8_t fcf, const QByteArray& fif, bool final);

// A frame the modem handed over, DLE doubling removed and DLE ETX cut off; FCS bytes may
// still trail the FIF.
struct T30Frame {
    bool valid = false;
    bool final = false;
    std::uint8_t fcf = 0;  // X bit cleared
    QByteArray fif;
};
T30Frame ParseFrame(const QByteArray& bytes);

// The training check passes when fewer than one byte in ten is not zero.
bool TrainingAccepted(std::int64_t nonZero, std::int64_t total);
// Zero bytes of the training check at `bps` (1.5 s of data), at most 8192.
int TrainingCheckBytes(int bps);

}  // namespace corvane
