#pragma once
// Windows BMP files: a writer for one-bit images and a reader.

#include <QByteArray>
#include <QImage>
#include <QString>

#include "core/status.h"

namespace corvane {

// Codes `image` as an uncompressed 1-bit bottom-up BMP (BITMAPINFOHEADER, two palette
// entries: 0 black, 1 white). Other formats are reduced to black and white first (pixels
// darker than mid-grey become black). The resolution is taken from the image's dots per
// metre. Returns an empty array for a null image.
QByteArray EncodeMonoBmp(const QImage& image);
// Writes EncodeMonoBmp(image) to `path`; a failed write leaves no file.
Status WriteMonoBmp(const QImage& image, const QString& path);

// Reads a BMP. One-bit files (top-down or bottom-up, any two palette colours) come back as
// Format_Mono with the file's palette; other depths are read through Qt's BMP reader. Fails
// when the data are not a readable BMP.
Result<QImage> DecodeBmp(const QByteArray& bytes);
Result<QImage> ReadBmpFile(const QString& path);

}  // namespace corvane
