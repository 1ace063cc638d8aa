#include "transport/t30_frames.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr std::uint8_t kAddress = 0xFF;
constexpr std::uint8_t kControlFinal = 0x13;
constexpr std::uint8_t kControlNotFinal = 0x03;
constexpr std::uint8_t kFinalBit = 0x10;

// FIF octet 2 (bits 9 to 16): receiver, data rate bits 11 to 14, fine.
constexpr std::uint8_t kReceiverBit = 0x02;
constexpr std::uint8_t kRateMask = 0x3C;
constexpr std::uint8_t kV29Bit = 0x04;     // bit 11
constexpr std::uint8_t kV27terBit = 0x08;  // bit 12
constexpr std::uint8_t kV17Bit = 0x20;     // bit 14
constexpr std::uint8_t kFineBit = 0x40;    // bit 15
// FIF octet 3 (bits 17 to 24): width, length, scan time, extend.
constexpr std::uint8_t kWidthMask = 0x03;
constexpr std::uint8_t kWidth2048 = 0x01;  // DIS: 255 mm; DCS: 2048 dots
constexpr std::uint8_t kWidth2432 = 0x02;  // DIS: 303 mm, which takes 2048 dots as well
constexpr std::uint8_t kScanMask = 0x70;
constexpr std::uint8_t kDisOctet3 = 0xF9;  // 2048 dots, A4 and B4, 0 ms, extend
constexpr std::uint8_t kDcsOctet3 = 0x80;  // extend; the length bits come from the DIS
constexpr std::uint8_t kLengthMask = 0x0C;

const T30Rate kRates[] = {
    {2400, "24", "24"}, {2400, "24", "24"},    {4800, "48", "48"},    {7200, "72", "72"},
    {9600, "96", "96"}, {12000, "121", "122"}, {14400, "145", "146"},
};
const T30Rate kV17_7200 = {7200, "73", "74"};
const T30Rate kV17_9600 = {9600, "97", "98"};

// Rate bits of DIS by the highest index offered. A DIS cannot name 12000 alone: V.17 would
// let the sender come at 14400, so a limit of 12000 offers V.29 (9600) and no more.
constexpr std::uint8_t kDisRateBits[] = {0x0C, 0x00, 0x08, 0x0C, 0x0C, 0x0C, 0x2C};
// Rate bits of DCS: 12000 is V.17 (bits 11 to 14 = 0, 1, 0, 1).
constexpr std::uint8_t kDcsRateBits[] = {0x04, 0x00, 0x08, 0x0C, 0x04, 0x28, 0x20};

// Scan time code by the bits 0x70 of octet 3 (index: bits >> 4).
constexpr int kScanCodeByBits[] = {5, 1, 3, 4, 7, 6, 2, 0};
// Milliseconds per line by code: standard, fine.
constexpr int kScanMsByCode[8][2] = {{0, 0},   {5, 5},   {10, 5},  {10, 10},
                                     {20, 10}, {20, 20}, {40, 20}, {40, 40}};
// DCS scan bits by code: standard, fine.
constexpr std::uint8_t kDcsScanBits[8][2] = {{0x70, 0x70}, {0x10, 0x10}, {0x20, 0x10},
                                             {0x20, 0x20}, {0x00, 0x20}, {0x00, 0x00},
                                             {0x40, 0x00}, {0x40, 0x40}};

std::uint8_t Octet(const QByteArray& fif, int n) {
    return n < fif.size() ? std::uint8_t(fif[n]) : 0;
}

int ClampIndex(int index) {
    return std::clamp(index, kMinRateIndex, kMaxRateIndex);
}

}  // namespace

const T30Rate& RateByIndex(int index, bool v17) {
    if (v17 && index == 3) return kV17_7200;
    if (v17 && index == 4) return kV17_9600;
    return kRates[ClampIndex(index)];
}

int IndexForBps(int bps) {
    int best = kMinRateIndex;
    for (int i = kMinRateIndex; i <= kMaxRateIndex; ++i)
        if (kRates[i].bps <= bps) best = i;
    return best;
}

int RateSet::highestCommon(const RateSet& other, int limit) const {
    for (int i = std::min(limit, kMaxRateIndex); i >= kMinRateIndex; --i)
        if (has(i) && other.has(i)) return i;
    return 0;
}

RateSet RatesFromModulationList(const QString& line) {
    RateSet set;
    set.can[3] = line.contains(QLatin1String("72"));
    set.can[4] = line.contains(QLatin1String("96"));
    set.can[5] = line.contains(QLatin1String("121"));
    set.can[6] = line.contains(QLatin1String("145"));
    return set;
}

DisCaps ParseDis(const QByteArray& fif) {
    DisCaps caps;
    const std::uint8_t o2 = Octet(fif, 1);
    const std::uint8_t o3 = Octet(fif, 2);
    // Rate bits all clear: V.27ter in its fall-back mode, 2400 only.
    if ((o2 & kRateMask) == 0) caps.rates.can[2] = false;
    if (o2 & kV17Bit) caps.rates.can[5] = caps.rates.can[6] = true;
    // V.29 carries 7200 as well as 9600; V.17 includes both.
    if (o2 & (kV29Bit | kV17Bit)) caps.rates.can[3] = caps.rates.can[4] = true;
    caps.fine = o2 & kFineBit;
    caps.wide = (o3 & kWidthMask) == kWidth2048 || (o3 & kWidthMask) == kWidth2432;
    caps.scanCode = ScanCodeFromBits(o3);
    // DIS (1,0): A4 and B4; (0,1): unlimited; (1,1) is not defined and taken as A4.
    const std::uint8_t length = o3 & kLengthMask;
    caps.lengthBits = length == kLengthB4 || length == kLengthUnlimited ? length : kLengthA4;
    return caps;
}

DcsParams ParseDcs(const QByteArray& fif) {
    DcsParams p;
    const std::uint8_t o2 = Octet(fif, 1);
    const std::uint8_t o3 = Octet(fif, 2);
    switch (o2 & kRateMask) {
        case 0x00:
            p.rateIndex = 1;
            break;
        case 0x08:
            p.rateIndex = 2;
            break;
        case 0x0C:
            p.rateIndex = 3;
            break;
        case 0x04:
            p.rateIndex = 4;
            break;
        case 0x28:
            p.rateIndex = 5;
            break;
        case 0x20:
            p.rateIndex = 6;
            break;
        case 0x24:
            p.rateIndex = 4;
            p.v17 = true;
            break;
        case 0x2C:
            p.rateIndex = 3;
            p.v17 = true;
            break;
        default:
            // Codes T.30 does not define for DCS: the nearest reading of their bits.
            p.rateIndex = (o2 & kV17Bit) ? 6 : (o2 & 0x10) ? 5 : 4;
            break;
    }
    p.fine = o2 & kFineBit;
    p.wide = (o3 & kWidthMask) == kWidth2048;
    p.scanCode = ScanCodeFromBits(o3);
    p.lengthBits = o3 & kLengthMask;
    return p;
}

QByteArray DisFif(int rateIndex) {
    const std::uint8_t o2 = kReceiverBit | kFineBit | kDisRateBits[ClampIndex(rateIndex)];
    const char fif[] = {0x00, char(o2), char(kDisOctet3), 0x00};
    return QByteArray(fif, sizeof fif);
}

QByteArray DcsFif(const DcsParams& p) {
    std::uint8_t o2 = kReceiverBit | kDcsRateBits[ClampIndex(p.rateIndex)];
    if (p.fine) o2 |= kFineBit;
    std::uint8_t o3 = kDcsOctet3 | (p.lengthBits & kLengthMask) |
                      kDcsScanBits[std::clamp(p.scanCode, 0, 7)][p.fine ? 1 : 0];
    if (p.wide) o3 |= kWidth2048;
    const char fif[] = {0x00, char(o2), char(o3), 0x00};
    return QByteArray(fif, sizeof fif);
}

int ScanCodeFromBits(std::uint8_t octet3) {
    return kScanCodeByBits[(octet3 & kScanMask) >> 4];
}

int ScanMs(int code, bool fine) {
    return kScanMsByCode[std::clamp(code, 0, 7)][fine ? 1 : 0];
}

int MinLineBytes(int code, bool fine, int bps) {
    return int(std::int64_t(ScanMs(code, fine)) * bps / 8000);
}

QByteArray IdFif(const QString& id) {
    // The id stands right-aligned in its 20 places and goes last place first: its characters
    // from the last to the first, then the spaces.
    QByteArray text = id.left(kStationIdLength).toLatin1();
    std::reverse(text.begin(), text.end());
    text.append(kStationIdLength - text.size(), ' ');
    return text;
}

QString IdFromFif(const QByteArray& fif) {
    QByteArray text = fif.left(kStationIdLength);
    std::reverse(text.begin(), text.end());
    return QString::fromLatin1(text).trimmed();
}

QByteArray BuildFrame(std::uint8_t fcf, const QByteArray& fif, bool final) {
    QByteArray raw;
    raw.append(char(kAddress));
    raw.append(char(final ? kControlFinal : kControlNotFinal));
    raw.append(char(fcf));
    raw.append(fif);
    QByteArray out;
    for (char c : raw) {
        out.append(c);
        if (c == kDle) out.append(kDle);
    }
    out.append(kDle);
    out.append(kEtx);
    return out;
}

T30Frame ParseFrame(const QByteArray& bytes) {
    QByteArray raw;
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == kDle && i + 1 < bytes.size()) {
            if (bytes[i + 1] == kEtx) break;
            ++i;  // DLE DLE, or DLE and another byte: the byte after the DLE stands
        }
        raw.append(bytes[i]);
    }
    T30Frame frame;
    const int start = raw.indexOf(char(kAddress));
    if (start < 0 || raw.size() - start < 3) return frame;
    frame.valid = true;
    frame.final = std::uint8_t(raw[start + 1]) & kFinalBit;
    frame.fcf = std::uint8_t(raw[start + 2]) & ~kCallerX;
    frame.fif = raw.mid(start + 3);
    return frame;
}

bool TrainingAccepted(std::int64_t nonZero, std::int64_t total) {
    if (total <= 0) return false;
    return nonZero * 100 / total < 10;
}

int TrainingCheckBytes(int bps) {
    return std::min(8192, bps / 100 * 18);
}

}  // namespace corvane
