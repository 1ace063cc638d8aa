#include "faxdoc/pcx_writer.h"

#include <QFile>
#include <cerrno>

#include "core/little_endian.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"

namespace corvane {

namespace {

constexpr int kPcxHeaderBytes = 128;
constexpr int kLongestPcxRun = 63;

void encodeRow(const uchar* row, int bytes, QByteArray& out) {
    int i = 0;
    while (i < bytes) {
        int run = 1;
        while (i + run < bytes && run < kLongestPcxRun && row[i + run] == row[i]) ++run;
        if (run > 1 || (row[i] & 0xC0) == 0xC0) out.append(char(0xC0 + run));
        out.append(char(row[i]));
        i += run;
    }
}

}  // namespace

QByteArray EncodePcx(const QImage& page) {
    const int width = page.width();
    const int height = page.height();
    const int rowBytes = ((width + 15) / 16) * 2;
    QByteArray out(kPcxHeaderBytes, '\0');
    char* h = out.data();
    h[0] = 10;
    h[1] = 2;
    h[2] = 1;
    h[3] = 1;
    WriteLe16(h + 8, quint16(width - 1));
    WriteLe16(h + 10, quint16(height - 1));
    // Colour map entries 0 black and 1 white: readers that take the two colours of a
    // one-bit image from the header's map would otherwise show an all-black page.
    h[16 + 3] = h[16 + 4] = h[16 + 5] = char(0xFF);
    h[65] = 1;
    WriteLe16(h + 66, quint16(rowBytes));
    QByteArray row(rowBytes, '\xFF');
    const int copy = std::min<int>(rowBytes, page.bytesPerLine());
    for (int y = 0; y < height; ++y) {
        std::memcpy(row.data(), page.constScanLine(y), copy);
        encodeRow(reinterpret_cast<const uchar*>(row.constData()), rowBytes, out);
    }
    return out;
}

void WritePcx(QIODevice& out, const QImage& page) {
    const QByteArray bytes = EncodePcx(page);
    if (out.write(bytes) != bytes.size()) ThrowWriteError();
}

DcxWriter::~DcxWriter() {
    // Still open: the writing was given up, the partial file goes.
    if (file_) {
        file_->close();
        file_->remove();
    }
}

void DcxWriter::open(const QString& path) {
    file_ = std::make_unique<QFile>(path);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file_.reset();
        ThrowCreateError(path);
    }
    offsets_.clear();
    const QByteArray placeholder(kDcxHeaderBytes, '\0');
    if (file_->write(placeholder) != placeholder.size()) fail();
}

void DcxWriter::addPage(const QImage& page) {
    if (offsets_.size() >= kDcxMaxPages) {
        // The destructor removes the unfinished file.
        throw EFaxError(ecBadArgument, kTextDcxTooManyPages);
    }
    offsets_.append(quint32(file_->pos()));
    const QByteArray bytes = EncodePcx(page);
    if (file_->write(bytes) != bytes.size()) fail();
}

void DcxWriter::close() {
    QByteArray header(kDcxHeaderBytes, '\0');
    WriteLe32(header.data(), kDcxMagic);
    for (int i = 0; i < offsets_.size(); ++i) WriteLe32(header.data() + 4 + 4 * i, offsets_[i]);
    if (!file_->seek(0) || file_->write(header) != header.size() || !file_->flush()) fail();
    file_->close();
    file_.reset();
}

void DcxWriter::fail() {
    const int saved = errno;
    file_->close();
    file_->remove();
    file_.reset();
    errno = saved;
    ThrowWriteError();
}

}  // namespace corvane
