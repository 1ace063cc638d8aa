// Netpbm pictures in every form, as netpbm's own tools write them, read back pixel for pixel
// against the same file converted to PNG by netpbm.

#include "faxdoc/convert/netpbm_reader.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

namespace corvane {
namespace {

// Output of a shell pipeline of netpbm tools.
QByteArray RunShell(const QString& pipeline, const QByteArray& input = {}) {
    QProcess shell;
    shell.start("sh", {"-c", pipeline});
    shell.write(input);
    shell.closeWriteChannel();
    shell.waitForFinished(30000);
    return shell.exitCode() == 0 ? shell.readAllStandardOutput() : QByteArray();
}

// "" when `actual` shows the same colours as `expected`, each channel within one step.
std::string PixelsDiffer(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size()) return "size differs";
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 1 || std::abs(qGreen(p) - qGreen(q)) > 1 ||
                std::abs(qBlue(p) - qBlue(q)) > 1)
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

TEST(NetpbmReader, ReadsEveryFormNetpbmWrites) {
    if (QStandardPaths::findExecutable("pnmtoplainpnm").isEmpty()) GTEST_SKIP() << "netpbm missing";
    const QString colours = "pgmramp -lr 17 3 | pgmtoppm rgb:ff/80/00";
    struct Case {
        const char* name;
        QString pipeline;
        QByteArray input;
        QImage::Format format;
    } cases[] = {
        {"raw P4", "pbmmake -gray 13 5", {}, QImage::Format_Mono},
        {"plain P1, pixels not separated",
         "pbmmake -gray 13 5 | pnmtoplainpnm",
         {},
         QImage::Format_Mono},
        {"plain P1 with comments, CR LF and blanks", "cat",
         "P1\r\n# made by hand\r\n4 2 # size\r\n1 0 1 1\r\n0#mid-row\n100\n", QImage::Format_Mono},
        {"raw P5", "pgmramp -lr 17 3", {}, QImage::Format_Grayscale8},
        {"plain P2", "pgmramp -lr 17 3 | pnmtoplainpnm", {}, QImage::Format_Grayscale8},
        {"raw P5, two bytes a sample",
         "pgmramp -lr -maxval=1000 17 3",
         {},
         QImage::Format_Grayscale8},
        {"raw P6", colours, {}, QImage::Format_RGB32},
        {"plain P3", colours + " | pnmtoplainpnm", {}, QImage::Format_RGB32},
        {"raw P6, 16 bits", colours + " | pamdepth 65535", {}, QImage::Format_RGB32},
        {"two pictures: the first",
         "pbmmake -white 3 2; pbmmake -black 3 2",
         {},
         QImage::Format_Mono},
    };
    for (const Case& c : cases) {
        const QByteArray file = RunShell(c.pipeline, c.input);
        ASSERT_FALSE(file.isEmpty()) << c.name;
        const QImage expected = QImage::fromData(RunShell("pnmtopng", file), "PNG");
        ASSERT_FALSE(expected.isNull()) << c.name;
        const Result<QImage> read = DecodeNetpbm(file);
        ASSERT_TRUE(read.ok()) << c.name << ": " << read.message().toStdString();
        EXPECT_EQ(read.value().format(), c.format) << c.name;
        EXPECT_EQ(PixelsDiffer(read.value(), expected), "") << c.name;
    }
}

TEST(NetpbmReader, RefusesDamagedFiles) {
    struct Case {
        QByteArray file;
        const char* message;
    } cases[] = {
        {"GIF89a", "Not a PBM, PGM or PPM file"},
        {"P1\n3\n", "Damaged PBM, PGM or PPM header"},
        {"P2\n0 2 255\n", "Damaged PBM, PGM or PPM header"},
        {"P5\n2 1 70000\n", "Damaged PBM, PGM or PPM header"},
        {"P4\n16 2\n\x01\x02\x03", "Picture data cut short"},
        {"P1\n3 1\n102", "Plain PBM data hold something other than 0 and 1"},
        {"P2\n2 1 10\n5 11\n", "A sample exceeds the maxval"},
        {"P6\n1 1 255\n\x01\x02", "Picture data cut short"},
        {"P3\n1 1 255\n1 2 x\n", "Damaged sample in the picture data"},
        {"P4\n30000 30000\n", "The picture is too large"},
    };
    for (const Case& c : cases) {
        const Result<QImage> read = DecodeNetpbm(c.file);
        EXPECT_FALSE(read.ok()) << c.file.toStdString();
        EXPECT_EQ(read.message(), c.message) << c.file.toStdString();
    }
}

}  // namespace
}  // namespace corvane
