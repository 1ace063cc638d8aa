#pragma once
// Documents made in the tests with real tools (Qt's PDF writer, Ghostscript, libtiff, Qt's
// image writers), and the pages of an APF file decoded back to pictures.

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvane::testing {

// Body text with known words: line `n` of a page is its own sentence.
QStringList BodyTextLines(int count);

// A PDF whose pages each hold `lines` lines of `points`-point text, "Page n" at the top.
void WriteTextPdf(const QString& path, int pages, const QPageSize& size = QPageSize(QPageSize::A4),
                  QPageLayout::Orientation orientation = QPageLayout::Portrait, int points = 10,
                  int lines = 50);
// A one-page PDF with a black square of one inch in its top left corner, an inch from the
// edges (where the turned page puts it tells the direction of turning).
void WriteMarkedPdf(const QString& path, QPageLayout::Orientation orientation);
// PostScript with `pages` pages of text (written as PostScript source, Letter size).
void WritePostScript(const QString& path, int pages);
// An EPS picture: a filled circle, 2 x 1 inch bounding box.
void WriteEps(const QString& path);
// A bilevel TIFF fax page in G3 coding, 1728 wide, at 98 (standard) or 196 lines per inch.
void WriteFaxTiff(const QString& path, const QImage& mono, bool fine);
// A grey-scale TIFF with `pages` pages at `dpi`.
void WriteGreyTiff(const QString& path, int pages, int width, int height, int dpi);
// A raw PBM (P4) of a one-bit picture.
void WritePbm(const QString& path, const QImage& mono);

// A one-bit picture (Format_Mono, colour 0 white, 1 black) with a pattern of its own.
QImage PatternPicture(int width, int height, int seed);
// A photograph stand-in: a grey gradient from left to right with a dark disc.
QImage GradientPicture(int width, int height);

// Every page of an APF file decoded to a Format_Mono picture; `fine` gets the page flags and
// `badCodes` the number of codes the decoder refused across all pages.
std::vector<QImage> DecodePages(const QString& apf, std::vector<bool>* fine = nullptr,
                                int* badCodes = nullptr);
// Black pixels of a decoded page within a rectangle (ink = colour 0 of the decoder's output).
int InkIn(const QImage& page, const QRect& area);

}  // namespace corvane::testing
