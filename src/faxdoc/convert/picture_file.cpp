#include "faxdoc/convert/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "faxdoc/bmp_file.h"
#include "faxdoc/convert/netpbm_reader.h"

namespace corvane {

Result<QImage> ReadPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Status::Error(path + ": " + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Error(path + ": " + file.errorString());
    // Netpbm files are read here: Qt's reader refuses valid plain PBM files whose pixels are
    // not separated by blanks.
    Result<QImage> picture = LooksLikeNetpbm(bytes)                      ? DecodeNetpbm(bytes)
                             : bytes.startsWith(QByteArrayLiteral("BM")) ? DecodeBmp(bytes)
                                                                         : Result<QImage>(QImage());
    if (!picture.ok()) return Status::Error(path + ": " + picture.message());
    if (!picture.value().isNull()) return picture;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull()) return Status::Error(path + ": " + reader.errorString());
    return image;
}

}  // namespace corvane
