// The page's commands as the design file records them: align, centre, lock, drawing order;
// the clipboard file (copy, cut, paste with its one-second rule, clone); zoom steps.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QFile>
#include <functional>
#include <set>

#include "covers/design_page.h"
#include "covers/design_stream.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

class Page : public ::testing::Test {
  protected:
    testing::TempHome home;
    DesignPage page{home.file("Clipbrd.tmp")};
    qint64 now = 100000;
    int changes = 0;

    void SetUp() override {
        page.onChange = [this] { ++changes; };
        page.clock = [this] { return now; };
    }

    TFaxGraphicControl* place(TLPanelState tool, int l, int t, int w, int h) {
        page.SetPanelState(tool);
        return page.placeObject(QRect(l, t, w, h));
    }

    // The objects as the design file holds them.
    CoverObjectList saved() {
        Result<CoverObjectList> read = DecodeDesignStream(EncodeDesignStream(page.objects()));
        EXPECT_TRUE(read.ok()) << read.message().toStdString();
        return read.ok() ? std::move(read).value() : CoverObjectList();
    }

    static std::vector<QRect> bounds(const CoverObjectList& list) {
        std::vector<QRect> r;
        for (const auto& o : list) r.push_back(o->BoundsRect());
        return r;
    }
};

TEST_F(Page, AlignAndCentreAsWrittenToTheDesignFile) {
    place(psRectangle, 40, 10, 30, 20);
    place(psRectangle, 20, 50, 60, 25);
    place(psEllipse, 90, 100, 40, 40);
    struct Row {
        const char* what;
        std::function<void()> command;
        std::vector<QRect> expected;
    } rows[] = {
        {"align left",
         [&] { page.alignLefts(); },
         {{20, 10, 30, 20}, {20, 50, 60, 25}, {20, 100, 40, 40}}},
        {"align right: the largest right edge, 80",
         [&] { page.alignRights(); },
         {{50, 10, 30, 20}, {20, 50, 60, 25}, {40, 100, 40, 40}}},
        {"align tops",
         [&] { page.alignTops(); },
         {{50, 10, 30, 20}, {20, 10, 60, 25}, {40, 10, 40, 40}}},
        {"align bottoms: the lowest bottom edge, 50",
         [&] { page.alignBottoms(); },
         {{50, 30, 30, 20}, {20, 25, 60, 25}, {40, 10, 40, 40}}},
        {"centre horizontally: 384 - width div 2",
         [&] { page.centerHorizontally(page.selection()); },
         {{369, 30, 30, 20}, {354, 25, 60, 25}, {364, 10, 40, 40}}},
        {"centre vertically: 480 - height div 2",
         [&] { page.centerVertically(page.selection()); },
         {{369, 470, 30, 20}, {354, 468, 60, 25}, {364, 460, 40, 40}}},
    };
    page.selectAll();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const int before = changes;
        r.command();
        EXPECT_EQ(bounds(saved()), r.expected);
        EXPECT_EQ(changes, before + 1);
    }
}

TEST_F(Page, LockAndSelectabilityAndOrderAsWrittenToTheDesignFile) {
    TFaxGraphicControl* a = place(psRectangle, 0, 0, 30, 30);
    TFaxGraphicControl* b = place(psEllipse, 100, 0, 30, 30);
    TFaxGraphicControl* c = place(psLine, 200, 0, 30, 30);
    page.lockAll(true);
    page.markAllUnselectable(true);
    for (const auto& o : saved()) {
        EXPECT_TRUE(o->Locked());
        EXPECT_TRUE(o->Unselectable());
    }
    page.lockAll(false);
    page.markAllUnselectable(false);
    for (const auto& o : saved()) {
        EXPECT_FALSE(o->Locked());
        EXPECT_FALSE(o->Unselectable());
    }

    page.bringToFront({a, b});  // a and b keep their order among themselves
    EXPECT_EQ(bounds(saved()),
              (std::vector<QRect>{c->BoundsRect(), a->BoundsRect(), b->BoundsRect()}));
    page.sendToBack({b});
    EXPECT_EQ(bounds(saved()),
              (std::vector<QRect>{b->BoundsRect(), c->BoundsRect(), a->BoundsRect()}));
    // The menu of an object outside the selection acts on that object alone.
    page.clickObject(a, false);
    EXPECT_EQ(page.targets(c), std::vector<TFaxGraphicControl*>{c});
    EXPECT_EQ(page.targets(a), std::vector<TFaxGraphicControl*>{a});
    page.makeUnselectable(a);
    EXPECT_TRUE(page.selection().empty());
}

TEST_F(Page, CopyThenPasteTwiceWithinASecondThenAfterIt) {
    TFaxGraphicControl* label = place(psLabel, 10, 20, 150, 30);
    place(psRectangle, 300, 300, 40, 40);
    EXPECT_FALSE(page.clipboardExists());
    EXPECT_TRUE(page.paste().ok());  // no clipboard file: nothing
    EXPECT_EQ(page.objects().size(), 2u);

    page.clickObject(label, false);
    ASSERT_TRUE(page.copy(page.selection()).ok());
    const QByteArray clip = home.read("Clipbrd.tmp");
    EXPECT_TRUE(clip.startsWith(QByteArray("\x01TPF0\x0eTFaxCoverLabel", 20)));
    EXPECT_TRUE(clip.endsWith(QByteArray("\0\0\0", 3)));

    ASSERT_TRUE(page.paste().ok());
    now += 999;
    ASSERT_TRUE(page.paste().ok());  // a repeat: ignored
    ASSERT_EQ(page.objects().size(), 3u);
    const TFaxGraphicControl* first = page.objects()[2].get();
    EXPECT_EQ(first->BoundsRect().topLeft(), QPoint(25, 35));
    EXPECT_EQ(first->Name(), "Component0");
    EXPECT_EQ(page.selection(), std::vector<TFaxGraphicControl*>{page.objects()[2].get()});
    EXPECT_EQ(dynamic_cast<const TFaxCoverLabel*>(first)->Caption(), "<text>");

    now += 1;
    ASSERT_TRUE(page.paste().ok());
    ASSERT_EQ(page.objects().size(), 4u);
    EXPECT_EQ(page.objects()[3]->Name(), "Component1");
    EXPECT_EQ(page.objects()[3]->BoundsRect().topLeft(), QPoint(25, 35));
}

TEST_F(Page, CutRemovesAndPasteAtAnotherZoomScalesTheCopies) {
    TFaxGraphicControl* box = place(psRectangle, 100, 100, 40, 20);
    ASSERT_TRUE(page.cut({box}).ok());
    EXPECT_TRUE(page.objects().empty());
    EXPECT_TRUE(page.selection().empty());
    page.ZoomOut();  // 90 %
    page.ZoomOut();  // 80 %
    ASSERT_TRUE(page.paste().ok());
    ASSERT_EQ(page.objects().size(), 1u);
    EXPECT_EQ(page.objects()[0]->BoundsRect(), QRect(92, 92, 32, 16));  // (115, 115) at 80 %
}

TEST_F(Page, CloneIsAStreamCopyTwentyFivePixelsLower) {
    TFaxGraphicControl* line = place(psLine, 50, 60, 30, 100);
    auto* copy = dynamic_cast<TFaxCoverLine*>(page.clone(line));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->BoundsRect(), QRect(50, 85, 30, 100));
    EXPECT_EQ(copy->LineStyle(), stVertical);
    EXPECT_EQ(page.selection(), std::vector<TFaxGraphicControl*>{copy});
    EXPECT_EQ(page.objects().size(), 2u);
}

TEST_F(Page, DeleteRemovesTheSelection) {
    place(psRectangle, 0, 0, 30, 30);
    TFaxGraphicControl* b = place(psRectangle, 50, 0, 30, 30);
    page.selectAll();
    page.deleteObjects(page.selection());
    EXPECT_TRUE(page.objects().empty());
    EXPECT_TRUE(page.selection().empty());
    (void)b;
}

TEST(Zoom, StepsStopExactlyAtOneHundredFiftyAndFiftyPercent) {
    float z = 1.0f;
    int steps = 0;
    while (ZoomedIn(z) != z) z = ZoomedIn(z), ++steps;
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(ZoomCaption(z), "150%");
    steps = 0;
    while (ZoomedOut(z) != z) z = ZoomedOut(z), ++steps;
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(ZoomCaption(z), "50%");

    // Whatever the order of presses, only the eleven captions 50 % .. 150 % are reachable.
    std::set<float> seen{1.0f};
    std::vector<float> open{1.0f};
    std::set<QString> captions;
    while (!open.empty()) {
        const float at = open.back();
        open.pop_back();
        captions.insert(ZoomCaption(at));
        for (float next : {ZoomedIn(at), ZoomedOut(at)})
            if (seen.insert(next).second) open.push_back(next);
    }
    std::set<QString> expected;
    for (int p = 50; p <= 150; p += 10) expected.insert(QString::number(p) + '%');
    EXPECT_EQ(captions, expected);
}

TEST_F(Page, ZoomScalesThePageAndObjectsAndIsNoChange) {
    TFaxGraphicControl* box = place(psRectangle, 100, 200, 40, 20);
    page.clickObject(box, false);
    changes = 0;
    while (page.ZoomIn()) {
    }
    EXPECT_EQ(page.size(), QSize(1152, 1440));
    EXPECT_EQ(box->BoundsRect(), QRect(150, 300, 60, 30));
    EXPECT_TRUE(page.selection().empty());
    while (page.ZoomOut()) {
    }
    EXPECT_EQ(page.size(), QSize(384, 480));
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace corvane
