#include "faxdoc/apf_reader.h"

#include <QFileInfo>

namespace corvane {

namespace {

// Reads exactly `size` bytes at `offset`; a short read is a read beyond the end.
void readExactly(QIODevice& file, qint64 offset, char* into, qint64 size) {
    if (offset < 0 || !file.seek(offset)) ThrowReadBeyondEnd();
    if (file.read(into, size) != size) ThrowReadBeyondEnd();
}

[[noreturn]] void throwBadPage(ApfPageLookup mode) {
    if (mode == ApfPageLookup::Sending) ThrowReadBeyondEnd();
    throw EFaxBadFormat();
}

}  // namespace

void OpenApfForReading(QFile& file, const QString& path) {
    if (path.isEmpty()) ThrowOpenError(path);
    file.setFileName(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) ThrowOpenError(path);
}

ApfFileHeader ReadApfFileHeader(QIODevice& file) {
    char bytes[kApfFileHeaderSize];
    readExactly(file, 0, bytes, sizeof bytes);
    ApfFileHeader header = ApfFileHeader::fromBytes(bytes);
    if (!header.hasApfSignature()) throw EFaxBadFormat();
    return header;
}

ApfFileHeader ReadApfFileHeader(const QString& path) {
    QFile file;
    OpenApfForReading(file, path);
    return ReadApfFileHeader(file);
}

ApfPageHeader ReadApfPageHeaderAt(QIODevice& file, qint64 offset) {
    char bytes[kApfPageHeaderSize];
    readExactly(file, offset, bytes, sizeof bytes);
    return ApfPageHeader::fromBytes(bytes);
}

qint64 LocateApfPage(QIODevice& file, int pageNumber, ApfPageLookup mode) {
    const ApfFileHeader header = ReadApfFileHeader(file);
    if (pageNumber < 1 || pageNumber > header.pageCount) throwBadPage(mode);
    // 64-bit positions: a hostile ImageLength can only push the walk past the end of the
    // file, where the next header read fails.
    qint64 position = header.firstPageOffset;
    for (int i = 1; i < pageNumber; ++i) {
        const ApfPageHeader page = ReadApfPageHeaderAt(file, position);
        position += kApfPageHeaderSize + qint64(page.imageLength);
    }
    return position;
}

ApfPageHeader ReadApfPageHeader(const QString& path, int pageNumber, ApfPageLookup mode) {
    QFile file;
    OpenApfForReading(file, path);
    return ReadApfPageHeaderAt(file, LocateApfPage(file, pageNumber, mode));
}

int GetApfPageCount(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) return 0;
    QFile file;
    OpenApfForReading(file, path);
    char bytes[kApfFileHeaderSize];
    // A file too short to hold a header holds no pages.
    if (file.read(bytes, sizeof bytes) != sizeof bytes) return 0;
    return ApfFileHeader::fromBytes(bytes).pageCount;
}

}  // namespace corvane
