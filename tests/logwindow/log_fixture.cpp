#include "log_fixture.h"

#include "apf_fixtures.h"

namespace corvane::testing {

void WriteApf(const QString& path, int pages) {
    std::vector<FixturePage> list;
    for (int i = 0; i < pages; ++i)
        list.push_back(RecordPage(TextLikeRaster(1728, 24 + 8 * i, unsigned(i + 1))));
    WriteFile(path, BuildApf(list));
}

}  // namespace corvane::testing
