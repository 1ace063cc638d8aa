#include "faxdoc/fax_unpacker.h"

#include <QFileInfo>
#include <cstring>

#include "faxdoc/apf_page_data.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"
#include "faxdoc/line_handoff.h"
#include "faxdoc/mono_bitmap.h"
#include "faxdoc/pcx_writer.h"
#include "faxdoc/t4_decoder.h"
#include "faxdoc/tiff_writer.h"

namespace corvane {

namespace {

constexpr int kNormalRowBytes = kFaxWidthNormal / 8;
constexpr int kWideRowBytes = kFaxWidthWide / 8;
// Dots per metre of 204 dpi across, 196 (fine) and 98 (standard) lines per inch.
constexpr int kDpm204 = 8031;
constexpr int kDpm196 = 7717;
constexpr int kDpm98 = 3858;

class EventConsumer : public UnpackedLineConsumer {
  public:
    EventConsumer(TFxFaxUnpacker& sender, int page) : sender_(sender), page_(page) {}
    void line(const uchar* data, int bytes) override {
        if (sender_.OnOutputLine) sender_.OnOutputLine(sender_, false, false, data, bytes, page_);
    }

  private:
    TFxFaxUnpacker& sender_;
    int page_;
};

bool sameIgnoringCase(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutExtension(const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().isEmpty()) return path;
    return path.left(path.size() - info.suffix().size() - 1);
}

// A file output of a page without decodable lines still gets a valid image: one white row.
QImage nonEmpty(const QImage& page) {
    if (!page.isNull()) return page;
    QImage blank(kFaxWidthNormal, 1, QImage::Format_Mono);
    blank.setColorTable(PageColorTable());
    blank.fill(1);
    return blank;
}

}  // namespace

void TFxFaxUnpacker::setInFileName(const QString& name) {
    if (!sameIgnoringCase(name, inFileName_)) outFileName_ = withoutExtension(name);
    inFileName_ = name;
}

int TFxFaxUnpacker::NumPages() const {
    return ReadApfFileHeader(inFileName_).pageCount;
}

TFaxResolution TFxFaxUnpacker::FaxResolution() const {
    return ReadApfPageHeader(inFileName_, 1).isHighRes() ? frHigh : frNormal;
}

TFaxWidth TFxFaxUnpacker::FaxWidth() const {
    return ReadApfPageHeader(inFileName_, 1).isWide() ? fwWide : fwNormal;
}

quint16 TFxFaxUnpacker::decodePage(int page, bool forBitmap, UnpackedLineConsumer& consumer) {
    if (whitespaceCompression_ && (whitespaceFrom_ < whitespaceTo_ || whitespaceTo_ < 0 ||
                                   (whitespaceFrom_ == 0 && whitespaceTo_ != 0)))
        throw EFaxError(ecBadArgument);
    ApfPageDataReader reader;
    reader.open(inFileName_, page);
    const ApfPageHeader header = reader.pageHeader();
    const bool standard = !header.isHighRes();

    LineHandoffOptions options;
    options.invert = forBitmap;
    options.doubleHeight = standard && autoScaleMode_ == asDoubleHeight;
    options.halfWidth = standard && autoScaleMode_ == asHalfWidth;
    if (whitespaceCompression_) {
        options.whitespaceFrom = whitespaceFrom_;
        options.whitespaceTo = whitespaceTo_;
    }
    options.yield = options_ & uoYield;
    options.abortRequested = [this] { return (options_ & uoAbort) != 0; };

    if (OnStatus) OnStatus(*this, inFileName_, page, 0, header.imageLength);
    LineHandoff handoff(options, consumer);
    T4Decoder decoder(handoff);
    handoff.attach(decoder);
    DecodeApfPageData(reader, decoder, options.abortRequested);
    handoff.finishPage();
    lastDecodedLines_ = decoder.acceptedLines();
    lastBadCodes_ = decoder.badCodes();
    if (OnStatus) OnStatus(*this, inFileName_, page, reader.bytesConsumed(), header.imageLength);
    return header.imageFlags;
}

QImage TFxFaxUnpacker::pageBitmap(int page) {
    MonoBitmapBuilder builder;
    const quint16 flags = decodePage(page, true, builder);
    const bool standard = !(flags & kApfHighRes);
    const bool halfWidth = standard && autoScaleMode_ == asHalfWidth;
    const bool doubled = standard && autoScaleMode_ == asDoubleHeight;
    int minimumRowBytes = (flags & kApfWideWidth) ? kWideRowBytes : kNormalRowBytes;
    // Halved lines fill half the row; keeping the full minimum would leave the right half
    // of every half-width page blank.
    if (halfWidth) minimumRowBytes /= 2;
    QImage image = builder.toImage(minimumRowBytes);
    if (image.isNull()) return image;
    image.setDotsPerMeterX(halfWidth ? kDpm204 / 2 : kDpm204);
    image.setDotsPerMeterY(standard && !doubled ? kDpm98 : kDpm196);
    if (scaling_ && (horizMult_ != horizDiv_ || vertMult_ != vertDiv_))
        image = StretchMonoImage(image, qint64(image.width()) * horizMult_ / horizDiv_,
                                 qint64(image.height()) * vertMult_ / vertDiv_);
    return image;
}

void TFxFaxUnpacker::UnpackPage(int page) {
    if (OnOutputLine) OnOutputLine(*this, true, false, nullptr, 0, page);
    if (scaling_ && (horizMult_ != horizDiv_ || vertMult_ != vertDiv_)) {
        const QImage image = pageBitmap(page);
        QByteArray row(image.isNull() ? 0 : (image.width() + 7) / 8, '\0');
        for (int y = 0; y < image.height(); ++y) {
            const uchar* in = image.constScanLine(y);
            for (int i = 0; i < row.size(); ++i) row[i] = char(~in[i]);
            if (OnOutputLine)
                OnOutputLine(*this, false, false, reinterpret_cast<const uchar*>(row.constData()),
                             int(row.size()), page);
        }
    } else {
        EventConsumer consumer(*this, page);
        decodePage(page, false, consumer);
    }
    if (OnOutputLine) OnOutputLine(*this, false, true, nullptr, 0, page);
}

QImage TFxFaxUnpacker::UnpackPageToBitmap(int page) {
    return pageBitmap(page);
}

QString TFxFaxUnpacker::outputName(const QString& extension) const {
    if (!outFileName_.isEmpty()) {
        if (!QFileInfo(outFileName_).suffix().isEmpty()) return outFileName_;
        return outFileName_ + "." + extension;
    }
    if (inFileName_.isEmpty()) ThrowOpenError(inFileName_);
    return withoutExtension(inFileName_) + "." + extension;
}

void TFxFaxUnpacker::UnpackPageToPcx(int page) {
    const QImage image = nonEmpty(pageBitmap(page));
    const QString path = outputName("PCX");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ThrowCreateError(path);
    try {
        WritePcx(file, image);
    } catch (...) {
        file.close();
        file.remove();
        throw;
    }
    lastOutputFile_ = path;
}

void TFxFaxUnpacker::UnpackPageToDcx(int page) {
    const QImage image = nonEmpty(pageBitmap(page));
    const QString path = outputName("DCX");
    DcxWriter dcx;
    dcx.open(path);
    dcx.addPage(image);
    dcx.close();
    lastOutputFile_ = path;
}

void TFxFaxUnpacker::UnpackFileToDcx() {
    const int pages = NumPages();
    // Checked before anything is written: a DCX file that silently lacks pages looks
    // complete to whoever opens it.
    if (pages > kDcxMaxPages) throw EFaxError(ecBadArgument, kTextDcxTooManyPages);
    const QString path = outputName("DCX");
    DcxWriter dcx;
    dcx.open(path);
    for (int page = 1; page <= pages; ++page) dcx.addPage(nonEmpty(pageBitmap(page)));
    dcx.close();
    lastOutputFile_ = path;
}

void TFxFaxUnpacker::UnpackPageToTiff(int page) {
    const QImage image = nonEmpty(pageBitmap(page));
    const QString path = outputName("TIF");
    WriteSinglePageTiff(image, path);
    lastOutputFile_ = path;
}

}  // namespace corvane
