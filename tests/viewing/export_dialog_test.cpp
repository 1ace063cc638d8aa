// The export dialog: its choices on the screen, the save question and "Export complete".

#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "core/settings.h"
#include "viewing/export_dialog.h"
#include "viewing_fixture.h"

namespace corvane {
namespace {

TEST(ExportDialog, ExportsTheChosenPagesAndRemembersTheChoice) {
    testing::ViewingFixture f;
    const QString fax = f.writeFax("three.apf", 3);
    GlobalSettings().LastExportType = 2;  // BMP
    TExportFaxDialog dialog(fax, 3);
    EXPECT_TRUE(dialog.rTypeBMP->isChecked());
    EXPECT_EQ(dialog.rPageMulti->text(), "All 3 pages");

    dialog.rPageMulti->setChecked(true);
    EXPECT_TRUE(dialog.rTypeTIFF->isChecked());
    EXPECT_FALSE(dialog.rTypeBMP->isEnabled());
    EXPECT_TRUE(dialog.PageNumber->isHidden());
    dialog.rTypePDF->setChecked(true);
    EXPECT_EQ(dialog.ActionLabel->text(), "Export all pages of current fax, saving as type PDF");

    QString askedStart, askedFilter;
    const QString target = f.home.file("out/fax");
    QDir().mkpath(f.home.file("out"));
    TExportFaxDialog::setSaveNameAsker(
        [&](QWidget*, const QString&, const QString& start, const QString& filter) {
            askedStart = start;
            askedFilter = filter;
            return target;
        });
    EXPECT_TRUE(dialog.ExportNowClick());
    EXPECT_EQ(askedStart, "*.PDF");
    EXPECT_TRUE(QFile::exists(target + ".pdf"));
    EXPECT_EQ(f.boxes.texts().last(), "Export complete");
    EXPECT_EQ(GlobalSettings().LastExportType, 5);
    EXPECT_EQ(GlobalSettings().LastExportPath, f.home.file("out"));

    // Cancelled save question: nothing written, nothing said.
    TExportFaxDialog::setSaveNameAsker(
        [](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    const auto said = f.boxes.texts().size();
    EXPECT_FALSE(dialog.ExportNowClick());
    EXPECT_EQ(f.boxes.texts().size(), said);
}

}  // namespace
}  // namespace corvane
