#include "logwindow/logic/report_output.h"

#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>

namespace corvane {

PagedDeviceOutput::PagedDeviceOutput(QPagedPaintDevice& device, QMarginsF unprintable)
    : device_(device), unprintable_(unprintable) {}

QSizeF PagedDeviceOutput::pageSizeInches() const {
    return device_.pageLayout().fullRect(QPageLayout::Inch).size();
}

Status PagedDeviceOutput::addPage(const ReportPage& page) {
    if (pages_ == 0) {
        if (!painter_.begin(&device_)) return Status::Error("The printer could not be started");
    } else if (!device_.newPage()) {
        return Status::Error("The printer refused a new page");
    }
    ++pages_;
    // The painter's origin is the corner of the printable area; pages are laid out from the
    // corner of the paper.
    const double dpi = device_.logicalDpiX();
    const QRectF paint = device_.pageLayout().paintRect(QPageLayout::Inch);
    painter_.save();
    painter_.translate(-paint.left() * dpi, -paint.top() * dpi);
    page.paint(painter_, dpi);
    painter_.restore();
    return Status::Ok();
}

Status PagedDeviceOutput::finish() {
    if (pages_ == 0 && !painter_.begin(&device_))
        return Status::Error("The printer could not be started");
    if (!painter_.end()) return Status::Error("The printer could not finish the report");
    return Status::Ok();
}

void PagedDeviceOutput::abort() {
    if (painter_.isActive()) painter_.end();
}

PdfFileOutput::PdfFileOutput(const QString& path, QSizeF pageInches)
    : path_(path), size_(pageInches) {}

PdfFileOutput::~PdfFileOutput() {
    abort();
}

Status PdfFileOutput::open() {
    if (pages_) return Status::Ok();
    file_ = std::make_unique<QSaveFile>(path_);
    if (!file_->open(QIODevice::WriteOnly))
        return Status::Error("Cannot write " + path_ + ": " + file_->errorString());
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    writer_->setResolution(int(kReportUnitsPerInch));
    writer_->setPageLayout(QPageLayout(QPageSize(size_, QPageSize::Inch), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Inch));
    writer_->setCreator("Corvane");
    writer_->setTitle(QFileInfo(path_).completeBaseName());
    pages_ = std::make_unique<PagedDeviceOutput>(*writer_, unprintableInches());
    return Status::Ok();
}

Status PdfFileOutput::addPage(const ReportPage& page) {
    if (Status s = open(); !s.ok()) return s;
    return pages_->addPage(page);
}

Status PdfFileOutput::finish() {
    if (Status s = open(); !s.ok()) return s;
    if (Status s = pages_->finish(); !s.ok()) {
        abort();
        return s;
    }
    pages_.reset();
    writer_.reset();
    if (!file_->commit()) {
        const QString why = file_->errorString();
        file_.reset();
        return Status::Error("Cannot write " + path_ + ": " + why);
    }
    file_.reset();
    return Status::Ok();
}

void PdfFileOutput::abort() {
    if (pages_) pages_->abort();
    pages_.reset();
    writer_.reset();
    if (file_) file_->cancelWriting();
    file_.reset();
}

Status KeptPages::addPage(const ReportPage& page) {
    pages_.push_back(page);
    return Status::Ok();
}

}  // namespace corvane
