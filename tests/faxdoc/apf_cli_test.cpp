// `corvane-cli apf`: every subcommand against real files; exports checked by libtiff's and
// netpbm's tools.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "faxdoc/apf_reader.h"

namespace corvane {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class ApfCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef CORVANE_CLI_PATH
        cli_ = CORVANE_CLI_PATH;
#endif
        if (!QFile::exists(cli_)) GTEST_SKIP() << "corvane-cli not built";
        // Page 1 starts black at its top-left corner; page 2 is standard resolution.
        testing::Raster first = testing::TextLikeRaster(1728, 60, 8);
        first.rows[0][0] = char(0xF0);
        first_ = first;
        second_ = testing::Checkerboard(1728, 20, 32);
        testing::WriteFile(file("fax.apf"),
                           testing::BuildApf({testing::RecordPage(first_, kApfHighRes),
                                              testing::RecordPage(second_)}));
    }
    ToolRun cli(const QStringList& args) {
        QStringList all{"apf"};
        all << args;
        return runTool(cli_, all);
    }
    QString file(const QString& name) const {
        return dir_.filePath(name);
    }
    static bool have(const char* tool) {
        return !QStandardPaths::findExecutable(tool).isEmpty();
    }

    QTemporaryDir dir_;
    QString cli_;
    testing::Raster first_, second_;
};

TEST_F(ApfCliTest, InfoListsPagesAndDecodedLines) {
    const ToolRun r = cli({"info", file("fax.apf")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("pages: 2"));
    EXPECT_TRUE(r.out.contains("page 1: flags 0x0005 (fine 1728 line-records)"));
    EXPECT_TRUE(r.out.contains("60 lines, 0 bad codes"));
    EXPECT_TRUE(r.out.contains("page 2: flags 0x0004 (standard 1728 line-records)"));
    const ToolRun missing = cli({"info", file("none.apf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("File not found"));
}

TEST_F(ApfCliTest, ExportsOpenInThePeerTools) {
    if (!have("tiffinfo") || !have("pcxtoppm") || !have("bmptopnm")) GTEST_SKIP();
    ASSERT_EQ(cli({"export", file("fax.apf"), file("all.tif")}).exitCode, 0);
    const ToolRun info = runTool("tiffinfo", {"-D", file("all.tif")});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.err, "");
    EXPECT_TRUE(info.out.contains("Image Width: 1728 Image Length: 60"));
    // The standard page is exported at double height for square pixels.
    EXPECT_TRUE(info.out.contains("Image Width: 1728 Image Length: 40"));
    ASSERT_EQ(runTool("tiffcp", {"-c", "none", file("all.tif"), file("plain.tif")}).exitCode, 0);

    ASSERT_EQ(cli({"export", file("fax.apf"), file("p2.pcx"), "--page", "2"}).exitCode, 0);
    ASSERT_EQ(cli({"export", file("fax.apf"), file("p1.bmp")}).exitCode, 0);
    ASSERT_EQ(cli({"export", file("fax.apf"), file("all.dcx")}).exitCode, 0);
    struct Peer {
        const char* command;
        const char* expected;
    } peers[] = {
        {"pcxtoppm '%1/p2.pcx' | pnmfile", "1728 by 40"},
        {"bmptopnm '%1/p1.bmp' | pnmfile", "1728 by 60"},
    };
    for (const Peer& p : peers) {
        const ToolRun r = runTool("sh", {"-c", QString(p.command).arg(dir_.path())});
        EXPECT_TRUE(r.out.contains(p.expected)) << p.command << r.out.toStdString();
    }
    EXPECT_EQ(cli({"export", file("fax.apf"), file("x.gif")}).exitCode, 2);
}

TEST_F(ApfCliTest, JoinExtractTrim) {
    ASSERT_EQ(cli({"join", file("j.apf"), file("fax.apf"), file("fax.apf")}).exitCode, 0);
    EXPECT_EQ(GetApfPageCount(file("j.apf")), 4);
    ASSERT_EQ(cli({"extract", file("j.apf"), file("e.apf"), "2", "3"}).exitCode, 0);
    EXPECT_EQ(GetApfPageCount(file("e.apf")), 2);
    EXPECT_EQ(cli({"extract", file("j.apf"), file("e2.apf"), "5", "-1"}).exitCode, 1);

    // A reception cut inside page 3: trimmed to two pages.
    QByteArray bytes = testing::ReadFile(file("j.apf"));
    testing::WriteFile(file("cut.apf"), bytes.left(bytes.size() - 300));
    const ToolRun r = cli({"trim", file("cut.apf")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("3 of 4 pages kept")) << r.out.toStdString();
    EXPECT_EQ(GetApfPageCount(file("cut.apf")), 3);
}

}  // namespace
}  // namespace corvane
