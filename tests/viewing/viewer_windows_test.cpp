// The viewer control and both viewer windows on the offscreen platform: paging, zoom,
// rotation, marking and copying, switching between the windows, viewing cover and document.
// With CORVANE_SCREENSHOT_DIR set, each window is grabbed into that folder as a PNG.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "core/settings.h"
#include "viewing/fax_viewer_control.h"
#include "viewing/fax_viewer_windows.h"
#include "viewing/logic/fax_export.h"
#include "viewing/show_viewer.h"
#include "viewing/standalone_viewer.h"
#include "viewing_fixture.h"

namespace corvane {
namespace {

void screenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    window.grab().save(QDir(folder).filePath(name));
}

std::array<bool, 4> buttons(const ViewerWindowBase& w) {
    return {w.firstButton()->isEnabled(), w.previousButton()->isEnabled(),
            w.nextButton()->isEnabled(), w.lastButton()->isEnabled()};
}

struct WindowFixture : ::testing::Test, testing::ViewingFixture {};

TEST_F(WindowFixture, RegularViewerPagesZoomsAndRotates) {
    const QString fax = writeLetterFax("three.apf", 3, true, 1100);
    TFaxViewer window(fax, "From: Alice", nullptr);
    window.resize(700, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TFxFaxViewer& viewer = *window.viewer();
    EXPECT_EQ(window.statusText(), "From: Alice: Page 1 of 3");
    EXPECT_EQ(window.zoom(), 50);
    EXPECT_TRUE(window.zoomItem(50)->isChecked());
    EXPECT_EQ(buttons(window), (std::array{false, false, true, true}));
    screenshot(window, "viewer-regular.png");

    window.NextPageClick();
    EXPECT_EQ(window.statusText(), "From: Alice: Page 2 of 3");
    EXPECT_EQ(buttons(window), (std::array{true, true, true, true}));
    window.LastPageClick();
    EXPECT_EQ(viewer.apwViewGetCurPage(), 3);
    EXPECT_EQ(buttons(window), (std::array{true, true, false, false}));
    // Last page again: scrolled back to the top left, still page 3.
    viewer.verticalScrollBar()->setValue(100);
    window.LastPageClick();
    EXPECT_EQ(viewer.scrollOffset(), QPoint(0, 0));

    window.ZoomInClick();
    window.ZoomInClick();
    EXPECT_EQ(window.zoom(), 100);
    window.ZoomInClick();  // beeps, stays
    EXPECT_EQ(window.zoom(), 100);
    EXPECT_TRUE(window.zoomItem(100)->isChecked());
    window.setZoom(25);
    EXPECT_EQ(viewer.store().displaySize(), QSize(432, 275));

    window.setRotation(1);
    EXPECT_TRUE(window.rotationItem(1)->isChecked());
    EXPECT_EQ(viewer.apwViewGetPageDim(), QSize(1100, 1728));
    window.FirstPageClick();  // pages met later are turned too
    EXPECT_EQ(viewer.apwViewGetPageDim(), QSize(1100, 1728));
    screenshot(window, "viewer-regular-rotated.png");
}

TEST_F(WindowFixture, ControlKeysMarkAndCopy) {
    const QString fax = writeFax("two.apf", 2, true, 1100);
    TFxFaxViewer viewer;
    viewer.resize(400, 300);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    ASSERT_TRUE(viewer.apwViewSetFile(fax));
    QSignalSpy pages(&viewer, &TFxFaxViewer::OnPageChange);

    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int page;
        QPoint offset;
    } keys[] = {
        {Qt::Key_Down, Qt::NoModifier, 1, {0, 8}},
        {Qt::Key_Down, Qt::ControlModifier, 1, {0, 88}},
        {Qt::Key_Right, Qt::NoModifier, 1, {8, 88}},
        {Qt::Key_End, Qt::NoModifier, 1, {1728 - viewer.viewport()->width(), 88}},
        {Qt::Key_Home, Qt::NoModifier, 1, {0, 88}},
        {Qt::Key_PageDown, Qt::ControlModifier, 1, {0, 1100 - viewer.viewport()->height()}},
        {Qt::Key_PageDown, Qt::NoModifier, 2, {0, 0}},
        {Qt::Key_Home, Qt::ControlModifier, 1, {0, 0}},
        {Qt::Key_End, Qt::ControlModifier, 2, {0, 0}},
    };
    for (const Key& k : keys) {
        QTest::keyClick(&viewer, k.key, k.mods);
        EXPECT_EQ(viewer.apwViewGetCurPage(), k.page) << k.key;
        EXPECT_EQ(viewer.scrollOffset(), k.offset) << k.key;
    }
    EXPECT_EQ(pages.count(), 3);

    EXPECT_EQ(viewer.apwViewCopy().message(), "No block of image marked");
    QTest::mousePress(viewer.viewport(), Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseMove(viewer.viewport(), QPoint(60, 50));
    QTest::mouseRelease(viewer.viewport(), Qt::LeftButton, {}, QPoint(60, 50));
    ASSERT_TRUE(viewer.apwViewCopy());
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(50, 30));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
              viewer.apwViewGetBitmap().copy(10, 20, 50, 30).convertToFormat(QImage::Format_RGB32));
}

TEST_F(WindowFixture, AlternateViewerShowsStandardPagesAtTrueProportions) {
    const QString fax = writeLetterFax("std.apf", 3, false, 500);
    TAltFaxViewer window(fax, "", nullptr);
    window.resize(700, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.statusText(), "Page 1 of 3, 100 percent");
    // 500 coded lines shown as 1000 rows, at zoom 50.
    EXPECT_EQ(window.panelSize(), QSize(864, 500));
    screenshot(window, "viewer-alternate.png");
    window.ZoomOutClick();
    EXPECT_EQ(window.panelSize(), QSize(432, 250));
    EXPECT_EQ(window.statusText(), "Page 1 of 3, 50 percent");
    window.NextPageClick();
    window.NextPageClick();
    EXPECT_EQ(window.statusText(), "Page 3 of 3, 50 percent");
    EXPECT_EQ(buttons(window), (std::array{true, true, false, false}));
}

TEST_F(WindowFixture, SwitchingViewersReopensTheFileAndPersists) {
    const QString fax = writeFax("one.apf", 1);
    static QStringList shown;
    static QStringList files;
    shown.clear();
    files.clear();
    SetViewerWindowHook([](QWidget* w) {
        auto* window = static_cast<ViewerWindowBase*>(w);
        window->show();
        shown << w->objectName();
        files << window->fileName();
        // One page: nothing to move to.
        EXPECT_EQ(buttons(*window), (std::array{false, false, false, false}));
        if (shown.size() == 1) window->SwitchViewerClick();
        return false;
    });
    ShowFaxViewer("t", fax);
    EXPECT_EQ(shown, (QStringList{"TFaxViewer", "TAltFaxViewer"}));
    EXPECT_EQ(files, (QStringList{fax, fax}));
    EXPECT_TRUE(GlobalSettings().UseAlternateFaxViewer);
    LoadSettings();
    EXPECT_TRUE(GlobalSettings().UseAlternateFaxViewer);
    SetViewerWindowHook(nullptr);
}

TEST_F(WindowFixture, CoverAndDocumentAreViewedJoinedAndTheWorkFileGoes) {
    const QString cover = writeFax("SEND/COV00001.APF", 1);
    const QString document = writeFax("SEND/DOC00002.APF", 2);
    static int pages = 0;
    static QString file;
    SetViewerWindowHook([](QWidget* w) {
        auto* window = static_cast<ViewerWindowBase*>(w);
        window->show();
        pages = window->pageCount();
        file = window->fileName();
        return false;
    });
    ViewCoverAndDocument("To: Bob", cover, document);
    EXPECT_EQ(pages, 3);
    EXPECT_FALSE(QFile::exists(file));
    ViewCoverAndDocument("To: Bob", home.file("SEND/none.APF"), document);
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(file, document);
    SetViewerWindowHook(nullptr);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(WindowFixture, StandaloneViewerOpensApfAndTiffFaxes) {
    const QString fax = writeFax("five.apf", 5);
    const QString tiff = home.file("five.tif");
    ASSERT_TRUE(ExportFax(fax, tiff, ExportFormat::Tiff, 0));
    static int pages = 0;
    SetViewerWindowHook([](QWidget* w) {
        auto* window = static_cast<ViewerWindowBase*>(w);
        window->show();
        pages = window->pageCount();
        return false;
    });
    for (const QString& path : {fax, tiff}) {
        pages = 0;
        EXPECT_EQ(RunStandaloneViewer(path), 0);
        EXPECT_EQ(pages, 5) << path.toStdString();
    }
    EXPECT_EQ(RunStandaloneViewer(home.file("missing.apf")), 1);
    SetViewerWindowHook(nullptr);
}

}  // namespace
}  // namespace corvane
