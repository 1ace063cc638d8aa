#pragma once
// Reads the coded data of one APF page in the pieces the decoder and the send engine
// consume: with line records, one record at a time (its bytes, the u16 count stripped); else
// blocks of 4096 bytes.
//
// Reading never leaves the page: a record that claims more bytes than the page has left is
// cut at the page end, and a record longer than 4096 bytes is cut to its first 4096 (the
// rest skipped). Data that end before ImageLength bytes throw EFaxBadFormat.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

#include "faxdoc/apf_format.h"
#include "faxdoc/apf_reader.h"

namespace corvane {

class ApfPageDataReader {
  public:
    // Opens page n of `path` (read-only, others may read and write meanwhile). Throws like
    // ReadApfFileHeader and LocateApfPage.
    void open(const QString& path, int pageNumber, ApfPageLookup mode = ApfPageLookup::Decoding);
    // Moves on to the following page in the chain (one header read, however many pages the
    // file has). Throws EFaxBadFormat beyond PageCount, "Attempt to read beyond end of file"
    // when the next page header is cut short.
    void nextPage();
    int pageNumber() const { return pageNumber_; }
    // The next piece; false when the page's ImageLength bytes have been consumed.
    bool next(QByteArray& piece);
    void close();

    const ApfFileHeader& fileHeader() const { return fileHeader_; }
    const ApfPageHeader& pageHeader() const { return pageHeader_; }
    // Offset of the page header in the file.
    qint64 pageOffset() const { return pageOffset_; }
    // File bytes of the page consumed so far, record counts included.
    qint64 bytesConsumed() const { return consumed_; }

  private:
    qint64 remaining() const { return qint64(pageHeader_.imageLength) - consumed_; }
    void readInto(QByteArray& piece, qint64 count);

    QFile file_;
    ApfFileHeader fileHeader_;
    ApfPageHeader pageHeader_;
    qint64 pageOffset_ = 0;
    int pageNumber_ = 0;
    qint64 consumed_ = 0;
    bool truncated_ = false;
};

class T4Decoder;

// Feeds the page's data to the decoder until the page ends or its data are used up (then
// finish() is called). `abortRequested` is polled between pieces. Throws like next().
void DecodeApfPageData(ApfPageDataReader& reader, T4Decoder& decoder,
                       const std::function<bool()>& abortRequested = {});

}  // namespace corvane
