#include "faxdoc/apf_format.h"

#include <algorithm>
#include <cstring>

#include "core/little_endian.h"

namespace corvane {

namespace {

// Field offsets of the file header.
constexpr int kOffFileDate = 6;
constexpr int kOffStationLength = 10;
constexpr int kOffStationChars = 11;
constexpr int kOffReserved31 = 31;
constexpr int kOffPageCount = 32;
constexpr int kOffFirstPage = 34;
constexpr int kOffReserved38 = 38;

void storeStation(ApfFileHeader& header, const QByteArray& latin1, int lengthByte) {
    header.stationIdChars.fill(' ');
    const int stored = std::min<int>(latin1.size(), kApfStationIdCapacity);
    std::memcpy(header.stationIdChars.data(), latin1.constData(), stored);
    header.stationIdLength = static_cast<quint8>(lengthByte < 0 ? stored : lengthByte);
}

}  // namespace

ApfFileHeader ApfFileHeader::makeNew() {
    ApfFileHeader header;
    // A fresh header is all zero apart from signature and first-page offset.
    header.stationIdChars.fill(0);
    return header;
}

ApfFileHeader ApfFileHeader::fromBytes(const char* bytes) {
    ApfFileHeader h;
    std::memcpy(h.signature.data(), bytes, 6);
    h.fileDate = ReadLe32(bytes + kOffFileDate);
    h.stationIdLength = static_cast<quint8>(bytes[kOffStationLength]);
    std::memcpy(h.stationIdChars.data(), bytes + kOffStationChars, kApfStationIdCapacity);
    h.reserved31 = static_cast<quint8>(bytes[kOffReserved31]);
    h.pageCount = ReadLe16(bytes + kOffPageCount);
    h.firstPageOffset = ReadLe32(bytes + kOffFirstPage);
    std::memcpy(h.reserved38.data(), bytes + kOffReserved38, h.reserved38.size());
    return h;
}

QByteArray ApfFileHeader::toBytes() const {
    QByteArray out(kApfFileHeaderSize, '\0');
    char* b = out.data();
    std::memcpy(b, signature.data(), 6);
    WriteLe32(b + kOffFileDate, fileDate);
    b[kOffStationLength] = static_cast<char>(stationIdLength);
    std::memcpy(b + kOffStationChars, stationIdChars.data(), kApfStationIdCapacity);
    b[kOffReserved31] = static_cast<char>(reserved31);
    WriteLe16(b + kOffPageCount, pageCount);
    WriteLe32(b + kOffFirstPage, firstPageOffset);
    std::memcpy(b + kOffReserved38, reserved38.data(), reserved38.size());
    return out;
}

QString ApfFileHeader::stationId() const {
    const int length = std::min<int>(stationIdLength, kApfStationIdCapacity);
    return QString::fromLatin1(stationIdChars.data(), length);
}

void ApfFileHeader::setStationId(const QString& text) {
    storeStation(*this, text.toLatin1(), -1);
}

void ApfFileHeader::setStationIdPadded(const QString& text) {
    storeStation(*this, text.toLatin1(), kApfStationIdCapacity);
}

void ApfFileHeader::setFileDate(const QDateTime& localTime) {
    fileDate = DosPackedDateTime(localTime);
}

ApfPageHeader ApfPageHeader::fromBytes(const char* bytes) {
    ApfPageHeader h;
    h.imageLength = ReadLe32(bytes);
    h.imageFlags = ReadLe16(bytes + 4);
    std::memcpy(h.reserved.data(), bytes + 6, h.reserved.size());
    return h;
}

QByteArray ApfPageHeader::toBytes() const {
    QByteArray out(kApfPageHeaderSize, '\0');
    WriteLe32(out.data(), imageLength);
    WriteLe16(out.data() + 4, imageFlags);
    std::memcpy(out.data() + 6, reserved.data(), reserved.size());
    return out;
}

quint32 DosPackedDateTime(const QDateTime& localTime) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    if (!d.isValid() || d.year() < 1980 || d.year() > 2099) return 0;
    const quint32 time = (t.second() / 2) | (t.minute() << 5) | (t.hour() << 11);
    const quint32 date = d.day() | (d.month() << 5) | ((d.year() - 1980) << 9);
    return (date << 16) | time;
}

}  // namespace corvane
