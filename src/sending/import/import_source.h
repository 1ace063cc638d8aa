#pragma once
// The pages of one file being imported, each drawn in grey at its place on a fine fax page
// (import_geometry.h). One implementation per kind of file; the importer owns the source for
// the duration of one import.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "core/status.h"

namespace corvane {

class ImportSource {
  public:
    virtual ~ImportSource() = default;
    virtual int pageCount() const = 0;
    // Page `index` (from 0) as Format_Grayscale8, at most 1728 pixels wide, rows at 196 per
    // inch. A failure says why the page cannot be drawn, without naming the file.
    virtual Result<QImage> page(int index) = 0;
};

// Asked now and then during long steps that are not pages (a conversion by another
// program); false stops the step.
using KeepGoing = std::function<bool()>;

// Every opener fails with a reason that does not name the file; the importer adds the name.
Result<std::unique_ptr<ImportSource>> OpenPdfSource(const QString& path);
Result<std::unique_ptr<ImportSource>> OpenPostScriptSource(const QString& path,
                                                           const KeepGoing& keepGoing);
Result<std::unique_ptr<ImportSource>> OpenTiffSource(const QString& path);
Result<std::unique_ptr<ImportSource>> OpenPictureSource(const QString& path);

// A raster picture laid on the fax page: its size in inches from `dotsPerInchX/Y`, scaled and
// turned as PlacePage says, in grey. A bilevel picture that keeps its width (a fax page of
// standard resolution, say) has its rows repeated or dropped rather than blurred.
QImage PlacePicture(const QImage& picture, double dotsPerInchX, double dotsPerInchY, bool bilevel);

}  // namespace corvane
