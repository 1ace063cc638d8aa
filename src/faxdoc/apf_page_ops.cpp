#include "faxdoc/apf_page_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

#include "core/file_naming.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/apf_page_data.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"
#include "faxdoc/t4_decoder.h"

namespace corvane {

namespace {

constexpr int kMaxPageCount = 0xFFFF;

// Copies `count` bytes from the input's position; false when the input ends first or the
// output fails.
bool copyBytes(QIODevice& in, QIODevice& out, qint64 count) {
    char block[kApfBlockSize];
    while (count > 0) {
        const qint64 got = in.read(block, std::min<qint64>(count, sizeof block));
        if (got <= 0 || out.write(block, got) != got) return false;
        count -= got;
    }
    return true;
}

void openOutput(QSaveFile& out, const QString& path) {
    out.setFileName(path);
    if (!out.open(QIODevice::WriteOnly)) ThrowCreateError(path);
}

bool exists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// Copies the page at the input's position (header plus data); false when it is cut short.
bool copyPage(QIODevice& in, QIODevice& out) {
    char header[kApfPageHeaderSize];
    if (in.read(header, sizeof header) != sizeof header) return false;
    if (out.write(header, sizeof header) != sizeof header) return false;
    return copyBytes(in, out, ApfPageHeader::fromBytes(header).imageLength);
}

bool skipPage(QIODevice& in) {
    char header[kApfPageHeaderSize];
    if (in.read(header, sizeof header) != sizeof header) return false;
    const qint64 next = in.pos() + ApfPageHeader::fromBytes(header).imageLength;
    return next <= in.size() && in.seek(next);
}

// Writes the pages of `source` for which keep(i) holds, behind its header with `pageCount`.
// The pages are read from the source's own FirstPageOffset and written from offset 64.
template <typename Keep>
bool copySelectedPages(const QString& source, const QString& destination, int pageCount, Keep keep,
                       int lastPage) {
    try {
        QFile in;
        OpenApfForReading(in, source);
        ApfFileHeader header = ReadApfFileHeader(in);
        header.pageCount = static_cast<quint16>(pageCount);
        const qint64 firstPage = header.firstPageOffset;
        header.firstPageOffset = kApfFirstPageOffset;
        QSaveFile out;
        openOutput(out, destination);
        const QByteArray bytes = header.toBytes();
        if (out.write(bytes) != bytes.size() || !in.seek(firstPage)) return false;
        for (int page = 1; page <= lastPage; ++page) {
            const bool ok = keep(page) ? copyPage(in, out) : skipPage(in);
            if (!ok) return false;
        }
        return out.commit();
    } catch (const EFaxError&) {
        return false;
    }
}

bool replaceFile(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

}  // namespace

bool SameApfResolution(const QString& pathA, const QString& pathB) {
    try {
        return ReadApfPageHeader(pathA, 1).isHighRes() == ReadApfPageHeader(pathB, 1).isHighRes();
    } catch (const EFaxError&) {
        return false;
    }
}

bool IsHighResApf(const QString& path) {
    if (!exists(path)) return false;
    try {
        return ReadApfPageHeader(path, 1).isHighRes();
    } catch (const EFaxError&) {
        return false;
    }
}

void JoinApfFiles(const QStringList& paths, const QString& destination) {
    if (paths.isEmpty()) throw EFaxError(ecBadArgument);
    QSaveFile out;
    openOutput(out, destination);
    ApfFileHeader first;
    int total = 0;
    for (int i = 0; i < paths.size(); ++i) {
        QFile in;
        OpenApfForReading(in, paths[i]);
        const ApfFileHeader header = ReadApfFileHeader(in);
        if (i == 0) {
            first = header;
            // Room for the header; it is written last, with the sum of the page counts.
            if (out.write(QByteArray(kApfFileHeaderSize, '\0')) != kApfFileHeaderSize)
                ThrowWriteError();
        }
        total += header.pageCount;
        // Exactly the pages the chain holds, from the file's own first-page offset: bytes
        // before it or after the last page would shift every page that follows.
        if (!in.seek(header.firstPageOffset)) ThrowReadBeyondEnd();
        for (int page = 1; page <= header.pageCount; ++page) {
            if (!copyPage(in, out)) {
                if (out.error() != QFileDevice::NoError) ThrowWriteError();
                ThrowReadBeyondEnd();
            }
        }
    }
    // A count beyond 16 bits would be stored wrapped and lose pages.
    if (total > kMaxPageCount) throw EFaxError(ecBadArgument);
    first.pageCount = static_cast<quint16>(total);
    first.firstPageOffset = kApfFirstPageOffset;
    const QByteArray bytes = first.toBytes();
    if (!out.seek(0) || out.write(bytes) != bytes.size() || !out.commit()) ThrowWriteError();
}

bool JoinApfFileList(const QString& destination, const QStringList& paths) {
    QStringList present;
    for (const QString& path : paths)
        if (exists(path)) present << path;
    if (present.size() < 2) return false;
    try {
        JoinApfFiles(present, destination);
    } catch (const EFaxError&) {
        return false;
    }
    return exists(destination);
}

bool JoinTwoApfFiles(const QString& destination, const QString& first, const QString& second) {
    return JoinApfFileList(destination, {first, second});
}

bool AppendApfFile(const QString& source, const QString& target, bool deleteSource) {
    int a = 0, b = 0;
    try {
        a = GetApfPageCount(source);
        b = GetApfPageCount(target);
    } catch (const EFaxError&) {
        return false;
    }
    if (a <= 0 || b <= 0 || !SameApfResolution(source, target)) return false;
    // The joined copy is made beside the target so that renaming it over the target is a
    // single atomic step.
    const Result<QString> freeName =
        GetUniqueFiveDigitName(QFileInfo(target).absolutePath(), QStringLiteral("Temp"));
    if (!freeName) return false;
    const QString work = freeName.value();
    bool done = false;
    try {
        JoinApfFiles({target, source}, work);
        done = GetApfPageCount(work) == a + b && replaceFile(work, target) &&
               GetApfPageCount(target) == a + b;
    } catch (const EFaxError&) {
        done = false;
    }
    if (QFileInfo::exists(work)) QFile::remove(work);
    if (done && deleteSource) QFile::remove(source);
    return done;
}

bool ExtractApfPages(const QString& source, const QString& destination, int first, int last) {
    if (!exists(source) || first <= 0 || (last != -1 && last < first)) return false;
    int count = 0;
    try {
        count = ReadApfFileHeader(source).pageCount;
    } catch (const EFaxError&) {
        return false;
    }
    if (count < first) return false;
    if (last == -1 || last > count) last = count;
    return copySelectedPages(
        source, destination, last - first + 1, [&](int page) { return page >= first; }, last);
}

bool DeleteApfPages(const QString& source, const QString& destination, int first, int last) {
    if (!exists(source)) return false;
    int count = 0;
    try {
        count = ReadApfFileHeader(source).pageCount;
    } catch (const EFaxError&) {
        return false;
    }
    if (first < 1 || last < first || last > count) return false;
    return copySelectedPages(
        source, destination, count - (last - first + 1),
        [&](int page) { return page < first || page > last; }, count);
}

int CountDecodablePages(const QString& path, int* headerCount) {
    int total = 0;
    try {
        total = GetApfPageCount(path);
    } catch (const EFaxError&) {
        total = 0;
    }
    if (headerCount) *headerCount = total;
    // One walk along the page chain: a hostile page count costs one header read per page.
    struct NoLines : T4LineSink {
        void acceptLine(const uchar*, int) override {}
    } sink;
    T4Decoder decoder(sink);
    ApfPageDataReader reader;
    int good = 0;
    try {
        for (int page = 1; page <= total; ++page) {
            if (page == 1)
                reader.open(path, 1);
            else
                reader.nextPage();
            decoder.reset();
            DecodeApfPageData(reader, decoder);
            good = page;
        }
    } catch (const EFaxError&) {
    }
    return good;
}

int TrimToDecodablePages(const QString& path, bool deleteWhenNone) {
    int total = 0;
    const int good = CountDecodablePages(path, &total);
    if (good == total) return total;
    if (good == 0) {
        if (deleteWhenNone) QFile::remove(path);
        return 0;
    }
    // Extracting in place writes a new file and renames it over the old one.
    if (!ExtractApfPages(path, path, 1, good)) return CountDecodablePages(path);
    return good;
}

}  // namespace corvane
