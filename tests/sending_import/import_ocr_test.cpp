// Legibility of an imported page: a page of 10-point body text from a PDF, imported as a fax
// page and read back by tesseract OCR, must give back at least 98 % of its words.

#include <gtest/gtest.h>

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <iostream>

#include "import_fixtures.h"
#include "sending/import/document_import.h"

namespace corvane::testing {
namespace {

QStringList Words(const QString& text) {
    return text.toLower().split(QRegularExpression("[^a-z0-9]+"), Qt::SkipEmptyParts);
}

TEST(ImportLegibility, TenPointTextReadsBackByOcr) {
    const QString tesseract = QStandardPaths::findExecutable("tesseract");
    ASSERT_FALSE(tesseract.isEmpty()) << "tesseract-ocr is not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("body.pdf");
    constexpr int kLines = 50;
    WriteTextPdf(pdf, 1, QPageSize(QPageSize::A4), QPageLayout::Portrait, 10, kLines);
    ASSERT_TRUE(DocumentImport().Import({pdf}, dir.filePath("body.apf")).ok());
    const std::vector<QImage> pages = DecodePages(dir.filePath("body.apf"));
    ASSERT_EQ(pages.size(), 1u);
    // Fine rows are a little taller than wide (196 to 204 per inch); OCR wants square pixels.
    QImage square = pages[0]
                        .convertToFormat(QImage::Format_Grayscale8)
                        .scaled(1728, pages[0].height() * 204 / 196, Qt::IgnoreAspectRatio,
                                Qt::SmoothTransformation);
    square.setDotsPerMeterX(int(204 / 0.0254));
    square.setDotsPerMeterY(int(204 / 0.0254));
    ASSERT_TRUE(square.save(dir.filePath("page.png")));

    QProcess ocr;
    ocr.start(tesseract, {dir.filePath("page.png"), "stdout", "-l", "eng"});
    ASSERT_TRUE(ocr.waitForFinished(120000));
    ASSERT_EQ(ocr.exitCode(), 0) << ocr.readAllStandardError().toStdString();
    const QStringList read = Words(QString::fromUtf8(ocr.readAllStandardOutput()));

    QStringList expected = Words("Page 1");
    for (const QString& line : BodyTextLines(kLines)) expected += Words(line);
    QHash<QString, int> available;
    for (const QString& w : read) ++available[w];
    int found = 0;
    for (const QString& w : expected) {
        if (available.value(w) > 0) {
            --available[w];
            ++found;
        }
    }
    const double share = 100.0 * found / expected.size();
    std::cout << "OCR recognised " << found << " of " << expected.size() << " words (" << share
              << " %)\n";
    RecordProperty("recognised_percent", QString::number(share, 'f', 2).toStdString());
    EXPECT_GE(share, 98.0);
}

}  // namespace
}  // namespace corvane::testing
