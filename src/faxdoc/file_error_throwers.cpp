#include "faxdoc/file_error_throwers.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "core/fax_errors.h"

namespace corvane {

void ThrowOpenError(const QString& path) {
    if (path.isEmpty()) throw EFaxError(ecFileNotFound);
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!info.absoluteDir().exists()) throw EFaxError(ecPathNotFound);
        throw EFaxError(ecFileNotFound);
    }
    throw EFaxError(ecAccessDenied);
}

void ThrowCreateError(const QString& path) {
    if (path.isEmpty()) throw EFaxError(ecFileNotFound);
    if (!QFileInfo(path).absoluteDir().exists()) throw EFaxError(ecPathNotFound);
    throw EFaxError(ecAccessDenied);
}

void ThrowWriteError() {
    if (errno == ENOSPC || errno == EDQUOT) throw EFaxError(ecDiskFull);
    throw EFaxError(ecDiskWrite);
}

void ThrowReadBeyondEnd() {
    throw EFaxError(ecReadBeyondEnd);
}

void ThrowFileNotOpen() {
    throw EFaxError(ecDeviceNotOpen);
}

}  // namespace corvane
