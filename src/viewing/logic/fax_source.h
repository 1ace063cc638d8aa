#pragma once
// The viewing code's one door into the fax-document library: page counts, page flags,
// decoding a page to a bitmap, writing image files and joining two faxes. Everything else in
// viewing goes through these functions, so a change in the document library's interface is
// met here only.
//
// Failures with a code of the fax error table are thrown as EFaxError; callers catch that
// base class only.

#include <QImage>
#include <QList>
#include <QString>

#include "core/fax_errors.h"
#include "core/status.h"

namespace corvane {

// How standard-resolution pages (half the lines of fine ones) come out of DecodeFaxPage.
enum class StandardPages {
    AsCoded,       // one bitmap row per coded line (98 lines per inch)
    DoubleHeight,  // each line twice, so pixels are square like those of fine pages
};

struct FaxPageInfo {
    bool fine = false;
    bool wide = false;
    int width() const { return wide ? 2048 : 1728; }
    // Lines per inch of the coded page.
    int linesPerInch() const { return fine ? 196 : 98; }
};

// Dots per inch across every fax page.
inline constexpr int kFaxDotsPerInchAcross = 204;

// The page count of the file header. Throws EFaxError for a missing file ("File not found")
// or a file that is not an APF file.
int FaxPageCount(const QString& path);
FaxPageInfo FaxPage(const QString& path, int page);

// Page `page` as a Format_Mono image, colour 0 ink (black) and 1 paper (white). A page
// without decodable lines comes back as one white row of the page's width. Throws EFaxError.
QImage DecodeFaxPage(const QString& path, int page, StandardPages standard);

// Image files of decoded pages (colour 0 black). TIFF and DCX hold any number of pages.
// Each writes the whole file or, on failure, leaves no file behind.
Status WriteBmpImage(const QImage& page, const QString& path);
Status WritePcxImage(const QImage& page, const QString& path);
Status WriteDcxImages(const QList<QImage>& pages, const QString& path);
Status WriteTiffImages(const QList<QImage>& pages, const QString& path);

// Writes one-bit page images (colour 0 black) as a new APF file, a fine or standard page
// each; nothing is left behind on failure.
struct TiffFaxPage;
Status WriteFaxPages(const QList<TiffFaxPage>& pages, const QString& path);

// Writes `destination` as the pages of `first` followed by those of `second`. False when
// either is missing or the join fails.
bool JoinFaxFiles(const QString& destination, const QString& first, const QString& second);

// The one file that shows or prints an outgoing fax: the cover and the document joined into a
// new work file in the program folder when both exist, else whichever exists. `file` is empty
// when neither exists or the join fails; `workFile`, when set, is the caller's to delete.
struct CoverAndDocument {
    QString file;
    QString workFile;
};
CoverAndDocument CombineCoverAndDocument(const QString& cover, const QString& document);

}  // namespace corvane
