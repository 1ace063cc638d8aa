// The report engine: wrapping, tabs with shading, lines left, page headers and numbers, and
// what reaches the output when a report completes, is stopped or is canceled.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "logwindow/logic/report_engine.h"

namespace corvane {
namespace {

QStringList textsOf(const ReportPage& page) {
    QStringList texts;
    for (const auto& item : page.items())
        if (item.kind == ReportPageItem::Text) texts << item.text;
    return texts;
}

TEST(ReportEngine, WrapsAtBlanksAndCutsOnlyOverlongWords) {
    KeptPages out;
    ReportEngine e(out);
    e.setFont("Times New Roman", 9);
    const double w = e.textWidth("alpha beta");
    EXPECT_EQ(e.wrap("alpha beta gamma", w + 0.01), (QStringList{"alpha beta", "gamma"}));
    EXPECT_EQ(e.wrap("", 1.0), QStringList{""});
    const QStringList cut = e.wrap("ABCDEFGHIJKLMNOPQRSTUVWXYZ", e.textWidth("ABCDEFGHIJ"));
    EXPECT_EQ(cut.join(""), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(cut.first(), "ABCDEFGHIJ");
    for (const QString& line : cut) EXPECT_LE(e.textWidth(line), e.textWidth("ABCDEFGHIJ"));
}

TEST(ReportEngine, TimesNewRomanIsDrawnWithLiberationSerif) {
    ReportFont f;
    EXPECT_EQ(QFontInfo(f.qfont()).family(), "Liberation Serif");
}

TEST(ReportEngine, PagesCarryHeadersNumbersAndShadedTabs) {
    KeptPages out;
    ReportEngine e(out);
    e.onPageHeader = [](ReportEngine& r) {
        r.setFont("Times New Roman", 12, true);
        r.printLeft("Title");
        r.printRight("Page " + QString::number(r.pageNumber()));
        r.newLine();
        r.setFont("Times New Roman", 9);
    };
    int linesOnFirstPage = -1;
    const Status done = e.run([&](ReportEngine& r) {
        r.setTab(1.0, 2.0, ReportEngine::Justify::Left, 5);
        r.setTab(3.0, 2.0, ReportEngine::Justify::Right, 0);
        linesOnFirstPage = r.linesLeft();
        for (int i = 0; i < linesOnFirstPage + 3; ++i) {
            if (r.linesLeft() < 1) {
                ASSERT_TRUE(r.newPage().ok());
            }
            r.printTab(QString("L%1").arg(i));
            r.printTab("R");
            r.newLine();
        }
    });
    ASSERT_TRUE(done.ok()) << done.message().toStdString();
    ASSERT_EQ(out.pages().size(), 2u);
    EXPECT_EQ(e.pagesDone(), 2);
    const QStringList second = textsOf(out.pages()[1]);
    EXPECT_EQ(second.mid(0, 3),
              (QStringList{"Title", "Page 2", QString("L%1").arg(linesOnFirstPage)}));
    int boxes = 0;
    for (const auto& item : out.pages()[0].items()) {
        if (item.kind != ReportPageItem::Box) continue;
        ++boxes;
        EXPECT_EQ(item.greyPercent, 5);
        EXPECT_DOUBLE_EQ(item.box.left(), 1.0);
        EXPECT_LE(item.box.bottom(), e.pageHeight() - e.bottomMargin() + 1e-9);
    }
    EXPECT_EQ(boxes, linesOnFirstPage);  // the unshaded tab draws no box
    // Right-justified text ends at the tab's right edge, less its padding.
    for (const auto& item : out.pages()[0].items())
        if (item.kind == ReportPageItem::Text && item.text == "R") {
            EXPECT_GT(item.at.x(), 4.8);
        }
}

TEST(ReportEngine, StopKeepsThePagesSoFarAndCancelKeepsNothing) {
    for (const bool stop : {true, false}) {
        KeptPages out;
        ReportEngine e(out);
        e.onPage = [&](int page) {
            if (page == 3) stop ? e.stop() : e.cancel();
        };
        const Status s = e.run([](ReportEngine& r) {
            while (!r.canceled()) {
                r.printLeft("x");
                if (!r.newPage().ok()) return;
            }
        });
        EXPECT_EQ(s.ok(), stop);
        if (stop) {
            EXPECT_EQ(out.pages().size(), 3u);
        }
    }
}

TEST(ReportEngine, CanceledPdfLeavesNoFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    {
        PdfFileOutput pdf(path);
        ReportEngine e(pdf);
        const Status s = e.run([](ReportEngine& r) {
            r.printLeft("page one");
            (void)r.newPage();
            r.cancel();
        });
        EXPECT_FALSE(s.ok());
    }
    EXPECT_FALSE(QFile::exists(path));
    PdfFileOutput pdf(path);
    ReportEngine e(pdf);
    ASSERT_TRUE(e.run([](ReportEngine& r) { r.printLeft("done"); }).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
}

}  // namespace
}  // namespace corvane
