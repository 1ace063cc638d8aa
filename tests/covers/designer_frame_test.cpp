// The selection frame: which handle is under the pointer, where a mouse drag or an arrow key
// puts the frame (every mode, with and without snapping, at the page's edges, at the minimum
// size), and how the selected objects follow it.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include "covers/design_page.h"
#include "covers/selection_frame.h"
#include "fixtures/temp_home.h"

// Lets gtest print rectangles as (left,top widthxheight).
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << '(' << r.left() << ',' << r.top() << ' ' << r.width() << 'x' << r.height() << ')';
}

namespace corvane {
namespace {

const QSize kPage(768, 960);

TEST(SelectionFrame, LiesTwoOutsideOnTheLeftAndTopAndThreeOnTheRightAndBottom) {
    EXPECT_EQ(FrameAround(QRect(100, 100, 50, 30)), QRect(98, 98, 55, 35));
}

TEST(SelectionFrame, HandlesUnderThePointer) {
    // The frame of an object 50 x 30: 55 x 35.
    const QSize frame(55, 35);
    struct Row {
        QPoint p;
        ResizeMode single;
    } rows[] = {
        {{0, 0}, ResizeMode::TopLeft},       {{7, 7}, ResizeMode::TopLeft},
        {{8, 8}, ResizeMode::Move},          {{54, 0}, ResizeMode::TopRight},
        {{47, 7}, ResizeMode::TopRight},     {{0, 34}, ResizeMode::BottomLeft},
        {{54, 34}, ResizeMode::BottomRight}, {{27, 2}, ResizeMode::Top},
        {{21, 2}, ResizeMode::Top},          {{20, 2}, ResizeMode::Move},  // 7 from the middle
        {{27, 33}, ResizeMode::Bottom},      {{2, 17}, ResizeMode::Left},
        {{52, 17}, ResizeMode::Right},       {{27, 17}, ResizeMode::Move},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.p.x() << ',' << r.p.y());
        EXPECT_EQ(ResizeModeAt(r.p, frame, true), r.single);
        EXPECT_EQ(ResizeModeAt(r.p, frame, false), ResizeMode::Move);  // no handles
    }
}

TEST(SelectionFrame, DragArithmeticInEveryModeWithAndWithoutSnapping) {
    const QRect f(98, 98, 55, 35);  // round an object at (100, 100) sized 50 x 30
    const QRect nearRight(700, 98, 55, 35);
    using M = ResizeMode;
    struct Row {
        const char* what;
        QRect frame;
        M mode;
        QPoint d;
        int grid;
        QRect expected;
    } rows[] = {
        {"move", f, M::Move, {10, 5}, 1, {108, 103, 55, 35}},
        {"move snapped to 4", f, M::Move, {10, 5}, 4, {108, 100, 55, 35}},
        {"move snapped to 8", f, M::Move, {10, 5}, 8, {104, 96, 55, 35}},
        {"frame lands at 27 on 8: at 24", {20, 50, 55, 35}, M::Move, {7, 0}, 8, {24, 48, 55, 35}},
        {"move stops at the left and top", f, M::Move, {-500, -500}, 1, {0, 0, 55, 35}},
        {"move stops at the right and bottom", f, M::Move, {2000, 2000}, 1, {713, 925, 55, 35}},
        {"... and snaps inside", f, M::Move, {2000, 2000}, 8, {712, 920, 55, 35}},
        {"an object at 0 may move along the edge",
         {-2, -2, 55, 35},
         M::Move,
         {0, 30},
         1,
         {-2, 28, 55, 35}},
        {"top left", f, M::TopLeft, {10, 10}, 1, {108, 108, 45, 25}},
        {"top left on 8", f, M::TopLeft, {10, 10}, 8, {104, 104, 49, 29}},
        {"top right", f, M::TopRight, {10, -10}, 1, {98, 88, 64, 45}},
        {"top right on 4", f, M::TopRight, {10, -10}, 4, {98, 88, 63, 45}},
        {"bottom left", f, M::BottomLeft, {-10, 10}, 1, {88, 98, 65, 44}},
        {"bottom right on 8", f, M::BottomRight, {10, 10}, 8, {98, 98, 63, 39}},
        {"top", f, M::Top, {30, -20}, 1, {98, 78, 55, 55}},
        {"left on 4", f, M::Left, {-20, 40}, 4, {76, 98, 77, 35}},
        {"bottom", f, M::Bottom, {30, 20}, 1, {98, 98, 55, 54}},
        {"right on 8", f, M::Right, {20, 0}, 8, {98, 98, 71, 35}},
        {"right edge stops at the page", nearRight, M::Right, {1000, 0}, 1, {700, 98, 67, 35}},
        {"... snapped", nearRight, M::Right, {1000, 0}, 8, {700, 98, 63, 35}},
        {"left edge stops at 0", f, M::Left, {-1000, 0}, 1, {0, 98, 153, 35}},
        {"top edge stops at 0 (the right edge's - 1 stays)",
         f,
         M::TopRight,
         {0, -1000},
         4,
         {98, 0, 51, 133}},
        {"bottom edge stops at the page", f, M::Bottom, {0, 5000}, 1, {98, 98, 55, 861}},
        {"collapsed right and bottom: 5 x 5", f, M::BottomRight, {-100, -100}, 1, {98, 98, 5, 5}},
        {"left and top past the others: 5 x 5", f, M::TopLeft, {100, 100}, 1, {198, 198, 5, 5}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(DraggedFrame(r.frame, r.mode, r.d, r.grid, kPage), r.expected);
    }
}

TEST(SelectionFrame, ArrowKeysMoveTheOutlineAndShiftResizesASingleSelection) {
    const QRect o(10, 20, 30, 40);
    using K = ArrowKey;
    struct Row {
        const char* what;
        QRect outline;
        K key;
        bool shift;
        bool single;
        QRect expected;
    } rows[] = {
        {"left", o, K::Left, false, true, {9, 20, 30, 40}},
        {"down", o, K::Down, false, false, {10, 21, 30, 40}},
        {"not past the left", {0, 0, 30, 40}, K::Left, false, true, {0, 0, 30, 40}},
        {"not past the top", {0, 0, 30, 40}, K::Up, false, true, {0, 0, 30, 40}},
        {"not past the right", {738, 0, 30, 40}, K::Right, false, true, {738, 0, 30, 40}},
        {"not past the bottom", {0, 920, 30, 40}, K::Down, false, true, {0, 920, 30, 40}},
        {"shift left shrinks", o, K::Left, true, true, {10, 20, 29, 40}},
        {"shift up shrinks", o, K::Up, true, true, {10, 20, 30, 39}},
        {"... not to 10", {0, 0, 10, 40}, K::Left, true, true, {0, 0, 10, 40}},
        {"shift right grows", o, K::Right, true, true, {10, 20, 31, 40}},
        {"... within the page", {738, 0, 30, 40}, K::Right, true, true, {738, 0, 30, 40}},
        {"shift down grows", o, K::Down, true, true, {10, 20, 30, 41}},
        {"shift with several selected: nothing", o, K::Right, true, false, o},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(KeyedOutline(r.outline, r.key, r.shift, r.single, kPage), r.expected);
    }
}

class PageDrag : public ::testing::Test {
  protected:
    testing::TempHome home;
    DesignPage page{home.file("Clipbrd.tmp")};
    int changes = 0;

    void SetUp() override {
        page.onChange = [this] { ++changes; };
    }

    TFaxGraphicControl* shape(int l, int t, int w, int h) {
        page.SetPanelState(psRectangle);
        return page.placeObject(QRect(l, t, w, h));
    }
};

TEST_F(PageDrag, ObjectsFollowTheFrameAndSnapTwoPastAGridPoint) {
    TFaxGraphicControl* o = shape(100, 100, 50, 30);
    page.clickObject(o, false);
    page.SnapToGrid = true;
    page.GridSize = gs8x8;
    changes = 0;
    EXPECT_TRUE(page.finishDrag(ResizeMode::BottomRight, QPoint(10, 10), 400));
    EXPECT_EQ(o->BoundsRect(), QRect(100, 100, 58, 34));
    EXPECT_TRUE(page.finishDrag(ResizeMode::Move, QPoint(-71, 3), 400));  // frame to 27 -> 24
    EXPECT_EQ(o->BoundsRect(), QRect(26, 98, 58, 34));
    EXPECT_EQ(changes, 2);
}

TEST_F(PageDrag, AClickShortOfTheDragTimeOrWithoutMotionMovesNothing) {
    TFaxGraphicControl* o = shape(100, 100, 50, 30);
    page.clickObject(o, false);
    changes = 0;
    EXPECT_FALSE(page.finishDrag(ResizeMode::Move, QPoint(40, 40), 149));
    EXPECT_FALSE(page.finishDrag(ResizeMode::BottomRight, QPoint(0, 0), 1000));
    EXPECT_EQ(o->BoundsRect(), QRect(100, 100, 50, 30));
    EXPECT_EQ(changes, 0);
}

TEST_F(PageDrag, LockedObjectsStayWhileTheOthersMove) {
    TFaxGraphicControl* a = shape(100, 100, 50, 30);
    TFaxGraphicControl* locked = shape(300, 200, 40, 40);
    locked->SetLocked(true);
    page.clickObject(a, false);
    page.clickObject(locked, true);
    EXPECT_EQ(page.modeAt(QPoint(98, 98)), ResizeMode::Move);  // several: no handles
    EXPECT_TRUE(page.finishDrag(ResizeMode::Move, QPoint(20, 7), 300));
    EXPECT_EQ(a->BoundsRect(), QRect(120, 107, 50, 30));
    EXPECT_EQ(locked->BoundsRect(), QRect(300, 200, 40, 40));
}

TEST_F(PageDrag, ShrinkingAMultipleSelectionKeepsEveryObjectAtLeastOnePixel) {
    TFaxGraphicControl* small = shape(100, 100, 25, 15);
    TFaxGraphicControl* big = shape(100, 100, 200, 200);
    page.selectAll();
    // The frame (98, 98, 205, 205) becomes 5 x 5: both objects lose 200 pixels each way.
    page.applyFrame(QRect(98, 98, 5, 5));
    EXPECT_EQ(big->BoundsRect(), QRect(100, 100, 1, 1));
    EXPECT_EQ(small->BoundsRect(), QRect(100, 100, 1, 1));
}

TEST_F(PageDrag, PlacingNormalisesTheRectangleAndNamesTheObject) {
    page.SetPanelState(psRectangle);
    TFaxGraphicControl* tiny = page.placeObject(QRect(40, 30, -9, -9));  // dragged up and left
    EXPECT_EQ(tiny->BoundsRect(), QRect(31, 21, 50, 15));
    EXPECT_EQ(tiny->Name(), "Special1");
    EXPECT_TRUE(page.Pointing());
    page.SetPanelState(psLine);
    auto* line = dynamic_cast<TFaxCoverLine*>(page.placeObject(QRect(0, 0, 30, 100)));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->LineStyle(), stVertical);
    EXPECT_EQ(line->Name(), "Special2");
    page.SetPanelState(psRoundRectangle);
    auto* round = dynamic_cast<TFaxCoverShapes*>(page.placeObject(QRect(0, 0, 30, 30)));
    ASSERT_TRUE(round);
    EXPECT_EQ(round->Shape(), stRoundRect);
    EXPECT_EQ(page.placeObject(QRect(0, 0, 30, 30)), nullptr);  // the pointer places nothing
}

TEST_F(PageDrag, ClicksBandsAndShiftBuildTheSelection) {
    TFaxGraphicControl* a = shape(10, 10, 50, 50);
    TFaxGraphicControl* b = shape(40, 40, 50, 50);  // over a
    TFaxGraphicControl* c = shape(300, 300, 50, 50);
    EXPECT_EQ(page.objectAt(QPoint(45, 45)), b);
    b->SetUnselectable(true);
    EXPECT_EQ(page.objectAt(QPoint(45, 45)), a);  // the click goes to what lies beneath
    page.clickObject(b, false);
    EXPECT_TRUE(page.selection().empty());

    page.bandSelect(QRect(QPoint(100, 100), QPoint(0, 0)), false);
    EXPECT_EQ(page.selection(), (std::vector<TFaxGraphicControl*>{a, b}));
    page.bandSelect(QRect(0, 0, 20, 20), true);  // toggles a out
    EXPECT_EQ(page.selection(), (std::vector<TFaxGraphicControl*>{b}));
    page.clickObject(c, true);
    page.deselectAt(QPoint(310, 310));
    EXPECT_EQ(page.selection(), (std::vector<TFaxGraphicControl*>{b}));
    page.selectAll();
    EXPECT_EQ(page.selection().size(), 3u);
    EXPECT_EQ(page.frame(), QRect(8, 8, 345, 345));
}

}  // namespace
}  // namespace corvane
