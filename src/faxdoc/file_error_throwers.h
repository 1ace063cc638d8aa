#pragma once
// Throwing the file errors of the fax-document code as EFaxError with the code the failure
// stands for (core/fax_errors.h): "File not found", "Path not found", "File access denied",
// "Attempt to read beyond end of file", "Disk is full", "Disk write error",
// "File/device not open".

#include <QString>

namespace corvane {

// A file that cannot be opened for reading: "File not found" for an empty name or a missing
// file, "Path not found" when its folder is missing, "File access denied" else.
[[noreturn]] void ThrowOpenError(const QString& path);
// An output file that cannot be created: "Path not found" when its folder is missing,
// "File access denied" else ("File not found" for an empty name).
[[noreturn]] void ThrowCreateError(const QString& path);
// After a failed write, from errno: disk full, or a generic write error.
[[noreturn]] void ThrowWriteError();
[[noreturn]] void ThrowReadBeyondEnd();
// An operation on a writer whose file is not open.
[[noreturn]] void ThrowFileNotOpen();

}  // namespace corvane
