#pragma once
// Quarter-turn rotation of one-bit images (Format_Mono), pixel for pixel.

#include <QImage>

namespace corvane {

// `image` turned clockwise by `quarterTurns` x 90 degrees (taken modulo 4). A quarter or
// three-quarter turn swaps width and height. The colour table and resolution travel along
// (dots per metre swapped with the axes).
QImage RotateMonoImage(const QImage& image, int quarterTurns);

}  // namespace corvane
