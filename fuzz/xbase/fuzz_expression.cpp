// The expression parser and evaluator on arbitrary text.

#include <string>

#include "xbase/expression.h"

using namespace corvane::xbase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<FieldDef> fields = [] {
        std::vector<FieldDef> f = {{"SUBJECT", 'C', 10, 0, 0},
                                   {"DATESENT", 'D', 8, 0, 0},
                                   {"PAGES", 'N', 4, 1, 0},
                                   {"ARCHIVED", 'L', 1, 0, 0}};
        int offset = 1;
        for (auto& d : f) {
            d.offset = offset;
            offset += d.width;
        }
        return f;
    }();
    static const std::string records[] = {
        std::string(24, ' '), std::string(" Invoice 7 20240315 3.5T"),
        std::string("*\xff\x00zz       99999999****?", 24),
        std::string("x"),  // shorter than the layout
    };
    auto compiled =
        Expression::compile(std::string(reinterpret_cast<const char*>(data), size), fields);
    if (!compiled) return 0;
    const auto& e = compiled.value();
    for (const std::string& r : records) {
        const RecordView view{&r, 1};
        e->evaluate(view);
        e->evaluateLogical(view);
        if (e->keyLength() <= 65535) e->key(view);
    }
    return 0;
}
