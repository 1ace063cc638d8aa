// corvane-cli's converter commands, run as a user would, with the pages checked by Corvane's
// decoder and by libtiff.

#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "converted_apf.h"
#include "faxdoc/convert/header_line.h"
#include "faxdoc/convert/header_renderer.h"

namespace corvane {
namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

CliResult RunCli(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(CORVANE_CLI, args);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool NotWiredYet(const CliResult& result) {
    return result.exitCode == 2 && result.err.contains("not available yet");
}

// A picture with text, lines and a width that is not a multiple of 8.
QImage TestPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    QFont font("DejaVu Sans");
    font.setPixelSize(40);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.drawText(20, 60, "Corvane 0123456789 ABCDEFGHIJKLM");
    painter.drawRect(5, 5, width - 11, height - 11);
    painter.drawLine(0, height - 1, width - 1, 0);
    painter.fillRect(width - 40, 100, 40, 30, Qt::black);
    painter.end();
    return picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

TEST(CliApfFromImage, PageDecodesBackToThePictureWithCorvaneAndLibtiff) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int width;
        QStringList options;
        int shift;
        quint16 flags;
    };
    const Case cases[] = {
        {"fine, full width", 1728, {"--fine"}, 0, kApfHighRes | kApfLineRecords},
        {"standard, narrow, margin 50", 1203, {"--margin", "50"}, 50, kApfLineRecords},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage picture = TestPicture(c.width, 180);
        ASSERT_TRUE(picture.save(dir.filePath("picture.png")));
        const CliResult result =
            RunCli(QStringList{"apf", "from-image", dir.filePath("picture.png"),
                               dir.filePath("page.apf")} +
                   c.options);
        if (NotWiredYet(result)) GTEST_SKIP() << "apf does not dispatch from-image yet";
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();

        const testing::ConvertedApf apf = testing::ReadConvertedApf(dir.filePath("page.apf"));
        ASSERT_EQ(apf.header.pageCount, 1);
        ASSERT_EQ(apf.pages.size(), 1u);
        EXPECT_EQ(apf.pages[0].header.imageFlags, c.flags);
        const auto expected = testing::InkRows(picture, 1728, c.shift);
        EXPECT_EQ(testing::FirstDifference(testing::DecodeWithCorvane(apf.pages[0]), expected), "");
        EXPECT_EQ(testing::FirstDifference(testing::UnpackWithCorvane(dir.filePath("page.apf")),
                                           expected),
                  "");
        EXPECT_EQ(testing::FirstDifference(testing::DecodeWithLibtiff(apf.pages[0], dir.path()),
                                           expected),
                  "");
    }
}

// netpbm writes plain PBM pixels without blanks between them; the page still matches the
// picture, in the plain and the raw form alike. (Grey and colour forms are read by the same
// reader, tested on its own; the converter thresholds them.)
TEST(CliApfFromImage, ReadsNetpbmFilesInEveryForm) {
    if (QStandardPaths::findExecutable("pnmtoplainpnm").isEmpty()) GTEST_SKIP() << "netpbm missing";
    QTemporaryDir dir;
    const QImage picture = TestPicture(301, 40);
    ASSERT_TRUE(picture.save(dir.filePath("picture.png")));
    const QString png = dir.filePath("picture.png");
    const QStringList pipelines = {
        "pngtopam \"$0\" | pgmtopbm -threshold > \"$1\"",
        "pngtopam \"$0\" | pgmtopbm -threshold | pnmtoplainpnm > \"$1\"",
    };
    for (const QString& pipeline : pipelines) {
        SCOPED_TRACE(pipeline.toStdString());
        const QString pnm = dir.filePath("picture.pnm");
        ASSERT_EQ(QProcess::execute("sh", {"-c", pipeline, png, pnm}), 0);
        const CliResult result =
            RunCli({"apf", "from-image", pnm, dir.filePath("page.apf"), "--fine"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const testing::ConvertedApf apf = testing::ReadConvertedApf(dir.filePath("page.apf"));
        ASSERT_EQ(apf.pages.size(), 1u);
        EXPECT_EQ(testing::FirstDifference(testing::DecodeWithCorvane(apf.pages[0]),
                                           testing::InkRows(picture, 1728)),
                  "");
    }
}

// Pure black stays black in greyscale and colour pictures alike: the threshold cell whose
// value is 0 must not leave a white dot every 32 pixels.
TEST(CliApfFromImage, AllBlackPictureStaysBlack) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QImage::Format format;
    } cases[] = {{"greyscale", QImage::Format_Grayscale8}, {"colour", QImage::Format_RGB32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture(1728, 40, c.format);
        picture.fill(Qt::black);
        ASSERT_TRUE(picture.save(dir.filePath("black.png")));
        const CliResult result = RunCli(
            {"apf", "from-image", dir.filePath("black.png"), dir.filePath("page.apf"), "--fine"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const testing::ConvertedApf apf = testing::ReadConvertedApf(dir.filePath("page.apf"));
        ASSERT_EQ(apf.pages.size(), 1u);
        const auto lines = testing::DecodeWithCorvane(apf.pages[0]);
        ASSERT_EQ(lines.size(), 40u);
        int white = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 1728; ++x) white += !testing::Black(lines, x, y);
        EXPECT_EQ(white, 0);
    }
}

TEST(CliApfFromImage, ErrorsAndUsage) {
    QTemporaryDir dir;
    const CliResult missing =
        RunCli({"apf", "from-image", dir.filePath("none.png"), dir.filePath("out.apf")});
    if (NotWiredYet(missing)) GTEST_SKIP() << "apf does not dispatch from-image yet";
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(RunCli({"apf", "from-image", dir.filePath("x.png")}).exitCode, 2);
    EXPECT_EQ(RunCli({"apf", "from-image", "a", "b", "--margin", "-3"}).exitCode, 2);

    ASSERT_TRUE(TestPicture(100, 10).save(dir.filePath("p.png")));
    const CliResult noFolder =
        RunCli({"apf", "from-image", dir.filePath("p.png"), dir.filePath("no/out.apf")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("Path not found")) << noFolder.err.toStdString();
}

TEST(CliHeader, FaxFontRowsMatchTheRenderer) {
    QTemporaryDir dir;
    for (const bool fine : {false, true}) {
        QStringList args{"header", "Page $P of $N $X", "--page", "2", "--pages", "3", "--fax-font"};
        if (fine) args << "--fine";
        args << dir.filePath("header.png");
        const CliResult result = RunCli(args);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.startsWith("Page 2 of 3 \n")) << result.out.toStdString();

        QImage image(dir.filePath("header.png"));
        ASSERT_EQ(image.width(), 1728);
        ASSERT_EQ(image.height(), fine ? 16 : 8);
        FaxFontHeaderRenderer renderer;
        renderer.LoadForPage(fine);
        const auto rows = RenderHeaderRows(renderer, "Page 2 of 3 ");
        const auto expected = testing::InkRows(image, 1728);
        for (int y = 0; y < image.height(); ++y) {
            QByteArray shifted(216, '\0');
            for (int x = 0; x < 1678; ++x) {
                if (testing::Black({rows[static_cast<size_t>(y)]}, x, 0))
                    shifted[(x + 50) / 8] =
                        static_cast<char>(shifted[(x + 50) / 8] | (0x80 >> ((x + 50) % 8)));
            }
            EXPECT_EQ(expected[static_cast<size_t>(y)], shifted) << "row " << y;
        }
    }
}

TEST(CliHeader, SystemFontAndUsage) {
    QTemporaryDir dir;
    const CliResult result = RunCli({"header", "Sent by: $F", "--page", "1", "--pages", "1",
                                     "--sender", "Jane", dir.filePath("h.png")});
    if (result.exitCode == 1 && result.err.contains("GUI application")) {
        GTEST_SKIP() << "corvane-cli runs without a GUI application object";
    }
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("Sent by: Jane\n"));
    const QImage image(dir.filePath("h.png"));
    EXPECT_GE(image.height(), 13);
    EXPECT_EQ(RunCli({"header", "x", "--page", "1", dir.filePath("h.png")}).exitCode, 2);
}

}  // namespace
}  // namespace corvane
