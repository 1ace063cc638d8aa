// The viewer as it opens: the page has the keys, the window is wide enough for the page at the
// start zoom (as far as the screen allows), the status line of the main window is cleared, and
// exporting says what it exports and does it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include "viewing/export_dialog.h"
#include "viewing/fax_viewer_control.h"
#include "viewing/fax_viewer_windows.h"
#include "viewing/show_viewer.h"
#include "viewing_fixture.h"

namespace corvane {
namespace {

struct FirstLook : ::testing::Test, testing::ViewingFixture {
    void TearDown() override { SetViewerWindowHook(nullptr); }
};

// The widest the window may become on this screen.
int screenWidth(const QWidget& w) {
    return w.screen()->availableGeometry().width();
}

TEST_F(FirstLook, BothViewersOpenWithThePageFocusedAndWideEnough) {
    const QString fax = writeFax("three.apf", 3, true, 1100);
    // Page 1728 pixels wide, shown at the start zoom of 50 percent: 864.
    {
        TFaxViewer window(fax, "From: Alice", nullptr);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(window.zoom(), 50);
        EXPECT_TRUE(window.viewer()->viewport()->width() >= 864 ||
                    window.width() == screenWidth(window))
            << window.width();
        EXPECT_GT(window.width(), std::min(760, screenWidth(window) - 1));
        ASSERT_EQ(window.focusWidget(), window.viewer());
        QTest::keyClick(window.focusWidget(), Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(window.statusText(), "From: Alice: Page 3 of 3");
    }
    {
        TAltFaxViewer window(fax, "", nullptr);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto* scroll = window.findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr);
        EXPECT_TRUE(scroll->viewport()->width() >= window.panelSize().width() ||
                    window.width() == screenWidth(window))
            << window.width();
        EXPECT_EQ(window.focusWidget(), scroll);
    }
}

// The white page stands out from the ground around it.
TEST_F(FirstLook, ThePageHasAVisibleEdge) {
    const QString fax = writeFax("one.apf", 1, true, 200);
    TFaxViewer window(fax, "", nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.setZoom(25);  // 432 x 100: ground beside and below the page
    QWidget* viewport = window.viewer()->viewport();
    const QImage shot = viewport->grab().toImage();
    const QSize page = window.viewer()->store().displaySize();
    ASSERT_LT(page.width() + 4, shot.width());
    ASSERT_LT(page.height() + 4, shot.height());
    const QRgb white = qRgb(255, 255, 255);
    const QRgb edge = shot.pixel(page.width(), page.height() / 2);
    const QRgb ground = shot.pixel(page.width() + 3, page.height() / 2);
    EXPECT_NE(edge, white);
    EXPECT_NE(ground, white);
    EXPECT_NE(shot.pixel(page.width() / 2, page.height() + 3), white);
}

// "Preparing files for viewing..." goes once the viewer shows; exporting from the viewer
// exports the pages it shows (the cover with its document) and says so.
TEST_F(FirstLook, ViewingClearsTheStatusLineAndExportsWhatItShows) {
    const QString cover = writeFax("SEND/COV00001.APF", 1);
    const QString document = writeFax("SEND/DOC00002.APF", 2);
    static QString statusWhileShown;
    static QString exportText;
    static int exportPages = 0;
    static QLabel* panel = nullptr;
    QLabel status;
    panel = &status;
    SetViewerWindowHook([](QWidget* w) {
        auto* window = static_cast<ViewerWindowBase*>(w);
        window->show();
        statusWhileShown = panel->text();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TExportFaxDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            exportText = dialog->ThisFax->text();
            exportPages = dialog->state().pageCount();
            dialog->reject();
        });
        window->ExportClick();
        return false;
    });
    ViewCoverAndDocument("To: Bob", cover, document, &status);
    EXPECT_EQ(statusWhileShown, "");
    EXPECT_EQ(exportPages, 3);
    EXPECT_EQ(exportText, "This fax has a total of 3 page(s), exported as the viewer shows them");
    EXPECT_FALSE(exportText.contains("not included"));
}

}  // namespace
}  // namespace corvane
