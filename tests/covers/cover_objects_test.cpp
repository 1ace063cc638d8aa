// Cover objects: sizes that follow content, zoom, drawing geometry and the reduction of
// pictures to black and white.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QFontMetrics>
#include <QPainter>

#include "covers/cover_text.h"
#include "covers/fax_graphic_control.h"
#include "covers/mono_reduce.h"

namespace corvane {
namespace {

QImage Paint(const TFaxGraphicControl& o) {
    QImage page(o.Width() + 20, o.Height() + 20, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    o.PaintOnPage(painter);
    painter.end();
    return page;
}

bool Black(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

TEST(CoverObjects, CreationDefaultsOfEveryClass) {
    struct Case {
        const char* className;
        int width, height;
        const char* caption;  // text classes only
    };
    const Case cases[] = {
        {"TFaxCoverLabel", 142, 33, "Text"},
        {"TFaxCoverMessage", 142, 33,
         "[Fax Message - note: this is for short messages - it will not continue onto a 2nd "
         "page]"},
        {"TFaxCoverImportance", 142, 33,
         "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     [  ]Please "
         "Recycle"},
        {"TFaxCoverField", 142, 33, "[Date]"},
        {"TFaxCoverShapes", 25, 25, nullptr},
        {"TFaxCoverLine", 10, 10, nullptr},
        {"TFaxImage", 105, 105, nullptr},
        {"TFaxMultiLineLabel", 190, 33, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        auto o = CreateCoverObject(c.className);
        ASSERT_TRUE(o);
        EXPECT_EQ(o->ClassName(), c.className);
        EXPECT_EQ(o->Width(), c.width);
        EXPECT_EQ(o->Height(), c.height);
        if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(o.get())) {
            EXPECT_EQ(label->Caption(), c.caption);
            EXPECT_EQ(label->Font().name, "Arial");
            EXPECT_EQ(label->Font().size, 10);
            EXPECT_EQ(label->Font().height(), -13);
        }
    }
    EXPECT_FALSE(CreateCoverObject("TButton"));
}

TEST(CoverObjects, TextBoxesFollowTheirContent) {
    // A symbol takes its character's size plus ten per cent, truncated.
    TFaxCoverSymbol symbol;
    const QFontMetrics metrics(symbol.ScaledFont());
    EXPECT_EQ(symbol.Width(), int(1.1 * metrics.horizontalAdvance("[")));
    EXPECT_EQ(symbol.Height(), int(1.1 * metrics.height()));
    symbol.SetBounds(0, 0, 500, 500);
    EXPECT_EQ(symbol.Width(), int(1.1 * metrics.horizontalAdvance("[")));

    // Growing to the caption widens a box but never shrinks it.
    TFaxCoverLabel label;
    label.SetCaption("A caption much wider than the default box of the label");
    label.GrowToCaption();
    const QFontMetrics labelMetrics(label.ScaledFont());
    EXPECT_EQ(label.Width(), labelMetrics.horizontalAdvance(label.Caption() + " "));
    EXPECT_EQ(label.Height(), 33);
    label.SetCaption("x");
    label.GrowToCaption();
    EXPECT_EQ(label.Width(), labelMetrics.horizontalAdvance("A caption much wider than the "
                                                            "default box of the label "));

    // No text box keeps a zero or negative size.
    label.SetBounds(5, 5, 0, -3);
    EXPECT_EQ(label.Width(), 1);
    EXPECT_EQ(label.Height(), 1);

    TFaxCoverField field;
    field.ChooseField(cfSenderVoice);
    EXPECT_EQ(field.Caption(), "[Sender Phone]");
    EXPECT_EQ(field.CoverFieldType(), cfSenderVoice);
}

TEST(CoverObjects, ZoomRescalesBoundsHalfToEvenAndScalesPens) {
    TFaxCoverShapes shape;
    shape.SetBounds(5, 7, 25, 3);
    shape.SetZoom(0.5f);  // 2.5 -> 2, 3.5 -> 4, 12.5 -> 12, 1.5 -> 2
    EXPECT_EQ(shape.BoundsRect(), QRect(2, 4, 12, 2));
    EXPECT_EQ(shape.ScaledPenWidth(1), 0);  // a shape then still draws one pixel wide
    shape.SetZoom(1.0f);
    EXPECT_EQ(shape.BoundsRect(), QRect(4, 8, 24, 4));

    TFaxCoverLabel label;
    label.SetZoom(1.5f);
    EXPECT_EQ(label.ScaledFontSize(10), 15);
    label.SetZoom(0.75f);
    EXPECT_EQ(label.ScaledFontSize(10), 7);
}

TEST(CoverObjects, ThickOutlinesStayInsideTheShape) {
    TFaxCoverShapes shape;
    CoverPen pen;
    pen.width = 10;
    shape.SetPen(pen);
    shape.SetBounds(10, 10, 60, 40);
    const QImage page = Paint(shape);
    const int midY = 10 + 20;
    const int midX = 10 + 30;
    // The outline covers exactly the ten pixels inside each edge.
    for (int x = 0; x < 80; ++x) {
        const bool inside = x >= 10 && x < 70;
        const bool ink = inside && (x < 20 || x >= 60);
        EXPECT_EQ(Black(page, x, midY), ink) << "x " << x;
    }
    for (int y = 0; y < 60; ++y) {
        const bool ink = y >= 10 && y < 50 && (y < 20 || y >= 40);
        EXPECT_EQ(Black(page, midX, y), ink) << "y " << y;
    }

    // At zoom 0.5 a one-pixel shape still draws a one-pixel outline.
    TFaxCoverShapes thin;
    thin.SetBounds(10, 10, 20, 20);
    thin.SetZoom(0.5f);
    const QImage small = Paint(thin);
    EXPECT_TRUE(Black(small, 5, 8));
}

TEST(CoverObjects, MultiLineTextWrapsAndShowsBlankForEmptyText) {
    TFaxMultiLineLabel text;
    text.SetBounds(0, 0, 120, 200);
    text.SetItems({"one two three four five six seven eight nine ten", "", "end"});
    EXPECT_EQ(text.DisplayLines().size(), 3);
    text.SetWordWrap(true);
    const QStringList wrapped = text.DisplayLines();
    ASSERT_GT(wrapped.size(), 3);
    const QFontMetrics metrics(text.ScaledFont());
    for (const QString& line : wrapped)
        EXPECT_LE(metrics.horizontalAdvance(line), 120) << line.toStdString();
    EXPECT_EQ(wrapped.join(" ").simplified(),
              "one two three four five six seven eight nine ten end");
    EXPECT_EQ(wrapped.last(), "end");
    EXPECT_EQ(wrapped[wrapped.size() - 2], "");

    // A text of spaces only shows "<blank>", as the empty text does.
    TFaxMultiLineLabel blank;
    blank.SetBounds(0, 0, 190, 33);
    blank.SetItems({"   "});
    TFaxMultiLineLabel reference;
    reference.SetBounds(0, 0, 190, 33);
    reference.SetItems({"<blank>"});
    TFaxMultiLineLabel empty;
    empty.SetBounds(0, 0, 190, 33);
    EXPECT_EQ(Paint(blank), Paint(reference));
    EXPECT_EQ(Paint(empty), Paint(reference));
}

TEST(CoverObjects, ImageFlagsAndPictures) {
    TFaxImage image;
    EXPECT_TRUE(image.Stretch());
    image.SetAutoSize(true);
    EXPECT_FALSE(image.Stretch());
    image.SetStretch(true);
    EXPECT_FALSE(image.AutoSize());

    // A picture with a black left half; AutoSize takes its size.
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(0, 0, 20, 30, Qt::black);
    image.SetPicture(picture);
    EXPECT_EQ(image.Picture().format(), QImage::Format_Mono);
    image.SetAutoSize(true);
    EXPECT_EQ(image.BoundsRect().size(), QSize(40, 30));

    QImage shown = image.RenderToBitmap();
    EXPECT_TRUE(Black(shown, 2, 15));
    EXPECT_FALSE(Black(shown, 37, 15));
    image.SetReverse(true);
    shown = image.RenderToBitmap();
    EXPECT_FALSE(Black(shown, 2, 15));
    EXPECT_TRUE(Black(shown, 37, 15));
    image.SetBorderStyle(bsSingle);
    shown = image.RenderToBitmap();
    EXPECT_TRUE(Black(shown, 20, 0));
    EXPECT_TRUE(Black(shown, 39, 15));

    // An empty picture shows an outlined white box.
    TFaxImage empty;
    shown = empty.RenderToBitmap();
    EXPECT_TRUE(Black(shown, 0, 50));
    EXPECT_FALSE(Black(shown, 50, 50));
}

TEST(MonoReduce, ThresholdAndErrorDiffusion) {
    // 77 R + 150 G + 29 B < 32513 is black: grey 127 (32512) is black, 128 is white.
    for (const auto& [grey, black] :
         {std::pair{127, true}, {128, false}, {0, true}, {255, false}}) {
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(qRgb(grey, grey, grey));
        EXPECT_EQ(ReduceToMonochrome(pixel).pixelIndex(0, 0), black ? 0 : 1) << grey;
    }
    // Mid grey diffuses into about half black; the kernel keeps the mean level.
    QImage grey(64, 64, QImage::Format_RGB32);
    grey.fill(qRgb(160, 160, 160));
    const QImage mono = ReduceToMonochrome(grey);
    int blacks = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) blacks += mono.pixelIndex(x, y) == 0;
    const double expected = 64 * 64 * (1.0 - 160 * 256.0 / 65280.0);
    EXPECT_NEAR(blacks, expected, 64 * 64 * 0.03);
}

}  // namespace
}  // namespace corvane
