// A 100-page fine fax of text-like pages: opening it in the viewer and showing page 1 (only
// that page is decoded), paging forward one page at a time, and exporting all 100 pages to
// one TIFF and to one PDF file. Times per operation; paging reports pages per second.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "bench_main.h"
#include "viewing/fax_viewer_control.h"
#include "viewing/logic/fax_export.h"
#include "viewing/logic/fax_source.h"
#include "viewing/logic/page_store.h"
#include "viewing/logic/tiff_pages.h"

namespace {

constexpr int kPages = 100;

// Text lines of 20 rows with words of short strokes and blank rows between them.
QImage TextPage() {
    QImage page(1728, 2156, QImage::Format_Mono);
    page.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    page.fill(1);
    for (int y = 150; y < 2000; ++y) {
        if (y % 32 >= 20) continue;
        for (int x = 150 + (y * 7) % 13; x < 1580; x += 9 + (x + y) % 7)
            if ((x / 60 + y / 32) % 5) page.setPixel(x, y, 0);
    }
    return page;
}

struct LongFax {
    QTemporaryDir dir;
    QString path = dir.filePath("long.apf");
    LongFax() {
        QList<corvane::TiffFaxPage> pages;
        const QImage page = TextPage();
        for (int i = 0; i < kPages; ++i) pages << corvane::TiffFaxPage{page, true};
        if (!corvane::WriteFaxPages(pages, path)) std::abort();
    }
};

const LongFax& Fax() {
    static LongFax fax;
    return fax;
}

void BM_OpenAndShowPageOne(benchmark::State& state) {
    const QString path = Fax().path;  // written once, before the clock runs
    corvane::TFxFaxViewer viewer;
    viewer.resize(800, 1000);
    for (auto _ : state) {
        if (!viewer.apwViewSetFile(path)) state.SkipWithError("cannot open");
        viewer.apwViewSetScale({1, 2, 1, 2});
        benchmark::DoNotOptimize(viewer.grab());
    }
}
BENCHMARK(BM_OpenAndShowPageOne)->Unit(benchmark::kMillisecond);

void BM_NextPage(benchmark::State& state) {
    corvane::TFxFaxViewer viewer;
    viewer.resize(800, 1000);
    (void)viewer.apwViewSetFile(Fax().path);
    viewer.apwViewSetScale({1, 2, 1, 2});
    for (auto _ : state) {
        if (viewer.apwViewGetCurPage() == kPages) {
            state.PauseTiming();
            viewer.vFirstPage();
            state.ResumeTiming();
        }
        viewer.vPageDown();
        benchmark::DoNotOptimize(viewer.grab());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMillisecond);

void BM_StoreOnly_NextPage(benchmark::State& state) {
    corvane::FaxPageStore store;
    (void)store.setFile(Fax().path);
    for (auto _ : state) {
        if (!store.nextPage()) store.firstPage();
        benchmark::DoNotOptimize(store.bitmap());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreOnly_NextPage)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state, corvane::ExportFormat format, const char* name) {
    QTemporaryDir dir;
    const QString target = dir.filePath(name);
    for (auto _ : state)
        if (!corvane::ExportFax(Fax().path, target, format, 0)) state.SkipWithError("failed");
}
BENCHMARK_CAPTURE(BM_Export, Tiff100, corvane::ExportFormat::Tiff, "all.tif")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Pdf100, corvane::ExportFormat::Pdf, "all.pdf")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QApplication>(argc, argv);
}
