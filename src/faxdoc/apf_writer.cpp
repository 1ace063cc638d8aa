#include "faxdoc/apf_writer.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "core/little_endian.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {

ApfWriter::ApfWriter() {
    buffer_.reserve(kApfBlockSize);
}

ApfWriter::~ApfWriter() {
    AbandonApfFile();
}

bool ApfWriter::IsOpen() const {
    return file_ && file_->isOpen();
}

void ApfWriter::CreateApfFile(const QString& path) {
    AbandonApfFile();
    path_ = path;
    header_ = ApfFileHeader::makeNew();
    nextFlags_ = 0;
    pageOpen_ = false;
    pageLines_ = 0;
    buffer_.clear();
    if (path.isEmpty()) ThrowOpenError(path);
    file_ = std::make_unique<QFile>(path);
    // Unbuffered: the writer keeps its own 4096-byte buffer, and write errors must show at
    // the write that meets them.
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        file_.reset();
        ThrowCreateError(path);
    }
    const QByteArray bytes = header_.toBytes();
    write(bytes.constData(), bytes.size());
    flush();
}

void ApfWriter::StartPage(quint16 imageFlags) {
    nextFlags_ = imageFlags & (kApfHighRes | kApfWideWidth);
}

void ApfWriter::beginPageIfNeeded() {
    if (pageOpen_) return;
    pageHeaderPosition_ = position();
    page_ = ApfPageHeader{};
    page_.imageFlags = nextFlags_ | kApfLineRecords;
    const QByteArray bytes = page_.toBytes();
    write(bytes.constData(), bytes.size());
    pageOpen_ = true;
    pageLines_ = 0;
}

void ApfWriter::WriteLineRecord(const char* bytes, int count) {
    if (!IsOpen()) ThrowFileNotOpen();
    if (count < 0 || count > 0xFFFF) throw EFaxError(ecBadArgument);
    beginPageIfNeeded();
    char length[2];
    WriteLe16(length, static_cast<quint16>(count));
    write(length, 2);
    write(bytes, count);
    page_.imageLength += 2 + count;
    ++pageLines_;
}

void ApfWriter::WriteLineRecord(const QByteArray& record) {
    WriteLineRecord(record.constData(), static_cast<int>(record.size()));
}

void ApfWriter::FinishPage() {
    if (!IsOpen()) ThrowFileNotOpen();
    const QByteArray end = MakeEndOfPage();
    WriteLineRecord(end);
    --pageLines_;
    ++header_.pageCount;
    const qint64 end_position = position();
    seekTo(pageHeaderPosition_);
    const QByteArray bytes = page_.toBytes();
    write(bytes.constData(), bytes.size());
    seekTo(end_position);
    pageOpen_ = false;
}

void ApfWriter::CloseApfFile(const QString& stationId, const QDateTime& now) {
    if (!IsOpen()) ThrowFileNotOpen();
    header_.setStationId(stationId);
    header_.setFileDate(now);
    const qint64 end_position = position();
    seekTo(0);
    const QByteArray bytes = header_.toBytes();
    write(bytes.constData(), bytes.size());
    seekTo(end_position);
    flush();
    file_->close();
    if (file_->error() != QFileDevice::NoError) failWrite();
    file_.reset();
}

void ApfWriter::AbandonApfFile() {
    if (!file_) return;
    file_->close();
    // Only a file this writer made: never a device or anything else it was pointed at.
    if (QFileInfo(path_).isFile()) file_->remove();
    file_.reset();
    buffer_.clear();
    pageOpen_ = false;
}

qint64 ApfWriter::position() const {
    return file_->pos() + buffer_.size();
}

void ApfWriter::write(const char* bytes, qint64 count) {
    if (buffer_.size() + count <= kApfBlockSize) {
        buffer_.append(bytes, count);
        return;
    }
    const qint64 fill = kApfBlockSize - buffer_.size();
    buffer_.append(bytes, fill);
    flush();
    bytes += fill;
    count -= fill;
    const qint64 whole = count - count % kApfBlockSize;
    if (whole > 0 && file_->write(bytes, whole) != whole) failWrite();
    buffer_.append(bytes + whole, count - whole);
}

void ApfWriter::flush() {
    if (buffer_.isEmpty()) return;
    if (file_->write(buffer_) != buffer_.size()) failWrite();
    buffer_.clear();
}

void ApfWriter::seekTo(qint64 target) {
    flush();
    if (!file_->seek(target)) failWrite();
}

void ApfWriter::failWrite() {
    // Keep errno from the failed call: closing and removing the file may change it.
    const int saved = errno;
    AbandonApfFile();
    errno = saved;
    ThrowWriteError();
}

}  // namespace corvane
