// Decoding and encoding one 2156-line fine page of text-like content, by this program's T.4
// coder and decoder and by libtiff's CCITT Group 3 one-dimensional codec on the same page.
// Rows per second are reported as items per second.

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <QByteArray>
#include <cstring>
#include <random>
#include <vector>

#include "faxdoc/t4_decoder.h"
#include "faxdoc/t4_encoder.h"

namespace {

constexpr int kWidth = 1728;
constexpr int kRowBytes = kWidth / 8;
constexpr int kRows = 2156;

// Text lines of 12..24 rows with words of short strokes, blank rows between them, margins.
std::vector<uchar> TextLikePage() {
    std::vector<uchar> page(size_t(kRowBytes) * kRows, 0);
    std::mt19937 rng(2156);
    int y = 0;
    while (y < kRows) {
        const int height = 12 + int(rng() % 13);
        for (int i = 0; i < height && y < kRows; ++i, ++y) {
            uchar* row = page.data() + size_t(y) * kRowBytes;
            int x = 100 + int(rng() % 40);
            while (x < kWidth - 120) {
                const int stroke = 1 + int(rng() % 6);
                if (rng() % 3)
                    for (int p = x; p < std::min(kWidth, x + stroke); ++p)
                        row[p >> 3] |= 0x80 >> (p & 7);
                x += stroke + 1 + int(rng() % 9);
                if (rng() % 11 == 0) x += 12 + int(rng() % 20);
            }
        }
        y += 6 + int(rng() % 15);
    }
    return page;
}

const std::vector<uchar>& Page() {
    static const std::vector<uchar> page = TextLikePage();
    return page;
}

QByteArray EncodeOurs(const std::vector<uchar>& page) {
    QByteArray out;
    out.reserve(1 << 20);
    uchar line[corvane::kMaxCompressedLineBytes];
    for (int y = 0; y < kRows; ++y) {
        const int n =
            corvane::CompressRasterLine(page.data() + size_t(y) * kRowBytes, kWidth, 0, line);
        out.append(reinterpret_cast<const char*>(line), n);
    }
    out += corvane::MakeEndOfPage();
    return out;
}

// libtiff on an in-memory file.
struct MemoryFile {
    std::vector<char> bytes;
    toff_t pos = 0;
};

tsize_t memRead(thandle_t h, tdata_t buf, tsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    const tsize_t n = std::min<tsize_t>(size, tsize_t(f->bytes.size()) - tsize_t(f->pos));
    if (n <= 0) return 0;
    std::memcpy(buf, f->bytes.data() + f->pos, size_t(n));
    f->pos += toff_t(n);
    return n;
}
tsize_t memWrite(thandle_t h, tdata_t buf, tsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    if (f->pos + size_t(size) > f->bytes.size()) f->bytes.resize(f->pos + size_t(size));
    std::memcpy(f->bytes.data() + f->pos, buf, size_t(size));
    f->pos += toff_t(size);
    return size;
}
toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    if (whence == SEEK_SET) f->pos = off;
    if (whence == SEEK_CUR) f->pos += off;
    if (whence == SEEK_END) f->pos = f->bytes.size() + off;
    return f->pos;
}
int memClose(thandle_t) {
    return 0;
}
toff_t memSize(thandle_t h) {
    return static_cast<MemoryFile*>(h)->bytes.size();
}
int memMap(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void memUnmap(thandle_t, tdata_t, toff_t) {}

TIFF* openMemory(MemoryFile& f, const char* mode) {
    f.pos = 0;
    return TIFFClientOpen("page", mode, &f, memRead, memWrite, memSeek, memClose, memSize, memMap,
                          memUnmap);
}

void setG3Fields(TIFF* tif) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kRows);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kRows);
}

MemoryFile EncodeLibtiff(const std::vector<uchar>& page) {
    MemoryFile f;
    TIFF* tif = openMemory(f, "w");
    setG3Fields(tif);
    TIFFWriteEncodedStrip(tif, 0, const_cast<uchar*>(page.data()), tmsize_t(page.size()));
    TIFFClose(tif);
    return f;
}

struct PageSink : corvane::T4LineSink {
    std::vector<uchar> page = std::vector<uchar>(size_t(kRowBytes) * kRows);
    int rows = 0;
    void acceptLine(const uchar* data, int bytes) override {
        if (rows < kRows) std::memcpy(page.data() + size_t(rows) * kRowBytes, data, bytes);
        ++rows;
    }
};

void BM_DecodeCorvane(benchmark::State& state) {
    const QByteArray coded = EncodeOurs(Page());
    PageSink sink;
    corvane::T4Decoder decoder(sink);
    for (auto _ : state) {
        sink.rows = 0;
        decoder.reset();
        decoder.feed(reinterpret_cast<const uchar*>(coded.constData()), size_t(coded.size()));
        decoder.finish();
        benchmark::DoNotOptimize(sink.page.data());
    }
    if (sink.rows != kRows || sink.page != Page()) state.SkipWithError("decoded page differs");
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["coded_bytes"] = double(coded.size());
}

void BM_DecodeLibtiff(benchmark::State& state) {
    // The same coded data (our lines), wrapped as a G3 1-D strip.
    const QByteArray coded = EncodeOurs(Page());
    MemoryFile f;
    TIFF* w = openMemory(f, "w");
    setG3Fields(w);
    TIFFWriteRawStrip(w, 0, const_cast<char*>(coded.constData()), coded.size());
    TIFFClose(w);
    TIFF* tif = openMemory(f, "r");
    std::vector<uchar> page(Page().size());
    for (auto _ : state) {
        TIFFReadEncodedStrip(tif, 0, page.data(), tmsize_t(page.size()));
        benchmark::DoNotOptimize(page.data());
    }
    TIFFClose(tif);
    if (page != Page()) state.SkipWithError("decoded page differs");
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_EncodeCorvane(benchmark::State& state) {
    const std::vector<uchar>& page = Page();
    for (auto _ : state) benchmark::DoNotOptimize(EncodeOurs(page));
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_EncodeLibtiff(benchmark::State& state) {
    const std::vector<uchar>& page = Page();
    for (auto _ : state) benchmark::DoNotOptimize(EncodeLibtiff(page));
    state.SetItemsProcessed(state.iterations() * kRows);
}

}  // namespace

BENCHMARK(BM_DecodeCorvane)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeLibtiff)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeCorvane)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeLibtiff)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
