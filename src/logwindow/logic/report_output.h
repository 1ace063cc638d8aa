#pragma once
// Where a report's pages go: a paged paint device (a CUPS printer or a PDF file) that receives
// each page as soon as it is laid out, or a list of pages kept for the preview. The output
// owns nothing of the report; the engine hands it finished pages in order.

#include <QMarginsF>
#include <QPainter>
#include <QSizeF>
#include <memory>
#include <vector>

#include "core/status.h"
#include "logwindow/logic/report_page.h"

class QPagedPaintDevice;
class QSaveFile;
class QPdfWriter;

namespace corvane {

class ReportOutput {
  public:
    virtual ~ReportOutput() = default;
    // Page size and the margins the target cannot print in, in inches.
    virtual QSizeF pageSizeInches() const = 0;
    virtual QMarginsF unprintableInches() const = 0;
    virtual Status addPage(const ReportPage& page) = 0;
    // After the last page; a canceled report calls abort() instead.
    virtual Status finish() = 0;
    virtual void abort() = 0;
};

// Paints every page on a printer or PDF writer the caller made (and keeps).
class PagedDeviceOutput : public ReportOutput {
  public:
    PagedDeviceOutput(QPagedPaintDevice& device, QMarginsF unprintable);
    QSizeF pageSizeInches() const override;
    QMarginsF unprintableInches() const override { return unprintable_; }
    Status addPage(const ReportPage& page) override;
    Status finish() override;
    void abort() override;

  protected:
    QPagedPaintDevice& device_;
    QMarginsF unprintable_;
    QPainter painter_;
    int pages_ = 0;
};

// A PDF file of US Letter pages. Written through a temporary file renamed into place on
// finish(), so a canceled or failed report leaves no half-written file.
class PdfFileOutput : public ReportOutput {
  public:
    explicit PdfFileOutput(const QString& path, QSizeF pageInches = QSizeF(8.5, 11));
    ~PdfFileOutput() override;
    QSizeF pageSizeInches() const override { return size_; }
    QMarginsF unprintableInches() const override { return QMarginsF(0.25, 0.5, 0.25, 0.5); }
    Status addPage(const ReportPage& page) override;
    Status finish() override;
    void abort() override;

  private:
    Status open();

    QString path_;
    QSizeF size_;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<PagedDeviceOutput> pages_;
};

// Keeps the pages for the preview window.
class KeptPages : public ReportOutput {
  public:
    explicit KeptPages(QSizeF pageInches = QSizeF(8.5, 11),
                       QMarginsF unprintable = QMarginsF(0.25, 0.5, 0.25, 0.5))
        : size_(pageInches), unprintable_(unprintable) {}
    QSizeF pageSizeInches() const override { return size_; }
    QMarginsF unprintableInches() const override { return unprintable_; }
    Status addPage(const ReportPage& page) override;
    Status finish() override { return Status::Ok(); }
    void abort() override {}
    const std::vector<ReportPage>& pages() const { return pages_; }

  private:
    QSizeF size_;
    QMarginsF unprintable_;
    std::vector<ReportPage> pages_;
};

}  // namespace corvane
