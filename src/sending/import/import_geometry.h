#pragma once
// Where an imported page lands on a fine-resolution fax page: 1728 pixels across at 204 per
// inch, 196 lines per inch down. A page keeps its true size when it fits across; a wider one
// is scaled down to the fax width, and a landscape page is turned a quarter counter-clockwise
// when that lets it come out larger.

namespace corvane {

inline constexpr int kImportPageWidth = 1728;
inline constexpr double kFineDotsPerInch = 204.0;
inline constexpr double kFineLinesPerInch = 196.0;
// Longer pages are scaled down further: a 100-inch page is already far beyond any paper a
// fax machine prints on, and its raster would take tens of megabytes.
inline constexpr double kMaxImportPageInches = 100.0;

struct PagePlacement {
    bool rotate = false;  // turned a quarter counter-clockwise
    // Pixels per inch of the source page as laid on the fax page (after turning).
    double dotsPerInch = kFineDotsPerInch;
    double linesPerInch = kFineLinesPerInch;
    int width = 0;   // 1..kImportPageWidth
    int height = 0;  // at least 1
};

// A page of `widthInches` x `heightInches` as it is shown; both must be positive.
PagePlacement PlacePage(double widthInches, double heightInches);

}  // namespace corvane
