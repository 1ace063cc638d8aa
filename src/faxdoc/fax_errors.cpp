#include "faxdoc/fax_errors.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace corvane {

void ThrowOpenError(const QString& path) {
    if (path.isEmpty()) throw EFaxFileError(kErrFileNotFound, kTextFileNotFound);
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!info.absoluteDir().exists()) throw EFaxFileError(kErrPathNotFound, kTextPathNotFound);
        throw EFaxFileError(kErrFileNotFound, kTextFileNotFound);
    }
    throw EFaxFileError(kErrAccessDenied, kTextAccessDenied);
}

void ThrowCreateError(const QString& path) {
    if (path.isEmpty()) throw EFaxFileError(kErrFileNotFound, kTextFileNotFound);
    if (!QFileInfo(path).absoluteDir().exists())
        throw EFaxFileError(kErrPathNotFound, kTextPathNotFound);
    throw EFaxFileError(kErrAccessDenied, kTextAccessDenied);
}

void ThrowWriteError() {
    if (errno == ENOSPC || errno == EDQUOT) throw EFaxFileError(kErrDiskFull, kTextDiskFull);
    throw EFaxFileError(kErrDiskWrite, kTextDiskWrite);
}

void ThrowReadBeyondEnd() {
    throw EFaxFileError(kErrReadBeyondEnd, kTextReadBeyondEnd);
}

}  // namespace corvane
