#pragma once
// Errors of the converter, the fax font and the header line. File errors of the output come
// from ApfWriter as EFaxFileError.

#include "faxdoc/fax_errors.h"

namespace corvane {

inline const char* const kTextConvertAborted = "User aborted fax conversion";
inline const char* const kTextGotQuitMessage = "Got quit message";
inline const char* const kTextBadGraphicsFormat = "Unsupported graphics file format";
inline const char* const kTextFontTooLarge = "Font selected for enhanced text converter too large";
inline const char* const kDefaultFaxFontFile = "FXFAX.FNT";
// Shown as FontFile + this; with the default name "FXFAX.FNT not found, or resource bad".
inline const char* const kTextFaxFontBadSuffix = " not found, or resource bad";

inline constexpr int kErrConvertAbort = -8010;
inline constexpr int kErrBadGraphicsFormat = -8011;
inline constexpr int kErrFaxFontBad = -8012;
inline constexpr int kErrFontTooLarge = -8013;

// The status handler asked to stop, or a quit message arrived while messages were serviced.
class EConvertAbort : public FaxError {
  public:
    explicit EConvertAbort(const QString& text = kTextConvertAborted)
        : FaxError(kErrConvertAbort, text) {}
};

// An input file that cannot be loaded as a picture, or an input kind not handled.
class EBadGraphicsFormat : public FaxError {
  public:
    EBadGraphicsFormat() : FaxError(kErrBadGraphicsFormat, kTextBadGraphicsFormat) {}
};

// The fax font block is missing or has the wrong size, or a glyph size was asked for that
// the block does not hold.
class EFaxFontBad : public FaxError {
  public:
    explicit EFaxFontBad(const QString& fontFile = kDefaultFaxFontFile)
        : FaxError(kErrFaxFontBad, fontFile + kTextFaxFontBadSuffix) {}
};

// The header work bitmap of a system font would exceed 65536 bytes.
class EFontTooLarge : public FaxError {
  public:
    EFontTooLarge() : FaxError(kErrFontTooLarge, kTextFontTooLarge) {}
};

}  // namespace corvane
