#include "faxdoc/tiff_writer.h"

#include <QFile>
#include <array>
#include <cerrno>

#include "core/little_endian.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"

namespace corvane {

namespace {

constexpr quint16 kTypeShort = 3;
constexpr quint16 kTypeLong = 4;
constexpr int kLongestPackBitsRun = 128;
constexpr int kEntryCount = 9;

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 value;
};

std::array<Entry, kEntryCount> entriesFor(int width, int height, quint32 stripOffset,
                                          quint32 stripBytes) {
    return {{
        {255, kTypeShort, 1},                // SubfileType
        {256, kTypeShort, quint32(width)},   // ImageWidth
        {257, kTypeShort, quint32(height)},  // ImageLength
        {258, kTypeShort, 1},                // BitsPerSample
        {259, kTypeShort, 32773},            // Compression: PackBits
        {262, kTypeShort, 0},                // PhotometricInterpretation: WhiteIsZero
        {273, kTypeLong, stripOffset},       // StripOffsets
        {278, kTypeLong, quint32(height)},   // RowsPerStrip
        {279, kTypeLong, stripBytes},        // StripByteCounts
    }};
}

void putEntry(char* e, const Entry& entry) {
    WriteLe16(e, entry.tag);
    WriteLe16(e + 2, entry.type);
    WriteLe32(e + 4, 1);
    if (entry.type == kTypeShort)
        WriteLe16(e + 8, quint16(entry.value));
    else
        WriteLe32(e + 8, entry.value);
}

// The single-page header: "II", 42, the directory at 8 with its nine entries, and, when the
// strip does not begin with four zero bytes, a zero next-directory offset before the strip.
QByteArray header(int width, int height, quint32 stripOffset, quint32 stripBytes) {
    const auto entries = entriesFor(width, height, stripOffset, stripBytes);
    QByteArray out(int(stripOffset), '\0');
    char* b = out.data();
    b[0] = 'I';
    b[1] = 'I';
    WriteLe16(b + 2, 42);
    WriteLe32(b + 4, 8);
    WriteLe16(b + 8, kEntryCount);
    for (int i = 0; i < kEntryCount; ++i) putEntry(b + 10 + 12 * i, entries[i]);
    return out;
}

// Rows in TIFF form: ink = 1, padded to whole bytes.
void tiffRow(const QImage& page, int y, QByteArray& row) {
    const uchar* in = page.constScanLine(y);
    for (int i = 0; i < row.size(); ++i) row[i] = char(~in[i]);
    if (page.width() % 8) row[row.size() - 1] &= char(0xFF << (8 - page.width() % 8));
}

QByteArray strip(const QImage& page, bool zeroLeadIn = true) {
    QByteArray out;
    QByteArray row((page.width() + 7) / 8, '\0');
    for (int y = 0; y < page.height(); ++y) {
        tiffRow(page, y, row);
        const auto* bytes = reinterpret_cast<const uchar*>(row.constData());
        int start = 0;
        if (zeroLeadIn && y == 0 && row.size() >= 2 && bytes[0] == 0 && bytes[1] == 0) {
            // Two one-byte literals of white: the four bytes after the directory read as a
            // zero next-directory offset.
            out.append(4, '\0');
            start = 2;
        }
        PackBitsRow(bytes + start, int(row.size()) - start, out);
    }
    return out;
}

}  // namespace

void PackBitsRow(const uchar* row, int bytes, QByteArray& out) {
    int i = 0;
    while (i < bytes) {
        int run = 1;
        while (i + run < bytes && run < kLongestPackBitsRun && row[i + run] == row[i]) ++run;
        if (run >= 2) {
            out.append(char(1 - run));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        // Literal stretch: up to the next pair of equal bytes.
        int length = 1;
        while (i + length < bytes && length < kLongestPackBitsRun &&
               !(i + length + 1 < bytes && row[i + length] == row[i + length + 1]))
            ++length;
        out.append(char(length - 1));
        out.append(reinterpret_cast<const char*>(row + i), length);
        i += length;
    }
}

// Where the strip of a single-page file starts: right after the nine entries when its
// first four bytes can stand for the missing next-directory offset (zero), else after an
// explicit zero offset.
quint32 SinglePageStripOffset(const QByteArray& strip) {
    const bool zeroLeadIn = strip.size() >= 4 && ReadLe32(strip.constData()) == 0;
    return zeroLeadIn ? kTiffHeaderBytes : kTiffHeaderWithNextOffsetBytes;
}

QByteArray EncodeSinglePageTiff(const QImage& page) {
    const QByteArray data = strip(page);
    return header(page.width(), page.height(), SinglePageStripOffset(data), quint32(data.size())) +
           data;
}

QByteArray EncodeTiffPages(const QList<QImage>& pages) {
    constexpr quint16 kTypeRational = 5;
    constexpr int kEntries = kEntryCount + 2;
    constexpr int kDirectoryBytes = 2 + 12 * kEntries + 4;
    QByteArray out("II\x2a\0\x08\0\0\0", 8);
    for (int p = 0; p < pages.size(); ++p) {
        const QImage& page = pages[p];
        const QByteArray data = strip(page, false);
        const quint32 directory = quint32(out.size());
        const quint32 stripOffset = directory + kDirectoryBytes;
        const quint32 stripEnd = stripOffset + quint32(data.size());
        const quint32 resolutions = stripEnd + (stripEnd & 1);
        QByteArray dir(kDirectoryBytes, '\0');
        WriteLe16(dir.data(), kEntries);
        const auto entries = entriesFor(page.width(), page.height(), stripOffset, data.size());
        for (int i = 0; i < kEntryCount; ++i) putEntry(dir.data() + 2 + 12 * i, entries[i]);
        for (int i = 0; i < 2; ++i) {
            char* e = dir.data() + 2 + 12 * (kEntryCount + i);
            WriteLe16(e, quint16(282 + i));  // XResolution, YResolution
            WriteLe16(e + 2, kTypeRational);
            WriteLe32(e + 4, 1);
            WriteLe32(e + 8, resolutions + 8 * i);
        }
        const quint32 next = p + 1 < pages.size() ? resolutions + 16 : 0;
        WriteLe32(dir.data() + kDirectoryBytes - 4, next);
        out += dir;
        out += data;
        if (stripEnd & 1) out.append('\0');
        // Dots per metre to dots per inch, in tenths.
        for (int dpm : {page.dotsPerMeterX(), page.dotsPerMeterY()}) {
            char value[8];
            WriteLe32(value, quint32(qRound(dpm * 0.254)));
            WriteLe32(value + 4, 10);
            out.append(value, 8);
        }
    }
    return out;
}

void WriteTiffPages(const QList<QImage>& pages, const QString& path) {
    const QByteArray bytes = EncodeTiffPages(pages);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ThrowCreateError(path);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int saved = errno;
        file.close();
        file.remove();
        errno = saved;
        ThrowWriteError();
    }
}

void WriteSinglePageTiff(const QImage& page, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ThrowCreateError(path);
    const QByteArray data = strip(page);
    const quint32 stripOffset = SinglePageStripOffset(data);
    const QByteArray placeholder = header(page.width(), page.height(), stripOffset, 0);
    const QByteArray final = header(page.width(), page.height(), stripOffset, quint32(data.size()));
    if (file.write(placeholder) != placeholder.size() || file.write(data) != data.size() ||
        !file.seek(0) || file.write(final) != final.size() || !file.flush()) {
        const int saved = errno;
        file.close();
        file.remove();
        errno = saved;
        ThrowWriteError();
    }
}

}  // namespace corvane
