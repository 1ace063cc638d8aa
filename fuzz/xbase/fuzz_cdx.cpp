// The CDX reader: arbitrary bytes as the structural index of a small valid table, opened
// read-only (navigation must survive damage) and for writing (damage must lead to a rebuild).

#include <QFile>

#include "xbase/cdx_node.h"
#include "xbase/xbase_table.h"
#include "fuzz_scratch.h"

using namespace corvane::xbase;

namespace {

const QString& tablePath() {
    static const QString path = [] {
        const QString p = FuzzScratch("C.DBF");
        (void)XbaseTable::create(
            p, {{"NAME", 'C', 12, 0, 0}, {"D", 'D', 8, 0, 0}, {"N", 'N', 5, 0, 0}});
        XbaseTable t;
        (void)t.open(p, OpenMode::Exclusive);
        for (int i = 0; i < 40; ++i) {
            (void)t.appendBlank();
            (void)t.replaceText("NAME", QString("name%1").arg(i * 7 % 40));
            (void)t.replaceNumber("N", i);
        }
        return p;
    }();
    return path;
}

void walk(XbaseTable& t) {
    for (int order = 0; order <= t.tagCount(); ++order) {
        t.setOrder(order);
        int steps = 0;
        for (bool ok = t.goTop(); ok && steps < 200; ok = t.skip(1), ++steps) {
        }
        for (bool ok = t.goBottom(); ok && steps < 400; ok = t.skip(-1), ++steps) {
        }
        t.seek("name1");
        t.queryRecCount();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= size_t(kCdxPageSize)) {
        CdxNode node;
        for (int keyLength : {1, 10, 12, 240})
            (void)DecodeCdxNode(reinterpret_cast<const char*>(data), keyLength, ' ', node);
    }
    const QString& table = tablePath();
    const QString index = XbaseTable::indexPathFor(table);
    WriteFile(index, data, size);
    {
        XbaseTable t;
        if (t.open(table, OpenMode::ReadOnly)) walk(t);
    }
    {
        XbaseTable t;
        if (t.open(table, OpenMode::Exclusive)) {
            walk(t);
            if (t.tagCount() > 0) {
                t.go(3);
                (void)t.replaceText("NAME", "changed");
                (void)t.deleteRecord();
                (void)t.recall();
                (void)t.commit();
            }
        }
    }
    return 0;
}
