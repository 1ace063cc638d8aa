#include "faxdoc/apf_receive_writer.h"

#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"

namespace corvane {

ApfReceiveWriter::~ApfReceiveWriter() {
    try {
        Close();
    } catch (...) {
        // Nothing can be reported from here, and a destructor must not throw; the completed
        // pages are already on disk.
    }
}

void ApfReceiveWriter::CreateFile(const QString& path, const QString& remoteStationId) {
    Close();
    path_ = path;
    header_ = ApfFileHeader::makeNew();
    header_.setStationIdPadded(remoteStationId);
    header_.setFileDate(QDateTime::currentDateTime());
    if (path.isEmpty()) ThrowCreateError(path);
    file_ = std::make_unique<QFile>(path);
    if (!file_->open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        file_.reset();
        ThrowCreateError(path);
    }
    pageOpen_ = false;
    append(header_.toBytes().constData(), kApfFileHeaderSize);
}

void ApfReceiveWriter::StartPage(bool highRes, bool wide) {
    if (!file_) ThrowFileNotOpen();
    if (pageOpen_) EndPage();
    page_ = ApfPageHeader{};
    page_.imageFlags = quint16((highRes ? kApfHighRes : 0) | (wide ? kApfWideWidth : 0));
    pageHeaderPosition_ = file_->size();
    pageBytes_ = 0;
    if (!file_->seek(pageHeaderPosition_)) ThrowWriteError();
    append(page_.toBytes().constData(), kApfPageHeaderSize);
    pageOpen_ = true;
}

void ApfReceiveWriter::WritePageData(const char* bytes, qint64 count) {
    if (!file_ || !pageOpen_) ThrowFileNotOpen();
    append(bytes, count);
    pageBytes_ += count;
}

void ApfReceiveWriter::EndPage(const QDateTime& now) {
    if (!file_ || !pageOpen_) return;
    page_.imageLength = quint32(pageBytes_);
    ++header_.pageCount;
    header_.setFileDate(now);
    writeAt(pageHeaderPosition_, page_.toBytes());
    writeAt(0, header_.toBytes());
    if (!file_->flush() || !file_->seek(file_->size())) ThrowWriteError();
    pageOpen_ = false;
}

void ApfReceiveWriter::Close() {
    if (!file_) return;
    if (pageOpen_) {
        // An unfinished page: cut it off so the page chain ends exactly at the end of file.
        file_->flush();
        file_->resize(pageHeaderPosition_);
        pageOpen_ = false;
    }
    const bool flushed = file_->flush();
    file_->close();
    file_.reset();
    if (!flushed) ThrowWriteError();
}

void ApfReceiveWriter::writeAt(qint64 position, const QByteArray& bytes) {
    if (!file_->seek(position) || file_->write(bytes) != bytes.size()) ThrowWriteError();
}

void ApfReceiveWriter::append(const char* bytes, qint64 count) {
    if (file_->write(bytes, count) != count) ThrowWriteError();
}

}  // namespace corvane
