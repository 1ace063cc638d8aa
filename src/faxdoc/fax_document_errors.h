#pragma once
// The one exception of the fax-document code that callers tell apart by its type: a file
// that is no APF file (or whose pages end early) against a file that cannot be read.
// Everything else (file errors, bitmaps that cannot be made, bad arguments, the converter's
// abort and unusable pictures) is thrown as EFaxError with its code from core/fax_errors.h;
// file errors through file_error_throwers.h.

#include "core/fax_errors.h"

namespace corvane {

// Not an APF file, a page beyond the page count, page data ending early. (Page operations
// that find where a damaged file stops decoding catch any EFaxError.)
class EFaxBadFormat : public EFaxError {
  public:
    EFaxBadFormat() : EFaxError(ecFaxBadFormat) {}
};

}  // namespace corvane
