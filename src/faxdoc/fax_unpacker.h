#pragma once
// TFxFaxUnpacker: decodes APF pages into raster lines, one-bit bitmaps and image files
// (PCX, DCX, single-page TIFF).
//
// Every operation opens the input for its own duration, decodes, and raises on error:
// EFaxBadFormat ("File is not an APF file") for a bad signature, a page beyond the page count
// or page data ending early; EFaxError for files that cannot be opened or written;
// EFaxError ecBadArgument for inconsistent whitespace settings; EFaxError ecCantMakeBitmap.

#include <QImage>
#include <QString>
#include <functional>

#include "faxdoc/apf_format.h"

namespace corvane {

class UnpackedLineConsumer;

// The members of TUnpackerOptions.
enum UnpackerOption : unsigned {
    uoYield = 0x1,  // service the event queue every 16 lines handed on
    uoAbort = 0x2,  // the page being decoded ends after the current byte
};
using TUnpackerOptions = unsigned;

enum TAutoScaleMode { asNone, asDoubleHeight, asHalfWidth };

class TFxFaxUnpacker {
  public:
    // Starting and Ending calls carry no data; Len 0 with Data null is a blank line made by
    // whitespace compression. Lines have ink = 1.
    using OutputLineEvent = std::function<void(TFxFaxUnpacker& sender, bool starting, bool ending,
                                               const uchar* data, int len, int pageNum)>;
    using StatusEvent =
        std::function<void(TFxFaxUnpacker& sender, const QString& fileName, int pageNum,
                           qint64 bytesUnpacked, qint64 bytesToUnpack)>;

    TFxFaxUnpacker() = default;

    QString inFileName() const { return inFileName_; }
    // A name that differs (ignoring case) also sets outFileName to it without extension.
    void setInFileName(const QString& name);
    QString outFileName() const { return outFileName_; }
    void setOutFileName(const QString& name) { outFileName_ = name; }
    TUnpackerOptions options() const { return options_; }
    void setOptions(TUnpackerOptions options) { options_ = options; }
    TAutoScaleMode autoScaleMode() const { return autoScaleMode_; }
    void setAutoScaleMode(TAutoScaleMode mode) { autoScaleMode_ = mode; }
    bool scaling() const { return scaling_; }
    void setScaling(bool on) { scaling_ = on; }
    int horizMult() const { return horizMult_; }
    int horizDiv() const { return horizDiv_; }
    int vertMult() const { return vertMult_; }
    int vertDiv() const { return vertDiv_; }
    // Assigning 0 is ignored.
    void setHorizMult(int v) {
        if (v) horizMult_ = v;
    }
    void setHorizDiv(int v) {
        if (v) horizDiv_ = v;
    }
    void setVertMult(int v) {
        if (v) vertMult_ = v;
    }
    void setVertDiv(int v) {
        if (v) vertDiv_ = v;
    }
    bool whitespaceCompression() const { return whitespaceCompression_; }
    void setWhitespaceCompression(bool on) { whitespaceCompression_ = on; }
    int whitespaceFrom() const { return whitespaceFrom_; }
    int whitespaceTo() const { return whitespaceTo_; }
    void setWhitespaceFrom(int v) { whitespaceFrom_ = v; }
    void setWhitespaceTo(int v) { whitespaceTo_ = v; }

    OutputLineEvent OnOutputLine;
    StatusEvent OnStatus;

    // PageCount of the file header, after checking the signature.
    int NumPages() const;
    TFaxResolution FaxResolution() const;
    TFaxWidth FaxWidth() const;

    void UnpackPage(int page);
    QImage UnpackPageToBitmap(int page);
    void UnpackPageToPcx(int page);
    void UnpackPageToDcx(int page);
    void UnpackFileToDcx();
    void UnpackPageToTiff(int page);
    // The file the last file output wrote.
    QString lastOutputFile() const { return lastOutputFile_; }
    // Lines the decoder accepted and bad codes it met on the last page decoded.
    int lastDecodedLines() const { return lastDecodedLines_; }
    int lastBadCodes() const { return lastBadCodes_; }

  private:
    // Decodes page n into `consumer`; `forBitmap` inverts lines (ink = 0).
    quint16 decodePage(int page, bool forBitmap, UnpackedLineConsumer& consumer);
    QImage pageBitmap(int page);
    QString outputName(const QString& extension) const;

    QString inFileName_;
    QString outFileName_;
    TUnpackerOptions options_ = uoYield;
    TAutoScaleMode autoScaleMode_ = asDoubleHeight;
    bool scaling_ = false;
    int horizMult_ = 1, horizDiv_ = 1, vertMult_ = 1, vertDiv_ = 1;
    bool whitespaceCompression_ = false;
    int whitespaceFrom_ = 0;
    int whitespaceTo_ = 0;
    QString lastOutputFile_;
    int lastDecodedLines_ = 0;
    int lastBadCodes_ = 0;
};

}  // namespace corvane
