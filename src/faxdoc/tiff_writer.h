#pragma once
// Single-page TIFF files from one-bit page bitmaps (Format_Mono, colour 0 black, 1 white):
//
//   bytes 0-7    "II", 42, first directory at 8
//   bytes 8-117  entry count 9 and nine entries: SubfileType, ImageWidth, ImageLength,
//                BitsPerSample, Compression (PackBits), PhotometricInterpretation
//                (WhiteIsZero), StripOffsets (118), RowsPerStrip, StripByteCounts
//   byte 118     the strip: every row PackBits-coded, a 1 bit black
//
// The directory has no room for a next-directory offset, so a reader takes the strip's
// first four bytes for it. Those bytes are zero whenever the first row starts with 16 white
// pixels (the coder then writes them as two one-byte literals of white), which is so on every
// fax page with a margin: such a file keeps exactly this layout. A page whose first row has
// ink in its first 16 pixels gets a zero next-directory offset at byte 118 and its strip at
// byte 122 instead; StripOffsets always says where the strip is, so a reader of these files
// (the multi-page export among them) takes the strip from there.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace corvane {

inline constexpr int kTiffHeaderBytes = 118;
inline constexpr int kTiffHeaderWithNextOffsetBytes = 122;

// Strip position of the single-page file for a coded strip (see above).
quint32 SinglePageStripOffset(const QByteArray& strip);

// PackBits (TIFF 6.0) coding of one row: runs of 2..128 equal bytes as (1 - n, byte),
// literal stretches of up to 128 bytes as (n - 1, bytes...).
void PackBitsRow(const uchar* row, int bytes, QByteArray& out);

QByteArray EncodeSinglePageTiff(const QImage& page);
// Writes the header first (StripByteCounts 0), then the strip, then the final header.
// Throws EFaxError; a failed file is removed.
void WriteSinglePageTiff(const QImage& page, const QString& path);

// A complete TIFF file of one or more pages for use outside the program: per page a
// directory of the nine entries above plus XResolution and YResolution (from the images' dots
// per metre) and a next-directory offset, then the PackBits strip and the two resolution
// values. Throws EFaxError; a failed file is removed.
QByteArray EncodeTiffPages(const QList<QImage>& pages);
void WriteTiffPages(const QList<QImage>& pages, const QString& path);

}  // namespace corvane
