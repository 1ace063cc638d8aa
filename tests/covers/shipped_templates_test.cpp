// The templates that ship: installed on a first start, made by the current writer, and
// generating a cover page each.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "converted_apf.h"
#include "core/app_folders.h"
#include "covers/cover_generator.h"
#include "covers/cover_template_files.h"
#include "covers/design_stream.h"
#include "covers/render_file.h"
#include "covers/shipped_templates.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ShippedTemplates, InstalledOnlyIntoAFolderWithoutTemplates) {
    testing::TempHome home;
    const QStringList shipped = ShippedTemplateFiles();
    ASSERT_GE(shipped.size(), 12);  // three templates of four files at least
    ASSERT_TRUE(InstallShippedTemplates().ok());
    for (const QString& file : shipped) {
        const QString name = QFileInfo(file).fileName();
        EXPECT_EQ(ReadAll(CoversFolder() + name), ReadAll(file)) << name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(ResolveName(CoversFolder(), "qx0001.fct")));

    // Once templates are there, nothing comes back: a deleted one stays deleted.
    ASSERT_TRUE(DeleteTemplate(CoversFolder() + "QX0002.FCS").ok());
    ASSERT_TRUE(InstallShippedTemplates().ok());
    EXPECT_FALSE(QFile::exists(CoversFolder() + "QX0002.FCS"));

    // A folder holding only other files still gets them.
    testing::TempHome other;
    other.touch("Covers/notes.txt");
    ASSERT_TRUE(InstallShippedTemplates().ok());
    EXPECT_TRUE(QFile::exists(CoversFolder() + "QX0001.FCS"));
}

TEST(ShippedTemplates, AreWhatTheWriterMakesAndEachGeneratesAPage) {
    testing::TempHome home;
    int templates = 0;
    for (const QString& file : ShippedTemplateFiles()) {
        if (!file.endsWith(".FCS")) continue;
        ++templates;
        SCOPED_TRACE(file.toStdString());
        const Result<CoverObjectList> objects = DecodeDesignStream(ReadAll(file));
        ASSERT_TRUE(objects.ok()) << objects.message().toStdString();
        EXPECT_EQ(EncodeDesignStream(objects.value()), ReadAll(file));
        const QString render = file.left(file.size() - 4) + ".FCT";
        EXPECT_EQ(EncodeRenderFile(objects.value()), ReadAll(render));
        EXPECT_FALSE(ReadDescription(file).isEmpty());
        const QImage preview(file.left(file.size() - 4) + ".bmp");
        EXPECT_EQ(preview.size(), QSize(kPreviewWidth, kPreviewHeight));

        CoverData data;
        data.Recipient = "Ann Lee";
        data.Urgent = true;
        CoverGenerator generator(CoverOptions{});
        const Result<QString> out =
            generator.GenerateCover(home.file("c.apf"), render, data, {"Hello", "World"});
        ASSERT_TRUE(out.ok());
        EXPECT_TRUE(generator.warning().isEmpty());
        const testing::ConvertedApf apf = testing::ReadConvertedApf(out.value());
        ASSERT_EQ(apf.pages.size(), 1u);
        EXPECT_EQ(testing::DecodeWithCorvane(apf.pages[0]).size(), 2156u);
    }
    EXPECT_GE(templates, 3);
}

}  // namespace
}  // namespace corvane
