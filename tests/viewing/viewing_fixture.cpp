#include "viewing_fixture.h"

#include <QPainter>

#include "core/settings.h"
#include "viewing/logic/fax_source.h"
#include "viewing/logic/tiff_pages.h"

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

QString ViewingFixture::writeLetterFax(const QString& name, int pages, bool fine, int rows) {
    static const char* const kText[] = {
        "Thank you for your order of 12 March. The parts listed below were shipped today",
        "by road freight and should reach your warehouse within three working days.",
        "Please check the delivery against this note and let us know of any difference",
        "within a week, so that we can put it right at once.",
    };
    QList<TiffFaxPage> list;
    for (int p = 1; p <= pages; ++p) {
        QImage page(1728, rows, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        const double squash = fine ? 1.0 : 0.5;  // standard lines are twice as tall
        painter.scale(1.0, squash);
        QFont heading("DejaVu Serif");
        heading.setPixelSize(56);
        heading.setBold(true);
        painter.setFont(heading);
        painter.drawText(QPoint(160, 200), QString("Northfield Supplies - page %1").arg(p));
        QFont body("DejaVu Serif");
        body.setPixelSize(30);
        painter.setFont(body);
        int y = 320;
        for (int paragraph = 0; y < rows / squash - 80; ++paragraph) {
            for (const char* line : kText) {
                painter.drawText(QPoint(160, y), line);
                y += 44;
            }
            y += 40;
        }
        painter.end();
        list << TiffFaxPage{page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), fine};
    }
    const QString path = home.file(name);
    if (!WriteFaxPages(list, path)) return {};
    return path;
}

QString ViewingFixture::writePages(const QString& name, const std::vector<FixturePage>& pages) {
    return home.write(name, BuildApf(pages));
}

}  // namespace corvane::testing
