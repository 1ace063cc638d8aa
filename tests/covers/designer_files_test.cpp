// The designer window's logic: the Save As name rule, the recent files in CDMRU, the file
// commands with their questions, and a template drawn through the designer, saved, reopened
// and turned into a cover page.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QDir>
#include <QFileInfo>

#include "core/app_folders.h"
#include "core/ini_file.h"
#include "core/message_boxes.h"
#include "covers/cover_designer.h"
#include "covers/cover_generator.h"
#include "covers/cover_template_files.h"
#include "covers/template_name_rule.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

TEST(TemplateNameRule, AcceptsAndRefuses) {
    struct Row {
        QString name;
        bool valid;
    } rows[] = {
        {"MYCOVER.FCS", true},
        {"mycover.fcs", true},
        {"_a1.Fcs", true},
        {"A.FCS", true},
        {"ABCDEFGH.FCS", true},    // 12 characters
        {"ABCDEFGHI.FCS", false},  // 13
        {"1COVER.FCS", false},     // starts with a digit
        {".FCS", false},
        {"MY COVER.FCS", false},
        {"MY-COVER.FCS", false},
        {"MYCOVER.FCT", false},
        {"MYCOVER", false},
        {"MY.COV.FCS", false},
        {"", false},
        {QString::fromUtf8("\u00c9T\u00c9.FCS"), false},  // letters beyond A-Z
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name.toStdString());
        EXPECT_EQ(IsValidTemplateName(r.name), r.valid);
        EXPECT_EQ(CanSaveTemplateAs(r.name, "a description"), r.valid);
        EXPECT_FALSE(CanSaveTemplateAs(r.name, ""));
    }
}

TEST(RecentFilesList, HoldsFiveMostRecentFirstInSectionCDMRU) {
    RecentFiles recent;
    for (int i = 1; i <= 6; ++i) recent.add(QStringLiteral("/c/T%1.FCS").arg(i));
    recent.add("/c/T3.FCS");  // moves to the top
    EXPECT_EQ(recent.paths(),
              (QStringList{"/c/T3.FCS", "/c/T6.FCS", "/c/T5.FCS", "/c/T4.FCS", "/c/T2.FCS"}));
    EXPECT_EQ(recent.menuCaptions().front(), "&1 /c/T3.FCS");
    EXPECT_EQ(recent.menuCaptions().back(), "&5 /c/T2.FCS");

    IniFile ini;
    ini.writeString("CDMRU", "F7", "/stale/entry.FCS");
    recent.store(ini);
    EXPECT_EQ(ini.keys("CDMRU"), (QStringList{"F0", "F1", "F2", "F3", "F4"}));
    EXPECT_EQ(ini.readString("CDMRU", "F0"), "/c/T3.FCS");
    RecentFiles again;
    again.load(ini);
    EXPECT_EQ(again.paths(), recent.paths());
    recent.remove("/c/T6.FCS");
    EXPECT_EQ(recent.paths().size(), 4);
}

class ScriptedDialogs : public DesignerDialogs {
  public:
    QString picked;
    std::optional<SaveAsChoice> choice;
    QStringList offered;  // "name|description" of each Save As
    int beeps = 0;

    QString pickTemplate(const QString&) override { return picked; }
    std::optional<SaveAsChoice> saveAs(const QString& name, const QString& description) override {
        offered << name + '|' + description;
        return choice;
    }
    void beep() override { ++beeps; }
};

class Designer : public ::testing::Test {
  protected:
    testing::TempHome home;
    ScopedScriptedMessageBoxes boxes;
    ScriptedDialogs dialogs;
    std::unique_ptr<CoverDesigner> designer;

    void SetUp() override { reopen(); }

    // A new designer window, as the main window makes one per command.
    void reopen() {
        designer = std::make_unique<CoverDesigner>(dialogs);
        designer->loadSettings(IniFile(SettingsFileName()));
    }
    TFaxGraphicControl* place(TLPanelState tool, QRect r) {
        designer->page().SetPanelState(tool);
        return designer->page().placeObject(r);
    }
};

TEST_F(Designer, ChangesShowTheSaveButtonsAndSaveNeedsAFile) {
    EXPECT_EQ(designer->caption(), "Cover Sheet Template Designer");
    EXPECT_FALSE(designer->saveButtonVisible());
    place(psRectangle, QRect(10, 10, 40, 40));
    EXPECT_TRUE(designer->changesMade());
    EXPECT_TRUE(designer->saveButtonVisible());
    EXPECT_TRUE(designer->cancelVisible());
    EXPECT_EQ(designer->saveButtonCaption(), "&Save As");
    EXPECT_FALSE(designer->saveMenuEnabled());
    EXPECT_FALSE(designer->save());
    EXPECT_EQ(dialogs.beeps, 1);

    designer->page().ZoomIn();  // the window's own rearranging is no change
    designer->newTemplate();    // asks first; No
    EXPECT_EQ(boxes.texts(), QStringList{"Save changes?"});
    EXPECT_FALSE(designer->changesMade());
    EXPECT_TRUE(designer->page().objects().empty());
}

TEST_F(Designer, SaveAsProposesANameSavesAndHeadsTheRecentFiles) {
    home.touch("Covers/QX0001.FCS");
    place(psRectangle, QRect(10, 10, 40, 40));
    dialogs.choice = SaveAsChoice{"MYCOVER.FCS", "My own cover"};
    ASSERT_TRUE(designer->saveAs());
    EXPECT_EQ(dialogs.offered, QStringList{"QX0002.FCS|[Description]"});
    const QString path = CoversFolder() + "MYCOVER.FCS";
    EXPECT_EQ(designer->path(), path);
    EXPECT_EQ(designer->caption(), "Cover Sheet Template Designer - My own cover");
    EXPECT_FALSE(designer->changesMade());
    EXPECT_EQ(designer->saveButtonCaption(), "&Save");
    EXPECT_EQ(IniFile(SettingsFileName()).readString("CDMRU", "F0"), path);

    designer->saveAs();  // a saved template offers its own name and description
    EXPECT_EQ(dialogs.offered.last(), "MYCOVER.FCS|My own cover");

    // Reopening the designer opens the last saved template again.
    reopen();
    designer->start();
    EXPECT_EQ(designer->path(), path);
    EXPECT_EQ(designer->page().objects().size(), 1u);
    EXPECT_EQ(designer->description(), "My own cover");
}

TEST_F(Designer, ClosingAsksToSaveAndStaysOpenWhenTheSaveDidNotHappen) {
    place(psRectangle, QRect(10, 10, 40, 40));
    boxes.queueAnswer(true);
    EXPECT_FALSE(designer->close());  // Save As cancelled: nothing saved, nothing lost
    EXPECT_EQ(boxes.shown().back().title, "Save");
    boxes.queueAnswer(false);
    EXPECT_TRUE(designer->close());
    dialogs.choice = SaveAsChoice{"KEEP.FCS", "kept"};
    boxes.queueAnswer(true);
    EXPECT_TRUE(designer->close());
    EXPECT_TRUE(QFileInfo::exists(CoversFolder() + "KEEP.FCS"));
}

TEST_F(Designer, RecentFileThatIsGoneIsReportedAndDropped) {
    const QString gone = home.file("Covers/GONE.FCS");
    IniFile ini(SettingsFileName());
    ini.writeString("CDMRU", "F0", gone);
    ASSERT_TRUE(ini.save().ok());
    reopen();
    designer->start();  // a missing most recent file leaves the page empty, quietly
    EXPECT_TRUE(boxes.texts().isEmpty());
    designer->openRecent(0);
    EXPECT_EQ(boxes.texts(), QStringList{gone + " no longer exists"});
    EXPECT_TRUE(designer->recentFiles().paths().isEmpty());
    EXPECT_FALSE(IniFile(SettingsFileName()).hasKey("CDMRU", "F0"));
}

TEST_F(Designer, DamagedFileIsForgottenWithItsMessage) {
    const QString bad = home.write("Covers/BAD.FCS", "\x01TPF0\x03");
    dialogs.picked = bad;
    designer->open();
    EXPECT_TRUE(designer->path().isEmpty());
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith("Unable to open " + bad + ". Possibly corrupted"));
}

TEST_F(Designer, DeleteRefusesOtherFilesAndAsksFirst) {
    home.touch("Covers/OLD.FCS");
    home.touch("Covers/OLD.FCT");
    designer->deleteTemplate(home.file("Covers/OLD.FCT"));
    EXPECT_EQ(boxes.texts(), QStringList{"Must be a FCS (Fax Cover Template) file"});
    designer->deleteTemplate(home.file("Covers/OLD.FCS"));  // No
    EXPECT_TRUE(QFileInfo::exists(home.file("Covers/OLD.FCS")));
    EXPECT_EQ(boxes.shown().back().text, "Delete " + home.file("Covers/OLD.FCS") + "?");
    EXPECT_EQ(boxes.shown().back().kind, ScriptedMessageBoxes::Shown::YesNoDefaultNo);
    boxes.queueAnswer(true);
    designer->deleteTemplate(home.file("Covers/OLD.FCS"));
    EXPECT_FALSE(QFileInfo::exists(home.file("Covers/OLD.FCS")));
    EXPECT_FALSE(QFileInfo::exists(home.file("Covers/OLD.FCT")));
}

TEST_F(Designer, DefaultFontCaptionAndSection) {
    CoverFont f;
    f.name = "Courier New";
    f.size = 12;
    f.bold = f.italic = true;
    designer->setDefaultFont(f);
    EXPECT_EQ(designer->defaultFontCaption(), "Default Font: Courier New, 12 pt , bold, italic");
    IniFile ini;
    designer->storeDefaultFont(ini);
    EXPECT_EQ(ini.readString("CD Default Font", "Name"), "Courier New");
    EXPECT_EQ(ini.readInteger("CD Default Font", "Size", 0), 12);
    designer->loadSettings(IniFile());
    EXPECT_EQ(designer->defaultFontCaption(), "Default Font: Arial, 10 pt ");
}

TEST_F(Designer, TemplateDrawnSavedReopenedAndGenerated) {
    DesignPage& page = designer->page();
    auto* label = dynamic_cast<TFaxCoverLabel*>(place(psLabel, QRect(40, 30, 200, 30)));
    label->SetCaption("ACME Widgets");
    auto* symbol = dynamic_cast<TFaxCoverSymbol*>(place(psSymbolLabel, QRect(600, 30, 10, 10)));
    symbol->SetCaption("J");
    auto* multi =
        dynamic_cast<TFaxMultiLineLabel*>(place(psMultiLineLabel, QRect(40, 80, 300, 60)));
    multi->SetItems({"12 Main Street", "Springfield"});
    multi->SetWordWrap(true);
    place(psRectangle, QRect(300, 600, 100, 50));
    dynamic_cast<TFaxCoverShapes*>(page.objects().back().get())->SetShapeFilltype(sftFilledBlack);
    place(psEllipse, QRect(500, 600, 60, 40));
    place(psRoundRectangle, QRect(600, 600, 60, 40));
    auto* line = dynamic_cast<TFaxCoverLine*>(place(psLine, QRect(40, 160, 680, 10)));
    line->SetLineStyle(stHorizontal);
    auto* field = dynamic_cast<TFaxCoverField*>(place(psField, QRect(40, 200, 100, 20)));
    field->ChooseField(cfRecipient);
    place(psImportance, QRect(40, 240, 100, 20));
    place(psMessage, QRect(40, 300, 680, 200));
    auto* image = dynamic_cast<TFaxImage*>(place(psImage, QRect(600, 700, 64, 64)));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int i = 0; i < 16; ++i) picture.setPixel(i, i, qRgb(0, 0, 0));
    image->SetPicture(picture);
    image->SetBorderStyle(bsSingle);
    ASSERT_EQ(page.objects().size(), 11u);

    // Align the two text placeholders by their left edges, then save.
    page.clearSelection();
    for (const auto& o : page.objects())
        if (dynamic_cast<TFaxCoverField*>(o.get()) || dynamic_cast<TFaxCoverImportance*>(o.get()))
            page.clickObject(o.get(), true);
    page.alignLefts();
    std::vector<std::unique_ptr<TFaxGraphicControl>> drawn;
    for (const auto& o : page.objects()) drawn.push_back(o->Clone());

    dialogs.choice = SaveAsChoice{"MYCOVER.FCS", "Widgets cover"};
    ASSERT_TRUE(designer->saveAs());
    for (const char* ext : {".FCS", ".FCT", ".bmp", ".DES"})
        EXPECT_TRUE(QFileInfo::exists(CoversFolder() + "MYCOVER" + ext)) << ext;
    EXPECT_EQ(ReadDescription(CoversFolder() + "MYCOVER.FCS"), "Widgets cover");
    const QImage preview(CoversFolder() + "MYCOVER.bmp");
    EXPECT_EQ(preview.size(), QSize(816, 1056));
    // What the editor's template picker lists.
    const std::vector<TemplateEntry> listed = ListTemplates(CoversFolder());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].designPath, CoversFolder() + "MYCOVER.FCS");
    EXPECT_EQ(listed[0].description, "Widgets cover");

    reopen();
    dialogs.picked = CoversFolder() + "MYCOVER.FCS";
    designer->open();
    const CoverObjectList& loaded = designer->page().objects();
    ASSERT_EQ(loaded.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(drawn[i]->ClassName().toStdString());
        EXPECT_TRUE(loaded[i]->SameProperties(*drawn[i]));
    }

    // The editor's cover generation reads the render file the designer wrote.
    CoverData data;
    data.Recipient = "Jane Doe";
    CoverGenerator generator(CoverOptions{false, false});
    QDir().mkpath(SendFolder());
    const Result<QString> cover = generator.GenerateCover(
        SendFolder() + "COV00001.APF", RenderFileNameFor("MYCOVER.FCS"), data, {"Hello"});
    ASSERT_TRUE(cover.ok()) << cover.message().toStdString();
    EXPECT_EQ(generator.warning(), "");
    ASSERT_EQ(generator.pages().size(), 1u);
    const QImage& coverPage = generator.pages()[0];
    EXPECT_EQ(coverPage.size(), QSize(kCoverPageWidth, kCoverPageHeight));
    // The black rectangle at (300, 600) 100 x 50 is drawn at twice its design size.
    EXPECT_LT(qGray(coverPage.pixel(700, 1250)), 128);
    EXPECT_GT(qGray(coverPage.pixel(700, 1150)), 128);
}

}  // namespace
}  // namespace corvane
