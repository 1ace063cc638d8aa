#pragma once
// Writes APF files page by page from coded line records (the converter's way of writing).
//
//   ApfWriter w;
//   w.CreateApfFile(path);
//   w.StartPage(kApfHighRes);              // flags of the page about to be written
//   w.WriteLineRecord(CompressRasterLine(raster, 1728, 0));  // ... one per scan line
//   w.FinishPage();                        // appends the end-of-page record
//   w.CloseApfFile("station id");
//
// Output goes through a 4096-byte buffer. Any write error closes and deletes the partial
// file before the error (EFaxError) is thrown; so does AbandonApfFile() and destroying
// a writer whose file is still open.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>

#include "faxdoc/apf_format.h"

namespace corvane {

class ApfWriter {
  public:
    ApfWriter();
    ~ApfWriter();
    ApfWriter(const ApfWriter&) = delete;
    ApfWriter& operator=(const ApfWriter&) = delete;

    // Creates or truncates `path` and writes a fresh header. On failure no file is left.
    void CreateApfFile(const QString& path);
    // Sets the flags (kApfHighRes, kApfWideWidth) of the next page; kApfLineRecords is always
    // added. The page header itself is written with the page's first line record. Without a
    // call the previous page's flags apply (0 for the first page).
    void StartPage(quint16 imageFlags);
    // Writes one line record: u16 count, then the bytes. count must be 0..65535.
    void WriteLineRecord(const char* bytes, int count);
    void WriteLineRecord(const QByteArray& record);
    // Writes the end-of-page record, counts the page and patches its header's ImageLength.
    // Only for a page that has at least one line record.
    void FinishPage();
    // Stores the station identifier (at most 20 characters) and the date, rewrites the file
    // header and closes the file.
    void CloseApfFile(const QString& stationId,
                      const QDateTime& now = QDateTime::currentDateTime());
    // Closes and deletes the file (aborted conversions, write errors). Harmless when closed.
    void AbandonApfFile();

    bool IsOpen() const;
    QString FileName() const { return path_; }
    int PageCount() const { return header_.pageCount; }
    // Lines written on the current page so far.
    int PageLineCount() const { return pageLines_; }

  private:
    void write(const char* bytes, qint64 count);
    void flush();
    void seekTo(qint64 position);
    qint64 position() const;
    void beginPageIfNeeded();
    [[noreturn]] void failWrite();

    QString path_;
    std::unique_ptr<QFile> file_;
    QByteArray buffer_;
    ApfFileHeader header_;
    ApfPageHeader page_;
    quint16 nextFlags_ = 0;
    bool pageOpen_ = false;
    qint64 pageHeaderPosition_ = 0;
    int pageLines_ = 0;
};

}  // namespace corvane
