#pragma once
// Single-page TIFF files from one-bit page bitmaps (Format_Mono, colour 0 black, 1 white):
//
//   bytes 0-7    "II", 42, first directory at 8
//   bytes 8-117  entry count 9 and nine entries: SubfileType, ImageWidth, ImageLength,
//                BitsPerSample, Compression (PackBits), PhotometricInterpretation
//                (WhiteIsZero), StripOffsets (118), RowsPerStrip, StripByteCounts
//   byte 118     the strip: every row PackBits-coded, a 1 bit black
//
// The multi-page export copies these directories and strips into its own file and relies on
// the strip starting right after the nine entries. The directory has no room for a
// next-directory offset, so a reader takes the strip's first four bytes for it; the coder
// makes those four bytes zero whenever the first row starts with 16 white pixels (always so
// on a fax page with its margins), so that readers see a single, complete directory.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace corvane {

inline constexpr int kTiffHeaderBytes = 118;

// PackBits (TIFF 6.0) coding of one row: runs of 2..128 equal bytes as (1 - n, byte),
// literal stretches of up to 128 bytes as (n - 1, bytes...).
void PackBitsRow(const uchar* row, int bytes, QByteArray& out);

QByteArray EncodeSinglePageTiff(const QImage& page);
// Writes the header first (StripByteCounts 0), then the strip, then the final header.
// Throws EFaxFileError; a failed file is removed.
void WriteSinglePageTiff(const QImage& page, const QString& path);

// A complete TIFF file of one or more pages for use outside the program: per page a
// directory of the nine entries above plus XResolution and YResolution (from the images' dots
// per metre) and a next-directory offset, then the PackBits strip and the two resolution
// values. Throws EFaxFileError; a failed file is removed.
QByteArray EncodeTiffPages(const QList<QImage>& pages);
void WriteTiffPages(const QList<QImage>& pages, const QString& path);

}  // namespace corvane
