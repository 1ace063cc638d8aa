#pragma once
// The exceptions of the fax-document code that callers tell apart from other EFaxError
// codes. Everything else (file errors, bad arguments, font errors) is thrown as EFaxError
// with its code from core/fax_errors.h; file errors through file_error_throwers.h.

#include "core/fax_errors.h"

namespace corvane {

// Not an APF file, a page beyond the page count, page data ending early. Page operations
// catch it to find where a damaged file stops decoding.
class EFaxBadFormat : public EFaxError {
  public:
    EFaxBadFormat() : EFaxError(ecFaxBadFormat) {}
};

// A page bitmap could not be created or stretched.
class ECantMakeBitmap : public EFaxError {
  public:
    ECantMakeBitmap() : EFaxError(ecCantMakeBitmap) {}
};

}  // namespace corvane
