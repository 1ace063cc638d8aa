#pragma once
// Small APF fixtures built in the tests: raster pages, coded pages, whole files.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGlobal>
#include <random>
#include <string>
#include <vector>

namespace corvane::testing {

// A raster page: rows of width / 8 bytes, bit 7 of byte 0 leftmost, 1 = black.
struct Raster {
    int width = 1728;
    std::vector<QByteArray> rows;

    int rowBytes() const { return width / 8; }
    void addRow(const QByteArray& row) { rows.push_back(row); }
    void addWhite(int count = 1) {
        for (int i = 0; i < count; ++i) rows.emplace_back(rowBytes(), '\0');
    }
};

// Rows that look like text: words of black strokes with gaps, blank lines between text
// lines, a left margin. Deterministic for a seed.
Raster TextLikeRaster(int width, int rows, unsigned seed);
// A checkerboard of `cell`-pixel squares.
Raster Checkerboard(int width, int rows, int cell);
// Random pixels with a given black probability (worst case for the coder).
Raster RandomRaster(int width, int rows, double black, unsigned seed);

// The page's lines coded as records (CompressRasterLine, margin 0) plus the end-of-page
// record, as the converter writes them.
std::vector<QByteArray> CodedRecords(const Raster& raster, bool withEndOfPage = true);
// The same records concatenated: the bit stream a receiver would store.
QByteArray CodedStream(const Raster& raster, bool withEndOfPage = true);

struct FixturePage {
    quint16 flags = 0;        // ImageFlags as stored
    QByteArray data;          // image data as stored (records with counts, or a stream)
    qint64 imageLength = -1;  // stored ImageLength; -1 = data.size()
};

// Line-record page data: u16 count + bytes per record.
QByteArray RecordData(const std::vector<QByteArray>& records);
FixturePage RecordPage(const Raster& raster, quint16 extraFlags = 0);
FixturePage StreamPage(const QByteArray& stream, quint16 flags = 0);

// Whole file: header (PageCount = pages.size() unless given) + pages.
QByteArray BuildApf(const std::vector<FixturePage>& pages, int pageCount = -1,
                    const QString& stationId = QString());
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// Rows of a decoded QImage (Format_Mono, colour 0 black) as raster rows (1 = black), each cut
// to `bytes`.
std::vector<QByteArray> ImageRows(const QImage& image, int bytes);

// "" when equal, else where two row lists first differ (short, for test messages).
std::string RowsDiffer(const std::vector<QByteArray>& actual,
                       const std::vector<QByteArray>& expected);

}  // namespace corvane::testing
