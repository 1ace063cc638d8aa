#pragma once
// Errors raised by the fax-document code. Each carries a numeric code and the text shown to
// the user; the texts are fixed and callers compare against the constants below.

#include <QString>

#include "core/fax_errors.h"

namespace corvane {

inline const char* const kTextNotApfFile = "File is not an APF file";
inline const char* const kTextFileNotFound = "File not found";
inline const char* const kTextPathNotFound = "Path not found";
inline const char* const kTextAccessDenied = "File access denied";
inline const char* const kTextReadBeyondEnd = "Attempt to read beyond end of file";
inline const char* const kTextFileNotOpen = "File not open";
inline const char* const kTextDiskFull = "Disk is full";
inline const char* const kTextDiskRead = "Disk read error";
inline const char* const kTextDiskWrite = "Disk write error";
inline const char* const kTextBadArgument = "Bad argument passed to function";
inline const char* const kTextCantMakeBitmap = "CreateBitmapIndirect API failure";

// Codes of the input/output errors, numbered as the operating-system errors they stand for.
inline constexpr int kErrFileNotFound = 2;
inline constexpr int kErrPathNotFound = 3;
inline constexpr int kErrAccessDenied = 5;
inline constexpr int kErrReadBeyondEnd = 38;
inline constexpr int kErrDiskFull = 112;
inline constexpr int kErrFileNotOpen = 103;
inline constexpr int kErrDiskRead = 30;
inline constexpr int kErrDiskWrite = 29;
// Codes of the fax-document errors.
inline constexpr int kErrFaxBadFormat = -8001;
inline constexpr int kErrFaxBadArgument = -8002;
inline constexpr int kErrCantMakeBitmap = -8003;

// The fax-document branch of the program's error family: callers that only need the code and
// the text catch EFaxError.
class FaxError : public EFaxError {
  public:
    FaxError(int code, const QString& text) : EFaxError(code, text) {}
};

// Not an APF file, a page beyond the page count, page data ending early.
class EFaxBadFormat : public FaxError {
  public:
    EFaxBadFormat() : FaxError(kErrFaxBadFormat, kTextNotApfFile) {}
};

// A file could not be opened, read or written.
class EFaxFileError : public FaxError {
  public:
    using FaxError::FaxError;
};

class EFaxBadArgument : public FaxError {
  public:
    EFaxBadArgument() : FaxError(kErrFaxBadArgument, kTextBadArgument) {}
};

class ECantMakeBitmap : public FaxError {
  public:
    ECantMakeBitmap() : FaxError(kErrCantMakeBitmap, kTextCantMakeBitmap) {}
};

// The error for a file that cannot be opened for reading: "File not found" for an empty name
// or a missing file, "Path not found" when its folder is missing, "File access denied" else.
[[noreturn]] void ThrowOpenError(const QString& path);
// The error for an output file that cannot be created: "Path not found" when its folder is
// missing, "File access denied" else ("File not found" for an empty name).
[[noreturn]] void ThrowCreateError(const QString& path);
// The error after a failed write (disk full, or a generic write error).
[[noreturn]] void ThrowWriteError();
[[noreturn]] void ThrowReadBeyondEnd();

}  // namespace corvane
