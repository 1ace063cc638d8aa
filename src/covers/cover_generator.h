#pragma once
// Cover page generation: a template's render file and one fax's data become a fine-resolution
// APF cover file (with continuation pages for a long message), and the template preview
// picture is drawn with sample data.

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/status.h"
#include "covers/cover_data.h"

namespace corvane {

inline constexpr int kCoverPageWidth = 1728;
inline constexpr int kCoverPageHeight = 2156;
inline constexpr int kPreviewWidth = 816;
inline constexpr int kPreviewHeight = 1056;

struct CoverOptions {
    bool addHalfInchLeftMargin = false;       // [Covers] AddHalfInchLeftMargin
    bool useAlternateCoverGenMethod = false;  // [Other] UseAlternateCoverGenMethod
    // The settings' values.
    static CoverOptions FromSettings();
};

// A white page for drawing a cover on: 32-bit, 96 pixels per inch as the fonts assume.
QImage NewCoverCanvas(int width, int height);

// Generates covers and previews. One object may serve several generations; the page images
// and warnings describe the last one.
class CoverGenerator {
  public:
    explicit CoverGenerator(CoverOptions options = CoverOptions::FromSettings())
        : options_(options) {}

    // Renders `templatePath` (looked up in CoversFolder when it does not exist as given) with
    // `data` and `message`, converts the pages and returns the cover file's path: `outputPath`
    // or, when empty, a new "COV" name in SendFolder. A template that exists nowhere gives a
    // blank page; a damaged one gives what could be drawn (see warning()).
    Result<QString> GenerateCover(const QString& outputPath, const QString& templatePath,
                                  const CoverData& data, const QStringList& message);
    // Draws the preview (816 x 1056, sample data) of a render file.
    Result<QImage> RenderPreviewImage(const QString& renderPath);
    // Writes the preview beside the render file, as its path with extension ".bmp".
    Status RenderPreview(const QString& renderPath);
    // One page bitmap to an APF file at `outputPath` (a new "COV" name when empty); returns
    // the path written.
    Result<QString> ConvertCoverBitmap(const QString& outputPath, QImage bitmap);

    // Black and white pages of the last GenerateCover, in order.
    const std::vector<QImage>& pages() const { return pages_; }
    // Why the last template drew incompletely or not at all; empty when it drew whole.
    QString warning() const { return warning_; }

  private:
    CoverOptions options_;
    std::vector<QImage> pages_;
    QString warning_;
};

// The sample data and message the preview shows.
CoverData PreviewCoverData();
QStringList PreviewMessage();

// Where a template named by the user is found: as given when it exists, else the same file
// name in CoversFolder (letter case ignored); empty when neither exists.
QString LocateTemplate(const QString& templatePath);

}  // namespace corvane
