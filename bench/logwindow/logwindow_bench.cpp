// The main window's outgoing grid over 100 000 records with the eight outgoing tags: the
// first screen, a jump to the last row, the "Only Unsent Faxes" view and a Find over SUBJECT,
// each measured up to a painted grid. The counter "rows_read" is how many records the model
// read for the measured step.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

#include "bench_main.h"
#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"
#include "logwindow/log_commands.h"
#include "logwindow/log_table_model.h"

namespace corvane {
namespace {

constexpr uint32_t kRecords = 100000;

void appendOutgoing(xbase::XbaseTable& t, uint32_t i) {
    (void)t.appendBlank();
    (void)t.replaceText("SUBJECT",
                        (i % 50 == 0 ? QString("Invoice %1") : QString("Letter %1")).arg(i));
    (void)t.replaceText("RECIPIENT",
                        QString("Recipient %1").arg(i * 2654435761u % 1000003u, 7, 10, QChar('0')));
    (void)t.replaceText("PHONE", QString("555-%1").arg(i % 5000, 4, 10, QChar('0')));
    (void)t.replaceText("FAXDOC", QString("FAX%1.APF").arg(i % 100000, 5, 10, QChar('0')));
    if (i % 3) {
        (void)t.replaceDate("DATESENT", QDate(2020, 1, 1).addDays(i % 1500));
        (void)t.replaceText(
            "TIMESENT",
            QString("%1:%2").arg(i % 24, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')));
    }
    (void)t.replaceLogical("ARCHIVED", i % 7 == 0);
}

class FindSubject : public LogDialogs {
  public:
    QString text;
    std::optional<DeleteWhat> askDeleteWhat() override { return std::nullopt; }
    bool editReceiveNotes(QString&, QString&) override { return false; }
    std::optional<QList<FindField>> askFind(LogPage) override {
        return QList<FindField>{{"RECIPIENT", ""}, {"PHONE", ""}, {"SUBJECT", text}};
    }
    bool forwardOrClone(ForwardOrCloneRequest&) override { return false; }
    void beep() override {}
};

// The data folder with the filled outgoing log, made once for the run.
struct BigLog {
    QTemporaryDir dir;
    ScriptedMessageBoxes boxes;
    TFDM fdm;
    MainScreenState state;
    FindSubject dialogs;
    std::unique_ptr<LogCommands> commands;

    BigLog() {
        setAppFolderOverride(dir.path());
        setMessageBoxes(&boxes);
        {
            const QString path = AppFolder() + kOutgoingTableName;
            (void)xbase::XbaseTable::create(path, OutgoingFields());
            xbase::XbaseTable t;
            (void)t.open(path, xbase::OpenMode::Exclusive);
            for (uint32_t i = 0; i < kRecords; ++i) appendOutgoing(t, i);
            for (const auto& tag : OutgoingTags()) (void)t.createTag(tag);
        }
        fdm.OpenFaxLogs();
        commands = std::make_unique<LogCommands>(fdm, state, dialogs);
    }
    void reset() {
        commands->SetView(LogPage::Outgoing, 0);
        fdm.FaxTable.setOrder(fdm.FaxTable.tagArea("DATESENT"));
        fdm.FaxTable.goTop();
    }
};

BigLog& bigLog() {
    static BigLog log;
    return log;
}

// A grid as the main window shows it: 1000 x 600 pixels.
std::unique_ptr<QTableView> gridOver(LogTableModel& model) {
    auto grid = std::make_unique<QTableView>();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->resize(1000, 600);
    grid->setModel(&model);
    return grid;
}

void paint(QTableView& grid) {
    grid.viewport()->repaint();
    QApplication::processEvents();
}

void BM_OpenAndPaintFirstScreen(benchmark::State& state) {
    BigLog& log = bigLog();
    log.reset();
    int64_t rows = 0;
    for (auto _ : state) {
        LogTableModel model(log.fdm, LogKind::Outgoing);
        auto grid = gridOver(model);
        grid->show();
        grid->setCurrentIndex(model.index(0, 0));
        paint(*grid);
        rows = model.rowsRead();
    }
    state.counters["rows_read"] = double(rows);
}
BENCHMARK(BM_OpenAndPaintFirstScreen)->Unit(benchmark::kMillisecond);

void BM_JumpToLastRow(benchmark::State& state) {
    BigLog& log = bigLog();
    log.reset();
    LogTableModel model(log.fdm, LogKind::Outgoing);
    auto grid = gridOver(model);
    grid->show();
    paint(*grid);
    int64_t before = 0, rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        grid->scrollToTop();
        model.Refresh();  // forget the rows read by the last jump
        paint(*grid);
        before = model.rowsRead();
        state.ResumeTiming();
        const QModelIndex last = model.index(model.rowCount() - 1, 0);
        grid->setCurrentIndex(last);
        model.makeCurrent(last.row());
        grid->scrollToBottom();
        paint(*grid);
        rows = model.rowsRead() - before;
    }
    state.counters["rows_read"] = double(rows);
}
BENCHMARK(BM_JumpToLastRow)->Unit(benchmark::kMillisecond);

void BM_ViewOnlyUnsentFaxes(benchmark::State& state) {
    BigLog& log = bigLog();
    LogTableModel model(log.fdm, LogKind::Outgoing);
    auto grid = gridOver(model);
    grid->show();
    for (auto _ : state) {
        state.PauseTiming();
        log.reset();
        model.Refresh();
        paint(*grid);
        state.ResumeTiming();
        log.commands->SetView(LogPage::Outgoing, 1);
        model.Refresh(log.commands->TakeKnownCount(LogKind::Outgoing));
        grid->setCurrentIndex(model.index(0, 0));
        paint(*grid);
    }
    state.counters["rows"] = double(model.rowCount());
}
BENCHMARK(BM_ViewOnlyUnsentFaxes)->Unit(benchmark::kMillisecond);

void BM_FindSubject(benchmark::State& state) {
    BigLog& log = bigLog();
    log.reset();
    log.fdm.FaxTable.setOrder(log.fdm.FaxTable.tagArea("SUBJECT"));
    LogTableModel model(log.fdm, LogKind::Outgoing);
    auto grid = gridOver(model);
    grid->show();
    paint(*grid);
    // "Letter 99999" sorts near the end of the SUBJECT order: the search walks most of it.
    log.dialogs.text = "letter 99999";
    int row = -1;
    for (auto _ : state) {
        const bool found = log.commands->Find(LogPage::Outgoing);
        row = found ? model.rowOfCurrent() : -1;
        if (row >= 0) {
            grid->setCurrentIndex(model.index(row, 0));
            grid->scrollTo(model.index(row, 0));
        }
        paint(*grid);
    }
    state.counters["found_row"] = double(row);
}
BENCHMARK(BM_FindSubject)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QApplication>(argc, argv);
}
