#pragma once
// The report engine: lays out a paginated report of text lines, tab columns with shading,
// word-wrapped text, rules and page headers, in inches, and hands each finished page to a
// ReportOutput (printer, PDF file or the pages kept for the preview).
//
// The engine keeps a current line (its top, in inches from the top of the paper) and the font
// of that line; newLine() moves down by the font's line height. A page header callback runs at
// the start of every page and leaves the current line where the body begins. The body ends at
// bodyBottom(); linesLeft() counts the lines of the current font that still fit above it.

#include <QFontMetricsF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/status.h"
#include "logwindow/logic/report_output.h"
#include "logwindow/logic/report_page.h"

namespace corvane {

class ReportEngine {
  public:
    enum class Justify { Left, Right };
    struct Tab {
        double left;   // inches from the paper's left edge
        double width;  // inches
        Justify justify = Justify::Left;
        int shadePercent = 0;  // grey behind the tab on every line printed into it
    };

    explicit ReportEngine(ReportOutput& output);

    // Margins. Left and right are chosen by the report (they never go inside the unprintable
    // border); top and bottom are the output's.
    void setMargins(double leftInches, double rightInches);
    double leftMargin() const { return left_; }
    double rightMargin() const { return right_; }
    double topMargin() const;
    double bottomMargin() const;
    double pageWidth() const;
    double pageHeight() const;
    // The area inside all four margins, in inches from the paper's corner.
    QRectF printableSection() const;

    void setFont(const QString& name, double points, bool bold = false, bool italic = false);
    const ReportFont& font() const { return font_; }
    double lineHeight() const;
    // Width of `text` in the current font, in inches.
    double textWidth(const QString& text) const;
    // `text` broken into lines no wider than `widthInches` in the current font: at blanks, and
    // inside a word only when the word alone is wider. An empty text is one empty line.
    QStringList wrap(const QString& text, double widthInches) const;

    // Tabs: a row of columns for the lines that follow; printTab() fills the next one.
    void clearTabs();
    void setTab(double leftInches, double widthInches, Justify justify = Justify::Left,
                int shadePercent = 0);
    const std::vector<Tab>& tabs() const { return tabs_; }
    void setTabShade(int shadePercent);  // for every tab of the row
    void printTab(const QString& text = {});

    // Text on the current line at the left margin, and ending at the right margin.
    void printLeft(const QString& text);
    void printRight(const QString& text);
    // Word-wraps `text` into `rect` (inches) from its top, one line per line height, and
    // returns the number of lines drawn (lines that would leave the rectangle are dropped).
    int printWrapped(const QRectF& rect, const QString& text);
    // A horizontal rule across the margins, `yInches` from the top of the paper.
    void rule(double yInches);

    double y() const { return y_; }
    void setY(double inches) { y_ = inches; }
    void setBodyBottom(double inches) { bodyBottom_ = inches; }
    double bodyBottom() const;
    int linesLeft() const;
    int pageNumber() const { return page_; }
    void newLine();
    // Ends the page and starts the next one with its header. Fails when the output refused
    // the finished page; nothing more is drawn then.
    Status newPage();

    // Runs a report: the first page starts with its header, `body` lays out the rest, and the
    // last page goes out at the end. `onPage` is told each page number as the page starts
    // (the status line); cancel() (from it, or from the body) ends the report at the current
    // page: the output is aborted and the result says so.
    std::function<void(ReportEngine&)> onPageHeader;
    std::function<void(int page)> onPage;
    Status run(const std::function<void(ReportEngine&)>& body);
    void cancel() { canceled_ = true; }
    bool canceled() const { return canceled_; }
    // Like cancel(), but the pages laid out so far, the current one included, still go out
    // (a preview stopped at a page shows the pages before it).
    void stop() { stopped_ = canceled_ = true; }
    bool stopped() const { return stopped_; }
    // Pages handed to the output so far.
    int pagesDone() const { return pagesDone_; }

  private:
    void startPage();
    void addText(double x, const QString& text);

    ReportOutput& output_;
    double left_ = 1.0, right_ = 1.0;
    ReportFont font_;
    std::vector<Tab> tabs_;
    size_t nextTab_ = 0;
    double y_ = 0;
    std::optional<double> bodyBottom_;
    int page_ = 0;
    int pagesDone_ = 0;
    bool canceled_ = false;
    bool stopped_ = false;
    Status failed_;
    mutable std::optional<QFontMetricsF> metrics_;
    ReportPage current_;
};

}  // namespace corvane
