// The designer window's wiring: the tool bar, the save buttons following the changes, the
// page menu's enabled rules, the pointer and keys on the page, and a picture of the window.

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "covers/cover_template_files.h"
#include "covers/designer/cover_designer_window.h"
#include "covers/designer/design_page_widget.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

class Window : public ::testing::Test {
  protected:
    testing::TempHome home;
    ScopedScriptedMessageBoxes boxes;
    CoverDesignerWindow window;

    DesignPage& page() { return window.designer().page(); }
    TFaxCoverPanelX* pageWidget() { return window.pageWidget(); }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    TFaxGraphicControl* place(TLPanelState tool, QRect r) {
        page().SetPanelState(tool);
        TFaxGraphicControl* o = page().placeObject(r);
        pageWidget()->update();
        return o;
    }
    QAction* pageItem(const QString& text) {
        for (QAction* a : window.preparedPageMenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    void show() {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST_F(Window, ShowsEveryToolAndTheStateOfTheTemplate) {
    show();
    for (const char* name :
         {"Pointerbutton", "DrawLabelButton", "DrawMLTextButton", "DrawSymbolButton",
          "DrawRectanglebutton", "DrawEllipseButton", "DrawRoundrectbutton", "DrawLinebutton",
          "FieldBoxButton", "DrawMessageButton", "DrawImportanceButton", "ImageButton",
          "ZoomInbutton", "ZoomOutbutton", "ShowGrid", "SnapToGrid"})
        EXPECT_TRUE(window.toolButton(name)) << name;
    EXPECT_EQ(window.windowTitle(), "Cover Sheet Template Designer");
    EXPECT_EQ(pageWidget()->size(), QSize(768, 960));
    EXPECT_FALSE(button("SaveButton")->isVisible());
    EXPECT_FALSE(button("CancelButton")->isVisible());

    window.toolButton("DrawRectanglebutton")->click();
    EXPECT_EQ(page().PanelState(), psRectangle);
    QTest::mousePress(pageWidget(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(pageWidget(), QPoint(180, 150));
    QTest::mouseRelease(pageWidget(), Qt::LeftButton, {}, QPoint(180, 150));
    ASSERT_EQ(page().objects().size(), 1u);
    EXPECT_EQ(page().objects()[0]->BoundsRect(), QRect(100, 100, 80, 50));
    EXPECT_TRUE(window.toolButton("Pointerbutton")->isChecked());
    EXPECT_TRUE(button("SaveButton")->isVisible());
    EXPECT_EQ(button("SaveButton")->text(), "&Save As");
    EXPECT_TRUE(button("CancelButton")->isVisible());

    window.toolButton("ZoomInbutton")->click();
    EXPECT_EQ(window.findChild<QLabel*>("ZoomLabel")->text(), "110%");
    EXPECT_EQ(pageWidget()->size(), QSize(845, 1056));
}

TEST_F(Window, PageMenuItemsAreEnabledBySelectionClipboardAndObjects) {
    show();
    EXPECT_FALSE(pageItem("Paste")->isEnabled());
    EXPECT_FALSE(pageItem("Lock All")->isEnabled());
    EXPECT_FALSE(pageItem("Align Left")->isEnabled());
    EXPECT_TRUE(pageItem("Select All")->isEnabled());
    TFaxGraphicControl* o = place(psEllipse, QRect(50, 50, 60, 60));
    EXPECT_TRUE(pageItem("Lock All")->isEnabled());
    EXPECT_FALSE(pageItem("Copy")->isEnabled());
    page().clickObject(o, false);
    for (const char* item :
         {"Bring To Front", "Send To Back", "Cut", "Copy", "Delete", "Align Left", "Align Right",
          "Align Tops", "Align Bottoms", "Center Vertically", "Center Horizontally", "Font"})
        EXPECT_TRUE(pageItem(item)->isEnabled()) << item;
    pageItem("Copy")->trigger();
    EXPECT_TRUE(pageItem("Paste")->isEnabled());
    pageItem("Center Horizontally")->trigger();
    EXPECT_EQ(o->Left(), 354);
}

TEST_F(Window, PointerSelectsDragsAndArrowKeysMove) {
    show();
    TFaxGraphicControl* o = place(psRectangle, QRect(100, 100, 50, 30));
    QTest::mouseClick(pageWidget(), Qt::LeftButton, {}, QPoint(120, 110));
    ASSERT_EQ(page().selection().size(), 1u);

    // A drag on the bottom-right handle; the frame ends 3 past the object.
    // (Waiting first, so that the press is not taken for the second half of a double click.)
    QTest::mousePress(pageWidget(), Qt::LeftButton, {}, QPoint(151, 131), 600);
    QTest::mouseMove(pageWidget(), QPoint(171, 141));
    QTest::mouseRelease(pageWidget(), Qt::LeftButton, {}, QPoint(171, 141), 200);
    EXPECT_EQ(o->BoundsRect(), QRect(100, 100, 69, 39));

    pageWidget()->setFocus();
    QTest::keyClick(pageWidget(), Qt::Key_Right);
    QTest::keyClick(pageWidget(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(o->BoundsRect(), QRect(101, 100, 69, 40));

    // A band round nothing clears the selection.
    QTest::mousePress(pageWidget(), Qt::LeftButton, {}, QPoint(400, 400));
    QTest::mouseMove(pageWidget(), QPoint(450, 450));
    QTest::mouseRelease(pageWidget(), Qt::LeftButton, {}, QPoint(450, 450));
    EXPECT_TRUE(page().selection().empty());
}

// CORVANE_SCREENSHOT=file.png saves a picture of the designer with a template open and one
// object selected.
TEST_F(Window, PictureWithATemplateOpenAndAnObjectSelected) {
    auto* logo = dynamic_cast<TFaxCoverLabel*>(place(psLabel, QRect(40, 30, 300, 40)));
    CoverFont big;
    big.size = 22;
    big.bold = true;
    logo->SetFont(big);
    logo->SetCaption("ACME Widgets Ltd.");
    auto* box = dynamic_cast<TFaxCoverShapes*>(place(psRectangle, QRect(30, 20, 700, 60)));
    box->SetPen(CoverPen{clBlack, "pmCopy", "psSolid", 2});
    page().sendToBack({box});
    place(psLine, QRect(30, 100, 700, 4));
    dynamic_cast<TFaxCoverLine*>(page().objects().back().get())->SetLineStyle(stHorizontal);
    int y = 130;
    for (TCoverFieldType f : {cfDate, cfRecipient, cfRecipientFax, cfSender, cfRegarding}) {
        auto* field = dynamic_cast<TFaxCoverField*>(place(psField, QRect(60, y, 200, 20)));
        field->ChooseField(f);
        y += 30;
    }
    place(psImportance, QRect(60, y + 10, 100, 20));
    place(psMessage, QRect(60, y + 50, 640, 300));
    auto* note =
        dynamic_cast<TFaxMultiLineLabel*>(place(psMultiLineLabel, QRect(60, 760, 640, 60)));
    note->SetItems({"This fax is meant for the addressee only. If it reached you by mistake,",
                    "please call us and destroy it."});
    // Saved and opened again, as a user finds it the next time.
    const QString path = CoversFolder() + "ACME.FCS";
    QDir().mkpath(CoversFolder());
    ASSERT_TRUE(SaveTemplate(path, page().mutableObjects(), "ACME fax cover").ok());
    ASSERT_TRUE(window.designer().openFile(path));
    EXPECT_EQ(window.windowTitle(), "Cover Sheet Template Designer - ACME fax cover");
    page().clickObject(page().objects()[4].get(), false);  // the recipient field
    show();
    window.resize(1000, 760);
    QCoreApplication::processEvents();
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QString out = qEnvironmentVariable("CORVANE_SCREENSHOT");
    if (!out.isEmpty()) shot.save(out);
}

}  // namespace
}  // namespace corvane
