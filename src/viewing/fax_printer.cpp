#include "viewing/fax_printer.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

#include "viewing/logic/fax_source.h"
#include "viewing/logic/print_layout.h"

namespace corvane {

QString FaxPrintStatusText(int status) {
    static const char* const kTexts[] = {"Idle", "Composing", "Rendering", "Submitting",
                                         "Converting"};
    return status >= 0 && status <= 4 ? kTexts[status] : QString();
}

TFxFaxPrinter::TFxFaxPrinter(QObject* parent) : QObject(parent) {
    FaxHeader.Caption = "FILE: $F";
    FaxFooter.Caption = "PAGE: $P of $N";
}

Status TFxFaxPrinter::setFileName(const QString& path) {
    fileName_ = path;
    pageCount_ = 0;
    FirstPageToPrint = 1;
    LastPageToPrint = 0;
    try {
        pageCount_ = FaxPageCount(path);
        if (pageCount_ > 0) {
            const FaxPageInfo info = FaxPage(path, 1);
            fine_ = info.fine;
            width_ = info.width();
        }
    } catch (const EFaxError& e) {
        return Status::Error(e.text());
    }
    LastPageToPrint = pageCount_;
    return Status::Ok();
}

void TFxFaxPrinter::setStatus(int status) {
    status_ = status;
    emit OnFaxPrintStatus(status);
}

void TFxFaxPrinter::AbortPrint() {
    aborted_ = true;
}

bool TFxFaxPrinter::keepGoing(QPrinter& printer) {
    QCoreApplication::processEvents();
    if (aborted_ && printer.printerState() != QPrinter::Aborted) printer.abort();
    return !aborted_;
}

QRect TFxFaxPrinter::drawMargin(QPainter& painter, QRect rect, const TFxFaxPrinterMargin& margin,
                                int page, bool top) {
    QFont font = margin.Font;
    if (MultiPage) font.setPointSizeF(font.pointSizeF() / 2);
    painter.setFont(font);
    const int textHeight = QFontMetrics(font, painter.device()).height();
    const QString text = ExpandMarginText(margin.Caption, page, pageCount_, fileName_);
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(
        rect, Qt::AlignLeft | (top ? Qt::AlignTop : Qt::AlignBottom) | Qt::TextSingleLine, text);
    painter.restore();
    if (top) {
        rect.setTop(rect.top() + textHeight + 2);
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
        rect.setTop(rect.top() + 1);
    } else {
        rect.setBottom(rect.bottom() - textHeight - 2);
        painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        rect.setBottom(rect.bottom() - 1);
    }
    return rect;
}

void TFxFaxPrinter::drawBitmap(QPainter& painter, const QImage& page, const QRect& target,
                               const QRect& source) {
    if (target.isEmpty() || source.isEmpty()) return;
    if (!UseAlternatePrintMethod) {
        painter.drawImage(target, page, source);
        return;
    }
    // Tiles of the screen's size; each tile's pixels are picked from the page (nearest pixel)
    // and sent 1:1, which suits printers that cannot stretch large bitmaps themselves.
    QSize tile(1024, 768);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) tile = screen->size();
    const double sx = double(source.width()) / target.width();
    const double sy = double(source.height()) / target.height();
    for (int ty = 0; ty < target.height(); ty += tile.height()) {
        for (int tx = 0; tx < target.width(); tx += tile.width()) {
            const QRect part(target.left() + tx, target.top() + ty,
                             std::min(tile.width(), target.width() - tx),
                             std::min(tile.height(), target.height() - ty));
            QImage piece(part.size(), QImage::Format_Mono);
            piece.setColorTable(page.colorTable());
            for (int y = 0; y < part.height(); ++y) {
                const int srcY = source.top() + int((ty + y) * sy);
                const uchar* in = page.constScanLine(std::min(srcY, page.height() - 1));
                uchar* out = piece.scanLine(y);
                std::fill(out, out + piece.bytesPerLine(), 0);
                for (int x = 0; x < part.width(); ++x) {
                    const int srcX = std::min(source.left() + int((tx + x) * sx), page.width() - 1);
                    if ((in[srcX >> 3] >> (7 - (srcX & 7))) & 1)
                        out[x >> 3] |= uchar(0x80 >> (x & 7));
                }
            }
            if (UseDDBPrintMethod)
                painter.drawPixmap(part.topLeft(), QPixmap::fromImage(piece));
            else
                painter.drawImage(part.topLeft(), piece);
        }
    }
}

Status TFxFaxPrinter::PrintFax(QPrinter& printer) {
    if (pageCount_ < 1) return Status::Ok();
    const int first = std::max(1, FirstPageToPrint);
    const int last = LastPageToPrint < 1 ? pageCount_ : std::min(LastPageToPrint, pageCount_);
    if (last < first) return Status::Ok();
    aborted_ = false;
    printer.setDocName(Caption);
    emit printStarted();
    QPainter painter;
    if (!painter.begin(&printer)) {
        emit printFinished();
        return Status::Error("The printer cannot be opened");
    }
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    const QRect printable(0, 0, printer.width(), printer.height());
    Status result;
    for (int p = first; p <= last; ++p) {
        currentPage_ = p;
        if (p > first && StartsNewSheet(p, first, MultiPage, landscape)) printer.newPage();
        if (!keepGoing(printer)) break;
        emit OnFaxPrintProgress(p, pageCount_);
        setStatus(fpsConverting);
        QImage bitmap;
        try {
            bitmap = DecodeFaxPage(fileName_, p, StandardPages::DoubleHeight);
        } catch (const EFaxError& e) {
            result = Status::Error(e.text());
            break;
        }
        setStatus(fpsComposing);
        if (!keepGoing(printer)) break;
        QRect rect = FaxSlotRect(printable, p, first, MultiPage, landscape);
        painter.setPen(Qt::black);
        if (FaxHeader.Enabled) rect = drawMargin(painter, rect, FaxHeader, p, true);
        if (FaxFooter.Enabled) rect = drawMargin(painter, rect, FaxFooter, p, false);
        const FaxPlacement placed =
            PlaceFaxBitmap(rect, bitmap.size(), Scale == PrintScale::Stretch, printer.logicalDpiX(),
                           printer.logicalDpiY());
        setStatus(fpsRendering);
        drawBitmap(painter, bitmap, placed.target, placed.source);
        setStatus(fpsSubmitting);
    }
    if (aborted_) {
        painter.end();
        result = Status::Error("Printing was aborted");
    } else {
        painter.end();
    }
    setStatus(fpsIdle);
    emit printFinished();
    return result;
}

bool TFxFaxPrinter::PrinterSetup(QPrinter& printer, QWidget* parent) {
    printer.setFromTo(1, std::max(1, pageCount_));
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, pageCount_));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        FirstPageToPrint = printer.fromPage();
        LastPageToPrint = printer.toPage();
    }
    return true;
}

}  // namespace corvane
