#include "faxdoc/convert/fax_converter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QObject>
#include <algorithm>
#include <array>

#include "core/fax_errors.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/convert/bitmap_input.h"
#include "faxdoc/convert/picture_file.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {

namespace {

// Top-margin lines are this fixed 1728-pixel white record, on wide pages too.
constexpr std::array<char, 6> kWhiteLineRecord{'\x00', '\x80', '\xB2', '\x59', '\x01', '\x00'};
constexpr int kYieldOftenLines = 16;

// Notices a quit request delivered while the conversion services the event queue. The event
// itself goes on to the application as usual.
class QuitWatcher : public QObject {
  public:
    bool quitSeen = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit) quitSeen = true;
        return QObject::eventFilter(watched, event);
    }
};

void ServiceEvents() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    QuitWatcher watcher;
    app->installEventFilter(&watcher);
    QCoreApplication::processEvents();
    app->removeEventFilter(&watcher);
    if (watcher.quitSeen) throw EFaxError(ecGotQuitMessage);
}

// Restores the input kind when ConvertBitmapToApf returns or throws.
class ScopedInputKind {
  public:
    ScopedInputKind(TFxCustomFaxConverter& converter, TFaxInputDocumentType kind)
        : converter_(converter), previous_(converter.InputDocumentType()) {
        converter_.SetInputDocumentType(kind);
    }
    ~ScopedInputKind() { converter_.SetInputDocumentType(previous_); }

  private:
    TFxCustomFaxConverter& converter_;
    TFaxInputDocumentType previous_;
};

QString WithApfExtension(const QString& path) {
    const QFileInfo info(path);
    const QString folder = path.left(path.size() - info.fileName().size());
    return folder + info.completeBaseName() + QStringLiteral(".APF");
}

}  // namespace

TFxCustomFaxConverter::TFxCustomFaxConverter() = default;
TFxCustomFaxConverter::~TFxCustomFaxConverter() = default;

void TFxCustomFaxConverter::SetOptions(TFaxCvtOptions options) {
    if (options & coYieldOften) options |= coYield;
    options_ = options & 0x1F;
}

void TFxCustomFaxConverter::SetDocumentFile(const QString& path) {
    documentFile_ = path;
    outFileName_ = WithApfExtension(path);
}

QString TFxCustomFaxConverter::OutputFileName() const {
    if (!outFileName_.isEmpty()) {
        if (QFileInfo(outFileName_).suffix().isEmpty() && !outFileName_.endsWith('.')) {
            return outFileName_ + QStringLiteral(".APF");
        }
        return outFileName_;
    }
    if (documentFile_.isEmpty()) return {};
    return WithApfExtension(documentFile_);
}

void TFxCustomFaxConverter::ConvertBitmapToApf(const QImage& bitmap) {
    if (bitmap.isNull()) throw EFaxError(ecBadArgument);
    ScopedInputKind kind(*this, idBitmap);
    BitmapInput input(bitmap);
    Convert(input);
}

void TFxCustomFaxConverter::ConvertDocumentToApf() {
    switch (inputDocumentType_) {
        case idNone:
        case idBitmap:
            throw EFaxError(ecBadArgument);
        case idBmp: {
            // Loaded before the output is created: a file that is no picture leaves an
            // existing APF of the same name alone.
            const Result<QImage> image = ReadPictureFile(documentFile_);
            if (!image.ok() || image.value().isNull()) throw EFaxError(ecBadGraphicsFormat);
            BitmapInput input(image.value());
            Convert(input);
            return;
        }
        default:
            // Text, TIFF, PCX, DCX and user inputs are not handled by this program.
            throw EFaxError(ecBadGraphicsFormat);
    }
}

void TFxCustomFaxConverter::Convert(ConversionInput& input) {
    ConversionContext context;
    context.width = width_ == fwWide ? kFaxWidthWide : kFaxWidthNormal;
    // The coder needs 0 <= margin <= width; a larger margin leaves the line white.
    context.leftMargin = std::clamp(leftMargin_, 0, context.width);
    context.topMargin = topMargin_;
    context.highRes = resolution_ == frHigh;
    context.options = options_;

    FaxConvertStatus status;
    auto report = [&](bool starting, bool ending) {
        if (!onStatus_) return;
        status.starting = starting;
        status.ending = ending;
        status.linesConverted = context.line;
        status.bytesConverted = context.bytesRead;
        status.bytesToConvert = context.bytesToRead;
        bool abort = false;
        onStatus_(status, abort);
        if (abort) throw EFaxError(ecConvertAbort);
    };

    ApfWriter writer;
    bool inputOpen = false;
    try {
        writer.CreateApfFile(OutputFileName());
        report(true, false);
        input.Open(context);
        inputOpen = true;

        const quint16 pageFlags = static_cast<quint16>((context.highRes ? kApfHighRes : 0) |
                                                       (width_ == fwWide ? kApfWideWidth : 0));
        std::array<std::uint8_t, kRasterLineBufferSize> raster{};
        std::array<uchar, kMaxCompressedLineBytes> coded{};
        const int lineBytes = context.width / 8;
        bool morePages = true;
        while (morePages) {
            ++context.page;
            context.line = 0;
            writer.StartPage(pageFlags);
            for (int i = 0; i < context.topMargin; ++i) {
                writer.WriteLineRecord(kWhiteLineRecord.data(), kWhiteLineRecord.size());
            }
            for (;;) {
                // The coder reads only the page width; whatever a wide picture left beyond
                // it is never seen.
                std::fill_n(raster.begin(), lineBytes, 0);
                ++context.line;
                report(false, false);
                if (input.ReadLine(context, raster.data()) ==
                    ConversionInput::LineResult::EndOfPage) {
                    break;
                }
                if (!context.halfHeight || context.line % 2 == 1) {
                    const int count = CompressRasterLine(raster.data(), context.width,
                                                         context.leftMargin, coded.data());
                    writer.WriteLineRecord(reinterpret_cast<const char*>(coded.data()), count);
                    if (onOutputLine_) {
                        onOutputLine_(
                            QByteArray(reinterpret_cast<const char*>(coded.data()), count));
                    }
                }
                if ((options_ & coYieldOften) && context.line % kYieldOftenLines == 0)
                    ServiceEvents();
            }
            if (writer.PageLineCount() == 0) {
                // An empty page still needs a line so that the end-of-page record has a page.
                writer.WriteLineRecord(kWhiteLineRecord.data(), kWhiteLineRecord.size());
            }
            writer.FinishPage();
            status.pagesConverted = context.page;
            if (options_ & coYield) ServiceEvents();
            morePages = input.MorePages();
        }

        report(false, true);
        inputOpen = false;
        input.Close();
        // Converted files carry no station identifier.
        writer.CloseApfFile(QString());
    } catch (...) {
        if (inputOpen) input.Close();
        writer.AbandonApfFile();
        throw;
    }
}

}  // namespace corvane
