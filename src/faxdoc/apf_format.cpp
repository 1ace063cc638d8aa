#include "faxdoc/apf_format.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

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
    h.fileDate = qFromLittleEndian<quint32>(bytes + kOffFileDate);
    h.stationIdLength = static_cast<quint8>(bytes[kOffStationLength]);
    std::memcpy(h.stationIdChars.data(), bytes + kOffStationChars, kApfStationIdCapacity);
    h.reserved31 = static_cast<quint8>(bytes[kOffReserved31]);
    h.pageCount = qFromLittleEndian<quint16>(bytes + kOffPageCount);
    h.firstPageOffset = qFromLittleEndian<quint32>(bytes + kOffFirstPage);
    std::memcpy(h.reserved38.data(), bytes + kOffReserved38, h.reserved38.size());
    return h;
}

QByteArray ApfFileHeader::toBytes() const {
    QByteArray out(kApfFileHeaderSize, '\0');
    char* b = out.data();
    std::memcpy(b, signature.data(), 6);
    qToLittleEndian<quint32>(fileDate, b + kOffFileDate);
    b[kOffStationLength] = static_cast<char>(stationIdLength);
    std::memcpy(b + kOffStationChars, stationIdChars.data(), kApfStationIdCapacity);
    b[kOffReserved31] = static_cast<char>(reserved31);
    qToLittleEndian<quint16>(pageCount, b + kOffPageCount);
    qToLittleEndian<quint32>(firstPageOffset, b + kOffFirstPage);
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
    h.imageLength = qFromLittleEndian<quint32>(bytes);
    h.imageFlags = qFromLittleEndian<quint16>(bytes + 4);
    std::memcpy(h.reserved.data(), bytes + 6, h.reserved.size());
    return h;
}

QByteArray ApfPageHeader::toBytes() const {
    QByteArray out(kApfPageHeaderSize, '\0');
    qToLittleEndian<quint32>(imageLength, out.data());
    qToLittleEndian<quint16>(imageFlags, out.data() + 4);
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
