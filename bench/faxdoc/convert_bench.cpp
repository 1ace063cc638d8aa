// Converting a 1728 x 2156 one-bit cover page into an APF file: the in-memory cover route.
// Reports pages per second as items per second.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include "bench_main.h"
#include "faxdoc/convert/fax_converter.h"

namespace {

// Text-like content: short black runs on three lines out of four, blank margins.
QImage CoverPage() {
    QImage page(1728, 2156, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 200; y < 2000; ++y) {
        if (y % 4 == 3) continue;
        for (int x = 150 + (y * 7) % 13; x < 1580; x += 9 + (x + y) % 7) {
            page.setPixel(x, y, 1);
            page.setPixel(x + 1, y, 1);
        }
    }
    return page;
}

void BM_ConvertCoverPage(benchmark::State& state) {
    const QImage page = CoverPage();
    QTemporaryDir dir;
    corvane::TFxFaxConverter converter;
    converter.SetOptions(0);
    converter.SetResolution(corvane::frHigh);
    converter.SetLeftMargin(0);
    converter.SetOutFileName(dir.path() + "/COV00000.APF");
    for (auto _ : state) converter.ConvertBitmapToApf(page);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertCoverPage)->Unit(benchmark::kMillisecond);

void BM_ConvertBlankPage(benchmark::State& state) {
    QImage page(1728, 2156, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    QTemporaryDir dir;
    corvane::TFxFaxConverter converter;
    converter.SetOptions(0);
    converter.SetResolution(corvane::frHigh);
    converter.SetLeftMargin(0);
    converter.SetOutFileName(dir.path() + "/COV00000.APF");
    for (auto _ : state) converter.ConvertBitmapToApf(page);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertBlankPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QGuiApplication>(argc, argv);
}
