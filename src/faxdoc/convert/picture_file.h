#pragma once
// Loading a picture file for the converter: netpbm (PBM, PGM, PPM, read here in every form),
// Windows BMP (read here, one-bit files with their palette), anything else Qt reads.

#include <QImage>
#include <QString>

#include "core/status.h"

namespace corvane {

// The picture in `path`; a failure names the file and says why.
Result<QImage> ReadPictureFile(const QString& path);

}  // namespace corvane
