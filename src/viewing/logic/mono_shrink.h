#pragma once
// Shrinking a one-bit page by whole factors for the screen: each shown pixel is the average
// of the block of page pixels it stands for, blended between the ink and paper colours, so
// that small print stays readable. Much cheaper than a general smooth scale of the page.

#include <QImage>
#include <QRgb>

namespace corvane {

// True when `page` shrinks to `size` by whole factors (page width = factor x shown width,
// the same for the height) that ShrinkMonoPage handles.
bool CanShrinkMonoPage(const QImage& page, const QSize& size);

// `page` (Format_Mono, colour 0 ink, 1 paper) shrunk to `size` as Format_RGB32; requires
// CanShrinkMonoPage.
QImage ShrinkMonoPage(const QImage& page, const QSize& size, QRgb ink, QRgb paper);

}  // namespace corvane
