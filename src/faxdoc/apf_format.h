#pragma once
// Byte layout of APF fax files. All integers are little-endian:
//
//   offset 0   ApfFileHeader (64 bytes)
//   offset 64  page 1: ApfPageHeader (16 bytes) + ImageLength bytes of T.4 coded data
//              page 2: ApfPageHeader + data, ... for PageCount pages; nothing follows.
//
// Page data hold no absolute offsets, so whole pages can be copied between files as opaque
// blocks. With kApfLineRecords the data are records (u16 byte count N, N coded bytes);
// without, one continuous coded bit stream as a modem delivered it.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <array>

namespace corvane {

inline constexpr std::array<char, 6> kApfSignature{'A', 'P', 'F', '1', '0', '\x1A'};
inline constexpr int kApfFileHeaderSize = 64;
inline constexpr int kApfPageHeaderSize = 16;
inline constexpr quint32 kApfFirstPageOffset = 64;
inline constexpr int kApfStationIdCapacity = 20;

// ImageFlags bits.
inline constexpr quint16 kApfHighRes = 0x0001;      // fine resolution
inline constexpr quint16 kApfWideWidth = 0x0002;    // 2048-pixel lines (else 1728)
inline constexpr quint16 kApfLineRecords = 0x0004;  // data are length-prefixed line records

inline constexpr int kFaxWidthNormal = 1728;
inline constexpr int kFaxWidthWide = 2048;
// Files are read and written in blocks of this size; line records are cut to it.
inline constexpr int kApfBlockSize = 4096;
inline constexpr int kApfMaxLineRecordBytes = 4096;

enum TFaxResolution { frNormal, frHigh };
enum TFaxWidth { fwNormal, fwWide };

struct ApfFileHeader {
    std::array<char, 6> signature = kApfSignature;
    quint32 fileDate = 0;  // DOS packed date and time
    quint8 stationIdLength = 0;
    std::array<char, kApfStationIdCapacity> stationIdChars{};  // spaces beyond the length
    quint8 reserved31 = 0;
    quint16 pageCount = 0;
    quint32 firstPageOffset = kApfFirstPageOffset;
    std::array<char, 26> reserved38{};

    // A fresh header: signature, no pages, first page at 64, station identifier empty.
    static ApfFileHeader makeNew();
    // Decodes 64 bytes; reserved bytes are kept so that toBytes() gives them back.
    static ApfFileHeader fromBytes(const char* bytes);
    QByteArray toBytes() const;

    bool hasApfSignature() const { return signature == kApfSignature; }
    // The stored characters (Latin-1), at most 20.
    QString stationId() const;
    // Stores at most 20 characters of `text`; the rest of the field is spaces and the length
    // byte is the number stored (the converter's rule).
    void setStationId(const QString& text);
    // Stores `text` padded with spaces to 20 characters, length byte 20 (the receiver's rule).
    void setStationIdPadded(const QString& text);
    void setFileDate(const QDateTime& localTime);
};

struct ApfPageHeader {
    quint32 imageLength = 0;
    quint16 imageFlags = 0;
    std::array<char, 10> reserved{};

    static ApfPageHeader fromBytes(const char* bytes);
    QByteArray toBytes() const;

    bool isHighRes() const { return imageFlags & kApfHighRes; }
    bool isWide() const { return imageFlags & kApfWideWidth; }
    bool hasLineRecords() const { return imageFlags & kApfLineRecords; }
    int lineWidth() const { return isWide() ? kFaxWidthWide : kFaxWidthNormal; }
};

// DOS packed form: low word seconds/2, minutes, hours; high word day, month, year - 1980.
// 0 when the year lies outside 1980..2099.
quint32 DosPackedDateTime(const QDateTime& localTime);

}  // namespace corvane
