// The template files: design and render encodings byte by byte, round trips, naming, saving,
// deleting, and damaged files.

#include <gtest/gtest.h>

#include "qstring_print.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include "covers/cover_template_files.h"
#include "covers/design_stream.h"
#include "covers/render_file.h"
#include "fixtures/temp_home.h"

namespace corvane {
namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

template <typename T>
std::unique_ptr<TFaxGraphicControl> Made(std::function<void(T&)> setUp) {
    auto o = std::make_unique<T>();
    setUp(*o);
    return o;
}

// One object of every class, each with properties away from their defaults.
CoverObjectList EveryClassChanged() {
    CoverFont font;
    font.name = "Courier New";
    font.size = 14;
    font.bold = font.underline = true;
    font.pitch = fpFixed;
    CoverPen pen;
    pen.width = 4;
    pen.color = clWhite;
    pen.style = "psDot";
    CoverObjectList list;
    list.push_back(Made<TFaxCoverLabel>([&](auto& o) {
        o.SetBounds(-5, 20, 300, 40);
        o.SetCaption(QString(300, 'w'));  // a long string
        o.SetFont(font);
        o.SetHint("a hint");
        o.SetLocked(true);
        o.SetTag(70000);
    }));
    list.push_back(Made<TFaxCoverSymbol>([&](auto& o) {
        o.SetCaption("J");
        o.SetUnselectable(true);
    }));
    list.push_back(Made<TFaxCoverMessage>([&](auto& o) {
        o.SetBounds(10, 300, 600, 400);
        CoverFont italic;
        italic.italic = italic.strikeOut = true;
        italic.size = 12;
        o.SetFont(italic);
    }));
    list.push_back(Made<TFaxCoverImportance>([&](auto& o) { o.SetBounds(1, 2, 500, 20); }));
    list.push_back(Made<TFaxCoverField>([&](auto& o) {
        o.ChooseField(cfRecipientFax);
        o.SetBounds(40, 50, 200, 30);
    }));
    list.push_back(Made<TFaxCoverShapes>([&](auto& o) {
        o.SetShape(stRoundRect);
        o.SetShapeFilltype(sftFilledBlack);
        o.SetPen(pen);
        o.SetRoundPerc(60);
        o.SetBounds(100, 100, 200, 80);
    }));
    list.push_back(Made<TFaxCoverLine>([&](auto& o) {
        o.SetLineStyle(stAngleSlopingDown);
        o.SetPen(pen);
        o.SetBounds(0, 500, 768, 30);
    }));
    list.push_back(Made<TFaxImage>([&](auto& o) {
        QImage picture(33, 17, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).fillRect(3, 3, 10, 5, Qt::black);
        o.SetPicture(picture);
        o.SetBounds(200, 600, 66, 34);
        o.SetBorderStyle(bsSingle);
        o.SetStretch(false);
        o.SetFlip(true);
        o.SetReverse(true);
    }));
    list.push_back(Made<TFaxMultiLineLabel>([&](auto& o) {
        o.SetBounds(50, 700, 250, 100);
        o.SetItems({"first line", "", "third line"});
        o.SetAlignment(taCenter);
        o.SetFont(font);
        o.SetAutoSize(true);
        o.SetWordWrap(true);
    }));
    for (size_t i = 0; i < list.size(); ++i) list[i]->SetName(QString("Component%1").arg(i));
    return list;
}

TEST(DesignStream, EveryClassRoundTripsAndRewritesIdentically) {
    const CoverObjectList written = EveryClassChanged();
    const QByteArray bytes = EncodeDesignStream(written);
    const Result<CoverObjectList> read = DecodeDesignStream(bytes);
    ASSERT_TRUE(read.ok()) << read.message().toStdString();
    ASSERT_EQ(read.value().size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(written[i]->ClassName().toStdString());
        EXPECT_TRUE(read.value()[i]->SameProperties(*written[i]));
        EXPECT_EQ(read.value()[i]->Name(), written[i]->Name());
    }
    EXPECT_EQ(EncodeDesignStream(read.value()), bytes);
    EXPECT_EQ(EncodeRenderFile(read.value()), EncodeRenderFile(written));
}

TEST(DesignStream, DefaultsAreLeftOutAndBytesAreExact) {
    CoverObjectList page;
    EXPECT_EQ(EncodeDesignStream(page), Hex("01 00"));  // an empty page
    EXPECT_EQ(EncodeRenderFile(page), QByteArray());

    // A default rectangle: no pen, no RoundPerc, no Shape, but always its fill type.
    page.push_back(std::make_unique<TFaxCoverShapes>());
    page[0]->SetBounds(1, 2, 25, 25);
    QByteArray expected = Hex("01") + "TPF0" + Hex("0f") + "TFaxCoverShapes" + Hex("00");
    expected += Hex("04") + "Left" + Hex("02 01") + Hex("03") + "Top" + Hex("02 02");
    expected += Hex("05") + "Width" + Hex("02 19") + Hex("06") + "Height" + Hex("02 19");
    expected += Hex("06") + "Locked" + Hex("08") + Hex("0c") + "Unselectable" + Hex("08");
    expected += Hex("0d") + "ShapeFilltype" + Hex("07 0e") + "sftTransparent";
    expected += Hex("00 00 00");
    EXPECT_EQ(EncodeDesignStream(page), expected);

    struct Case {
        const char* name;
        std::function<std::unique_ptr<TFaxGraphicControl>()> make;
        QByteArray present;  // must appear
        QByteArray absent;   // must not
    };
    const Case cases[] = {
        {"vertical line names its style",
         [] { return Made<TFaxCoverLine>([](auto& o) { o.SetLineStyle(stVertical); }); },
         Hex("09") + "LineStyle" + Hex("07 0a") + "stVertical", "Pen."},
        {"horizontal line does not", [] { return std::make_unique<TFaxCoverLine>(); },
         "Unselectable", "LineStyle"},
        {"empty multi-line text has no strings",
         [] { return std::make_unique<TFaxMultiLineLabel>(); }, Hex("08") + "AutoSize" + Hex("08"),
         "Items.Strings"},
        {"a 300-character caption is a long string",
         [] { return Made<TFaxCoverLabel>([](auto& o) { o.SetCaption(QString(300, 'a')); }); },
         Hex("07") + "Caption" + Hex("0c 2c 01 00 00") + QByteArray(300, 'a'),
         "Caption" + Hex("06")},
        {"a 10-point font is stored as height -13",
         [] { return std::make_unique<TFaxCoverLabel>(); },
         Hex("0b") + "Font.Height" + Hex("02 f3"), "Font.Size"},
    };
    for (const Case& c : cases) {
        CoverObjectList one;
        one.push_back(c.make());
        const QByteArray bytes = EncodeDesignStream(one);
        EXPECT_TRUE(bytes.contains(c.present)) << c.name;
        EXPECT_FALSE(bytes.contains(c.absent)) << c.name;
    }
}

TEST(RenderFile, RecordsHoldDoubledGeometryAndTheKindsFields) {
    CoverObjectList page;
    page.push_back(Made<TFaxCoverLabel>([](auto& o) {
        o.SetBounds(10, 20, 142, 33);
        o.SetCaption("Hi");
    }));
    page.push_back(Made<TFaxCoverShapes>([](auto& o) {
        CoverPen pen;
        pen.width = 3;
        o.SetPen(pen);
        o.SetShape(stEllipse);
        o.SetShapeFilltype(sftFilledWhite);
    }));
    page.push_back(std::make_unique<TFaxMultiLineLabel>());
    QByteArray expected;
    // kind 0, 20 40 284 66, "Hi", "Arial", s2 = 20, False x3, -1 x6
    expected += Hex("01 02 00 02 14 02 28 03 1c 01 02 42 06 02") + "Hi" + Hex("06 05") + "Arial" +
                Hex("02 14 08 08 08 02 ff 02 ff 02 ff 02 ff 02 ff 02 ff 00");
    // kind 2, 0 0 50 50, "", "", -1, False x3, shape 4, fill 1, pen 6, -1, 25, -1
    expected +=
        Hex("01 02 02 02 00 02 00 02 32 02 32 06 00 06 00 02 ff 08 08 08"
            "02 04 02 01 02 06 02 ff 02 19 02 ff 00");
    // kind 8, 0 0 380 66, "Arial", 20, False x3, alignment 0, False, n = 0
    expected += Hex("01 02 08 02 00 02 00 03 7c 01 02 42 06 05") + "Arial" +
                Hex("02 14 08 08 08 02 00 08 02 00 00");
    EXPECT_EQ(EncodeRenderFile(page), expected);

    RenderFileReader reader(expected);
    RenderRecord rec;
    ASSERT_TRUE(reader.next(rec));
    EXPECT_EQ(rec.kind, rkLabel);
    EXPECT_EQ(QRect(rec.left, rec.top, rec.width, rec.height), QRect(20, 40, 284, 66));
    EXPECT_EQ(rec.caption, "Hi");
    EXPECT_EQ(rec.s2, 20);
    ASSERT_TRUE(reader.next(rec));
    EXPECT_EQ(rec.i[0], stEllipse);
    EXPECT_EQ(rec.i[2], 6);
    ASSERT_TRUE(reader.next(rec));
    EXPECT_TRUE(rec.items.isEmpty());
    EXPECT_FALSE(reader.next(rec));
    EXPECT_FALSE(reader.damaged());
}

TEST(DesignStream, DamagedStreamsFailCleanly) {
    CoverObjectList one;
    one.push_back(std::make_unique<TFaxCoverLabel>());
    const QByteArray good = EncodeDesignStream(one);
    const QByteArray withPicture = EncodeDesignStream(EveryClassChanged());

    // Every truncation of a valid stream is an error, never a partial page.
    for (qsizetype n = 0; n < withPicture.size(); ++n) {
        const Result<CoverObjectList> r = DecodeDesignStream(withPicture.left(n));
        ASSERT_FALSE(r.ok()) << "cut at " << n;
    }

    QByteArray hugeBitmap = Hex("424d") + QByteArray(16, '\0') + Hex("00 00 01 00 00 00 01 00");
    QByteArray pictureData = Hex("07") + "TBitmap" + Hex("1a 00 00 00") + hugeBitmap;
    QByteArray withHugePicture = Hex("01") + "TPF0" + Hex("09") + "TFaxImage" + Hex("00") +
                                 Hex("0c") + "Picture.Data" + Hex("0a 26 00 00 00") + pictureData +
                                 Hex("00 00 00");
    QByteArray deep = Hex("01") + "TPF0" + Hex("07") + "TButton" + Hex("00") + Hex("01") + "X";
    for (int i = 0; i < 1000; ++i) deep += Hex("01");
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", QByteArray(), "list expected"},
        {"no list", Hex("00"), "list expected"},
        {"wrong signature", QByteArray(good).replace("TPF0", "TPF1"), "signature"},
        {"unknown property", QByteArray(good).replace("Locked", "Lockex"),
         "unknown property Lockex"},
        {"wrong value type",
         QByteArray(good).replace(Hex("06") + "Locked" + Hex("08"),
                                  Hex("06") + "Locked" + Hex("02 01")),
         "Boolean expected"},
        {"unknown enumeration value", QByteArray(good).replace("clBlack", "clBrown"),
         "unknown colour clBrown"},
        {"string longer than the file",
         QByteArray(good).replace(Hex("06 05") + "Arial", Hex("0c ff ff ff 7f") + "Arial"),
         "runs past the end"},
        {"huge picture", withHugePicture, "bitmap of 65536 x 65536"},
        {"lists nested without end", deep, "nested too deeply"},
        {"unknown value tag in a skipped record",
         Hex("01") + "TPF0" + Hex("07") + "TButton" + Hex("00 01") + "P" + Hex("0e"),
         "unknown value tag 0x0e"},
    };
    for (const Case& c : cases) {
        const Result<CoverObjectList> r = DecodeDesignStream(c.bytes);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_TRUE(r.message().contains(c.message)) << c.name << ": " << r.message().toStdString();
    }

    // A record of another class is skipped whole, properties, children and all.
    QByteArray foreign = Hex("01") + "TPF0" + Hex("07") + "TButton" + Hex("02") + "B1" + Hex("07") +
                         "Caption" + Hex("06 02") + "OK" + Hex("05") + "Items" + Hex("01 06 01") +
                         "a" + Hex("00") + Hex("00") + Hex("07") + "TButton" + Hex("00") +
                         Hex("00 00") + Hex("00");
    foreign += good.mid(1);
    const Result<CoverObjectList> skipped = DecodeDesignStream(foreign);
    ASSERT_TRUE(skipped.ok()) << skipped.message().toStdString();
    ASSERT_EQ(skipped.value().size(), 1u);
    EXPECT_EQ(skipped.value()[0]->ClassName(), "TFaxCoverLabel");
}

TEST(RenderFile, DamageStopsTheReaderAfterTheGoodRecords) {
    const QByteArray good = EncodeRenderFile(EveryClassChanged());
    RenderFileReader whole(good);
    RenderRecord rec;
    int records = 0;
    while (whole.next(rec)) ++records;
    EXPECT_EQ(records, 9);
    EXPECT_FALSE(whole.damaged());

    const QByteArray absurdImage = Hex("01 02 07 02 00 02 00 02 10 02 10 04 ff ff ff 7f 00");
    const QByteArray unknownKind = Hex("01 02 09 02 00 02 00 02 10 02 10 00");
    for (const QByteArray& tail :
         {good.left(good.size() - 1), good + absurdImage, good + unknownKind, good + Hex("01")}) {
        RenderFileReader reader(tail);
        int read = 0;
        while (reader.next(rec)) ++read;
        EXPECT_TRUE(reader.damaged());
        EXPECT_EQ(read, tail.startsWith(good) ? 9 : 8);
        EXPECT_TRUE(reader.error().contains("at byte")) << reader.error().toStdString();
    }
}

class TemplateFolder : public ::testing::Test {
  protected:
    testing::TempHome home;
    QString covers() const { return home.path() + "Covers/"; }
};

TEST_F(TemplateFolder, ProposalTakesTheFirstFreeNameIgnoringCase) {
    QDir().mkpath(covers());
    EXPECT_EQ(ProposeTemplateName(covers()), "QX0001.FCS");
    home.touch("Covers/QX0001.FCS");
    home.touch("Covers/qx0002.fcs");
    EXPECT_EQ(ProposeTemplateName(covers()), "QX0003.FCS");

    EXPECT_EQ(RenderFileNameFor("QX0003.FCS"), "QX0003.fct");
    EXPECT_EQ(RenderFileNameFor("qx0001.fct"), "qx0001.fct");
    EXPECT_EQ(RenderFileNameFor("Covers/MINE.FCT"), "Covers/MINE.FCT");
}

TEST_F(TemplateFolder, SaveWritesFourFilesLoadAndDeleteUseThem) {
    QDir().mkpath(covers());
    CoverObjectList page = EveryClassChanged();
    // Objects off the page or without area are dropped on save.
    page.push_back(Made<TFaxCoverLabel>([](auto& o) { o.SetBounds(10, 951, 50, 20); }));
    page.push_back(Made<TFaxCoverLabel>([](auto& o) { o.SetBounds(759, 10, 50, 20); }));
    page.push_back(Made<TFaxCoverShapes>([](auto& o) { o.SetBounds(10, 10, 0, 20); }));
    page[0]->SetZoom(2.0f);
    const QString design = covers() + "MINE.FCS";
    ASSERT_TRUE(SaveTemplate(design, page, "My template").ok());
    EXPECT_EQ(page.size(), 9u);
    EXPECT_EQ(page[0]->Zoom(), 2.0f);  // restored after saving at zoom 1

    const CoverObjectList expected = EveryClassChanged();
    EXPECT_EQ(home.read("Covers/MINE.FCS"), EncodeDesignStream(expected));
    EXPECT_EQ(home.read("Covers/MINE.FCT"), EncodeRenderFile(expected));
    EXPECT_EQ(home.read("Covers/MINE.DES"), "My template\r\n");
    const QImage preview(covers() + "MINE.bmp");
    EXPECT_EQ(preview.size(), QSize(816, 1056));
    EXPECT_EQ(preview.depth(), 1);
    EXPECT_EQ(ReadDescription(design), "My template");
    EXPECT_EQ(QDir(covers()).entryList(QDir::Files).size(), 4);  // no temporary files left

    const Result<CoverObjectList> loaded = LoadTemplate(design);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded.value().size(), 9u);
    EXPECT_EQ(loaded.value()[3]->Name(), "Component3");
    EXPECT_TRUE(loaded.value()[5]->SameProperties(*expected[5]));

    home.write("Covers/BAD.FCS", Hex("01") + "TPF0");
    const Result<CoverObjectList> bad = LoadTemplate(covers() + "BAD.FCS");
    ASSERT_FALSE(bad.ok());
    EXPECT_TRUE(bad.message().startsWith("Unable to open " + covers() + "BAD.FCS."));

    EXPECT_EQ(DeleteTemplate(covers() + "MINE.FCT").message(),
              "Must be a FCS (Fax Cover Template) file");
    EXPECT_TRUE(DeleteTemplate(design).ok());
    EXPECT_EQ(QDir(covers()).entryList(QDir::Files), QStringList{"BAD.FCS"});
    EXPECT_EQ(ReadDescription(design), "");
}

// Typographic characters of code page 1252 (euro sign, curly quotes, dashes) in a label, a
// multi-line label and the description come back from every template file as they were, and
// are stored as the code page's single bytes.
TEST_F(TemplateFolder, TypographicTextRoundTripsThroughEveryFile) {
    QDir().mkpath(covers());
    const QString text = QString::fromUtf8("5 € – “quoted” ‘single’ — end");
    const QByteArray stored = Hex("3520 80 20 96 20 93") + "quoted" + Hex("94 20 91") + "single" +
                              Hex("92 20 97") + " end";
    CoverObjectList page;
    page.push_back(Made<TFaxCoverLabel>([&](auto& o) {
        o.SetBounds(10, 10, 300, 30);
        o.SetCaption(text);
    }));
    page.push_back(Made<TFaxMultiLineLabel>([&](auto& o) {
        o.SetBounds(10, 100, 300, 100);
        o.SetItems({text, text.left(3)});
    }));
    const QString design = covers() + "EURO.FCS";
    ASSERT_TRUE(SaveTemplate(design, page, text).ok());

    EXPECT_TRUE(home.read("Covers/EURO.FCS").contains(stored));
    EXPECT_TRUE(home.read("Covers/EURO.FCT").contains(stored));
    EXPECT_EQ(home.read("Covers/EURO.DES"), stored + "\r\n");
    EXPECT_EQ(ReadDescription(design), text);

    const Result<CoverObjectList> loaded = LoadTemplate(design);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded.value().size(), 2u);
    EXPECT_EQ(static_cast<const TFaxCoverBaseLabel&>(*loaded.value()[0]).Caption(), text);
    EXPECT_EQ(static_cast<const TFaxMultiLineBaseLabel&>(*loaded.value()[1]).Items(),
              (QStringList{text, text.left(3)}));

    RenderFileReader reader(home.read("Covers/EURO.FCT"));
    RenderRecord label, multi;
    ASSERT_TRUE(reader.next(label));
    ASSERT_TRUE(reader.next(multi));
    EXPECT_EQ(label.caption, text);
    EXPECT_EQ(multi.items, (QStringList{text, text.left(3)}));
}

}  // namespace
}  // namespace corvane
