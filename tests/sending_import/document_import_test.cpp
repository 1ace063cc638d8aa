// Attaching documents: every kind of file becomes fine 1728-pixel pages that decode; bad
// files are refused with the file's name and the reason; a cancel leaves nothing behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

#include "faxdoc/apf_reader.h"
#include "import_fixtures.h"
#include "sending/import/document_import.h"

namespace corvane::testing {
namespace {

class DocumentImportTest : public ::testing::Test {
  protected:
    QString file(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

// Writes a file with Qt's writer for `format`, at `dpi` when given.
void SavePicture(QImage picture, const QString& path, const char* format, int dpi = 0) {
    if (dpi > 0) {
        picture.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
        picture.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
    }
    QImageWriter writer(path, format);
    ASSERT_TRUE(writer.write(picture)) << writer.errorString().toStdString();
}

TEST_F(DocumentImportTest, EveryKindBecomesFineFaxPagesThatDecode) {
    struct Row {
        const char* name;
        std::function<void(const QString&)> make;
        int pages;
        int rows;  // of the first page, +-2
    };
    const QImage pattern = PatternPicture(1728, 1100, 1);
    const Row rows[] = {
        {"text.pdf", [](const QString& p) { WriteTextPdf(p, 2); }, 2, 2291},
        {"letter.pdf", [](const QString& p) { WriteTextPdf(p, 1, QPageSize(QPageSize::Letter)); },
         1, 2149},
        {"landscape.pdf",
         [](const QString& p) {
             WriteTextPdf(p, 1, QPageSize(QPageSize::A4), QPageLayout::Landscape);
         },
         1, 2291},
        {"doc.ps", [](const QString& p) { WritePostScript(p, 3); }, 3, 2149},
        // The EPS page is its bounding box: 2 x 1 inch.
        {"circle.eps", [](const QString& p) { WriteEps(p); }, 1, 196},
        // Standard-resolution rows are each given twice.
        {"standard.tif", [&](const QString& p) { WriteFaxTiff(p, pattern, false); }, 1, 2200},
        {"fine.tif", [&](const QString& p) { WriteFaxTiff(p, pattern, true); }, 1, 1100},
        // 300 dpi grey, 2 x 3 inches.
        {"photos.tif", [](const QString& p) { WriteGreyTiff(p, 2, 600, 900, 300); }, 2, 588},
        {"pattern.pbm", [&](const QString& p) { WritePbm(p, pattern); }, 1, 1100},
        {"photo.png",
         [](const QString& p) { SavePicture(GradientPicture(900, 600), p, "png", 150); }, 1, 784},
        {"photo.jpg",
         [](const QString& p) { SavePicture(GradientPicture(900, 600), p, "jpeg", 150); }, 1, 784},
        // BMP written without a resolution: one pixel per fax pixel.
        {"pattern.bmp", [&](const QString& p) { SavePicture(pattern, p, "bmp"); }, 1, 1100},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString source = file(r.name);
        r.make(source);
        const QString target = file(QString(r.name) + ".apf");
        DocumentImport import;
        const Result<int> pages = import.Import({source}, target);
        ASSERT_TRUE(pages.ok()) << pages.message().toStdString();
        EXPECT_EQ(pages.value(), r.pages);
        EXPECT_EQ(GetApfPageCount(target), r.pages);
        std::vector<bool> fine;
        int badCodes = -1;
        const std::vector<QImage> decoded = DecodePages(target, &fine, &badCodes);
        ASSERT_EQ(int(decoded.size()), r.pages);
        EXPECT_EQ(badCodes, 0);
        for (size_t i = 0; i < decoded.size(); ++i) {
            EXPECT_TRUE(fine[i]) << "page " << i + 1;
            EXPECT_EQ(decoded[i].width(), 1728) << "page " << i + 1;
            EXPECT_GT(InkIn(decoded[i], decoded[i].rect()), 0) << "page " << i + 1;
        }
        EXPECT_NEAR(decoded[0].height(), r.rows, 2);
        EXPECT_FALSE(QFile::exists(target + ".part"));
    }
}

// A fax-shaped picture (1728 wide, no resolution or fax resolution) arrives pixel for pixel.
TEST_F(DocumentImportTest, FaxShapedPicturesKeepEveryPixel) {
    const QImage pattern = PatternPicture(1728, 700, 5);
    WritePbm(file("p.pbm"), pattern);
    WriteFaxTiff(file("f.tif"), pattern, true);
    WriteFaxTiff(file("s.tif"), pattern, false);
    DocumentImport import;
    ASSERT_TRUE(import.Import({file("p.pbm"), file("f.tif"), file("s.tif")}, file("out.apf")).ok());
    const std::vector<QImage> pages = DecodePages(file("out.apf"));
    ASSERT_EQ(pages.size(), 3u);
    const QImage expected = pattern.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < 700; ++y) {
        for (int x = 0; x < 1728; ++x) {
            const bool ink = qGray(expected.pixel(x, y)) < 128;
            ASSERT_EQ(qGray(pages[0].pixel(x, y)) < 128, ink) << "pbm " << x << "," << y;
            ASSERT_EQ(qGray(pages[1].pixel(x, y)) < 128, ink) << "fine tif " << x << "," << y;
            ASSERT_EQ(qGray(pages[2].pixel(x, 2 * y)) < 128, ink) << "std tif " << x << "," << y;
            ASSERT_EQ(qGray(pages[2].pixel(x, 2 * y + 1)) < 128, ink) << "std tif " << x;
        }
    }
}

// A landscape page is turned counter-clockwise, whatever kind of file it came in: the mark
// in the top left corner ends up at the bottom left.
TEST_F(DocumentImportTest, LandscapePagesTurnTheSameWayFromPdfAndPictures) {
    WriteMarkedPdf(file("marked.pdf"), QPageLayout::Landscape);
    // The same page as a 100 dpi picture: 1169 x 827 with the mark an inch in.
    QImage picture(1169, 827, QImage::Format_Grayscale8);
    picture.fill(255);
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 200; ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
    SavePicture(picture, file("marked.png"), "png", 100);
    DocumentImport import;
    ASSERT_TRUE(import.Import({file("marked.pdf"), file("marked.png")}, file("out.apf")).ok());
    const std::vector<QImage> pages = DecodePages(file("out.apf"));
    ASSERT_EQ(pages.size(), 2u);
    for (const QImage& page : pages) {
        const int left = (1728 - 1687) / 2;
        // One inch in from the left and the bottom, one inch square: 204 x 196 pixels.
        const QRect mark(left + 204 + 20, page.height() - 2 * 196 + 20, 204 - 40, 196 - 40);
        EXPECT_EQ(InkIn(page, mark), mark.width() * mark.height());
        EXPECT_EQ(InkIn(page, page.rect()), InkIn(page, mark.adjusted(-24, -24, 24, 24)));
    }
}

TEST_F(DocumentImportTest, BadFilesAreRefusedNamingTheFileAndTheReason) {
    struct Row {
        const char* name;
        std::function<void(const QString&)> make;
        const char* reason;
    };
    const QString gs = QStandardPaths::findExecutable("gs");
    const Row rows[] = {
        {"missing.pdf", [](const QString&) {}, "the file cannot be opened"},
        {"empty.pdf",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
         },
         "the file is empty"},
        {"damaged.pdf",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 7 0 R >>\ngarbage\n");
         },
         "the PDF file is damaged"},
        {"locked.pdf",
         [&](const QString& p) {
             WriteTextPdf(p + ".plain.pdf", 1);
             QProcess::execute(gs, {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite",
                                    "-sOwnerPassword=owner", "-sUserPassword=secret",
                                    "-sOutputFile=" + p, p + ".plain.pdf"});
         },
         "the PDF file is protected by a password"},
        {"damaged.ps",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write("%!PS\n72 72 moveto (text) show\nnosuchoperator\nshowpage\n");
         },
         "the PostScript file is damaged (Error: /undefined in nosuchoperator)"},
        {"blank.ps",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write("%!PS\n% nothing is ever shown\n");
         },
         "the document has no pages"},
        {"damaged.tif",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write(QByteArray("II*\0\x08\0\0\0\xff\xff", 10));
         },
         "the TIFF file is damaged"},
        {"notes.txt",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write("Just a few words of plain text.\n");
         },
         "the picture cannot be read"},
        {"cut.png",
         [](const QString& p) {
             SavePicture(GradientPicture(300, 300), p, "png");
             QFile f(p);
             f.open(QIODevice::ReadWrite);
             f.resize(60);
         },
         "the picture cannot be read"},
    };
    // An earlier result at the target stays as it was.
    const QString target = file("kept.apf");
    WriteFaxTiff(file("seed.tif"), PatternPicture(1728, 50, 2), true);
    ASSERT_TRUE(DocumentImport().Import({file("seed.tif")}, target).ok());
    QFile seed(target);
    ASSERT_TRUE(seed.open(QIODevice::ReadOnly));
    const QByteArray before = seed.readAll();
    seed.close();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString source = file(r.name);
        r.make(source);
        DocumentImport import;
        // Behind a good file, so that a failure must also drop pages already written.
        const Result<int> result = import.Import({file("seed.tif"), source}, target);
        ASSERT_FALSE(result.ok());
        EXPECT_FALSE(import.cancelled());
        const QString expected = QStringLiteral("Cannot attach \"%1\": %2").arg(r.name, r.reason);
        EXPECT_TRUE(result.message().startsWith(expected)) << result.message().toStdString();
        QFile after(target);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), before);
        EXPECT_FALSE(QFile::exists(target + ".part"));
    }
}

TEST_F(DocumentImportTest, CancelStopsAndLeavesNothing) {
    WriteTextPdf(file("long.pdf"), 6);
    // A document that keeps Ghostscript busy for a while before its page, so that the cancel
    // comes while it converts however fast the machine is.
    {
        QFile ps(file("doc.ps"));
        ASSERT_TRUE(ps.open(QIODevice::WriteOnly));
        ps.write("%!PS\n0 1 30000000 { pop } for\n/Helvetica findfont 20 scalefont setfont\n"
                 "72 720 moveto (slow) show showpage\n");
    }
    // Cancelled at page 3 of the PDF, and while Ghostscript converts the PostScript.
    for (const int stopAt : {3, 0}) {
        SCOPED_TRACE(stopAt);
        const QString source = file(stopAt == 0 ? "doc.ps" : "long.pdf");
        std::vector<int> seen;
        DocumentImport import;
        import.setOnProgress([&](const ImportProgress& p) {
            EXPECT_EQ(p.fileName, QFileInfo(source).fileName());
        seen.push_back(p.page);
        return !(p.page == stopAt && (stopAt > 0 || seen.size() > 1));
    });
    const Result<int> result = import.Import({source}, file("out.apf"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(import.cancelled());
    EXPECT_FALSE(QFile::exists(file("out.apf")));
    EXPECT_FALSE(QFile::exists(file("out.apf.part")));
    if (stopAt > 0) {
        EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
    }
}
}  // namespace

TEST_F(DocumentImportTest, SeveralFilesFollowEachOtherInOrder) {
    WriteFaxTiff(file("a.tif"), PatternPicture(1728, 300, 11), true);
    WriteTextPdf(file("b.pdf"), 2);
    WritePbm(file("c.pbm"), PatternPicture(1728, 500, 12));
    std::vector<std::pair<int, int>> progress;
    DocumentImport import;
    import.setOnProgress([&](const ImportProgress& p) {
        EXPECT_EQ(p.files, 3);
    if (p.page > 0) progress.push_back({p.file, p.page});
    return true;
});
ASSERT_EQ(import.Import({file("a.tif"), file("b.pdf"), file("c.pbm")}, file("o.apf")).value(), 4);
EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {2, 2}, {3, 1}}));
const std::vector<QImage> pages = DecodePages(file("o.apf"));
ASSERT_EQ(pages.size(), 4u);
EXPECT_EQ(pages[0].height(), 300);
EXPECT_NEAR(pages[1].height(), 2291, 1);
EXPECT_EQ(pages[3].height(), 500);
}  // namespace corvane::testing

}  // namespace
}  // namespace corvane::testing
