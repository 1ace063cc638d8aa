#pragma once
// ITU-T T.4 one-dimensional (Modified Huffman) coding of raster lines, in the bit order fax
// modems use: the first bit of the stream is the least significant bit of the first byte.
//
// Raster lines: bit 7 of byte 0 is the leftmost pixel, a 1 bit is black.

#include <QByteArray>
#include <QtGlobal>

namespace corvane {

// No coded line (record body) is longer than this: 2048 alternating pixels cost at most
// 4.5 bits each, plus the EOL, a margin run and the closing zero bytes.
inline constexpr int kMaxCompressedLineBytes = 1536;
inline constexpr int kEndOfPageBytes = 12;

// Codes one scan line of `width` pixels (1728 or 2048): `leftMargin` white pixels, then the
// first width - leftMargin pixels of `raster`, which holds at least width / 8 bytes. The
// record starts with an EOL behind four fill bits (00 80) and ends with 9 to 16 zero bits.
// Writes into `out` (room for kMaxCompressedLineBytes) and returns the byte count.
int CompressRasterLine(const uchar* raster, int width, int leftMargin, uchar* out);
QByteArray CompressRasterLine(const uchar* raster, int width, int leftMargin);

// The end-of-page record: 00 80 00 08 80 00 08 80 00 08 80 00.
QByteArray MakeEndOfPage();

}  // namespace corvane
