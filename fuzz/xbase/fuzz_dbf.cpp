// The DBF reader: header parsing, length repair and record access on arbitrary bytes.

#include <QFile>

#include "xbase/dbf_file.h"
#include "xbase/xbase_table.h"
#include "fuzz_scratch.h"

using namespace corvane::xbase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<FieldDef> fields;
    uint32_t count = 0;
    int headerLength = 0, recordLength = 0;
    uint8_t flags = 0;
    (void)DbfFile::parseHeader(std::string(reinterpret_cast<const char*>(data), size), fields,
                               count, headerLength, recordLength, flags);

    const QString path = FuzzScratch("F.DBF");
    QFile::remove(FuzzScratch("F.CDX"));
    WriteFile(path, data, size);
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::Exclusive}) {
        XbaseTable t;
        if (!t.open(path, mode)) continue;
        t.setDeletedHidden(mode == OpenMode::Exclusive);
        int steps = 0;
        for (bool ok = t.goTop(); ok && steps < 2000; ok = t.skip(1), ++steps) {
            for (const FieldDef& f : t.fields()) {
                t.fieldValue(f.name);
                t.fieldText(f.name);
            }
        }
        t.goBottom();
        t.skip(-1);
        if (mode == OpenMode::Exclusive && t.recCount() < 500) {
            (void)t.query(".not. deleted()");
            if (!t.fields().empty()) (void)t.createTag({"T", t.fields()[0].name, "", false, true});
            (void)t.appendBlank();
            (void)t.pack();
        }
    }
    return 0;
}
