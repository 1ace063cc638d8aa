#pragma once
// Writes a fax as it is received: each page is one continuous coded bit stream as the modem
// delivers it (no line records). The file is consistent after every completed page: EndPage()
// patches the page's ImageLength, raises PageCount and rewrites the file header (with a fresh
// date) in place.
//
//   ApfReceiveWriter w;
//   w.CreateFile(path, remoteId);
//   w.StartPage(fine, wide);  w.WritePageData(bytes, n) ...;  w.EndPage();   // per page
//   w.Close();
//
// Close() (and destruction) with a page still open cuts that page off, so the file never
// ends in bytes that no page header accounts for. Errors throw EFaxError.

#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>

#include "faxdoc/apf_format.h"

namespace corvane {

class ApfReceiveWriter {
  public:
    ApfReceiveWriter() = default;
    ~ApfReceiveWriter();
    ApfReceiveWriter(const ApfReceiveWriter&) = delete;
    ApfReceiveWriter& operator=(const ApfReceiveWriter&) = delete;

    // Creates or truncates `path`; the station identifier is padded to 20 characters.
    void CreateFile(const QString& path, const QString& remoteStationId);
    // Writes the page header: HighRes and WideWidth from the negotiated session.
    void StartPage(bool highRes, bool wide);
    void WritePageData(const char* bytes, qint64 count);
    // Completes the page: ImageLength = bytes received, PageCount + 1, headers rewritten.
    void EndPage(const QDateTime& now = QDateTime::currentDateTime());
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    bool PageOpen() const { return pageOpen_; }
    int PageCount() const { return header_.pageCount; }
    qint64 PageBytes() const { return pageBytes_; }
    QString FileName() const { return path_; }

  private:
    void writeAt(qint64 position, const QByteArray& bytes);
    void append(const char* bytes, qint64 count);

    QString path_;
    std::unique_ptr<QFile> file_;
    ApfFileHeader header_;
    ApfPageHeader page_;
    bool pageOpen_ = false;
    qint64 pageHeaderPosition_ = 0;
    qint64 pageBytes_ = 0;
};

}  // namespace corvane
