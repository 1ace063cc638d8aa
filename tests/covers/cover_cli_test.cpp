// corvane-cli's cover commands run as a user would, on a fresh data folder.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class CoverCli : public ::testing::Test {
  protected:
    CliResult run(const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("CORVANE_HOME", home.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work.path());
        process.start(CORVANE_CLI, args);
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString file(const QString& name) const { return work.path() + "/" + name; }

    QTemporaryDir home;
    QTemporaryDir work;
};

TEST_F(CoverCli, RendersAShippedTemplateThatLibtiffReads) {
    QFile note(file("note.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("Dear Ann,\n\nthe contract is attached.\n");
    note.close();
    const CliResult r =
        run({"cover", "render", "qx0001.fct", "--data", "Recipient=Ann Lee", "--message-file",
             "note.txt", "--urgent", "out.apf", "--png", "out.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "out.apf: 1 page");
    EXPECT_EQ(QImage(file("out.png")).size(), QSize(1728, 2156));

    const CliResult exported = run({"apf", "export", "out.apf", "out.tif"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    QProcess tiffinfo;
    tiffinfo.start("tiffinfo", {file("out.tif")});
    ASSERT_TRUE(tiffinfo.waitForFinished(30000));
    const QString info = QString::fromUtf8(tiffinfo.readAllStandardOutput());
    EXPECT_EQ(tiffinfo.exitCode(), 0);
    EXPECT_TRUE(info.contains("Image Width: 1728 Image Length: 2156")) << info.toStdString();
}

TEST_F(CoverCli, ListsPreviewsAndRefusesBadInput) {
    const CliResult list = run({"cover", "list"});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.startsWith("QX0001.FCS  Classic business cover\n"))
        << list.out.toStdString();
    EXPECT_GE(list.out.count('\n'), 3);

    const CliResult preview = run({"cover", "preview", "QX0003.FCS", "p.bmp"});
    ASSERT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    const QImage picture(file("p.bmp"));
    EXPECT_EQ(picture.size(), QSize(816, 1056));
    EXPECT_EQ(picture.depth(), 1);

    QFile damaged(home.path() + "/Covers/BROKEN.FCT");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray::fromHex("0102000200020002100210060548656c6c6f"));  // cut short
    damaged.close();
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"cover", "render", "nosuch.fct", "x.apf"}, 1, "no cover template \"nosuch.fct\""},
        {{"cover", "render", "qx0001.fct", "--data", "Colour=red", "x.apf"}, 2, "Colour=red"},
        {{"cover", "render", "BROKEN.FCT", "x.apf"}, 1, "BROKEN.FCT: "},
        {{"cover", "preview", "BROKEN.FCT", "x.bmp"}, 1, "BROKEN.FCT: "},
        {{"cover", "frobnicate"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
}

}  // namespace
