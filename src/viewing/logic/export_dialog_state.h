#pragma once
// The choices of the export dialog and what they enable: which page or all pages, the file
// format, the texts of its labels and of the save dialog.

#include <QString>

#include "viewing/logic/fax_export.h"

namespace corvane {

class ExportDialogState {
  public:
    // Which pages the fax given to the dialog holds: the document alone (the log windows
    // export a fax without its cover) or the pages as the viewer shows them.
    enum class Pages { DocumentOnly, AsViewed };
    // `pageCount` pages; the format as stored in LastExportType.
    ExportDialogState(int pageCount, int lastExportType, Pages pages = Pages::DocumentOnly);

    int pageCount() const { return pageCount_; }
    int page() const { return page_; }
    // Clamped to 1..pageCount.
    void setPage(int page);
    bool allPages() const { return allPages_; }
    // All pages only when there is more than one; it switches BMP and PCX to TIFF.
    void setAllPages(bool on);
    ExportFormat format() const { return format_; }
    // BMP and PCX are refused while all pages are chosen.
    void setFormat(ExportFormat format);

    bool allPagesEnabled() const { return pageCount_ > 1; }
    bool formatEnabled(ExportFormat format) const;
    bool pageChooserVisible() const { return !allPages_; }

    QString thisFaxText() const;         // "This fax has a total of 3 page(s).  ..."
    QString allPagesButtonText() const;  // "All Pages" or "All 3 pages"
    QString actionText() const;          // "Export page 2 of current fax, saving as type TIFF"
    QString saveFileName() const;        // "*.TIF"
    QString saveFilter() const;          // "TIFF File (*.TIF)"
    // Page to hand to ExportFax: 0 for all pages.
    int exportPage() const { return allPages_ ? 0 : page_; }

  private:
    int pageCount_;
    Pages pages_;
    int page_ = 1;
    bool allPages_ = false;
    ExportFormat format_;
};

}  // namespace corvane
