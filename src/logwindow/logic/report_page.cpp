#include "logwindow/logic/report_page.h"

#include <QPainter>
#include <cmath>
#include <optional>

namespace corvane {

QFont ReportFont::qfont() const {
    // Fontconfig maps "Times New Roman" to Liberation Serif already; the substitution keeps it
    // so where a configuration does not.
    static const bool substituted = [] {
        QFont::insertSubstitution("Times New Roman", "Liberation Serif");
        return true;
    }();
    (void)substituted;
    QFont f(name);
    f.setPixelSize(std::max(1, int(std::lround(points * kReportUnitsPerInch / 72.0))));
    f.setBold(bold);
    f.setItalic(italic);
    // Hinting would make widths depend on the target's resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

void ReportPage::paint(QPainter& painter, double dotsPerInch) const {
    painter.save();
    painter.scale(dotsPerInch / kReportUnitsPerInch, dotsPerInch / kReportUnitsPerInch);
    const double u = kReportUnitsPerInch;
    QPen pen(Qt::black);
    pen.setWidthF(u / 100.0);  // rules of 1/100 inch
    std::optional<ReportFont> current;
    for (const ReportPageItem& item : items_) {
        switch (item.kind) {
            case ReportPageItem::Text:
                painter.setPen(Qt::black);
                if (current != item.font) {
                    painter.setFont(item.font.qfont());
                    current = item.font;
                }
                painter.drawText(item.at * u, item.text);
                break;
            case ReportPageItem::Line:
                painter.setPen(pen);
                painter.drawLine(item.at * u, item.to * u);
                break;
            case ReportPageItem::Box: {
                const int level = 255 - item.greyPercent * 255 / 100;
                const QRectF r(item.box.topLeft() * u, item.box.size() * u);
                painter.fillRect(r, QColor(level, level, level));
                break;
            }
        }
    }
    painter.restore();
}

}  // namespace corvane
