#pragma once
// Pictures stored in cover files are BMP data with a BITMAPINFOHEADER. Their size is checked
// from the header before any decoder allocates the pixels, so a damaged file cannot ask for
// gigabytes.

#include <QByteArray>

#include "core/status.h"

namespace corvane {

// Stored pictures are at most this large on a side (the design page is 768 x 960).
constexpr qint32 kMaxStoredPictureSide = 8192;

// Ok when the width and height at header offsets 18 and 22 lie within kMaxStoredPictureSide
// (a negative height marks a top-down picture); otherwise says what is wrong.
Status CheckStoredPictureSize(const QByteArray& bmp);

}  // namespace corvane
