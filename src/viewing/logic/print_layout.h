#pragma once
// Where a fax page goes on a printed sheet: the header and footer texts, the sheet breaks
// and slots of several pages per sheet, and the size a page is drawn at. Plain geometry in
// printer pixels, so the print loop only draws what this computes.

#include <QDateTime>
#include <QRect>
#include <QSize>
#include <QString>

namespace corvane {

// Fills a header or footer caption: each "$" starts a token that runs to the next space; the
// letter after the "$" (either case) picks the replacement: D today's date, T the time, F the
// fax file's full path, N the page count, P the page number; any other token is dropped.
// Replacements are never searched again, so a "$" inside a file name stays as it is.
QString ExpandMarginText(const QString& caption, int page, int pageCount, const QString& fileName,
                         const QDateTime& now = QDateTime::currentDateTime());

// Fax pages per sheet when printing several to a sheet: 4 in portrait, 2 in landscape.
int PagesPerSheet(bool multiPage, bool landscape);
// True when page `page` of a run starting at `first` begins a new sheet.
bool StartsNewSheet(int page, int first, bool multiPage, bool landscape);

// The part of the printable area `printable` that page `page` of a run from `first` uses:
// the whole area, or with several pages per sheet its quarter (portrait: top left, top
// right, bottom left, bottom right) or half (landscape: left, right), 2 pixels in on each
// side.
QRect FaxSlotRect(const QRect& printable, int page, int first, bool multiPage, bool landscape);

struct FaxPlacement {
    QRect target;  // printer pixels, at the slot's top left
    QRect source;  // bitmap pixels drawn into it
};

// Stretch: the page fills 93% of the slot's width and its height (a page wider than 1728
// pixels no more than the height). True size: bitmap pixels at 200 per inch on the
// printer's resolution; what does not fit below the slot is cut off, never squeezed.
FaxPlacement PlaceFaxBitmap(const QRect& slot, QSize bitmap, bool stretch, int printerDpiX,
                            int printerDpiY);

}  // namespace corvane
