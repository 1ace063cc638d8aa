#pragma once
// The converter's exceptions that callers tell apart: an aborted conversion and an input
// that is no usable picture. The font errors and bad arguments are plain EFaxError codes
// (ecFaxFontBad, ecFontTooLarge, ecBadArgument); output file errors come from ApfWriter.

#include "core/fax_errors.h"

namespace corvane {

// The status handler asked to stop (ecConvertAbort), or a quit message arrived while
// messages were serviced (ecGotQuitMessage).
class EConvertAbort : public EFaxError {
  public:
    explicit EConvertAbort(int code = ecConvertAbort) : EFaxError(code) {}
};

// An input file that cannot be loaded as a picture, or an input kind not handled.
class EBadGraphicsFormat : public EFaxError {
  public:
    EBadGraphicsFormat() : EFaxError(ecBadGraphicsFormat) {}
};

}  // namespace corvane
