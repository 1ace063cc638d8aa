// The engine at fax-log scale: appending outgoing records, building the eight outgoing tags,
// seeking by a key prefix at 10 000 / 100 000 / 1 000 000 records, counting a filter and
// locating a text. Tables are built once per size in a temporary folder.

#include <benchmark/benchmark.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <random>

#include "logs/fax_log_schema.h"
#include "xbase/xbase_table.h"

namespace corvane {
namespace {

using xbase::OpenMode;
using xbase::XbaseTable;

QString recipientName(uint32_t i) {
    return QString("Recipient %1").arg(i * 2654435761u % 1000003u, 7, 10, QChar('0'));
}

void appendOutgoing(XbaseTable& t, uint32_t i) {
    (void)t.appendBlank();
    (void)t.replaceText("SUBJECT",
                        (i % 50 == 0 ? QString("Invoice %1") : QString("Letter %1")).arg(i));
    (void)t.replaceText("RECIPIENT", recipientName(i));
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

// A filled outgoing table per size, kept for the whole run.
struct Fixture {
    QTemporaryDir dir;
    XbaseTable table;
};

Fixture& tableOf(uint32_t records, bool allTags) {
    static std::map<std::pair<uint32_t, bool>, std::unique_ptr<Fixture>> fixtures;
    auto& slot = fixtures[{records, allTags}];
    if (slot) return *slot;
    slot = std::make_unique<Fixture>();
    const QString path = slot->dir.filePath("QXOUT.DBF");
    (void)XbaseTable::create(path, OutgoingFields());
    XbaseTable& t = slot->table;
    (void)t.open(path, OpenMode::Exclusive);
    t.setDeletedHidden(true);
    for (uint32_t i = 0; i < records; ++i) appendOutgoing(t, i);
    if (allTags) {
        for (const auto& tag : OutgoingTags()) (void)t.createTag(tag);
    } else {
        (void)t.createTag(OutgoingTags()[2]);  // RECIPIENT
    }
    (void)t.commit();
    return *slot;
}

void BM_AppendOutgoing(benchmark::State& state) {
    const auto count = uint32_t(state.range(0));
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath("QXOUT.DBF");
        (void)XbaseTable::create(path, OutgoingFields());
        XbaseTable t;
        (void)t.open(path, OpenMode::Exclusive);
        for (uint32_t i = 0; i < count; ++i) appendOutgoing(t, i);
        (void)t.commit();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendOutgoing)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AppendOutgoingWithEightTags(benchmark::State& state) {
    const auto count = uint32_t(state.range(0));
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath("QXOUT.DBF");
        (void)XbaseTable::create(path, OutgoingFields());
        XbaseTable t;
        (void)t.open(path, OpenMode::Exclusive);
        for (const auto& tag : OutgoingTags()) (void)t.createTag(tag);
        for (uint32_t i = 0; i < count; ++i) appendOutgoing(t, i);
        (void)t.commit();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendOutgoingWithEightTags)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_CreateEightTags(benchmark::State& state) {
    const auto count = uint32_t(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("QXOUT.DBF");
    (void)XbaseTable::create(path, OutgoingFields());
    XbaseTable t;
    (void)t.open(path, OpenMode::Exclusive);
    for (uint32_t i = 0; i < count; ++i) appendOutgoing(t, i);
    (void)t.commit();
    for (auto _ : state) {
        for (const auto& tag : OutgoingTags()) (void)t.createTag(tag);
        state.PauseTiming();
        t.closeIndexes();
        QFile::remove(XbaseTable::indexPathFor(path));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateEightTags)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SeekPrefix(benchmark::State& state) {
    const auto count = uint32_t(state.range(0));
    XbaseTable& t = tableOf(count, false).table;
    t.setOrder(t.tagArea("RECIPIENT"));
    // Prefixes of existing keys: "RECIPIENT 12345" of "RECIPIENT 1234567".
    std::mt19937 rng(7);
    std::vector<std::string> keys(4096);
    for (auto& key : keys) key = recipientName(rng() % count).toUpper().left(15).toStdString();
    uint64_t found = 0;
    size_t next = 0;
    for (auto _ : state) found += t.seek(keys[next++ % keys.size()]);
    state.counters["found"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_SeekPrefix)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_CountFilter(benchmark::State& state) {
    XbaseTable& t = tableOf(uint32_t(state.range(0)), true).table;
    t.setOrder(0);
    int matches = 0;
    for (auto _ : state) matches = t.query("empty(DATESENT) and not archived").value();
    state.counters["matches"] = matches;
    (void)t.query("");
}
BENCHMARK(BM_CountFilter)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LocateText(benchmark::State& state) {
    XbaseTable& t = tableOf(uint32_t(state.range(0)), true).table;
    t.setOrder(t.tagArea("DATESENT"));
    uint64_t hits = 0;
    for (auto _ : state) {
        // The whole order, one match after another.
        for (uint32_t r = t.locate("\"INV\"$UPPER(SUBJECT)", true, false).value(); r;
             r = t.locate("\"INV\"$UPPER(SUBJECT)", true, true).value())
            ++hits;
    }
    state.counters["matches"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_LocateText)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
