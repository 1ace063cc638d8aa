#pragma once
// TFxFaxConverter: turns page images into APF files. This program feeds it the cover page
// bitmaps (in memory, or as a BMP file when that fails) and writes one fine-resolution page
// per picture.
//
//   TFxFaxConverter converter;
//   converter.SetOptions(coYield);
//   converter.SetResolution(frHigh);
//   converter.SetLeftMargin(0);
//   converter.SetOutFileName(target);
//   converter.ConvertBitmapToApf(bitmap);   // throws EFaxError; no partial file is left
//
// Conversion runs on the caller's thread; with coYield it services the event queue between
// pages (and every 16 lines with coYieldOften) so that windows stay responsive.

#include <QFont>
#include <QImage>
#include <QString>
#include <functional>

#include "faxdoc/apf_format.h"
#include "faxdoc/convert/fax_font.h"

namespace corvane {

class ConversionInput;

enum TFaxInputDocumentType {
    idNone,
    idText,
    idTextEx,
    idTiff,
    idPcx,
    idDcx,
    idBmp,
    idBitmap,
    idUser
};

// The members of TFaxCvtOptions.
enum FaxCvtOption : unsigned {
    coDoubleWidth = 0x01,  // standard resolution: pixels doubled when the picture fits twice
    coHalfHeight = 0x02,   // standard resolution without doubling: every other line only
    coCenterImage = 0x04,  // lines shifted right to centre the picture
    coYield = 0x08,        // service the event queue after each page
    coYieldOften = 0x10,   // ... and after every 16th line
};
using TFaxCvtOptions = unsigned;  // set of FaxCvtOption bits

enum TFaxFont { ffStandard, ffSmall };

// What a status handler is told. It is called when the conversion starts, for every line
// requested from the input, and when it ends.
struct FaxConvertStatus {
    bool starting = false;
    bool ending = false;
    int pagesConverted = 0;
    int linesConverted = 0;
    qint64 bytesConverted = 0;
    qint64 bytesToConvert = 0;
};

class TFxCustomFaxConverter {
  public:
    // Setting `abort` stops the conversion with "User aborted fax conversion".
    using StatusHandler = std::function<void(const FaxConvertStatus& status, bool& abort)>;
    // Sees every line record as it is written (after the margin lines, before end of page).
    using OutputLineHandler = std::function<void(const QByteArray& record)>;

    TFxCustomFaxConverter();
    virtual ~TFxCustomFaxConverter();

    // Converts `bitmap` (any QImage; one page, one line per row) into a new APF file at
    // OutFileName. InputDocumentType is idBitmap for the duration of the call.
    void ConvertBitmapToApf(const QImage& bitmap);
    // Converts DocumentFile according to InputDocumentType; idBmp is the kind this program
    // uses, and it reads any picture file ReadPictureFile reads.
    void ConvertDocumentToApf();
    // The APF path a conversion writes: OutFileName (".APF" added when it has no extension),
    // else DocumentFile with its extension replaced by ".APF".
    QString OutputFileName() const;

    TFaxInputDocumentType InputDocumentType() const { return inputDocumentType_; }
    void SetInputDocumentType(TFaxInputDocumentType type) { inputDocumentType_ = type; }
    TFaxCvtOptions Options() const { return options_; }
    // A set with coYieldOften also gets coYield.
    void SetOptions(TFaxCvtOptions options);
    TFaxResolution Resolution() const { return resolution_; }
    void SetResolution(TFaxResolution resolution) { resolution_ = resolution; }
    TFaxWidth Width() const { return width_; }
    void SetWidth(TFaxWidth width) { width_ = width; }
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int lines) { topMargin_ = lines; }
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int pixels) { leftMargin_ = pixels; }
    int LinesPerPage() const { return linesPerPage_; }
    void SetLinesPerPage(int lines) { linesPerPage_ = lines; }
    int TabStop() const { return tabStop_; }
    void SetTabStop(int tabStop) { tabStop_ = tabStop; }
    QString FontFile() const { return fontFile_; }
    void SetFontFile(const QString& name) { fontFile_ = name; }
    TFaxFont FontType() const { return fontType_; }
    void SetFontType(TFaxFont type) { fontType_ = type; }
    QFont EnhFont() const { return enhFont_; }
    void SetEnhFont(const QFont& font) { enhFont_ = font; }
    QString DocumentFile() const { return documentFile_; }
    // Also sets OutFileName to the same path with the extension ".APF".
    void SetDocumentFile(const QString& path);
    QString OutFileName() const { return outFileName_; }
    void SetOutFileName(const QString& path) { outFileName_ = path; }
    QString DefUserExtension() const { return defUserExtension_; }
    void SetDefUserExtension(const QString& extension) { defUserExtension_ = extension; }

    void SetOnStatus(StatusHandler handler) { onStatus_ = std::move(handler); }
    void SetOnOutputLine(OutputLineHandler handler) { onOutputLine_ = std::move(handler); }

  private:
    void Convert(ConversionInput& input);

    TFaxInputDocumentType inputDocumentType_ = idNone;
    TFaxCvtOptions options_ = coDoubleWidth | coCenterImage | coYield;
    TFaxResolution resolution_ = frNormal;
    TFaxWidth width_ = fwNormal;
    int topMargin_ = 0;
    int leftMargin_ = 50;
    int linesPerPage_ = 60;
    int tabStop_ = 4;
    QString fontFile_ = QLatin1String(kDefaultFaxFontFile);
    TFaxFont fontType_ = ffStandard;
    QFont enhFont_;
    QString documentFile_;
    QString outFileName_;
    QString defUserExtension_;
    StatusHandler onStatus_;
    OutputLineHandler onOutputLine_;
};

class TFxFaxConverter : public TFxCustomFaxConverter {};

}  // namespace corvane
