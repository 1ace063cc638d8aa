#pragma once
// The four files of a cover template, one base name in CoversFolder:
//   ".FCS" design file (design_stream.h), ".FCT" render file (render_file.h),
//   ".bmp" preview picture (816 x 1056, black and white), ".DES" description (one line, CR LF).
// Every file is written as a new file renamed into place, so a crash never leaves a
// half-written template behind.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/status.h"
#include "covers/fax_graphic_control.h"
#include "covers/template_file_io.h"

namespace corvane {

// The design page the objects live on, in design pixels.
inline constexpr int kDesignPageWidth = 768;
inline constexpr int kDesignPageHeight = 960;
inline const QString kDefaultDescription = QStringLiteral("[Description]");

// Writes the design file, the render file, the preview and the description, in that order.
// Objects off the page (Top > page height - 10, Left > page width - 10, or no width or height)
// are removed from `objects` first; every object is saved at zoom 1 and gets its zoom back.
Status SaveTemplate(const QString& designPath, CoverObjectList& objects,
                    const QString& description);
// Reads a design file. Objects are named "Component" + the smallest free number; text objects
// are grown to fit their captions.
Result<CoverObjectList> LoadTemplate(const QString& designPath);
// The first line of the template's ".DES" file; empty when there is none.
QString ReadDescription(const QString& templatePath);
// Deletes the ".FCS", ".FCT", ".DES" and ".BMP" files of a design file's base name (failures
// to delete are ignored); anything but a design file is refused.
Status DeleteTemplate(const QString& designPath);

// The first of QX0001.FCS .. QX9999.FCS, QX0000.FCS that does not exist in `folder`; empty
// when all do.
QString ProposeTemplateName(const QString& folder);
// A template as the fax editor names it: the render file's name, so any name whose last
// character is not "T" or "t" gets the extension ".fct".
QString RenderFileNameFor(const QString& name);

struct TemplateEntry {
    QString designPath;  // the ".FCS" file
    QString description;
};
// Every design file in `folder`, sorted by name without regard to case.
std::vector<TemplateEntry> ListTemplates(const QString& folder);

}  // namespace corvane
