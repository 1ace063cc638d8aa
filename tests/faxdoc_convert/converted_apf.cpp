#include "converted_apf.h"

#include <QFile>
#include <QProcess>

#include "core/little_endian.h"
#include "faxdoc/fax_unpacker.h"
#include "faxdoc/t4_decoder.h"

namespace corvane::testing {

ConvertedApf ReadConvertedApf(const QString& path) {
    ConvertedApf apf;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return apf;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kApfFileHeaderSize) return apf;
    apf.header = ApfFileHeader::fromBytes(bytes.constData());
    qint64 at = apf.header.firstPageOffset;
    apf.recordsFillPages = true;
    for (int p = 0; p < apf.header.pageCount; ++p) {
        if (at + kApfPageHeaderSize > bytes.size()) return apf;
        ConvertedPage page;
        page.header = ApfPageHeader::fromBytes(bytes.constData() + at);
        const qint64 dataStart = at + kApfPageHeaderSize;
        const qint64 dataEnd = dataStart + page.header.imageLength;
        qint64 r = dataStart;
        while (r + 2 <= dataEnd && dataEnd <= bytes.size()) {
            const int count = ReadLe16(bytes.constData() + r);
            if (r + 2 + count > dataEnd) break;
            page.records.push_back(bytes.mid(r + 2, count));
            r += 2 + count;
        }
        if (r != dataEnd) apf.recordsFillPages = false;
        apf.pages.push_back(page);
        at = dataEnd;
    }
    apf.chainEndsAtFileEnd = at == bytes.size();
    return apf;
}

namespace {

class CollectLines : public T4LineSink {
  public:
    std::vector<QByteArray> lines;
    void acceptLine(const uchar* data, int bytes) override {
        lines.emplace_back(reinterpret_cast<const char*>(data), bytes);
    }
};

QByteArray PageStream(const ConvertedPage& page) {
    QByteArray stream;
    for (const QByteArray& record : page.records) stream += record;
    return stream;
}

}  // namespace

std::vector<QByteArray> DecodeWithCorvane(const ConvertedPage& page) {
    CollectLines sink;
    T4Decoder decoder(sink);
    const QByteArray stream = PageStream(page);
    decoder.feed(reinterpret_cast<const uchar*>(stream.constData()), stream.size());
    decoder.finish();
    return sink.lines;
}

std::vector<QByteArray> UnpackWithCorvane(const QString& path) {
    TFxFaxUnpacker unpacker;
    unpacker.setInFileName(path);
    unpacker.setOptions(0);
    unpacker.setAutoScaleMode(asNone);
    unpacker.setScaling(false);
    const QImage bitmap = unpacker.UnpackPageToBitmap(1);
    return InkRows(bitmap, unpacker.FaxWidth() == fwWide ? kFaxWidthWide : kFaxWidthNormal);
}

std::vector<QByteArray> DecodeWithLibtiff(const ConvertedPage& page, const QString& workFolder) {
    const QString raw = workFolder + "/page.g3";
    const QString tiff = workFolder + "/page.tif";
    QFile rawFile(raw);
    if (!rawFile.open(QIODevice::WriteOnly)) return {};
    rawFile.write(PageStream(page));
    rawFile.close();
    const int width = page.header.lineWidth();
    QProcess fax2tiff;
    fax2tiff.start("fax2tiff",
                   {"-1", "-L", "-W", QString::number(width), "-c", "none", "-o", tiff, raw});
    if (!fax2tiff.waitForFinished(20000) || fax2tiff.exitCode() != 0) return {};
    QProcess tifftopnm;
    tifftopnm.start("tifftopnm", {tiff});
    if (!tifftopnm.waitForFinished(20000) || tifftopnm.exitCode() != 0) return {};
    QImage image;
    if (!image.loadFromData(tifftopnm.readAllStandardOutput(), "PBM")) return {};
    // fax2tiff takes the seven EOLs of the end-of-page record for empty lines and writes them
    // as white rows.
    std::vector<QByteArray> rows = InkRows(image, width);
    const QByteArray white(width / 8, '\0');
    for (int i = 0; i < 7 && !rows.empty() && rows.back() == white; ++i) rows.pop_back();
    return rows;
}

bool Black(const std::vector<QByteArray>& lines, int x, int y) {
    if (y < 0 || y >= static_cast<int>(lines.size())) return false;
    const QByteArray& line = lines[static_cast<size_t>(y)];
    if (x < 0 || x / 8 >= line.size()) return false;
    return (static_cast<uchar>(line[x / 8]) & (0x80 >> (x % 8))) != 0;
}

std::string FirstDifference(const std::vector<QByteArray>& actual,
                            const std::vector<QByteArray>& expected) {
    if (actual.size() != expected.size()) {
        return "lines: " + std::to_string(actual.size()) + " instead of " +
               std::to_string(expected.size());
    }
    for (size_t y = 0; y < actual.size(); ++y) {
        const int width = static_cast<int>(std::max(actual[y].size(), expected[y].size())) * 8;
        for (int x = 0; x < width; ++x) {
            const bool a = Black(actual, x, static_cast<int>(y));
            if (a != Black(expected, x, static_cast<int>(y))) {
                return "line " + std::to_string(y) + " pixel " + std::to_string(x) +
                       (a ? " black" : " white");
            }
        }
    }
    return {};
}

std::vector<QByteArray> InkRows(const QImage& image, int width, int shift) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<QByteArray> rows;
    for (int y = 0; y < grey.height(); ++y) {
        QByteArray row(width / 8, '\0');
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            const int at = x + shift;
            if (at >= width) break;
            if (line[x] < 128) row[at / 8] = static_cast<char>(row[at / 8] | (0x80 >> (at % 8)));
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace corvane::testing
