// Cover page generation: where things land on the page, the importance line, message
// continuation, and the APF pages that come out (read back by Corvane's decoder and libtiff).

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include "converted_apf.h"
#include "core/app_folders.h"
#include "covers/cover_drawing.h"
#include "covers/cover_generator.h"
#include "covers/cover_renderer.h"
#include "covers/cover_text.h"
#include "covers/render_file.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

QImage Blank(int w = kCoverPageWidth, int h = kCoverPageHeight) {
    return NewCoverCanvas(w, h);
}

// The page as the converter sees it: the bottom-right pixel is always black.
std::vector<QByteArray> AsFaxRows(QImage page) {
    QPainter(&page).fillRect(page.width() - 1, page.height() - 1, 1, 1, Qt::black);
    return testing::InkRows(page, kCoverPageWidth);
}

bool SamePicture(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

class Generation : public ::testing::Test {
  protected:
    // Writes a render file holding `objects` and returns its path.
    QString templateOf(CoverObjectList objects) {
        return home.write("Covers/T.FCT", EncodeRenderFile(objects));
    }
    template <typename T>
    static std::unique_ptr<TFaxGraphicControl> at(int x, int y, std::function<void(T&)> f = {}) {
        auto o = std::make_unique<T>();
        o->SetBounds(x, y, o->Width(), o->Height());
        if (f) f(*o);
        return o;
    }
    static CoverFont arial(int size) {
        CoverFont f;
        f.size = size;
        return f;
    }
    static CoverObjectList list(std::unique_ptr<TFaxGraphicControl> a,
                                std::unique_ptr<TFaxGraphicControl> b = nullptr) {
        CoverObjectList l;
        l.push_back(std::move(a));
        if (b) l.push_back(std::move(b));
        return l;
    }
    // Every page of `apf` decoded by Corvane, checked against libtiff's reading.
    std::vector<std::vector<QByteArray>> decodeAll(const QString& apf) {
        const testing::ConvertedApf file = testing::ReadConvertedApf(apf);
        std::vector<std::vector<QByteArray>> pages;
        for (const auto& page : file.pages) {
            EXPECT_TRUE(page.header.imageFlags & 1) << "fine resolution";
            std::vector<QByteArray> rows = testing::DecodeWithCorvane(page);
            EXPECT_EQ(rows.size(), size_t(kCoverPageHeight));
            EXPECT_EQ(testing::FirstDifference(testing::DecodeWithLibtiff(page, home.path()), rows),
                      "");
            pages.push_back(std::move(rows));
        }
        return pages;
    }

    testing::TempHome home;
};

TEST_F(Generation, FieldsAndTextLandWhereTheTemplatePutsThem) {
    // A field at design (50, 60) in 12 points is stored at (100, 120) with s2 = 24: the cover
    // page draws it there in 24 points, the preview at (50, 60) in 12, the margin adds 98.
    CoverData data;
    data.SenderVoice = "+1 555 0198";
    const QString path = templateOf(list(at<TFaxCoverField>(50, 60, [](auto& o) {
        o.SetCoverFieldType(cfSenderVoice);
        o.SetFont(arial(12));
    })));
    struct Case {
        bool margin;
        int x, y;    // where the cover page draws it
        int px, py;  // where the preview draws it
    };
    for (const Case& c : {Case{false, 100, 120, 50, 60}, Case{true, 198, 218, 148, 158}}) {
        SCOPED_TRACE(c.margin);
        CoverGenerator generator(CoverOptions{c.margin, false});
        const Result<QString> out = generator.GenerateCover(home.file("c.apf"), path, data, {});
        ASSERT_TRUE(out.ok()) << out.message().toStdString();
        QImage expected = Blank();
        {
            QPainter p(&expected);
            DrawCoverText(p, CoverQFont("Arial", 24, false, false, false), c.x, c.y, "+1 555 0198");
        }
        const auto pages = decodeAll(out.value());
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(testing::FirstDifference(pages[0], AsFaxRows(expected)), "");

        const Result<QImage> preview = generator.RenderPreviewImage(path);
        ASSERT_TRUE(preview.ok());
        QImage expectedPreview = Blank(kPreviewWidth, kPreviewHeight);
        {
            QPainter p(&expectedPreview);
            DrawCoverText(p, CoverQFont("Arial", 12, false, false, false), c.px, c.py,
                          "Your voice #");
        }
        EXPECT_TRUE(SamePicture(preview.value(), expectedPreview));
    }
}

TEST_F(Generation, ImportanceLineShowsOnlyWithFlagsAndMarksTheirBoxes) {
    const QString path = templateOf(list(at<TFaxCoverImportance>(20, 30)));
    const QFont font = CoverQFont("Arial", 20, false, false, false);
    const QFontMetrics m(font);
    struct Case {
        bool urgent, reply;
        QStringList prefixes;  // before each "X"
    };
    const Case cases[] = {
        {false, false, {}},
        {true, true, {"[", "[  ]Urgent     [  ]For Review     [  ]Please Comment     ["}},
    };
    for (const Case& c : cases) {
        CoverData data;
        data.Urgent = c.urgent;
        data.PleaseReply = c.reply;
        CoverGenerator generator(CoverOptions{});
        const Result<QString> out = generator.GenerateCover(home.file("i.apf"), path, data, {});
        ASSERT_TRUE(out.ok());
        QImage expected = Blank();
        if (c.urgent) {
            QPainter p(&expected);
            DrawCoverText(p, font, 40, 60, kImportanceCaption);
            for (const QString& prefix : c.prefixes)
                DrawCoverText(p, font, 40 + m.horizontalAdvance(prefix), 60, "X");
        }
        EXPECT_EQ(testing::FirstDifference(decodeAll(out.value()).at(0), AsFaxRows(expected)), "")
            << c.urgent;
    }
}

TEST_F(Generation, ShapePensAreStoredDoubledAndHalvedForThePreview) {
    const QString path = templateOf(list(at<TFaxCoverShapes>(100, 100, [](auto& o) {
        CoverPen pen;
        pen.width = 3;
        o.SetPen(pen);
        o.SetBounds(100, 100, 200, 100);
    })));
    auto inkRun = [](const QImage& image, int x, int fromY) {
        int run = 0;
        for (int y = fromY; y < image.height() && qGray(image.pixel(x, y)) < 128; ++y) ++run;
        return run;
    };
    CoverGenerator generator(CoverOptions{});
    ASSERT_TRUE(generator.GenerateCover(home.file("s.apf"), path, {}, {}).ok());
    const QImage page = generator.pages().at(0);
    EXPECT_EQ(inkRun(page, 400, 197), 6);  // top edge at 200, pen 6 centred: 197..202
    const QImage preview = generator.RenderPreviewImage(path).value();
    EXPECT_EQ(inkRun(preview, 200, 99), 3);
}

// How many wrapped lines a message box of height h takes, as the renderer fills it: a line is
// drawn, and drawing stops when the next would come within two line heights of the bottom.
int LinesPerBox(int top, int bottom, int t) {
    int n = 1;
    for (int y = top; y + 2 * t < bottom; y += t) ++n;
    return n;
}

TEST_F(Generation, LongMessagesContinueOnPagesOfTheirOwn) {
    // Message box at design (40, 300) sized 600 x 500: stored (80, 600) 1200 x 1000.
    const QString path =
        templateOf(list(at<TFaxCoverLabel>(40, 20, [](auto& o) { o.SetCaption("Heading"); }),
                        at<TFaxCoverMessage>(40, 300, [](auto& o) {
                            o.SetBounds(40, 300, 600, 500);
                            o.SetFont(arial(10));
                        })));
    const int t = QFontMetrics(CoverQFont("Arial", 20, false, false, false)).height();
    const int firstPage = LinesPerBox(600, 1600, t);
    const int laterPages = LinesPerBox(kContinuationTop, 1600 - kContinuationTop, t);

    struct Case {
        int lines;
        int pages;
    };
    const int remaining = 200 - firstPage;
    for (const Case& c : {Case{3, 1}, Case{firstPage, 1}, Case{firstPage + 1, 2},
                          Case{200, 1 + (remaining + laterPages - 1) / laterPages}}) {
        SCOPED_TRACE(c.lines);
        QStringList message;
        for (int i = 0; i < c.lines; ++i) message << QString("Line %1 of the message").arg(i + 1);
        CoverGenerator generator(CoverOptions{});
        const Result<QString> out = generator.GenerateCover(home.file("m.apf"), path, {}, message);
        ASSERT_TRUE(out.ok()) << out.message().toStdString();
        const auto pages = decodeAll(out.value());
        ASSERT_EQ(int(pages.size()), c.pages);
        ASSERT_EQ(generator.pages().size(), pages.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            EXPECT_EQ(testing::FirstDifference(pages[p], AsFaxRows(generator.pages()[p])), "");
            EXPECT_TRUE(testing::Black(pages[p], kCoverPageWidth - 1, kCoverPageHeight - 1));
        }
        for (size_t p = 1; p < pages.size(); ++p) {
            // Only message text, from y = 196 on, inside the box's columns.
            int firstInk = -1;
            for (int y = 0; y < kCoverPageHeight - 1 && firstInk < 0; ++y)
                for (int x = 0; x < kCoverPageWidth; ++x)
                    if (testing::Black(pages[p], x, y)) {
                        firstInk = y;
                        EXPECT_GE(x, 80);
                        break;
                    }
            EXPECT_GE(firstInk, kContinuationTop);
            EXPECT_LT(firstInk, kContinuationTop + t);
        }
    }
    // The temporary page files are gone.
    EXPECT_TRUE(QDir(home.path()).entryList({"_temp*"}, QDir::Files).isEmpty());
}

TEST_F(Generation, MissingOrDamagedTemplatesAndNewCoverNames) {
    QDir().mkpath(home.path() + "SEND");
    CoverGenerator generator(CoverOptions{});
    // A template that exists nowhere gives a blank page, and says why.
    const Result<QString> blank = generator.GenerateCover("", home.file("nowhere.fct"), {}, {});
    ASSERT_TRUE(blank.ok());
    EXPECT_EQ(blank.value(), SendFolder() + "COV00000.APF");
    EXPECT_TRUE(generator.warning().contains("nowhere.fct"));
    EXPECT_EQ(testing::FirstDifference(decodeAll(blank.value()).at(0), AsFaxRows(Blank())), "");

    // A name without a folder is looked up in Covers/.
    const QString path = templateOf(list(at<TFaxCoverLabel>(10, 10)));
    ASSERT_TRUE(generator.GenerateCover("", "t.fct", {}, {}).ok());
    EXPECT_TRUE(generator.warning().isEmpty());
    QImage label = Blank();
    {
        QPainter p(&label);
        DrawCoverText(p, CoverQFont("Arial", 20, false, false, false), 20, 20, "Text");
    }
    EXPECT_TRUE(SamePicture(generator.pages().at(0), label));

    // Damage after the label: the label is drawn, the warning names the file and the place.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(
        QByteArray::fromHex("0102070200020002100210"
                            "04ffffff7f"));
    file.close();
    const QImage labelOnly = generator.pages().at(0);
    const Result<QString> damaged = generator.GenerateCover("", path, {}, {});
    ASSERT_TRUE(damaged.ok());
    EXPECT_EQ(damaged.value(), SendFolder() + "COV00002.APF");
    EXPECT_TRUE(SamePicture(generator.pages().at(0), labelOnly));
    EXPECT_TRUE(generator.warning().contains(path)) << generator.warning().toStdString();
    EXPECT_TRUE(generator.warning().contains("at byte")) << generator.warning().toStdString();
}

TEST_F(Generation, TheAlternateMethodWritesTheSamePagesThroughABmpFile) {
    const QString path = templateOf(list(at<TFaxCoverLabel>(30, 30)));
    CoverGenerator direct(CoverOptions{false, false});
    CoverGenerator alternate(CoverOptions{false, true});
    ASSERT_TRUE(direct.GenerateCover(home.file("a.apf"), path, {}, {}).ok());
    ASSERT_TRUE(alternate.GenerateCover(home.file("b.apf"), path, {}, {}).ok());
    EXPECT_EQ(home.read("a.apf"), home.read("b.apf"));
    EXPECT_TRUE(QFile::exists(home.file("LastCover.bmp")));
}

}  // namespace
}  // namespace corvane
