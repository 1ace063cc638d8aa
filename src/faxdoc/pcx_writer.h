#pragma once
// PCX and DCX files from one-bit page bitmaps (Format_Mono, colour 0 black, 1 white).
//
// PCX: a 128-byte header (manufacturer 10, version 2, run-length coding, 1 bit, 1 plane,
// colour map black and white), then each row run-length coded; a 1 bit is white.
// DCX: u32 magic 0x3ADE68B1, 1024 u32 page offsets ending with a zero (4100 bytes), then the
// pages as PCX images.

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QString>
#include <memory>

namespace corvane {

inline constexpr quint32 kDcxMagic = 0x3ADE68B1;
inline constexpr int kDcxHeaderBytes = 4100;
inline constexpr int kDcxMaxPages = 1023;  // the offset table ends with a zero entry
// The error for a DCX file asked to hold more pages (code ecBadArgument).
inline constexpr const char* kTextDcxTooManyPages = "A DCX file holds at most 1023 pages";

QByteArray EncodePcx(const QImage& page);
// Writes `page` at the device's position; throws EFaxError on a write error.
void WritePcx(QIODevice& out, const QImage& page);

// Writes a DCX file page by page: open() writes the header placeholder, addPage() a PCX
// image, close() the final header. Throws EFaxError (also for a page beyond kDcxMaxPages);
// a failed file is removed.
class DcxWriter {
  public:
    ~DcxWriter();
    void open(const QString& path);
    void addPage(const QImage& page);
    void close();

  private:
    void fail();

    std::unique_ptr<QFile> file_;
    QList<quint32> offsets_;
};

}  // namespace corvane
