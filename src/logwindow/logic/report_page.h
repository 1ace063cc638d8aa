#pragma once
// One laid-out page of a report: text runs, rules and shaded boxes placed in inches from the
// page's top left corner. The report engine fills pages; a page is painted the same way onto a
// printer, a PDF file or the preview, at whatever resolution the target has.
//
// Text is measured and painted with fonts sized in pixels of a fixed reference resolution and
// scaled by the painter, so a line breaks at the same word on every target.

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

class QPainter;

namespace corvane {

// Pixels per inch of the coordinates fonts are measured in.
constexpr double kReportUnitsPerInch = 1200.0;

// A font by name, size in points, bold and italic, as the report asks for it; "Times New
// Roman" is drawn with its metric twin, Liberation Serif.
struct ReportFont {
    QString name = "Times New Roman";
    double points = 10;
    bool bold = false;
    bool italic = false;

    // The font at the reference resolution.
    QFont qfont() const;
    bool operator==(const ReportFont&) const = default;
};

struct ReportPageItem {
    enum Kind { Text, Line, Box } kind = Text;
    QPointF at;  // text: left end of the baseline; line: start
    QPointF to;  // line: end
    QRectF box;  // box: the area filled
    QString text;
    ReportFont font;
    int greyPercent = 0;  // box: 5 is a light grey
};

class ReportPage {
  public:
    explicit ReportPage(QSizeF sizeInches = QSizeF(8.5, 11)) : size_(sizeInches) {}

    QSizeF sizeInches() const { return size_; }
    const std::vector<ReportPageItem>& items() const { return items_; }
    void add(ReportPageItem item) { items_.push_back(std::move(item)); }

    // Paints the page with the painter's coordinates at `dotsPerInch` from the page's corner.
    void paint(QPainter& painter, double dotsPerInch) const;

  private:
    QSizeF size_;
    std::vector<ReportPageItem> items_;
};

}  // namespace corvane
