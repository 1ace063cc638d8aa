// Printing faxes into PDF files through QPrinter (no printer needed), read back with
// poppler: where the page lands, header and footer texts, sheets of several pages.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPrinter>
#include <QRegularExpression>
#include <QSpinBox>

#include "../viewing_logic/peer_tools.h"
#include "viewing/fax_printer.h"
#include "viewing/logic/printer_choice.h"
#include "viewing/print_dialogs.h"
#include "viewing/print_front_ends.h"
#include "viewing_fixture.h"

namespace corvane {
namespace {

constexpr int kDpi = 72;  // pdftoppm resolution: one rendered pixel per point

bool havePoppler() {
    return testing::HaveTool("pdfinfo") && testing::HaveTool("pdftoppm") &&
           testing::HaveTool("pdftotext");
}

int pdfPages(const QString& pdf) {
    const QString info = testing::RunTool("pdfinfo", {pdf});
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfText(const QString& pdf) {
    return testing::RunTool("pdftotext", {pdf, "-"});
}

// Sheet `page` rendered in grey at 72 dpi, 1 = dark.
testing::PnmRaster renderSheet(const QString& pdf, int page) {
    return testing::ReadPnm(
        testing::RunTool("pdftoppm", {"-gray", "-r", QString::number(kDpi), "-f",
                                      QString::number(page), "-l", QString::number(page), pdf}));
}

bool dark(const testing::PnmRaster& r, int x, int y) {
    if (y < 0 || y >= int(r.rows.size()) || x < 0 || x >= r.width) return false;
    return (uchar(r.rows[size_t(y)][x / 8]) >> (7 - x % 8)) & 1;
}

// Bounding box of the dark pixels inside `within`.
QRect inkBox(const testing::PnmRaster& r, const QRect& within) {
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (dark(r, x, y)) box = box.united(QRect(x, y, 1, 1));
    return box;
}

// A4 with 10 mm margins at 300 dpi, into `pdf`.
void setUpPrinter(QPrinter& printer, const QString& pdf, bool landscape = false) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(300);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

struct PrintFixture : ::testing::Test, testing::ViewingFixture {
    // Five fine pages, each with a 400 x 200 pixel block 100 pixels in and down.
    QString blocks() {
        std::vector<testing::FixturePage> pages;
        for (int p = 0; p < 5; ++p)
            pages.push_back(
                testing::RecordPage(testing::BlockPage(800, 100, 100, 400, 200), kApfHighRes));
        return writePages("blocks.apf", pages);
    }
    void SetUp() override {
        if (!havePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
    }
};

TEST_F(PrintFixture, TrueSizePageSitsAtTheTopLeftOfThePrintableArea) {
    const QString pdf = home.file("true.pdf");
    TFxFaxPrinter fax;
    ASSERT_TRUE(fax.setFileName(blocks()));
    fax.FaxHeader.Enabled = fax.FaxFooter.Enabled = false;
    fax.Scale = PrintScale::TrueSize;
    fax.FirstPageToPrint = fax.LastPageToPrint = 2;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, pdf);
    ASSERT_TRUE(fax.PrintFax(printer));
    ASSERT_EQ(pdfPages(pdf), 1);
    // At 200 fax pixels per inch the block is 2 x 1 inch, half an inch into the page, which
    // starts at the 10 mm margin: 28.3 + 36 points.
    const testing::PnmRaster sheet = renderSheet(pdf, 1);
    const QRect box = inkBox(sheet, QRect(0, 0, sheet.width, int(sheet.rows.size())));
    const double left = 10 / 25.4 * 72 + 36;
    EXPECT_NEAR(box.left(), left, 1.5);
    EXPECT_NEAR(box.top(), left, 1.5);
    EXPECT_NEAR(box.width(), 144, 2);
    EXPECT_NEAR(box.height(), 72, 2);
}

TEST_F(PrintFixture, DrawingMethodsGiveTheSamePage) {
    QRect reference;
    struct Method {
        const char* name;
        bool alternate, ddb;
    } methods[] = {{"device-independent", false, false},
                   {"tiles", true, false},
                   {"tiles through pixmaps", true, true}};
    for (const Method& m : methods) {
        SCOPED_TRACE(m.name);
        const QString pdf = home.file(QString("%1.pdf").arg(m.name));
        TFxFaxPrinter fax;
        ASSERT_TRUE(fax.setFileName(blocks()));
        fax.FaxHeader.Enabled = fax.FaxFooter.Enabled = false;
        fax.UseAlternatePrintMethod = m.alternate;
        fax.UseDDBPrintMethod = m.ddb;
        fax.FirstPageToPrint = fax.LastPageToPrint = 1;
        QPrinter printer(QPrinter::HighResolution);
        setUpPrinter(printer, pdf);
        ASSERT_TRUE(fax.PrintFax(printer));
        const testing::PnmRaster sheet = renderSheet(pdf, 1);
        const QRect box = inkBox(sheet, QRect(0, 0, sheet.width, int(sheet.rows.size())));
        if (reference.isNull()) reference = box;
        EXPECT_FALSE(box.isEmpty());
        EXPECT_NEAR(box.left(), reference.left(), 1);
        EXPECT_NEAR(box.top(), reference.top(), 1);
        EXPECT_NEAR(box.right(), reference.right(), 1);
        EXPECT_NEAR(box.bottom(), reference.bottom(), 1);
    }
}

TEST_F(PrintFixture, AbortStopsTheRun) {
    TFxFaxPrinter fax;
    ASSERT_TRUE(fax.setFileName(blocks()));
    QObject::connect(&fax, &TFxFaxPrinter::OnFaxPrintProgress, &fax, [&fax](int page, int) {
        if (page == 2) fax.AbortPrint();
    });
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, home.file("aborted.pdf"));
    EXPECT_FALSE(fax.PrintFax(printer));
    EXPECT_EQ(fax.CurrentPage(), 2);
    EXPECT_EQ(fax.StatusCode(), fpsIdle);
}

TEST_F(PrintFixture, SeveralPagesPerSheet) {
    struct Case {
        bool landscape;
        int sheets;
        std::vector<QPoint> places;  // per sheet-1 page: slot column/row
    } cases[] = {{false, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}}, {true, 3, {{0, 0}, {1, 0}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.landscape ? "landscape" : "portrait");
        const QString pdf = home.file(c.landscape ? "land.pdf" : "port.pdf");
        TFxFaxPrinter fax;
        ASSERT_TRUE(fax.setFileName(blocks()));
        fax.FaxHeader.Enabled = fax.FaxFooter.Enabled = false;
        fax.MultiPage = true;
        fax.Scale = PrintScale::Stretch;
        QPrinter printer(QPrinter::HighResolution);
        setUpPrinter(printer, pdf, c.landscape);
        ASSERT_TRUE(fax.PrintFax(printer));
        EXPECT_EQ(pdfPages(pdf), c.sheets);
        // Each slot holds a page: its block sits in the slot's top left corner.
        const testing::PnmRaster sheet = renderSheet(pdf, 1);
        const double margin = 10 / 25.4 * 72;
        const double areaW = sheet.width - 2 * margin;
        const double areaH = int(sheet.rows.size()) - 2 * margin;
        const double slotW = areaW / 2, slotH = c.landscape ? areaH : areaH / 2;
        for (QPoint s : c.places) {
            const double x0 = margin + s.x() * slotW, y0 = margin + s.y() * slotH;
            const QRect box =
                inkBox(sheet, QRect(int(x0) + 2, int(y0) + 2, int(slotW) - 4, int(slotH) - 4));
            ASSERT_FALSE(box.isEmpty()) << s.x() << "," << s.y();
            // Stretched: 93% of the slot's width across 1728 pixels, the height to the slot.
            EXPECT_NEAR(box.left() - x0, slotW * 0.93 * 100 / 1728, 2);
            EXPECT_NEAR(box.top() - y0, slotH * 100 / 800, 2);
            EXPECT_NEAR(box.width(), slotW * 0.93 * 400 / 1728, 2);
        }
    }
}

TEST_F(PrintFixture, ViewerPrintCarriesHeaderAndFooterAndKeepsItsRange) {
    const QString fax = writeFax("five.apf", 5, true, 300);
    int shownFrom = 0, shownTo = 0;
    bool rangeEnabled = true;
    SetPrePrintRunner([&](TPrePrintForm& form) {
        shownFrom = form.fromPage();
        shownTo = form.toPage();
        rangeEnabled = form.FromPage->isEnabled();
        form.PrintHeader->setChecked(true);
        form.PrintFooter->setChecked(true);
        return true;
    });
    ViewerPrintRange range;
    const QString current = home.file("current.pdf");
    ASSERT_TRUE(PrintFromViewer(nullptr, fax, "From: Alice Example", 3, range, current));
    EXPECT_EQ(pdfPages(current), 1);
    EXPECT_EQ(shownFrom, 3);
    EXPECT_FALSE(rangeEnabled);
    const QString text = pdfText(current);
    EXPECT_TRUE(text.contains("From: Alice Example")) << text.toStdString();
    EXPECT_TRUE(text.contains("Page: 3 of 5")) << text.toStdString();

    // The whole-fax range was not touched by the current-page print.
    const QString whole = home.file("whole.pdf");
    ASSERT_TRUE(PrintFromViewer(nullptr, fax, "From: Alice Example", 0, range, whole));
    EXPECT_EQ(shownFrom, 1);
    EXPECT_EQ(shownTo, 5);
    EXPECT_TRUE(rangeEnabled);
    EXPECT_EQ(pdfPages(whole), 5);
    EXPECT_TRUE(pdfText(whole).contains("Page: 5 of 5"));
    // The choices persist for the next print.
    LoadPrintSettings();
    EXPECT_TRUE(GlobalPrintSettings().Header);
    EXPECT_TRUE(GlobalPrintSettings().Footer);
    SetPrePrintRunner([](TPrePrintForm& form) { return form.exec() == QDialog::Accepted; });
}

TEST_F(PrintFixture, SelectedFaxPrintsCoverFirstAndRemovesTheWorkFile) {
    const QString cover =
        writePages("SEND/COV00001.APF",
                   {testing::RecordPage(testing::BlockPage(600, 0, 0, 1728, 600), kApfHighRes)});
    const QString document = writeFax("SEND/DOC00001.APF", 2);
    SetPrePrintRunner([](TPrePrintForm&) { return true; });
    const QString pdf = home.file("selected.pdf");
    ASSERT_TRUE(PrintSelectedFax(nullptr, "To: Bob", cover, document, nullptr, pdf));
    EXPECT_EQ(pdfPages(pdf), 3);
    // Page 1 is the all-black cover (3 inches high at true size), page 2 a text page.
    const testing::PnmRaster first = renderSheet(pdf, 1);
    EXPECT_TRUE(dark(first, first.width / 2, 120));
    const testing::PnmRaster second = renderSheet(pdf, 2);
    EXPECT_FALSE(dark(second, second.width / 2, 120));
    EXPECT_TRUE(QDir(home.path()).entryList({"Temp*"}, QDir::Files).isEmpty());

    // Neither file: the message, nothing printed.
    EXPECT_FALSE(PrintSelectedFax(nullptr, "To: Bob", home.file("no1.apf"), home.file("no2.apf"),
                                  nullptr, home.file("none.pdf")));
    EXPECT_EQ(boxes.texts().last(), "Error - fax file missing");
    SetPrePrintRunner([](TPrePrintForm& form) { return form.exec() == QDialog::Accepted; });
}

TEST_F(PrintFixture, ReceivedFaxIsLoggedAndPrintedWithoutAsking) {
    const QString fax = writeFax("Receive/R0001ABCD.APF", 2);
    QStringList log;
    const QString pdf = home.file("received.pdf");
    ASSERT_TRUE(PrintReceivedFax(
        fax, "+1 555 0100", "3/7/26", "9:05 AM", [&](const QString& line) { log << line; }, pdf));
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_EQ(log,
              (QStringList{"Printing fax to: Default Windows Printer", "Printing fax file: " + fax,
                           "Starting printout", "Finished printout"}));
}

TEST(PrinterChoice, FromListSettingsAndDefault) {
    const QStringList printers{"CORVANE Fax", "Office", "Lab"};
    struct Case {
        const char* what;
        PrinterChoiceInput in;
        bool mayAsk;
        PrinterChoice::Kind kind;
        QString printer;
        int preselect;
    } cases[] = {
        {"none installed", {{}, "", "", ""}, true, PrinterChoice::NoPrinters, "", 0},
        {"chosen earlier",
         {printers, "Lab", "Office", "Lab"},
         false,
         PrinterChoice::Use,
         "Office",
         0},
        {"chosen earlier, since removed",
         {printers, "", "Gone", ""},
         false,
         PrinterChoice::Refuse,
         "",
         2},
        {"receipt printer", {printers, "Office", "", "Lab"}, false, PrinterChoice::Use, "Lab", 0},
        {"system default",
         {printers, "Office", "", "Default Windows Printer"},
         false,
         PrinterChoice::Use,
         "Office",
         0},
        {"ask, skipping the fax printer", {printers, "", "", ""}, true, PrinterChoice::Ask, "", 2},
        {"ask, one printer", {{"CORVANE Fax"}, "", "", ""}, true, PrinterChoice::Ask, "", 0},
    };
    for (const Case& c : cases) {
        const PrinterChoice choice = ChoosePrinter(c.in, c.mayAsk);
        EXPECT_EQ(choice.kind, c.kind) << c.what;
        EXPECT_EQ(choice.printer, c.printer) << c.what;
        if (c.kind == PrinterChoice::Ask || c.kind == PrinterChoice::Refuse) {
            EXPECT_EQ(choice.preselect, c.preselect) << c.what;
        }
    }
}

}  // namespace
}  // namespace corvane
