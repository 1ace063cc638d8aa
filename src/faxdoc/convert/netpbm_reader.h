#pragma once
// Reading netpbm pictures (PBM, PGM, PPM) in all six forms: plain P1, P2, P3 and raw P4, P5,
// P6, with comments in the header (and in the data of the plain forms), any maxval from 1 to
// 65535, and plain PBM pixels written with or without blanks between them. Only the first
// picture of a file holding several is read.
//
// The result is Format_Mono for PBM (colour 0 white, 1 black, so the bits are the file's),
// Format_Grayscale8 for PGM and Format_RGB32 for PPM, samples scaled from maxval to 255.

#include <QByteArray>
#include <QImage>

#include "core/status.h"

namespace corvane {

// True when `bytes` start like a netpbm picture ("P1" to "P6").
bool LooksLikeNetpbm(const QByteArray& bytes);

// Decodes the first picture of `bytes`; a failure says what is wrong with the data.
Result<QImage> DecodeNetpbm(const QByteArray& bytes);

}  // namespace corvane
