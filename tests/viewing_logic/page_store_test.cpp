// The viewer's page store: opening, paging, rotation, scale, marking and damaged pages.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "apf_fixtures.h"
#include "faxdoc/apf_format.h"
#include "faxdoc/mono_bitmap.h"
#include "viewing/logic/mono_rotate.h"
#include "viewing/logic/page_store.h"

namespace corvane {
namespace {

using testing::Raster;

// A 5 x 3 image with ink at (0,0), (4,0) and (1,2): no two quarter turns look alike.
QImage asymmetric() {
    QImage image(5, 3, QImage::Format_Mono);
    image.setColorTable(PageColorTable());
    image.fill(1);
    for (QPoint p : {QPoint(0, 0), QPoint(4, 0), QPoint(1, 2)}) image.setPixel(p, 0);
    return image;
}

std::vector<QPoint> inkOf(const QImage& image) {
    std::vector<QPoint> ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelIndex(x, y) == 0) ink.emplace_back(x, y);
    return ink;
}

TEST(RotateMonoImage, QuarterTurnsMovePixelsClockwise) {
    struct Case {
        int turns;
        QSize size;
        std::vector<QPoint> ink;  // row by row
    } cases[] = {
        {0, {5, 3}, {{0, 0}, {4, 0}, {1, 2}}},
        {1, {3, 5}, {{2, 0}, {0, 1}, {2, 4}}},  // (x, y) -> (h - 1 - y, x)
        {2, {5, 3}, {{3, 0}, {0, 2}, {4, 2}}},  // (x, y) -> (w - 1 - x, h - 1 - y)
        {3, {3, 5}, {{0, 0}, {2, 3}, {0, 4}}},  // (x, y) -> (y, w - 1 - x)
        {-1, {3, 5}, {{0, 0}, {2, 3}, {0, 4}}},
        {5, {3, 5}, {{2, 0}, {0, 1}, {2, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.turns);
        const QImage turned = RotateMonoImage(asymmetric(), c.turns);
        EXPECT_EQ(turned.size(), c.size);
        EXPECT_EQ(inkOf(turned), c.ink);
    }
}

TEST(RotateMonoImage, FourQuarterTurnsGiveBackAFullPage) {
    const Raster text = testing::TextLikeRaster(1728, 300, 3);
    QImage page(1728, 300, QImage::Format_Mono);
    page.setColorTable(PageColorTable());
    for (int y = 0; y < 300; ++y)
        for (int i = 0; i < 216; ++i) page.scanLine(y)[i] = uchar(~text.rows[y][i]);
    QImage turned = page;
    for (int i = 0; i < 4; ++i) turned = RotateMonoImage(turned, 1);
    EXPECT_EQ(testing::RowsDiffer(testing::ImageRows(turned, 216), text.rows), "");
}

struct StoreFixture : ::testing::Test {
    QTemporaryDir dir;
    Raster fine = testing::TextLikeRaster(1728, 200, 1);
    Raster standard = testing::TextLikeRaster(1728, 80, 2);
    FaxPageStore store;
    std::vector<std::pair<int, QString>> errors;
    int pageChanges = 0;

    void SetUp() override {
        store.onViewerError = [this](int code, const QString& text) {
            errors.emplace_back(code, text);
        };
        store.onPageChange = [this] { ++pageChanges; };
    }
    QString write(const QString& name, const std::vector<testing::FixturePage>& pages) {
        const QString path = dir.filePath(name);
        testing::WriteFile(path, testing::BuildApf(pages));
        return path;
    }
    // Pages: fine, standard, fine.
    QString threePages() {
        return write("three.apf",
                     {testing::RecordPage(fine, kApfHighRes), testing::RecordPage(standard),
                      testing::RecordPage(fine, kApfHighRes)});
    }
};

TEST_F(StoreFixture, OpensOnPageOneAndPagesWithinBounds) {
    ASSERT_TRUE(store.setFile(threePages()));
    EXPECT_EQ(store.pageCount(), 3);
    EXPECT_EQ(store.currentPage(), 1);
    EXPECT_EQ(store.pageSize(), QSize(1728, 200));

    EXPECT_FALSE(store.previousPage());
    EXPECT_FALSE(store.firstPage());
    EXPECT_TRUE(store.nextPage());
    // A standard page shown at its true proportions: every line twice.
    EXPECT_EQ(store.pageSize(), QSize(1728, 160));
    EXPECT_TRUE(store.lastPage());
    EXPECT_FALSE(store.nextPage());
    EXPECT_FALSE(store.lastPage());
    EXPECT_EQ(store.currentPage(), 3);

    for (int bad : {0, -1, 4}) {
        const Status s = store.gotoPage(bad);
        EXPECT_EQ(s.message(), "Bad argument passed to function") << bad;
        EXPECT_EQ(store.currentPage(), 3);
    }
    ASSERT_TRUE(store.gotoPage(2));
    EXPECT_EQ(store.currentPage(), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoreFixture, BadFilesLeaveTheOpenFax) {
    const QString good = threePages();
    ASSERT_TRUE(store.setFile(good));
    store.nextPage();
    const QString notApf = dir.filePath("notes.apf");
    testing::WriteFile(notApf, QByteArray(100, 'x'));
    struct Case {
        QString path;
        const char* message;
    } cases[] = {{dir.filePath("missing.apf"), "File not found"},
                 {notApf, "File is not an APF file"}};
    for (const Case& c : cases) {
        EXPECT_EQ(store.setFile(c.path).message(), c.message);
        EXPECT_EQ(store.fileName(), good);
        EXPECT_EQ(store.currentPage(), 2);
        EXPECT_FALSE(store.bitmap().isNull());
    }
    ASSERT_TRUE(store.setFile(QString()));
    EXPECT_FALSE(store.hasFile());
    EXPECT_EQ(store.currentPage(), 0);
    EXPECT_TRUE(store.bitmap().isNull());
}

TEST_F(StoreFixture, DamagedPageIsReportedAndTheOtherPagesStayReadable) {
    // Page 2 claims more data than the file holds: it cannot decode.
    testing::FixturePage cut = testing::StreamPage(QByteArray(3000, '\0'), kApfHighRes);
    cut.imageLength = 50000;
    const QString path = write("damaged.apf", {testing::RecordPage(standard), cut});
    // Opening decodes page 1 only, so the damage is not met yet.
    ASSERT_TRUE(store.setFile(path));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(store.nextPage());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].second, "File is not an APF file");
    EXPECT_TRUE(store.bitmap().isNull());
    EXPECT_EQ(store.markedImage().message(), "No image loaded into viewer");
    EXPECT_TRUE(store.previousPage());
    EXPECT_EQ(store.pageSize(), QSize(1728, 160));
    EXPECT_EQ(store.fileName(), path);
}

TEST_F(StoreFixture, RotationTurnsShownAndLaterPages) {
    ASSERT_TRUE(store.setFile(threePages()));
    const QImage upright = store.bitmap();
    struct Case {
        int rotation;
        QSize size;
    } cases[] = {{1, {200, 1728}}, {2, {1728, 200}}, {3, {200, 1728}}, {0, {1728, 200}}};
    for (const Case& c : cases) {
        store.setRotation(c.rotation);
        EXPECT_EQ(store.pageSize(), c.size) << c.rotation;
        EXPECT_EQ(store.bitmap(), RotateMonoImage(upright, c.rotation)) << c.rotation;
    }
    store.setRotation(1);
    store.nextPage();  // decoded after the turn: turned as it loads
    EXPECT_EQ(store.pageSize(), QSize(160, 1728));
    store.setLoadWholeFax(true);
    store.setRotation(2);
    store.lastPage();
    EXPECT_EQ(store.pageSize(), QSize(1728, 200));
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoreFixture, ScaleAndMarkWorkInDisplayPixels) {
    ASSERT_TRUE(store.setFile(threePages()));
    store.setScale({1, 2, 3, 3});  // equal pair stored as 1/1
    EXPECT_EQ(store.scale(), (DisplayScale{1, 2, 1, 1}));
    EXPECT_EQ(store.displaySize(), QSize(864, 200));

    // The mark stays inside the displayed page whatever the pointer does.
    store.startMark({100, 50});
    store.extendMark({5000, -40});
    EXPECT_EQ(store.markRect(), QRect(QPoint(100, 0), QPoint(863, 49)));
    store.extendMark({-30, 300});
    EXPECT_EQ(store.markRect(), QRect(0, 50, 100, 150));
    store.endMark();
    // Copied in page pixels: twice as wide as marked.
    const Result<QImage> copy = store.markedImage();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.value().size(), QSize(200, 150));
    EXPECT_EQ(copy.value(), store.bitmap().copy(0, 50, 200, 150));

    // A click without a drag leaves no mark.
    store.startMark({10, 10});
    store.endMark();
    EXPECT_FALSE(store.hasMark());
    EXPECT_EQ(store.markedImage().message(), "No block of image marked");
    store.selectAll();
    EXPECT_EQ(store.markRect(), QRect(QPoint(), store.displaySize()));
}

}  // namespace
}  // namespace corvane
