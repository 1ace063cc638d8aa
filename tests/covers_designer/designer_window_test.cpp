// The designer window's wiring: the tool bar, the save buttons following the changes, the
// page menu's enabled rules, the pointer and keys on the page, the creation dialogs and an
// object menu, the Save As dialog's rule, and a picture of the window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "covers/cover_template_files.h"
#include "covers/designer/cover_designer_window.h"
#include "covers/designer/design_page_widget.h"
#include "covers/designer/save_as_dialog.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

// Runs `act` once on the next modal dialog or popup menu to show (dialogs and menus run their
// own event loops, so the test answers them from a timer).
void WhenShown(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* w = QApplication::activePopupWidget();
        if (!w) w = QApplication::activeModalWidget();
        if (!w || qobject_cast<CoverDesignerWindow*>(w)) return;
        timer->stop();
        timer->deleteLater();
        act(w);
    });
    timer->start();
}

QAction* ActionNamed(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions()) {
        if (a->text() == text) return a;
        if (a->menu())
            if (QAction* inner = ActionNamed(a->menu(), text)) return inner;
    }
    return nullptr;
}

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

TEST_F(Window, CreationDialogsFillTheNewObjectAndACancelledImageLeavesNothing) {
    show();
    auto drag = [&](const char* tool, QPoint from, QPoint to) {
        window.toolButton(tool)->click();
        QTest::mousePress(pageWidget(), Qt::LeftButton, {}, from, 600);
        QTest::mouseMove(pageWidget(), to);
        QTest::mouseRelease(pageWidget(), Qt::LeftButton, {}, to);
    };
    WhenShown([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Text");
        w->findChild<QLineEdit*>("TextEdit")->setText("A much longer caption than the box");
        static_cast<QDialog*>(w)->accept();
    });
    drag("DrawLabelButton", QPoint(20, 20), QPoint(60, 40));
    ASSERT_EQ(page().objects().size(), 1u);
    auto* label = dynamic_cast<TFaxCoverLabel*>(page().objects()[0].get());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Caption(), "A much longer caption than the box");
    EXPECT_GT(label->Width(), 50);  // grown to its caption

    WhenShown([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Multi-line Text Editor");
        w->findChild<QPlainTextEdit*>("LinesEdit")->setPlainText("first\nsecond");
        static_cast<QDialog*>(w)->accept();
    });
    drag("DrawMLTextButton", QPoint(20, 100), QPoint(300, 160));
    auto* multi = dynamic_cast<TFaxMultiLineLabel*>(page().objects().back().get());
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->Items(), (QStringList{"first", "second"}));
    EXPECT_TRUE(multi->WordWrap());

    WhenShown([](QWidget* w) {
        ASSERT_TRUE(qobject_cast<QFileDialog*>(w));
        static_cast<QDialog*>(w)->reject();
    });
    drag("ImageButton", QPoint(400, 400), QPoint(500, 500));
    EXPECT_EQ(page().objects().size(), 2u);
    EXPECT_TRUE(window.toolButton("Pointerbutton")->isChecked());

    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::white);
    for (int x = 0; x < 40; ++x) logo.setPixel(x, 10, qRgb(200, 0, 0));  // red turns black
    const QString logoPath = home.file("logo.bmp");
    ASSERT_TRUE(logo.save(logoPath, "BMP"));
    bool previewed = false;
    WhenShown([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_TRUE(d);
        d->selectFile(logoPath);
        // The dialog lists the folder in the background; the preview follows the selection.
        auto* preview = d->findChild<QLabel*>("ImagePreview");
        previewed = QTest::qWaitFor([&] { return !preview->pixmap().isNull(); }, 3000);
        static_cast<QDialog*>(d)->accept();
    });
    drag("ImageButton", QPoint(400, 400), QPoint(500, 500));
    ASSERT_EQ(page().objects().size(), 3u);
    auto* image = dynamic_cast<TFaxImage*>(page().objects().back().get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Picture().size(), QSize(40, 20));
    EXPECT_EQ(qGray(image->Picture().pixel(5, 10)), 0);
    EXPECT_TRUE(previewed);
}

TEST_F(Window, ObjectMenuSetsTheFieldKindAndMarksAChange) {
    show();
    // On the page as a file would put it: no change yet.
    CoverObjectList list;
    list.push_back(std::make_unique<TFaxCoverField>());
    list.back()->SetBounds(100, 100, 150, 20);
    page().setObjects(std::move(list));
    auto* field = dynamic_cast<TFaxCoverField*>(page().objects()[0].get());
    EXPECT_FALSE(window.designer().changesMade());
    QStringList items;
    WhenShown([&items](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        ASSERT_TRUE(menu);
        for (QAction* a : menu->actions()) items << a->text();
        ActionNamed(menu, "Sender Phone")->trigger();
        menu->close();
    });
    QTest::mouseClick(pageWidget(), Qt::RightButton, {}, QPoint(110, 105));
    EXPECT_EQ(items.mid(0, 12), (QStringList{"Bring To Front", "Send To Back", "Cut", "Copy",
                                             "Delete", "Clone", "", "Locked", "Unselectable", "",
                                             "Center Vertically", "Center Horizontally"}));
    EXPECT_EQ(items.mid(12), (QStringList{"", "Font", "Field"}));
    EXPECT_EQ(field->CoverFieldType(), cfSenderVoice);
    EXPECT_EQ(field->Caption(), "[Sender Phone]");
    EXPECT_TRUE(window.designer().changesMade());
}

TEST(SaveAsDialog, OkFollowsTheNameRuleAndExistingTemplatesFillTheBoxes) {
    testing::TempHome home;
    home.write("Covers/OFFICE.FCS", "\x01\x00");
    home.write("Covers/OFFICE.DES", "Office cover\r\n");
    SaveTemplateAsDialog d("QX0001.FCS", "[Description]");
    EXPECT_EQ(d.windowTitle(), "Save fax cover template as");
    auto* ok = d.findChild<QPushButton*>("OkButton");
    auto* name = d.findChild<QLineEdit*>("NameEdit");
    auto* description = d.findChild<QLineEdit*>("DescriptionEdit");
    EXPECT_EQ(ok->text(), "Ok ");
    EXPECT_TRUE(ok->isEnabled());
    for (const char* refused : {"1COVER.FCS", "TOOLONGNAME.FCS", "COVER.FCT", ""}) {
        name->setText(refused);
        EXPECT_FALSE(ok->isEnabled()) << refused;
    }
    name->setText("MYCOVER.FCS");
    EXPECT_TRUE(ok->isEnabled());
    description->clear();
    EXPECT_FALSE(ok->isEnabled());
    d.findChild<QListWidget*>()->setCurrentRow(0);
    EXPECT_EQ(d.name(), "OFFICE.FCS");
    EXPECT_EQ(d.description(), "Office cover");
    EXPECT_TRUE(ok->isEnabled());
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
