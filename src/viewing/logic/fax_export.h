#pragma once
// Saving a fax as ordinary image files: TIFF and DCX (one page or several in one file), PCX
// and BMP (one page), and PDF (one PDF page per fax page at the fax's physical size).
//
// Raster formats get square pixels: standard-resolution pages are written with every line
// twice. Every export writes the whole target or leaves none behind; decoding errors and
// file errors come back as a failed Status with the text shown to the user.

#include <QString>
#include <functional>
#include <optional>

#include "core/status.h"

namespace corvane {

// Values as stored in the setting LastExportType; Pdf is ours.
enum class ExportFormat { Tiff = 1, Bmp = 2, Pcx = 3, Dcx = 4, Pdf = 5 };

// "TIFF", "BMP", "PCX", "DCX", "PDF".
QString ExportFormatText(ExportFormat format);
// The file name extension: the first three letters of the text ("TIF", "BMP", ...).
QString ExportFormatExtension(ExportFormat format);
// BMP and PCX files hold one page only.
bool IsSinglePageFormat(ExportFormat format);
// The format for a stored LastExportType value; TIFF for anything unknown.
ExportFormat ExportFormatFromSetting(int value);
// The format for a file name's extension (.tif/.tiff, .bmp, .pcx, .dcx, .pdf), or none.
std::optional<ExportFormat> ExportFormatForFile(const QString& path);

// Called after each page written with (pages done, pages in all); returning false cancels
// the export (the target is then not written).
using ExportProgress = std::function<bool(int done, int total)>;

// Exports page `page` of `fax`, or every page when `page` is 0 (TIFF, DCX, PDF only; for BMP
// and PCX page 0 means page 1).
Status ExportFax(const QString& fax, const QString& target, ExportFormat format, int page,
                 const ExportProgress& progress = {});

// Pages first..last into one TIFF file. first 0 means 1, last 0 means the last page, a last
// above the page count is lowered to it.
Status ExportTiffPages(const QString& fax, const QString& target, int first, int last,
                       const ExportProgress& progress = {});

// Pages first..last (as ExportTiffPages) into one PDF file, each PDF page as large as the fax
// page (1728 dots at 204 dpi across; 98 or 196 lines per inch down), its bitmap stored at one
// bit per pixel, Flate-compressed, without resampling.
Status ExportPdfPages(const QString& fax, const QString& target, int first, int last,
                      const ExportProgress& progress = {});

}  // namespace corvane
