#pragma once
// Page data between a Class 2 modem's serial port and spandsp's T.30: T.4 rows into TIFF
// pages that T.30 sends, and T.30's received pages back into rows.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::faxline {

// Page data as it crosses a Class 2 modem's serial port: T.4 coded lines, the first bit of
// the line in the lowest bit of each byte (DLE stuffing already removed).
using PageBytes = std::vector<uint8_t>;

// Decodes one page of one-dimensional T.4 data into a one-page TIFF that T.30 can send.
// Returns false when the file cannot be written.
bool WritePageTiff(const PageBytes& data, bool fine, int width, const std::string& tiffPath);

// Writes a TIFF of blank pages (one white row each) at the given resolution and width: the
// document T.30 takes its page format and page count from while the page data itself comes
// from elsewhere.
bool WriteBlankDocument(int pages, bool fine, int width, const std::string& tiffPath);

// Codes page `page` (0-based) of a TIFF as one-dimensional T.4 data ending in RTC.
bool ReadPageAsT4(const std::string& tiffPath, int page, PageBytes& out);

// Counts the pages in a TIFF (0 when it cannot be read).
int TiffPageCount(const std::string& tiffPath);

void ReverseBitsInPlace(PageBytes& data);

}  // namespace corvane::faxline
