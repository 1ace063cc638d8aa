#include <gtest/gtest.h>

#include "core/form_placement.h"
#include "core/ini_file.h"

namespace corvane {
namespace {

const QSize kScreen(1024, 768);

TEST(FormPlacement, SectionNameCarriesResolutionAbove96Dpi) {
    EXPECT_EQ(PlacementSectionName("TMainScreen", 96), "TMainScreen3_Placement");
    EXPECT_EQ(PlacementSectionName("TMainScreen", 72), "TMainScreen3_Placement");
    EXPECT_EQ(PlacementSectionName("TMainScreen", 120), "TMainScreen3_Placement120");
}

TEST(FormPlacement, EachResolutionKeepsItsOwnSection) {
    IniFile ini;
    WriteFormPlacement(ini, PlacementSectionName("TMainScreen", 96), {{1, 2, 301, 402}, false});
    WriteFormPlacement(ini, PlacementSectionName("TMainScreen", 120), {{5, 6, 505, 606}, true});
    const FormPlacement at96 = ReadFormPlacement(ini, "TMainScreen3_Placement", false);
    EXPECT_EQ(at96.bounds, (Bounds{1, 2, 301, 402}));
    EXPECT_FALSE(at96.maximized);
    EXPECT_TRUE(ReadFormPlacement(ini, "TMainScreen3_Placement120", false).maximized);
    EXPECT_TRUE(ReadFormPlacement(ini, "TOther3_Placement", true).maximized);  // designed maximised
}

TEST(FormPlacement, SavedBoundsAreUsedOnlyWhenTheyFitTheScreen) {
    struct Case {
        Bounds b;
        bool usable;
        const char* what;
    } cases[] = {
        {{10, 10, 610, 410}, true, "ordinary"},
        {{0, 0, 1024, 768}, true, "exactly the screen"},
        {{10, 10, 5000, 410}, false, "right beyond the screen"},
        {{610, 10, 10, 410}, false, "right left of left"},
        {{10, 410, 610, 10}, false, "bottom above top"},
        {{10, 10, 109, 410}, false, "99 wide"},
        {{10, 10, 110, 110}, true, "100 by 100"},
        {{-5, 10, 300, 410}, false, "left off screen"},
        {{10, 10, 610, 800}, false, "bottom below the screen"},
    };
    for (const auto& c : cases) EXPECT_EQ(PlacementBoundsUsable(c.b, kScreen), c.usable) << c.what;
}

TEST(FormPlacement, LoadDecision) {
    const Bounds centered{212, 184, 812, 584};
    // Maximised wins.
    EXPECT_TRUE(DecideFormPlacement({{10, 10, 610, 410}, true}, centered, kScreen).maximize);
    // Nothing saved (Bottom 0): the centred bounds.
    EXPECT_EQ(DecideFormPlacement({{0, 0, 0, 0}, false}, centered, kScreen).bounds, centered);
    // Right=5000 on a 1024 screen: ignored, centred.
    EXPECT_EQ(DecideFormPlacement({{10, 10, 5000, 410}, false}, centered, kScreen).bounds,
              centered);
    // Good bounds are kept.
    EXPECT_EQ(DecideFormPlacement({{10, 20, 610, 420}, false}, centered, kScreen).bounds,
              (Bounds{10, 20, 610, 420}));
}

TEST(FormPlacement, CenterFormOverMainWindowOrScreen) {
    const QSize dialog(200, 100);
    const Bounds main{100, 100, 701, 501};  // width 601: integer division
    EXPECT_EQ(CenterFormBounds(dialog, false, false, main, kScreen), (Bounds{300, 250, 500, 350}));
    EXPECT_EQ(CenterFormBounds(dialog, false, true, main, kScreen), (Bounds{412, 334, 612, 434}));
    EXPECT_EQ(CenterFormBounds(dialog, true, false, main, kScreen), (Bounds{412, 334, 612, 434}));
    // Centred over a main window near the edge would leave the screen: centred on the screen.
    const Bounds edge{0, 0, 150, 120};
    EXPECT_EQ(CenterFormBounds(QSize(600, 400), false, false, edge, kScreen),
              (Bounds{212, 184, 812, 584}));
}

}  // namespace
}  // namespace corvane
