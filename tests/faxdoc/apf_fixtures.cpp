#include "apf_fixtures.h"

#include <QFile>
#include <QImage>

#include "core/little_endian.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/t4_encoder.h"

namespace corvane::testing {

namespace {

void setPixels(QByteArray& row, int from, int to) {
    for (int x = from; x < to; ++x) row[x >> 3] = char(uchar(row[x >> 3]) | (0x80 >> (x & 7)));
}

}  // namespace

Raster TextLikeRaster(int width, int rows, unsigned seed) {
    std::mt19937 rng(seed);
    Raster r;
    r.width = width;
    int y = 0;
    while (y < rows) {
        // A text line of 12..24 rows, then 6..20 blank rows.
        const int height = 12 + int(rng() % 13);
        for (int i = 0; i < height && y < rows; ++i, ++y) {
            QByteArray row(r.rowBytes(), '\0');
            int x = 100 + int(rng() % 40);
            while (x < width - 120) {
                const int stroke = 1 + int(rng() % 6);
                if (rng() % 3) setPixels(row, x, std::min(width, x + stroke));
                x += stroke + 1 + int(rng() % 9);
                if (rng() % 11 == 0) x += 12 + int(rng() % 20);  // a space between words
            }
            r.addRow(row);
        }
        const int gap = 6 + int(rng() % 15);
        for (int i = 0; i < gap && y < rows; ++i, ++y) r.addWhite();
    }
    return r;
}

Raster Checkerboard(int width, int rows, int cell) {
    Raster r;
    r.width = width;
    for (int y = 0; y < rows; ++y) {
        QByteArray row(r.rowBytes(), '\0');
        for (int x = 0; x < width; ++x)
            if (((x / cell) + (y / cell)) % 2) setPixels(row, x, x + 1);
        r.addRow(row);
    }
    return r;
}

Raster RandomRaster(int width, int rows, double black, unsigned seed) {
    std::mt19937 rng(seed);
    std::bernoulli_distribution pixel(black);
    Raster r;
    r.width = width;
    for (int y = 0; y < rows; ++y) {
        QByteArray row(r.rowBytes(), '\0');
        for (int x = 0; x < width; ++x)
            if (pixel(rng)) setPixels(row, x, x + 1);
        r.addRow(row);
    }
    return r;
}

std::vector<QByteArray> CodedRecords(const Raster& raster, bool withEndOfPage) {
    std::vector<QByteArray> records;
    for (const QByteArray& row : raster.rows)
        records.push_back(
            CompressRasterLine(reinterpret_cast<const uchar*>(row.constData()), raster.width, 0));
    if (withEndOfPage) records.push_back(MakeEndOfPage());
    return records;
}

QByteArray CodedStream(const Raster& raster, bool withEndOfPage) {
    QByteArray out;
    for (const QByteArray& record : CodedRecords(raster, withEndOfPage)) out += record;
    return out;
}

QByteArray RecordData(const std::vector<QByteArray>& records) {
    QByteArray out;
    for (const QByteArray& record : records) {
        char count[2];
        WriteLe16(count, quint16(record.size()));
        out.append(count, 2);
        out += record;
    }
    return out;
}

FixturePage RecordPage(const Raster& raster, quint16 extraFlags) {
    FixturePage page;
    page.flags =
        quint16(kApfLineRecords | extraFlags | (raster.width == kFaxWidthWide ? kApfWideWidth : 0));
    page.data = RecordData(CodedRecords(raster));
    return page;
}

FixturePage StreamPage(const QByteArray& stream, quint16 flags) {
    FixturePage page;
    page.flags = flags;
    page.data = stream;
    return page;
}

QByteArray BuildApf(const std::vector<FixturePage>& pages, int pageCount,
                    const QString& stationId) {
    ApfFileHeader header = ApfFileHeader::makeNew();
    header.pageCount = quint16(pageCount < 0 ? int(pages.size()) : pageCount);
    header.setStationId(stationId);
    QByteArray out = header.toBytes();
    for (const FixturePage& page : pages) {
        ApfPageHeader ph;
        ph.imageFlags = page.flags;
        ph.imageLength = quint32(page.imageLength < 0 ? page.data.size() : page.imageLength);
        out += ph.toBytes();
        out += page.data;
    }
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write fixture");
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

std::vector<QByteArray> ImageRows(const QImage& image, int bytes) {
    std::vector<QByteArray> rows;
    for (int y = 0; y < image.height(); ++y) {
        QByteArray row(bytes, '\0');
        const uchar* in = image.constScanLine(y);
        for (int i = 0; i < bytes; ++i) row[i] = char(~in[i]);
        rows.push_back(row);
    }
    return rows;
}

std::string RowsDiffer(const std::vector<QByteArray>& actual,
                       const std::vector<QByteArray>& expected) {
    for (size_t y = 0; y < std::min(actual.size(), expected.size()); ++y)
        if (actual[y] != expected[y])
            return "row " + std::to_string(y) +
                   " differs: " + actual[y].left(24).toHex().toStdString() + " vs " +
                   expected[y].left(24).toHex().toStdString();
    if (actual.size() != expected.size())
        return std::to_string(actual.size()) + " rows instead of " +
               std::to_string(expected.size());
    return "";
}

}  // namespace corvane::testing
