#include "viewing/logic/export_dialog_state.h"

#include <algorithm>

namespace corvane {

ExportDialogState::ExportDialogState(int pageCount, int lastExportType, Pages pages)
    : pageCount_(std::max(pageCount, 1)),
      pages_(pages),
      format_(ExportFormatFromSetting(lastExportType)) {}

void ExportDialogState::setPage(int page) {
    page_ = std::clamp(page, 1, pageCount_);
}

void ExportDialogState::setAllPages(bool on) {
    allPages_ = on && allPagesEnabled();
    if (allPages_ && IsSinglePageFormat(format_)) format_ = ExportFormat::Tiff;
}

void ExportDialogState::setFormat(ExportFormat format) {
    if (formatEnabled(format)) format_ = format;
}

bool ExportDialogState::formatEnabled(ExportFormat format) const {
    return !(allPages_ && IsSinglePageFormat(format));
}

QString ExportDialogState::thisFaxText() const {
    // From the viewer the pages are those it shows, a joined cover among them.
    if (pages_ == Pages::AsViewed)
        return QString("This fax has a total of %1 page(s), exported as the viewer shows them")
            .arg(pageCount_);
    return QString(
               "This fax has a total of %1 page(s).  The cover page is not included when "
               "exporting")
        .arg(pageCount_);
}

QString ExportDialogState::allPagesButtonText() const {
    if (pageCount_ > 1) return QString("All %1 pages").arg(pageCount_);
    return "All Pages";
}

QString ExportDialogState::actionText() const {
    const QString type = ExportFormatText(format_);
    if (allPages_) return "Export all pages of current fax, saving as type " + type;
    return QString("Export page %1 of current fax, saving as type %2").arg(page_).arg(type);
}

QString ExportDialogState::saveFileName() const {
    return "*." + ExportFormatExtension(format_);
}

QString ExportDialogState::saveFilter() const {
    const QString ext = ExportFormatExtension(format_);
    return QString("%1 File (*.%2 *.%3)").arg(ExportFormatText(format_), ext, ext.toLower());
}

}  // namespace corvane
