// The main window's View, Print and Export commands: each hands the selected record's files to
// the viewer, the printing front end or the export dialog, and a missing or damaged file ends
// in the error text, not in a crash.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

#include "../viewing_logic/peer_tools.h"
#include "core/app_folders.h"
#include "log_fixture.h"
#include "logwindow/log_table_model.h"
#include "logwindow/main_screen.h"
#include "viewing/export_dialog.h"
#include "viewing/logic/fax_source.h"
#include "viewing/logic/tiff_pages.h"
#include "viewing/print_dialogs.h"
#include "viewing/print_front_ends.h"
#include "viewing/show_viewer.h"
#include "viewing/viewer_window_base.h"

namespace corvane {
namespace {

using testing::OpenLogs;
using testing::WriteApf;

// What a viewer window showed when the main window opened it.
struct ShownViewer {
    QString window;
    QString file;
    QString title;
    int pages = 0;
    bool fileExisted = false;
};

std::vector<ShownViewer>& shownViewers() {
    static std::vector<ShownViewer> shown;
    return shown;
}

bool recordViewer(QWidget* w) {
    auto* window = static_cast<ViewerWindowBase*>(w);
    window->show();
    QCoreApplication::processEvents();
    shownViewers().push_back({w->objectName(), window->fileName(), window->title(),
                              window->pageCount(), QFileInfo(window->fileName()).isFile()});
    return false;  // not run modally
}

// Outgoing faxes: cover and document, document only, cover only, files gone, a damaged
// document; incoming faxes: a good one, one whose file is gone and one that is no fax.
struct ViewingWindow {
    OpenLogs logs;
    TMainScreen window;
    uint32_t both = 0, docOnly = 0, coverOnly = 0, gone = 0, damaged = 0;
    uint32_t received = 0, receivedGone = 0, receivedDamaged = 0;

    ViewingWindow() {
        shownViewers().clear();
        SetViewerWindowHook(&recordViewer);
        WriteApf(logs.send("COV00001.APF"), 1);
        WriteApf(logs.send("FAX00001.APF"), 2);
        WriteApf(logs.send("FAX00002.APF"), 3);
        WriteApf(logs.send("COV00003.APF"), 1);
        QFile bad(logs.send("FAX00005.APF"));
        bad.open(QIODevice::WriteOnly);
        for (int i = 0; i < 4; ++i) bad.write("This is a letter, not a fax file.\n");
        bad.close();
        both = logs.addOutgoing("Both", "FAX00001.APF", "COV00001.APF", "Bob Smith");
        docOnly = logs.addOutgoing("Document", "FAX00002.APF");
        coverOnly = logs.addOutgoing("Cover", "", "COV00003.APF");
        gone = logs.addOutgoing("Gone", "FAX00004.APF", "COV00004.APF");
        damaged = logs.addOutgoing("Damaged", "FAX00005.APF");
        WriteApf(logs.received("FAX0001.APF"), 2);
        QFile::copy(logs.send("FAX00005.APF"), logs.received("FAX0003.APF"));
        received = logs.addIncoming("+1 555 7700", "FAX0001.APF", 1);
        receivedGone = logs.addIncoming("+1 555 7701", "FAX0002.APF", 2);
        receivedDamaged = logs.addIncoming("+1 555 7702", "FAX0003.APF", 3);
        window.SetDataModule(&logs.fdm);
        window.SetDialogs(&logs.dialogs);
        window.resize(1000, 600);
        window.show();
        QCoreApplication::processEvents();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
    }
    ~ViewingWindow() { SetViewerWindowHook(nullptr); }

    // Clicks the grid row of a record, as the user does.
    void select(LogPage page, uint32_t recno) {
        window.tabStrip()->setCurrentIndex(int(page));
        LogTableModel* model = window.model(page);
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->recnoAt(row) != recno) continue;
            window.grid(page)->setCurrentIndex(model->index(row, 0));
            return;
        }
        ADD_FAILURE() << "record " << recno << " is not in the grid";
    }
    QStringList workFiles() const { return QDir(AppFolder()).entryList({"Temp*"}, QDir::Files); }
};

TEST(MainScreenViewing, ViewShowsCoverThenDocumentOrTheReceivedFileByEveryRoute) {
    ViewingWindow v;
    TMainScreen& w = v.window;
    const QString doc = v.logs.send("FAX00001.APF");

    // Cover and document: one joined work file, gone when the viewer has closed.
    v.select(LogPage::Outgoing, v.both);
    ASSERT_TRUE(w.button("&View")->isEnabled());
    w.button("&View")->click();
    ASSERT_EQ(shownViewers().size(), 1u);
    EXPECT_EQ(shownViewers()[0].window, "TFaxViewer");
    EXPECT_EQ(shownViewers()[0].pages, 3);
    EXPECT_TRUE(shownViewers()[0].fileExisted);
    EXPECT_NE(shownViewers()[0].file, doc);
    EXPECT_EQ(shownViewers()[0].title, "To: Bob Smith             Sent: not sent");
    EXPECT_TRUE(v.workFiles().isEmpty());
    EXPECT_TRUE(w.statusPanel()->text().isEmpty());

    // The Edit menu item and the pop-up item take the same way; one file is shown as it is.
    v.select(LogPage::Outgoing, v.docOnly);
    w.menuAction("&View Selected Fax")->trigger();
    ASSERT_EQ(shownViewers().size(), 2u);
    EXPECT_EQ(shownViewers()[1].file, v.logs.send("FAX00002.APF"));
    EXPECT_EQ(shownViewers()[1].pages, 3);
    v.select(LogPage::Outgoing, v.coverOnly);
    w.popupMenu(LogPage::Outgoing)->actions()[4]->trigger();  // "View Selected Fax"
    ASSERT_EQ(shownViewers().size(), 3u);
    EXPECT_EQ(shownViewers()[2].file, v.logs.send("COV00003.APF"));
    EXPECT_EQ(shownViewers()[2].pages, 1);

    // Incoming: the received file, titled with the sender and the reception time.
    v.select(LogPage::Incoming, v.received);
    w.popupMenu(LogPage::Incoming)->actions()[3]->trigger();  // "View Selected Fax"
    ASSERT_EQ(shownViewers().size(), 4u);
    EXPECT_EQ(shownViewers()[3].file, v.logs.received("FAX0001.APF"));
    EXPECT_EQ(shownViewers()[3].pages, 2);
    EXPECT_TRUE(shownViewers()[3].title.startsWith("From: +1 555 7700             Received: "))
        << shownViewers()[3].title.toStdString();
    EXPECT_TRUE(v.logs.boxes.shown().empty());
}

TEST(MainScreenViewing, MissingOrDamagedFilesGiveTheViewerErrorText) {
    ViewingWindow v;
    struct Case {
        LogPage page;
        uint32_t ViewingWindow::*record;
    };
    const Case cases[] = {{LogPage::Outgoing, &ViewingWindow::gone},
                          {LogPage::Outgoing, &ViewingWindow::damaged},
                          {LogPage::Incoming, &ViewingWindow::receivedGone},
                          {LogPage::Incoming, &ViewingWindow::receivedDamaged}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        const size_t before = v.logs.boxes.shown().size();
        v.select(c.page, v.*c.record);
        v.window.ViewSelected();
        ASSERT_EQ(v.logs.boxes.shown().size(), before + 1);
        EXPECT_EQ(v.logs.boxes.shown().back().text, "Error opening fax file");
        EXPECT_EQ(shownViewers().back().pages, 0);
    }
    // The window goes on working: a good fax still opens.
    v.select(LogPage::Incoming, v.received);
    v.window.ViewSelected();
    EXPECT_EQ(shownViewers().back().pages, 2);
}

// Runs `command` and answers the export dialog it opens: notes what the dialog says about its
// fax and closes it.
QString exportDialogText(const std::function<void()>& command) {
    QString said;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TExportFaxDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        said = dialog->ThisFax->text();
        dialog->reject();
    });
    command();
    // Without a dialog the timer fires later, with nothing to close.
    QCoreApplication::processEvents();
    return opened ? said : QString();
}

TEST(MainScreenViewing, ExportOffersTheDocumentOrTheReceivedFileAndRefusesMissingOnes) {
    ViewingWindow v;
    TMainScreen& w = v.window;
    v.select(LogPage::Outgoing, v.both);
    ASSERT_TRUE(w.menuAction("Export Selected Fax   (TIF, BMP or PCX)")->isEnabled());
    // The cover page is not exported: the dialog counts the document's 2 pages.
    EXPECT_EQ(exportDialogText(
                  [&] { w.menuAction("Export Selected Fax   (TIF, BMP or PCX)")->trigger(); }),
              "This fax has a total of 2 page(s).  The cover page is not included when exporting");
    v.select(LogPage::Incoming, v.received);
    EXPECT_TRUE(exportDialogText([&] {
                    w.popupMenu(LogPage::Incoming)->actions()[7]->trigger();
                }).startsWith("This fax has a total of 2 page(s)."));
    EXPECT_TRUE(v.logs.boxes.shown().empty());

    // A cover-only fax has nothing to export; missing files are named, damaged ones explained.
    v.select(LogPage::Outgoing, v.coverOnly);
    EXPECT_FALSE(w.menuAction("Export Selected Fax   (TIF, BMP or PCX)")->isEnabled());
    EXPECT_FALSE(w.popupMenu(LogPage::Outgoing)->actions()[8]->isEnabled());
    v.select(LogPage::Outgoing, v.gone);
    EXPECT_EQ(exportDialogText([&] { w.ExportSelected(); }), "");
    v.select(LogPage::Incoming, v.receivedGone);
    EXPECT_EQ(exportDialogText([&] { w.ExportSelected(); }), "");
    v.select(LogPage::Incoming, v.receivedDamaged);
    EXPECT_EQ(exportDialogText([&] { w.ExportSelected(); }), "");
    EXPECT_EQ(v.logs.boxes.texts(), (QStringList{"Fax file is missing", "Fax file is missing",
                                                 "File is not an APF file"}));
}

int pdfPageCount(const QString& pdf) {
    const QString info = QString::fromUtf8(testing::RunTool("pdfinfo", {pdf}));
    for (const QString& line : info.split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

TEST(MainScreenViewing, PrintToPdfPrintsCoverAndDocumentAndMissingFilesAreReported) {
    if (!testing::HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils not installed";
    ViewingWindow v;
    TMainScreen& w = v.window;
    SetPrePrintRunner([](TPrePrintForm&) { return true; });
    QString asked;
    const QString pdf = v.logs.home.file("printed.pdf");
    w.SetPdfNameAsker([&](QWidget*, const QString& suggested) {
        asked = suggested;
        return pdf;
    });
    v.select(LogPage::Outgoing, v.both);
    QAction* toPdf = w.menuAction("Print Selected Fax to PD&F...");
    ASSERT_TRUE(toPdf->isEnabled());
    toPdf->trigger();
    EXPECT_EQ(asked, "FAX00001.pdf");
    EXPECT_EQ(pdfPageCount(pdf), 3);  // cover first, then the two document pages
    EXPECT_TRUE(v.workFiles().isEmpty());

    QFile::remove(pdf);
    v.select(LogPage::Incoming, v.received);
    toPdf->trigger();
    EXPECT_EQ(pdfPageCount(pdf), 2);

    // A fax whose files are gone is reported before any file name is asked for.
    asked.clear();
    v.select(LogPage::Outgoing, v.gone);
    toPdf->trigger();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(v.logs.boxes.texts(), QStringList{"Error - fax file missing"});
    SetPrePrintRunner([](TPrePrintForm& form) { return form.exec() == QDialog::Accepted; });
}

TEST(MainScreenViewing, PrintButtonWithoutAnyPrinterSaysSo) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers: the button would ask which one";
    ViewingWindow v;
    v.select(LogPage::Outgoing, v.both);
    ASSERT_TRUE(v.window.button("&Print")->isEnabled());
    v.window.button("&Print")->click();
    EXPECT_EQ(v.logs.boxes.texts(), QStringList{"Corvane cannot find any installed printers."});
    EXPECT_TRUE(v.workFiles().isEmpty());
}

// A fine page that reads like a typed letter, so that a picture of it can be judged by eye.
QImage LetterPage(int page) {
    QImage image(1728, 2156, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont heading("DejaVu Serif");
    heading.setPixelSize(56);
    heading.setBold(true);
    painter.setFont(heading);
    painter.drawText(QPoint(160, 220), QString("Northfield Supplies - page %1").arg(page));
    QFont body("DejaVu Serif");
    body.setPixelSize(30);
    painter.setFont(body);
    for (int y = 340; y < 2000; y += 44)
        painter.drawText(QPoint(160, y),
                         "Thank you for your order. The parts listed below were "
                         "shipped today by road freight.");
    painter.end();
    return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

// CORVANE_DOC_SHOTS=folder: pictures of a fax opened from the main window (the window, the
// viewer on page 2, the export dialog) and the fax printed to a PDF file, for the eye.
TEST(MainScreenViewing, PicturesOfAFaxOpenedFromTheWindow) {
    const QString folder = qEnvironmentVariable("CORVANE_DOC_SHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set CORVANE_DOC_SHOTS to a folder for the pictures";
    ViewingWindow v;
    QList<TiffFaxPage> pages;
    for (int p = 1; p <= 3; ++p) pages << TiffFaxPage{LetterPage(p), true};
    ASSERT_TRUE(WriteFaxPages(pages, v.logs.received("FAX0001.APF")));
    v.select(LogPage::Incoming, v.received);
    v.window.resize(1100, 560);
    QCoreApplication::processEvents();
    v.window.grab().save(folder + "/main-window-incoming.png");
    SetViewerWindowHook([](QWidget* w) {
        auto* window = static_cast<ViewerWindowBase*>(w);
        window->resize(900, 1000);
        window->show();
        QCoreApplication::processEvents();
        window->NextPageClick();
        QCoreApplication::processEvents();
        window->grab().save(qEnvironmentVariable("CORVANE_DOC_SHOTS") + "/viewer-from-window.png");
        return false;
    });
    v.window.button("&View")->click();
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->grab().save(folder + "/export-from-window.png");
            dialog->close();
        }
    });
    v.window.menuAction("Export Selected Fax   (TIF, BMP or PCX)")->trigger();
    SetPrePrintRunner([](TPrePrintForm&) { return true; });
    v.window.SetPdfNameAsker([&](QWidget*, const QString&) { return folder + "/printed.pdf"; });
    v.window.menuAction("Print Selected Fax to PD&F...")->trigger();
    SetPrePrintRunner([](TPrePrintForm& form) { return form.exec() == QDialog::Accepted; });
    EXPECT_TRUE(QFileInfo::exists(folder + "/printed.pdf"));
    EXPECT_TRUE(v.logs.boxes.shown().empty());
}

}  // namespace
}  // namespace corvane
