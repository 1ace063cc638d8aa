// Attaching a 20-page text PDF (10-point body text, A4): pages per second for the whole
// import, and for its two halves, drawing by Poppler and making black and white.

#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "bench_main.h"
#include "sending/import/document_import.h"
#include "sending/import/import_binarize.h"
#include "sending/import/import_source.h"

namespace {

constexpr int kPages = 20;

const QString& TextPdf() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath("text.pdf");
        QPdfWriter pdf(p);
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 20, 20, 20)));
        QPainter painter(&pdf);
        QFont font("Liberation Serif");
        font.setPointSize(10);
        painter.setFont(font);
        const int step = painter.fontMetrics().lineSpacing();
        for (int page = 0; page < kPages; ++page) {
            if (page > 0) pdf.newPage();
            for (int line = 1; line <= 60; ++line)
                painter.drawText(0, line * step,
                                 QStringLiteral("Line %1 of page %2: the quick brown fox jumps "
                                                "over the lazy dog, again and again.")
                                     .arg(line)
                                     .arg(page + 1));
        }
        return p;
    }();
    return path;
}

void BM_ImportTextPdf(benchmark::State& state) {
    QTemporaryDir out;
    const QString target = out.filePath("out.apf");
    for (auto _ : state) {
        corvane::DocumentImport import;
        const auto pages = import.Import({TextPdf()}, target);
        if (!pages.ok() || pages.value() != kPages) state.SkipWithError("import failed");
    }
    state.SetItemsProcessed(state.iterations() * kPages);
}
BENCHMARK(BM_ImportTextPdf)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_DrawPdfPage(benchmark::State& state) {
    auto source = corvane::OpenPdfSource(TextPdf());
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(source.value()->page(page).value());
        page = (page + 1) % kPages;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawPdfPage)->Unit(benchmark::kMillisecond);

void BM_BinarizePage(benchmark::State& state) {
    auto source = corvane::OpenPdfSource(TextPdf());
    const QImage grey = source.value()->page(0).value();
    for (auto _ : state) benchmark::DoNotOptimize(corvane::BinarizePage(grey).bits.data());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BinarizePage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QGuiApplication>(argc, argv);
}
