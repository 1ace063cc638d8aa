// Generating a one-page cover from the shipped classic template: reading the render file,
// drawing the page with a fax's data and a short message, and converting it to an APF file.
// A person saving a fax waits for this.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include "bench_main.h"
#include "core/app_folders.h"
#include "covers/cover_generator.h"
#include "covers/cover_renderer.h"
#include "covers/cover_template_files.h"
#include "covers/shipped_templates.h"

namespace {

using namespace corvane;

CoverData SampleData() {
    CoverData d;
    d.Date = "December 10, 2026";
    d.Time = "2:15:00 PM";
    d.Regarding = "Contract for signature";
    d.Recipient = "Ann Lee";
    d.RecipientFax = "+1 555 0100";
    d.Sender = "Bob Stone";
    d.SenderCompany = "Stone & Partners";
    d.SenderFax = "+1 555 0199";
    d.SenderVoice = "+1 555 0198";
    d.Urgent = d.PleaseReply = true;
    return d;
}

const QStringList kMessage = {
    "Dear Ann,",
    "",
    "please find the signed contract attached: eleven pages, including the two annexes we "
    "discussed on the phone last Tuesday. Could you countersign page 9 and fax it back by "
    "Friday?",
    "",
    "Many thanks,",
    "Bob"};

void BM_GenerateClassicCover(benchmark::State& state) {
    QTemporaryDir home;
    setAppFolderOverride(home.path() + "/");
    if (!InstallShippedTemplates().ok()) state.SkipWithError("templates not installed");
    CoverGenerator generator(CoverOptions{});
    const QString out = home.path() + "/COV00000.APF";
    for (auto _ : state) {
        const Result<QString> written =
            generator.GenerateCover(out, "qx0001.fct", SampleData(), kMessage);
        if (!written.ok()) state.SkipWithError("generation failed");
    }
    state.SetItemsProcessed(state.iterations());
    setAppFolderOverride(QString());
}
BENCHMARK(BM_GenerateClassicCover)->Unit(benchmark::kMillisecond);

// The drawing alone, without conversion.
void BM_RenderClassicCover(benchmark::State& state) {
    QTemporaryDir home;
    setAppFolderOverride(home.path() + "/");
    if (!InstallShippedTemplates().ok()) state.SkipWithError("templates not installed");
    const QByteArray render = ReadTemplateFile(CoversFolder() + "QX0001.FCT").value();
    QImage canvas = NewCoverCanvas(kCoverPageWidth, kCoverPageHeight);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        CoverRenderer renderer(SampleData(), kMessage);
        QPainter painter(&canvas);
        benchmark::DoNotOptimize(renderer.RenderTemplate(painter, render, 1).ok());
    }
    setAppFolderOverride(QString());
}
BENCHMARK(BM_RenderClassicCover)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QGuiApplication>(argc, argv);
}
