#include "faxdoc/apf_page_data.h"

#include <algorithm>

#include "core/little_endian.h"
#include "faxdoc/t4_decoder.h"

namespace corvane {

void ApfPageDataReader::open(const QString& path, int pageNumber, ApfPageLookup mode) {
    close();
    OpenApfForReading(file_, path);
    fileHeader_ = ReadApfFileHeader(file_);
    pageOffset_ = LocateApfPage(file_, pageNumber, mode);
    pageHeader_ = ReadApfPageHeaderAt(file_, pageOffset_);
    pageNumber_ = pageNumber;
    consumed_ = 0;
    truncated_ = false;
}

void ApfPageDataReader::nextPage() {
    if (!file_.isOpen() || pageNumber_ >= fileHeader_.pageCount) throw EFaxBadFormat();
    pageOffset_ += kApfPageHeaderSize + qint64(pageHeader_.imageLength);
    pageHeader_ = ReadApfPageHeaderAt(file_, pageOffset_);
    ++pageNumber_;
    consumed_ = 0;
    truncated_ = false;
    if (!file_.seek(pageOffset_ + kApfPageHeaderSize)) ThrowReadBeyondEnd();
}

void ApfPageDataReader::close() {
    if (file_.isOpen()) file_.close();
}

void ApfPageDataReader::readInto(QByteArray& piece, qint64 count) {
    piece.resize(count);
    const qint64 got = count > 0 ? file_.read(piece.data(), count) : 0;
    // A read that returns nothing while the page still owes bytes: the file ends early. A
    // short read hands on what it got; the next read then fails.
    if (count > 0 && got <= 0) throw EFaxBadFormat();
    if (got < count) truncated_ = true;
    piece.resize(got);
    consumed_ += got;
}

bool ApfPageDataReader::next(QByteArray& piece) {
    if (remaining() <= 0 || !file_.isOpen()) return false;
    if (truncated_) throw EFaxBadFormat();
    if (!pageHeader_.hasLineRecords()) {
        readInto(piece, std::min<qint64>(remaining(), kApfBlockSize));
        return true;
    }
    QByteArray count;
    readInto(count, std::min<qint64>(remaining(), 2));
    if (count.size() < 2) {
        // A lone byte at the page end holds no record.
        piece.clear();
        return true;
    }
    const qint64 declared = ReadLe16(count.constData());
    const qint64 inPage = std::min(declared, remaining());
    readInto(piece, std::min<qint64>(inPage, kApfMaxLineRecordBytes));
    const qint64 skip = inPage - piece.size();
    if (skip > 0 && !truncated_) {
        if (!file_.seek(file_.pos() + skip)) throw EFaxBadFormat();
        consumed_ += skip;
    }
    return true;
}

void DecodeApfPageData(ApfPageDataReader& reader, T4Decoder& decoder,
                       const std::function<bool()>& abortRequested) {
    QByteArray piece;
    while (reader.next(piece)) {
        if (abortRequested && abortRequested()) decoder.requestAbort();
        if (!decoder.feed(reinterpret_cast<const uchar*>(piece.constData()), piece.size())) break;
    }
    decoder.finish();
}

}  // namespace corvane
