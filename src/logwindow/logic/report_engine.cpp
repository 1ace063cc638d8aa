#include "logwindow/logic/report_engine.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Text starts this far inside its tab, clear of the shading's edge.
constexpr double kTabPadding = 0.05;

}  // namespace

ReportEngine::ReportEngine(ReportOutput& output) : output_(output) {
    current_ = ReportPage(output_.pageSizeInches());
}

void ReportEngine::setMargins(double leftInches, double rightInches) {
    const QMarginsF border = output_.unprintableInches();
    left_ = std::max(leftInches, border.left());
    right_ = std::max(rightInches, border.right());
}

double ReportEngine::topMargin() const {
    return output_.unprintableInches().top();
}

double ReportEngine::bottomMargin() const {
    return output_.unprintableInches().bottom();
}

double ReportEngine::pageWidth() const {
    return output_.pageSizeInches().width();
}

double ReportEngine::pageHeight() const {
    return output_.pageSizeInches().height();
}

QRectF ReportEngine::printableSection() const {
    return QRectF(left_, topMargin(), pageWidth() - left_ - right_,
                  pageHeight() - topMargin() - bottomMargin());
}

void ReportEngine::setFont(const QString& name, double points, bool bold, bool italic) {
    ReportFont f{name, points, bold, italic};
    if (f == font_ && metrics_) return;
    font_ = f;
    metrics_.emplace(font_.qfont());
}

double ReportEngine::lineHeight() const {
    if (!metrics_) metrics_.emplace(font_.qfont());
    return metrics_->lineSpacing() / kReportUnitsPerInch;
}

double ReportEngine::textWidth(const QString& text) const {
    if (!metrics_) metrics_.emplace(font_.qfont());
    return metrics_->horizontalAdvance(text) / kReportUnitsPerInch;
}

QStringList ReportEngine::wrap(const QString& text, double widthInches) const {
    QStringList lines;
    QString line;
    auto fits = [&](const QString& s) { return textWidth(s) <= widthInches; };
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + ' ' + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty()) lines << line;
        line.clear();
        // A word wider than the column is cut where it reaches the edge.
        QString rest = word;
        while (!fits(rest)) {
            qsizetype n = 1;
            while (n < rest.size() && fits(rest.left(n + 1))) ++n;
            lines << rest.left(n);
            rest = rest.mid(n);
        }
        line = rest;
    }
    if (!line.isEmpty() || lines.isEmpty()) lines << line;
    return lines;
}

void ReportEngine::clearTabs() {
    tabs_.clear();
    nextTab_ = 0;
}

void ReportEngine::setTab(double leftInches, double widthInches, Justify justify,
                          int shadePercent) {
    tabs_.push_back(Tab{leftInches, widthInches, justify, shadePercent});
}

void ReportEngine::setTabShade(int shadePercent) {
    for (Tab& t : tabs_) t.shadePercent = shadePercent;
}

void ReportEngine::printTab(const QString& text) {
    if (nextTab_ >= tabs_.size()) return;
    const Tab& tab = tabs_[nextTab_++];
    if (tab.shadePercent > 0) {
        ReportPageItem box;
        box.kind = ReportPageItem::Box;
        box.box = QRectF(tab.left, y_, tab.width, lineHeight());
        box.greyPercent = tab.shadePercent;
        current_.add(box);
    }
    if (text.isEmpty()) return;
    const double x = tab.justify == Justify::Left
                         ? tab.left + kTabPadding
                         : tab.left + tab.width - kTabPadding - textWidth(text);
    addText(x, text);
}

void ReportEngine::addText(double x, const QString& text) {
    if (!metrics_) metrics_.emplace(font_.qfont());
    ReportPageItem item;
    item.kind = ReportPageItem::Text;
    item.at = QPointF(x, y_ + metrics_->ascent() / kReportUnitsPerInch);
    item.text = text;
    item.font = font_;
    current_.add(item);
}

void ReportEngine::printLeft(const QString& text) {
    addText(left_, text);
}

void ReportEngine::printRight(const QString& text) {
    addText(pageWidth() - right_ - textWidth(text), text);
}

int ReportEngine::printWrapped(const QRectF& rect, const QString& text) {
    const double saved = y_;
    int drawn = 0;
    y_ = rect.top();
    for (const QString& line : wrap(text, rect.width())) {
        if (y_ + lineHeight() > rect.bottom() + 1e-9) break;
        addText(rect.left(), line);
        y_ += lineHeight();
        ++drawn;
    }
    y_ = saved;
    return drawn;
}

void ReportEngine::rule(double yInches) {
    ReportPageItem line;
    line.kind = ReportPageItem::Line;
    line.at = QPointF(left_, yInches);
    line.to = QPointF(pageWidth() - right_, yInches);
    current_.add(line);
}

double ReportEngine::bodyBottom() const {
    return bodyBottom_ ? *bodyBottom_ : pageHeight() - bottomMargin();
}

int ReportEngine::linesLeft() const {
    const double room = bodyBottom() - y_;
    if (room <= 0) return 0;
    // A little slack so that a line ending exactly on the bottom still counts.
    return int(std::floor(room / lineHeight() + 1e-6));
}

void ReportEngine::newLine() {
    y_ += lineHeight();
    nextTab_ = 0;
}

void ReportEngine::startPage() {
    ++page_;
    current_ = ReportPage(output_.pageSizeInches());
    y_ = topMargin();
    nextTab_ = 0;
    if (onPage) onPage(page_);
    if (onPageHeader) onPageHeader(*this);
    nextTab_ = 0;
}

Status ReportEngine::newPage() {
    if (!failed_.ok()) return failed_;
    failed_ = output_.addPage(current_);
    if (!failed_.ok()) {
        canceled_ = true;
        return failed_;
    }
    ++pagesDone_;
    startPage();
    return Status::Ok();
}

Status ReportEngine::run(const std::function<void(ReportEngine&)>& body) {
    page_ = pagesDone_ = 0;
    canceled_ = stopped_ = false;
    failed_ = Status::Ok();
    startPage();
    if (!canceled_ && body) body(*this);
    if (!failed_.ok()) {
        output_.abort();
        return failed_;
    }
    if (canceled_ && !stopped_) {
        output_.abort();
        return Status::Error("The report was canceled");
    }
    if (Status s = output_.addPage(current_); !s.ok()) {
        output_.abort();
        return s;
    }
    ++pagesDone_;
    return output_.finish();
}

}  // namespace corvane
