#pragma once
// Reading the pages of a TIFF fax (any compression libtiff knows, typically CCITT G3/G4) as
// one-bit images, so that a TIFF fax can be viewed like an APF one.

#include <QImage>
#include <QList>
#include <QString>

#include "core/status.h"

namespace corvane {

struct TiffFaxPage {
    QImage image;      // Format_Mono, colour 0 black, 1 white
    bool fine = true;  // more than 150 lines per inch
};

// Every page of `path`; fails for a file libtiff cannot read or a page wider than 2048
// pixels.
Result<QList<TiffFaxPage>> ReadTiffFaxPages(const QString& path);

// True when the file starts like a TIFF ("II*\0" or "MM\0*").
bool LooksLikeTiff(const QString& path);

// Converts a TIFF fax into an APF file at `apf`, page for page.
Status ConvertTiffToFax(const QString& tiff, const QString& apf);

}  // namespace corvane
