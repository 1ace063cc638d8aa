#pragma once
// The bytes a send machine writes for one page: the header band (white lines and the
// rendered header line) and the page's coded data, with every DLE doubled for the modem.

#include <QByteArray>
#include <QString>

#include "faxdoc/apf_page_data.h"

namespace corvane {

class HeaderLineRenderer;

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr char kDc2 = 0x12;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr int kWhiteHeaderLines = 8;
constexpr int kPageBlockSize = 4096;

// Appends `data` to `out` with every DLE doubled.
void AppendDleDoubled(QByteArray& out, const QByteArray& data);

// Takes the modem's XOFF and XON out of `bytes` while page data flow: `paused` follows the
// last of them. Returns the other bytes (a Class 1 modem's answer to the page's end).
QByteArray TakeFlowControl(const QByteArray& bytes, bool& paused);

// Eight white scan lines, then one coded line per raster row of `headerText` (nothing more
// when it is empty), DLE doubled. `minLineBytes` fills every line up to that length (Class 1).
QByteArray HeaderBandBytes(HeaderLineRenderer* renderer, const QString& headerText, bool fine,
                           int minLineBytes = 0);

// Joins coded line records into one tight bit stream: fill zeros before each EOL and after
// each line's last code are dropped (the line coder pads every record to whole bytes, which
// costs about two bytes of line time per scan line). Records that do not open with an EOL
// are kept whole.
class LinePacker {
  public:
    void reset();
    void add(const QByteArray& record, QByteArray& out);
    bool pending() const { return bits_ > 0; }
    // The last bits, filled with zeros to a whole byte.
    QByteArray flush();

  private:
    // An EOL is eleven zeros and a one; no code ends in more than a few zeros, so seven kept
    // zeros after a line's last one bit never cut a code.
    static constexpr int kEolZeros = 11;
    static constexpr int kKeptTrailingZeros = 7;
    void put(int bit, QByteArray& out);
    unsigned acc_ = 0;
    int bits_ = 0;
};

// Reads the pages of an APF file one after the other for sending.
class SendPageReader {
  public:
    // Opens page `n` (1-based) of `path`. Throws EFaxError.
    void open(const QString& path, int n);
    void close() { reader_.close(); }
    const ApfPageHeader& header() const { return reader_.pageHeader(); }
    const ApfFileHeader& fileHeader() const { return reader_.fileHeader(); }
    qint64 pageLength() const { return reader_.pageHeader().imageLength; }
    qint64 consumed() const { return reader_.bytesConsumed(); }
    // The next piece of about 4096 data bytes, DLE doubled; line records packed into one bit
    // stream, or, with `minLineBytes`, each filled to that length. False at the end of the
    // page.
    bool nextEscaped(QByteArray& out, int minLineBytes = 0);

  private:
    ApfPageDataReader reader_;
    LinePacker packer_;
};

}  // namespace corvane
