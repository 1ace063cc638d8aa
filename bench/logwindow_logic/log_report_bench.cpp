// The fax log report of 10 000 outgoing faxes to a PDF file: selection, layout of every page
// and the PDF writer, per run. Counters: pages and pages per second (wall time).

#include <benchmark/benchmark.h>

#include <QDate>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>

#include "bench_main.h"
#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "logs/fax_data_module.h"
#include "logwindow/logic/log_report.h"

namespace corvane {
namespace {

constexpr int kRecords = 10000;

void fill(TFDM& fdm) {
    for (int i = 0; i < kRecords; ++i) {
        OutgoingFaxFields f;
        f.subject = QString("Invoice %1 for the quarter's deliveries and services").arg(i);
        f.recipient = QString("Recipient %1").arg(i * 7919 % 10007);
        f.phone = QString("555-%1").arg(i % 10000, 4, 10, QChar('0'));
        f.notes = i % 3 == 0 ? QString("Call before sending, ask for accounts payable") : QString();
        f.codes = i % 5 == 0 ? QString("B%1").arg(i % 97) : QString();
        (void)fdm.AppendOutgoingFax(f);
        auto& t = fdm.FaxTable;
        if (i % 4) {
            (void)t.replaceDate("DATESENT", QDate(2020, 1, 1).addDays(i % 1500));
            (void)t.replaceText(
                "TIMESENT",
                QString("%1:%2").arg(i % 24, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')));
            (void)t.replaceText("LASTRESULT", "Fax sent successfully");
        }
        (void)t.commit();
    }
}

void BM_ReportToPdf(benchmark::State& state) {
    QTemporaryDir home;
    setAppFolderOverride(home.path());
    ScopedScriptedMessageBoxes boxes;
    TFDM fdm;
    fdm.OpenFaxLogs();
    fill(fdm);
    ReportChoices choices;  // all outgoing faxes by date, shaded
    const QString pdf = home.filePath("report.pdf");
    int pages = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        LogReport report(fdm.FaxTable, LogKind::Outgoing, BuildReportQuery(choices), true);
        if (!report.select().ok()) state.SkipWithError("select failed");
        PdfFileOutput out(pdf);
        ReportEngine engine(out);
        if (!report.print(engine).ok()) state.SkipWithError("print failed");
        pages = engine.pagesDone();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["pages"] = pages;
    // Wall time: the library's rates count processor time only.
    state.counters["pages_per_second"] =
        seconds > 0 ? pages * double(state.iterations()) / seconds : 0;
    setAppFolderOverride(QString());
}
BENCHMARK(BM_ReportToPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QGuiApplication>(argc, argv);
}
