#include "viewing_fixture.h"

#include "core/settings.h"

namespace corvane::testing {

Raster BlockPage(int rows, int marginColumns, int marginRows, int blockWidth, int blockHeight) {
    Raster r;
    for (int y = 0; y < rows; ++y) {
        QByteArray row(216, '\0');
        if (y >= marginRows && y < marginRows + blockHeight)
            for (int x = marginColumns; x < marginColumns + blockWidth; ++x)
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        r.addRow(row);
    }
    return r;
}

ViewingFixture::ViewingFixture() {
    setMessageBoxes(&boxes);
    GlobalSettings() = Settings();
    GlobalPrintSettings() = PrintSettings();
}

ViewingFixture::~ViewingFixture() {
    setMessageBoxes(nullptr);
}

QString ViewingFixture::writeFax(const QString& name, int pages, bool fine, int rows) {
    std::vector<FixturePage> list;
    for (int p = 1; p <= pages; ++p)
        list.push_back(RecordPage(TextLikeRaster(1728, rows, unsigned(p)), fine ? kApfHighRes : 0));
    return writePages(name, list);
}

QString ViewingFixture::writePages(const QString& name, const std::vector<FixturePage>& pages) {
    return home.write(name, BuildApf(pages));
}

}  // namespace corvane::testing
