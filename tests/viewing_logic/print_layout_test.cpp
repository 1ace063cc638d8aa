// Print geometry and the header and footer texts.

#include <gtest/gtest.h>

#include <QLocale>

#include "viewing/logic/export_dialog_state.h"
#include "viewing/logic/print_layout.h"
#include "viewing/logic/viewer_window_logic.h"

namespace corvane {
namespace {

TEST(ExpandMarginText, FillsTokensAndNeverRescansReplacements) {
    const QDateTime now(QDate(2026, 3, 7), QTime(9, 5));
    const QLocale locale;
    struct Case {
        const char* caption;
        QString file;
        QString expected;
    } cases[] = {
        {"Page: $P of $N", "/f/a.apf", "Page: 3 of 5"},
        {"PAGE: $p of $n", "/f/a.apf", "PAGE: 3 of 5"},
        {"FILE: $F", "/srv/fax $Pay/x.apf", "FILE: /srv/fax $Pay/x.apf"},
        {"$Page3 x", "", "3 x"},  // the token runs to the next space
        {"a $X b $", "", "a  b "},
        {"Date $D", "", "Date " + locale.toString(now.date(), QLocale::ShortFormat)},
        {"$T", "", locale.toString(now.time(), QLocale::ShortFormat)},
        {"plain", "", "plain"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandMarginText(c.caption, 3, 5, c.file, now), c.expected) << c.caption;
}

TEST(PrintLayout, SheetsOfSeveralPages) {
    // Five pages from page 1: portrait 4 + 1 (2 sheets), landscape 2 + 2 + 1 (3 sheets).
    struct Case {
        bool multi, landscape;
        int sheets;
    } cases[] = {{false, false, 5}, {true, false, 2}, {true, true, 3}};
    for (const Case& c : cases) {
        int sheets = 0;
        for (int p = 1; p <= 5; ++p) sheets += StartsNewSheet(p, 1, c.multi, c.landscape);
        EXPECT_EQ(sheets, c.sheets) << c.multi << c.landscape;
    }
    const QRect area(0, 0, 1000, 1400);
    EXPECT_EQ(FaxSlotRect(area, 7, 3, false, false), area);
    const QRect portrait[] = {
        {2, 2, 496, 696}, {502, 2, 496, 696}, {2, 702, 496, 696}, {502, 702, 496, 696}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(FaxSlotRect(area, 3 + i, 3, true, false), portrait[i]);
    EXPECT_EQ(FaxSlotRect(area, 5, 3, true, true), QRect(2, 2, 496, 1396));
    EXPECT_EQ(FaxSlotRect(area, 6, 3, true, true), QRect(502, 2, 496, 1396));
}

TEST(PrintLayout, PlacementStretchedOrTrueSize) {
    const QRect slot(10, 20, 4800, 6000);
    struct Case {
        const char* what;
        QSize bitmap;
        bool stretch;
        QRect target, source;
    } cases[] = {
        {"stretch", {1728, 2156}, true, {10, 20, 4464, 6000}, {0, 0, 1728, 2156}},
        {"stretch, half-width page", {864, 2156}, true, {10, 20, 4464, 3000}, {0, 0, 864, 2156}},
        {"stretch, wide page", {2048, 2156}, true, {10, 20, 4464, 6000}, {0, 0, 2048, 2156}},
        // 600 dpi: 5184 x 6468, cut at the slot's 6000 rows = 2000 bitmap rows.
        {"true size", {1728, 2156}, false, {10, 20, 5184, 6000}, {0, 0, 1728, 2000}},
        {"true size, short", {1728, 1000}, false, {10, 20, 5184, 3000}, {0, 0, 1728, 1000}},
    };
    for (const Case& c : cases) {
        const FaxPlacement placed = PlaceFaxBitmap(slot, c.bitmap, c.stretch, 600, 600);
        EXPECT_EQ(placed.target, c.target) << c.what;
        EXPECT_EQ(placed.source, c.source) << c.what;
    }
}

TEST(ViewerWindowLogic, ZoomStatusAndButtons) {
    EXPECT_EQ(ZoomIn(66), 75);
    EXPECT_EQ(ZoomIn(75), 100);
    EXPECT_EQ(ZoomIn(100), std::nullopt);
    EXPECT_EQ(ZoomOut(50), 25);
    EXPECT_EQ(ZoomOut(25), std::nullopt);
    EXPECT_EQ(ZoomMenuText(75), "150%");
    EXPECT_EQ(ZoomScale(75), (DisplayScale{3, 4, 3, 4}));
    // A view narrower than 0.24 of the page starts at 25.
    EXPECT_EQ(StartZoom(414, 1728), 25);
    EXPECT_EQ(StartZoom(432, 1728), 50);
    EXPECT_EQ(StartZoom(2000, 1728), 50);

    EXPECT_EQ(ViewerStatusText("From: X", 2, 5), "From: X: Page 2 of 5");
    EXPECT_EQ(ViewerStatusText("", 2, 5), "Page 2 of 5");
    EXPECT_EQ(ViewerStatusText("t", 0, 0), "No file loaded");
    EXPECT_EQ(AltViewerStatusText("", 1, 3, 50), "Page 1 of 3, 100 percent");

    struct Case {
        int page, pages;
        bool first, previous, next, last;
    } cases[] = {{1, 1, false, false, false, false},
                 {1, 3, false, false, true, true},
                 {2, 3, true, true, true, true},
                 {3, 3, true, true, false, false}};
    for (const Case& c : cases) {
        const NavigationButtons b = NavigationFor(c.page, c.pages);
        EXPECT_EQ((std::array{b.first, b.previous, b.next, b.last}),
                  (std::array{c.first, c.previous, c.next, c.last}))
            << c.page << "/" << c.pages;
    }
}

TEST(ExportDialogState, ChoicesAndTexts) {
    ExportDialogState one(1, 2);
    EXPECT_FALSE(one.allPagesEnabled());
    one.setAllPages(true);
    EXPECT_FALSE(one.allPages());
    one.setPage(5);
    EXPECT_EQ(one.page(), 1);
    EXPECT_EQ(one.format(), ExportFormat::Bmp);
    EXPECT_EQ(one.allPagesButtonText(), "All Pages");

    ExportDialogState three(3, 3);
    EXPECT_EQ(three.thisFaxText(),
              "This fax has a total of 3 page(s).  The cover page is not included when exporting");
    EXPECT_EQ(three.allPagesButtonText(), "All 3 pages");
    three.setPage(2);
    EXPECT_EQ(three.actionText(), "Export page 2 of current fax, saving as type PCX");
    three.setAllPages(true);  // PCX holds one page: switches to TIFF, hides the page chooser
    EXPECT_EQ(three.format(), ExportFormat::Tiff);
    EXPECT_FALSE(three.pageChooserVisible());
    EXPECT_FALSE(three.formatEnabled(ExportFormat::Bmp));
    three.setFormat(ExportFormat::Bmp);
    EXPECT_EQ(three.format(), ExportFormat::Tiff);
    three.setFormat(ExportFormat::Pdf);
    EXPECT_EQ(three.actionText(), "Export all pages of current fax, saving as type PDF");
    EXPECT_EQ(three.saveFileName(), "*.PDF");
    EXPECT_EQ(three.exportPage(), 0);
    EXPECT_EQ(ExportDialogState(2, 77).format(), ExportFormat::Tiff);
}

}  // namespace
}  // namespace corvane
