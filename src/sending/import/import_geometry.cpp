#include "sending/import/import_geometry.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// The factor that fits `acrossInches` into the fax width; pages that fit keep their size.
double FitAcross(double acrossInches) {
    return std::min(1.0, kImportPageWidth / (acrossInches * kFineDotsPerInch));
}

}  // namespace

PagePlacement PlacePage(double widthInches, double heightInches) {
    PagePlacement p;
    const double upright = FitAcross(widthInches);
    const double turned = FitAcross(heightInches);
    p.rotate = widthInches > heightInches && turned > upright;
    const double across = p.rotate ? heightInches : widthInches;
    const double down = p.rotate ? widthInches : heightInches;
    double scale = p.rotate ? turned : upright;
    scale = std::min(scale, kMaxImportPageInches / down);
    p.dotsPerInch = kFineDotsPerInch * scale;
    p.linesPerInch = kFineLinesPerInch * scale;
    p.width =
        std::clamp(static_cast<int>(std::lround(across * p.dotsPerInch)), 1, kImportPageWidth);
    p.height = std::max(1, static_cast<int>(std::lround(down * p.linesPerInch)));
    return p;
}

}  // namespace corvane
