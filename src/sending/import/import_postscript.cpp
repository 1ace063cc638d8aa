// PostScript and EPS files: Ghostscript rewrites them as PDF in a private folder, and the PDF
// pages are drawn as any other. Ghostscript runs with -dSAFER, so a document cannot reach
// files beyond its own output.

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <utility>

#include "sending/import/import_source.h"

namespace corvane {

namespace {

constexpr int kPollMs = 100;
// A document that takes Ghostscript longer than this is not one a fax is made of.
constexpr int kMaxConversionMs = 5 * 60 * 1000;

class PostScriptSource : public ImportSource {
  public:
    PostScriptSource(std::unique_ptr<QTemporaryDir> folder, std::unique_ptr<ImportSource> pdf,
                     QImage first)
        : folder_(std::move(folder)), pdf_(std::move(pdf)), first_(std::move(first)) {}
    int pageCount() const override { return pdf_->pageCount(); }
    Result<QImage> page(int index) override {
        if (index == 0 && !first_.isNull()) return std::exchange(first_, QImage());
        return pdf_->page(index);
    }

  private:
    std::unique_ptr<QTemporaryDir> folder_;  // holds the PDF while its pages are drawn
    std::unique_ptr<ImportSource> pdf_;
    QImage first_;  // drawn already to see whether the document is empty
};

bool IsWhite(const QImage& grey) {
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (line[x] != 255) return false;
    }
    return true;
}

bool IsEps(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64);
    // DOS EPS binary header, or the EPSF comment of the first line.
    if (head.startsWith(QByteArray("\xC5\xD0\xD3\xC6", 4))) return true;
    const QByteArray firstLine = head.left(head.indexOf('\n'));
    return firstLine.contains("EPSF");
}

// The line of Ghostscript's output that says what went wrong.
QString GhostscriptReason(const QByteArray& output) {
    const QList<QByteArray> lines = output.split('\n');
    for (const QByteArray& line : lines) {
        if (line.contains("Error:")) return QString::fromLocal8Bit(line.trimmed());
    }
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (!it->trimmed().isEmpty()) return QString::fromLocal8Bit(it->trimmed());
    }
    return {};
}

}  // namespace

Result<std::unique_ptr<ImportSource>> OpenPostScriptSource(const QString& path,
                                                           const KeepGoing& keepGoing) {
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty())
        return Status::Error("Ghostscript (the program gs) is needed for PostScript files");
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) return Status::Error("no room for a temporary file");
    const QString pdf = folder->filePath(QStringLiteral("document.pdf"));

    QStringList args{"-q",        "-dSAFER",           "-dBATCH",
                     "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sOutputFile=" + pdf};
    // An EPS file is a picture: its page is its bounding box, not a sheet of paper.
    if (IsEps(path)) args << "-dEPSCrop";
    args << "-f" << path;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gs, args);
    if (!process.waitForStarted()) return Status::Error("Ghostscript could not be started");
    int waited = 0;
    while (!process.waitForFinished(kPollMs)) {
        waited += kPollMs;
        if ((keepGoing && !keepGoing()) || waited > kMaxConversionMs) {
            process.kill();
            process.waitForFinished();
            return Status::Error(waited > kMaxConversionMs ? "Ghostscript took too long"
                                                           : "cancelled");
        }
    }
    const QByteArray output = process.readAll();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString reason = GhostscriptReason(output);
        return Status::Error("the PostScript file is damaged" +
                             (reason.isEmpty() ? QString() : " (" + reason + ")"));
    }
    if (!QFile::exists(pdf) || QFile(pdf).size() == 0)
        return Status::Error("the document has no pages");
    Result<std::unique_ptr<ImportSource>> pages = OpenPdfSource(pdf);
    if (!pages.ok()) {
        // What Ghostscript wrote cannot be damaged or locked; an empty one is the only case.
        return Status::Error("the document has no pages");
    }
    // Ghostscript writes one page even for a job that never showed one: a single white
    // page is an empty document.
    QImage first;
    if (pages.value()->pageCount() == 1) {
        Result<QImage> drawn = pages.value()->page(0);
        if (drawn.ok() && IsWhite(drawn.value())) return Status::Error("the document has no pages");
        if (drawn.ok()) first = std::move(drawn).value();
    }
    return std::unique_ptr<ImportSource>(
        new PostScriptSource(std::move(folder), std::move(pages).value(), std::move(first)));
}

}  // namespace corvane
