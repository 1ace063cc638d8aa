#pragma once
// Test helpers: the line records of a converted APF file, and their pixels decoded back by
// Corvane's decoder and by libtiff's fax2tiff.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "faxdoc/apf_format.h"

namespace corvane::testing {

struct ConvertedPage {
    ApfPageHeader header;
    std::vector<QByteArray> records;  // record bodies, the u16 counts stripped
};

struct ConvertedApf {
    ApfFileHeader header;
    std::vector<ConvertedPage> pages;
    bool chainEndsAtFileEnd = false;  // the page headers walk exactly to the last byte
    bool recordsFillPages = false;    // every page's records add up to its ImageLength
};

ConvertedApf ReadConvertedApf(const QString& path);

// The page's lines decoded with T4Decoder: one QByteArray of width / 8 bytes per line,
// bit 7 leftmost, 1 = black.
std::vector<QByteArray> DecodeWithCorvane(const ConvertedPage& page);
// Page 1 of the file through TFxFaxUnpacker's bitmap output, unscaled, as ink rows.
std::vector<QByteArray> UnpackWithCorvane(const QString& path);
// The same through fax2tiff and tifftopnm; empty when the tools fail.
std::vector<QByteArray> DecodeWithLibtiff(const ConvertedPage& page, const QString& workFolder);

// "" when equal, else the line count or the first differing pixel, for test messages.
std::string FirstDifference(const std::vector<QByteArray>& actual,
                            const std::vector<QByteArray>& expected);

// Pixel (x, y) of a decoded page; out-of-range pixels are white.
bool Black(const std::vector<QByteArray>& lines, int x, int y);
// The rows of `image` as ink rows of `width` pixels (1 = dark), for comparing with decoded
// lines. `shift` moves the picture right, as a left margin does.
std::vector<QByteArray> InkRows(const QImage& image, int width, int shift = 0);

}  // namespace corvane::testing
