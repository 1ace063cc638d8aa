#include "faxdoc/convert/fax_converter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "converted_apf.h"
#include "core/fax_errors.h"
#include "faxdoc/bmp_file.h"
#include "faxdoc/convert/ordered_threshold.h"
#include "faxdoc/t4_encoder.h"

namespace corvane {
namespace {

using testing::Black;
using testing::ConvertedApf;
using testing::DecodeWithCorvane;
using testing::ReadConvertedApf;

const QByteArray kWhiteRecord("\x00\x80\xB2\x59\x01\x00", 6);

QImage MonoImage(int w, int h, bool zeroIsWhite = true) {
    QImage image(w, h, QImage::Format_Mono);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    image.setColorTable(zeroIsWhite ? QList<QRgb>{white, black} : QList<QRgb>{black, white});
    image.fill(zeroIsWhite ? 0 : 1);
    return image;
}

void Ink(QImage& mono, int x, int y) {
    mono.setPixel(x, y, mono.color(0) == qRgb(0, 0, 0) ? 0 : 1);
}

class ConverterTest : public ::testing::Test {
  protected:
    QString Path(const QString& name) const { return dir_.path() + "/" + name; }

    // The cover-page set-up: fine, no margin, only coYield.
    TFxFaxConverter CoverConverter(const QString& out) const {
        TFxFaxConverter converter;
        converter.SetOptions(coYield);
        converter.SetResolution(frHigh);
        converter.SetLeftMargin(0);
        converter.SetOutFileName(out);
        return converter;
    }

    QTemporaryDir dir_;
};

TEST_F(ConverterTest, CoverBitmapBecomesOneFinePageOfLineRecords) {
    QImage cover = MonoImage(1728, 2156);
    for (int y = 100; y < 2100; y += 7) {
        for (int x = (y * 13) % 97; x < 1728; x += 37 + y % 11) Ink(cover, x, y);
    }
    for (int x = 0; x < 1728; ++x) Ink(cover, x, 2155);  // a full black line

    TFxFaxConverter converter = CoverConverter(Path("COV00001.APF"));
    converter.ConvertBitmapToApf(cover);

    const ConvertedApf apf = ReadConvertedApf(Path("COV00001.APF"));
    EXPECT_TRUE(apf.header.hasApfSignature());
    EXPECT_EQ(apf.header.pageCount, 1);
    EXPECT_EQ(apf.header.stationId(), QString());
    EXPECT_EQ(apf.header.stationIdLength, 0);
    ASSERT_EQ(apf.pages.size(), 1u);
    EXPECT_EQ(apf.pages[0].header.imageFlags, kApfHighRes | kApfLineRecords);
    EXPECT_TRUE(apf.recordsFillPages);
    EXPECT_TRUE(apf.chainEndsAtFileEnd);
    const auto& records = apf.pages[0].records;
    ASSERT_EQ(records.size(), 2157u);
    EXPECT_EQ(records[0], kWhiteRecord);
    EXPECT_EQ(records.back(), MakeEndOfPage());

    const auto lines = DecodeWithCorvane(apf.pages[0]);
    EXPECT_EQ(testing::FirstDifference(lines, testing::InkRows(cover, 1728)), "");
}

TEST_F(ConverterTest, PixelsBeyondANarrowPictureStayWhite) {
    // Rows are stored with padding; whichever palette entry is ink, the bits after the last
    // pixel and the padding bytes must not reach the page.
    for (const bool zeroIsWhite : {true, false}) {
        for (const int width : {1001, 1003, 8, 1}) {
            SCOPED_TRACE(
                QString("width %1, zero is white %2").arg(width).arg(zeroIsWhite).toStdString());
            QImage picture = MonoImage(width, 2, zeroIsWhite);
            picture.fill(zeroIsWhite ? 1 : 0);  // all ink, padding included
            TFxFaxConverter converter = CoverConverter(Path("narrow.apf"));
            converter.ConvertBitmapToApf(picture);
            const auto lines = DecodeWithCorvane(ReadConvertedApf(Path("narrow.apf")).pages.at(0));
            ASSERT_EQ(lines.size(), 2u);
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 1728; ++x) {
                    if (Black(lines, x, y) != (x < width)) {
                        ADD_FAILURE() << "pixel " << x << " of line " << y;
                        break;
                    }
                }
            }
        }
    }
}

TEST_F(ConverterTest, LeftMarginShiftsTheLineAndDropsTheLastColumns) {
    QImage picture = MonoImage(1728, 3);
    Ink(picture, 0, 0);
    for (int x = 1678; x < 1728; ++x) Ink(picture, x, 1);
    Ink(picture, 1677, 2);

    TFxFaxConverter converter = CoverConverter(Path("margin.apf"));
    converter.SetLeftMargin(50);
    converter.ConvertBitmapToApf(picture);
    const auto lines = DecodeWithCorvane(ReadConvertedApf(Path("margin.apf")).pages.at(0));
    ASSERT_EQ(lines.size(), 3u);
    const auto blackColumns = [&](int y) {
        std::vector<int> columns;
        for (int x = 0; x < 1728; ++x)
            if (Black(lines, x, y)) columns.push_back(x);
        return columns;
    };
    EXPECT_EQ(blackColumns(0), std::vector<int>{50});
    EXPECT_EQ(blackColumns(1), std::vector<int>{});
    EXPECT_EQ(blackColumns(2), std::vector<int>{1727});

    // A margin wider than the page leaves nothing of the picture.
    converter.SetLeftMargin(5000);
    converter.ConvertBitmapToApf(picture);
    const auto blank = DecodeWithCorvane(ReadConvertedApf(Path("margin.apf")).pages.at(0));
    EXPECT_EQ(testing::FirstDifference(blank, std::vector<QByteArray>(3, QByteArray(216, '\0'))),
              "");
}

TEST_F(ConverterTest, TopMarginLinesAreTheFixedWhiteRecordOnEveryWidth) {
    for (const TFaxWidth width : {fwNormal, fwWide}) {
        TFxFaxConverter converter = CoverConverter(Path("top.apf"));
        converter.SetWidth(width);
        converter.SetTopMargin(3);
        QImage picture = MonoImage(40, 2);
        Ink(picture, 5, 0);
        converter.ConvertBitmapToApf(picture);
        const ConvertedApf apf = ReadConvertedApf(Path("top.apf"));
        const auto& page = apf.pages.at(0);
        EXPECT_EQ(page.header.imageFlags,
                  kApfHighRes | kApfLineRecords | (width == fwWide ? kApfWideWidth : 0));
        ASSERT_EQ(page.records.size(), 3u + 2u + 1u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(page.records[static_cast<size_t>(i)], kWhiteRecord);
        EXPECT_NE(page.records[3], kWhiteRecord);
        // Blank picture rows are coded at the page width.
        const uchar blank[256] = {};
        EXPECT_EQ(page.records[4], CompressRasterLine(blank, width == fwWide ? 2048 : 1728, 0));
    }
}

TEST_F(ConverterTest, ImageOptionsOnStandardPages) {
    struct Case {
        const char* name;
        TFaxResolution resolution;
        TFaxCvtOptions options;
        int width;
        int leftMargin;
        std::vector<int> blackColumnsOfLine0;  // picture column 0 is black in every row
        int lines;
    };
    const Case cases[] = {
        // Doubled (1628 >= 200) and centred by (1728 - 2 * 150) / 32 = 44 bytes.
        {"default options, standard",
         frNormal,
         coDoubleWidth | coCenterImage | coYield,
         100,
         50,
         {50 + 352, 50 + 353},
         10},
        // Fine pages are never doubled; centred by (1728 - 100 - 50) / 16 = 98 bytes.
        {"default options, fine",
         frHigh,
         coDoubleWidth | coCenterImage | coYield,
         100,
         50,
         {50 + 784},
         10},
        // Too wide to double: every other line is dropped instead.
        {"half height", frNormal, coDoubleWidth | coHalfHeight, 1000, 50, {50}, 5},
        {"half height is for standard pages only", frHigh, coHalfHeight, 1000, 0, {0}, 10},
        {"no options", frNormal, 0, 100, 0, {0}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture = MonoImage(c.width, 10);
        for (int y = 0; y < 10; ++y) Ink(picture, 0, y);
        Ink(picture, 1, 1);  // only in a dropped line with half height
        TFxFaxConverter converter;
        converter.SetResolution(c.resolution);
        converter.SetOptions(c.options);
        converter.SetLeftMargin(c.leftMargin);
        converter.SetOutFileName(Path("options.apf"));
        converter.ConvertBitmapToApf(picture);
        const auto lines = DecodeWithCorvane(ReadConvertedApf(Path("options.apf")).pages.at(0));
        ASSERT_EQ(static_cast<int>(lines.size()), c.lines);
        std::vector<int> columns;
        for (int x = 0; x < 1728; ++x)
            if (Black(lines, x, 0)) columns.push_back(x);
        EXPECT_EQ(columns, c.blackColumnsOfLine0);
        if (c.lines == 5) {
            EXPECT_FALSE(Black(lines, 51, 1));
        }
    }
}

TEST(OrderedThreshold, MatrixValues) {
    // f folds the low four bits of x and y: (1, 0) -> 16, (0, 1) -> 24, (1, 1) -> 8.
    EXPECT_EQ(OrderedThreshold(0, 0), 0);
    EXPECT_EQ(OrderedThreshold(1, 0), 160);
    EXPECT_EQ(OrderedThreshold(0, 1), 240);
    EXPECT_EQ(OrderedThreshold(1, 1), 80);
    EXPECT_EQ(OrderedThreshold(33, 64), OrderedThreshold(1, 0));
    int highest = 0;
    for (const auto& row : OrderedThresholdMatrix())
        for (const auto value : row) highest = std::max<int>(highest, value);
    EXPECT_EQ(highest, 310);
}

TEST_F(ConverterTest, ColourPicturesAreThresholdedAgainstTheMatrix) {
    QImage picture(64, 96, QImage::Format_ARGB32);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 64; ++x) {
            QRgb colour = qRgb(255, 255, 255);
            if (y < 32)
                colour = qRgb(40, 50, 60);  // sum 150
            else if (y < 64)
                colour = qRgb(128, 128, 128);  // mid grey: above every threshold
            else
                colour = qRgba(0, 0, 0, 0);  // transparent: paper
            picture.setPixel(x, y, colour);
        }
    }
    TFxFaxConverter converter = CoverConverter(Path("colour.apf"));
    converter.ConvertBitmapToApf(picture);
    const auto lines = DecodeWithCorvane(ReadConvertedApf(Path("colour.apf")).pages.at(0));
    ASSERT_EQ(lines.size(), 96u);
    int mismatches = 0;
    int black = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 1728; ++x) {
            const bool expected = y < 32 && x < 64 && OrderedThreshold(x, y) > 150;
            mismatches += Black(lines, x, y) != expected;
            black += expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(black, 0);
}

TEST_F(ConverterTest, BmpFileRouteGivesTheSamePage) {
    QImage cover = MonoImage(1728, 300);
    for (int y = 0; y < 300; y += 3)
        for (int x = y; x < 1728; x += 50) Ink(cover, x, y);
    ASSERT_TRUE(WriteMonoBmp(cover, Path("LastCover.bmp")).ok());

    TFxFaxConverter memory = CoverConverter(Path("memory.apf"));
    memory.ConvertBitmapToApf(cover);

    TFxFaxConverter file = CoverConverter(QString());
    file.SetDocumentFile(Path("LastCover.bmp"));
    EXPECT_EQ(file.OutFileName(), Path("LastCover.APF"));
    file.SetInputDocumentType(idBmp);
    file.ConvertDocumentToApf();

    const ConvertedApf a = ReadConvertedApf(Path("memory.apf"));
    const ConvertedApf b = ReadConvertedApf(Path("LastCover.APF"));
    ASSERT_EQ(b.pages.size(), 1u);
    EXPECT_EQ(a.pages[0].header.imageFlags, b.pages[0].header.imageFlags);
    EXPECT_EQ(a.pages[0].records, b.pages[0].records);
}

TEST(ConverterProperties, DefaultsAndOptionRules) {
    TFxFaxConverter converter;
    EXPECT_EQ(converter.InputDocumentType(), idNone);
    EXPECT_EQ(converter.Options(), coDoubleWidth | coCenterImage | coYield);
    EXPECT_EQ(converter.Resolution(), frNormal);
    EXPECT_EQ(converter.Width(), fwNormal);
    EXPECT_EQ(converter.TopMargin(), 0);
    EXPECT_EQ(converter.LeftMargin(), 50);
    EXPECT_EQ(converter.LinesPerPage(), 60);
    EXPECT_EQ(converter.TabStop(), 4);
    EXPECT_EQ(converter.FontFile(), "FXFAX.FNT");
    EXPECT_EQ(converter.FontType(), ffStandard);
    EXPECT_TRUE(converter.DocumentFile().isEmpty());
    EXPECT_TRUE(converter.OutFileName().isEmpty());

    converter.SetOptions(coYieldOften);
    EXPECT_EQ(converter.Options(), coYieldOften | coYield);
}

TEST(ConverterProperties, OutputFileName) {
    struct Case {
        QString outFileName;
        QString documentFile;
        QString expected;
    };
    const Case cases[] = {
        {"/x/COV00001.APF", "", "/x/COV00001.APF"}, {"/x/cover", "", "/x/cover.APF"},
        {"/x.d/cover", "", "/x.d/cover.APF"},       {"/x/cover.apf", "/y/a.bmp", "/x/cover.apf"},
        {"", "/y/a.b.bmp", "/y/a.b.APF"},           {"", "/y.d/a", "/y.d/a.APF"},
    };
    for (const Case& c : cases) {
        TFxFaxConverter converter;
        if (!c.documentFile.isEmpty()) converter.SetDocumentFile(c.documentFile);
        if (!c.outFileName.isEmpty() || c.documentFile.isEmpty())
            converter.SetOutFileName(c.outFileName);
        EXPECT_EQ(converter.OutputFileName(), c.expected) << c.outFileName.toStdString();
    }
    TFxFaxConverter converter;
    converter.SetOutFileName("/z/old.APF");
    converter.SetDocumentFile("/y/LastCover.bmp");
    EXPECT_EQ(converter.OutFileName(), "/y/LastCover.APF");
}

TEST_F(ConverterTest, FailuresRaiseTheirTextAndLeaveNoOutput) {
    QFile notAPicture(Path("notes.bmp"));
    ASSERT_TRUE(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("just some text, not a bitmap");
    notAPicture.close();
    const QImage picture = MonoImage(100, 50);
    const QString out = Path("failed.APF");

    struct Case {
        const char* name;
        std::function<void(TFxFaxConverter&)> run;
        QString text;
    };
    const Case cases[] = {
        {"no bitmap", [](TFxFaxConverter& c) { c.ConvertBitmapToApf(QImage()); },
         "Bad argument passed to function"},
        {"document of kind none", [](TFxFaxConverter& c) { c.ConvertDocumentToApf(); },
         "Bad argument passed to function"},
        {"document of kind bitmap",
         [](TFxFaxConverter& c) {
             c.SetInputDocumentType(idBitmap);
             c.ConvertDocumentToApf();
         },
         "Bad argument passed to function"},
        {"BMP that is no picture",
         [&](TFxFaxConverter& c) {
             c.SetDocumentFile(Path("notes.bmp"));
             c.SetOutFileName(out);
             c.SetInputDocumentType(idBmp);
             c.ConvertDocumentToApf();
         },
         "Unsupported graphics file format"},
        {"missing BMP",
         [&](TFxFaxConverter& c) {
             c.SetDocumentFile(Path("none.bmp"));
             c.SetOutFileName(out);
             c.SetInputDocumentType(idBmp);
             c.ConvertDocumentToApf();
         },
         "Unsupported graphics file format"},
        {"input kind this program does not read",
         [&](TFxFaxConverter& c) {
             c.SetDocumentFile(Path("notes.bmp"));
             c.SetOutFileName(out);
             c.SetInputDocumentType(idTiff);
             c.ConvertDocumentToApf();
         },
         "Unsupported graphics file format"},
        {"output folder missing",
         [&](TFxFaxConverter& c) {
             c.SetOutFileName(Path("no/such/folder/x.APF"));
             c.ConvertBitmapToApf(picture);
         },
         "Path not found"},
        {"status handler aborts",
         [&](TFxFaxConverter& c) {
             c.SetOnStatus(
                 [](const FaxConvertStatus& s, bool& abort) { abort = s.linesConverted == 20; });
             c.ConvertBitmapToApf(picture);
         },
         "User aborted fax conversion"},
        {"quit message while yielding",
         [&](TFxFaxConverter& c) {
             c.SetOptions(coYieldOften);
             QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
             c.ConvertBitmapToApf(picture);
         },
         "Got quit message"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFxFaxConverter converter;
        converter.SetOutFileName(out);
        try {
            c.run(converter);
            ADD_FAILURE() << "no error";
        } catch (const EFaxError& e) {
            EXPECT_EQ(e.text(), c.text);
        }
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(converter.InputDocumentType() == idBitmap,
                  std::string(c.name) == "document of kind bitmap");
    }
}

TEST_F(ConverterTest, StatusReportsStartLinesAndEnd) {
    std::vector<FaxConvertStatus> reports;
    TFxFaxConverter converter = CoverConverter(Path("status.apf"));
    converter.SetOnStatus([&](const FaxConvertStatus& s, bool&) { reports.push_back(s); });
    std::vector<QByteArray> tapped;
    converter.SetOnOutputLine([&](const QByteArray& record) { tapped.push_back(record); });
    const QImage picture = MonoImage(200, 12);
    converter.ConvertBitmapToApf(picture);

    ASSERT_EQ(reports.size(), 1u + 13u + 1u);  // start, 12 lines + end of page, end
    EXPECT_TRUE(reports.front().starting);
    EXPECT_TRUE(reports.back().ending);
    EXPECT_EQ(reports.back().pagesConverted, 1);
    EXPECT_EQ(reports.back().linesConverted, 13);
    EXPECT_EQ(reports.back().bytesToConvert, picture.bytesPerLine() * 12);
    EXPECT_EQ(reports.back().bytesConverted, picture.bytesPerLine() * 12);
    EXPECT_EQ(tapped.size(), 12u);
}

}  // namespace
}  // namespace corvane
