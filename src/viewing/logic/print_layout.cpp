#include "viewing/logic/print_layout.h"

#include <QLocale>
#include <algorithm>

namespace corvane {

namespace {

constexpr int kFaxLineWidth = 1728;
constexpr int kFaxDotsPerInch = 200;
constexpr int kSlotInset = 2;

}  // namespace

QString ExpandMarginText(const QString& caption, int page, int pageCount, const QString& fileName,
                         const QDateTime& now) {
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype dollar = caption.indexOf('$', from);
        if (dollar < 0) break;
        out += caption.mid(from, dollar - from);
        qsizetype end = caption.indexOf(' ', dollar);
        if (end < 0) end = caption.size();
        const QChar key = dollar + 1 < caption.size() ? caption[dollar + 1].toUpper() : QChar();
        const QLocale locale;
        if (key == 'D')
            out += locale.toString(now.date(), QLocale::ShortFormat);
        else if (key == 'T')
            out += locale.toString(now.time(), QLocale::ShortFormat);
        else if (key == 'F')
            out += fileName;
        else if (key == 'N')
            out += QString::number(pageCount);
        else if (key == 'P')
            out += QString::number(page);
        from = end;
    }
    return out + caption.mid(from);
}

int PagesPerSheet(bool multiPage, bool landscape) {
    if (!multiPage) return 1;
    return landscape ? 2 : 4;
}

bool StartsNewSheet(int page, int first, bool multiPage, bool landscape) {
    return (page - first) % PagesPerSheet(multiPage, landscape) == 0;
}

QRect FaxSlotRect(const QRect& printable, int page, int first, bool multiPage, bool landscape) {
    if (!multiPage) return printable;
    const int slot = (page - first) % PagesPerSheet(true, landscape);
    const int w = printable.width() / 2;
    const int h = landscape ? printable.height() : printable.height() / 2;
    const int column = slot % 2;
    const int row = landscape ? 0 : slot / 2;
    QRect r(printable.left() + column * w, printable.top() + row * h, w, h);
    return r.adjusted(kSlotInset, kSlotInset, -kSlotInset, -kSlotInset);
}

FaxPlacement PlaceFaxBitmap(const QRect& slot, QSize bitmap, bool stretch, int printerDpiX,
                            int printerDpiY) {
    FaxPlacement placement;
    placement.source = QRect(QPoint(), bitmap);
    if (bitmap.isEmpty() || slot.isEmpty()) {
        placement.target = QRect(slot.topLeft(), QSize(0, 0));
        return placement;
    }
    if (stretch) {
        const int width = qRound(slot.width() * 0.93);
        const int height =
            int(qint64(slot.height()) * std::min(bitmap.width(), kFaxLineWidth) / kFaxLineWidth);
        placement.target = QRect(slot.topLeft(), QSize(width, height));
        return placement;
    }
    const int width = int(qint64(bitmap.width()) * printerDpiX / kFaxDotsPerInch);
    int height = int(qint64(bitmap.height()) * printerDpiY / kFaxDotsPerInch);
    if (height > slot.height()) {
        // Only the rows that fit are drawn, at their true size.
        height = slot.height();
        placement.source.setHeight(
            std::max(1, int(qint64(height) * kFaxDotsPerInch / printerDpiY)));
    }
    placement.target = QRect(slot.topLeft(), QSize(width, height));
    return placement;
}

}  // namespace corvane
