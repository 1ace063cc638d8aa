#pragma once
// Attaching documents to a fax: PDF (Poppler), PostScript and EPS (Ghostscript, then as PDF),
// TIFF (fax or not) and pictures (PNG, JPEG, BMP, netpbm) become pages of one new APF file in
// fine resolution, 1728 pixels across, each source page placed as import_geometry.h says and
// made black and white as import_binarize.h says.
//
//   DocumentImport import;
//   import.setOnProgress([&](const ImportProgress& p) { return !userPressedCancel; });
//   Result<int> pages = import.Import({"letter.pdf", "photo.jpg"}, "/tmp/pages.apf");
//
// The target appears only when every page of every file is written; a failure or a cancel
// leaves no file behind and an existing target untouched. Runs on the caller's thread; the
// progress handler is the place to keep a window responsive.

#include <QString>
#include <QStringList>
#include <functional>

#include "core/status.h"
#include "sending/import/import_binarize.h"

namespace corvane {

enum class DocumentKind { Pdf, PostScript, Tiff, Picture };

// The kind of a file from its first bytes (its name is not trusted). Fails, naming the file,
// when it cannot be read or is empty; anything unrecognised is tried as a picture.
Result<DocumentKind> DetectDocumentKind(const QString& path);

// A file-dialog filter for the files Import takes.
QString ImportFileFilter();

struct ImportProgress {
    QString fileName;  // without its folder
    int file = 0;      // 1..files
    int files = 0;
    int page = 0;   // 1..pages for the page about to be drawn; 0 while the file is being opened
    int pages = 0;  // 0 until the file is open
};

class DocumentImport {
  public:
    // Returns false to cancel; asked before each page and while a file is being opened.
    using ProgressHandler = std::function<bool(const ImportProgress&)>;

    void setOnProgress(ProgressHandler handler) { onProgress_ = std::move(handler); }
    void setToneHandling(ToneHandling handling) { tone_ = handling; }

    // Writes the pages of `sources`, in order, as a new APF file at `target` and returns the
    // page count. A failure says which file and why: "Cannot attach "x.pdf": the PDF file is
    // protected by a password".
    Result<int> Import(const QStringList& sources, const QString& target);
    // True when the last Import stopped because the handler asked it to.
    bool cancelled() const { return cancelled_; }

  private:
    bool keepGoing(const ImportProgress& progress);

    ProgressHandler onProgress_;
    ToneHandling tone_ = ToneHandling::Auto;
    bool cancelled_ = false;
};

}  // namespace corvane
