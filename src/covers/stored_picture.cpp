#include "covers/stored_picture.h"

#include "core/little_endian.h"

namespace corvane {

namespace {

constexpr int kWidthAt = 18;
constexpr int kHeightAt = 22;

}  // namespace

Status CheckStoredPictureSize(const QByteArray& bmp) {
    if (bmp.size() < kHeightAt + 4) return Status::Error(QStringLiteral("truncated bitmap"));
    const auto* b = reinterpret_cast<const uchar*>(bmp.constData());
    const qint32 w = ReadLeS32(b + kWidthAt);
    const qint32 h = ReadLeS32(b + kHeightAt);
    if (w <= 0 || w > kMaxStoredPictureSide || h == 0 || h < -kMaxStoredPictureSide ||
        h > kMaxStoredPictureSide)
        return Status::Error(QStringLiteral("bitmap of %1 x %2 pixels").arg(w).arg(h));
    return Status::Ok();
}

}  // namespace corvane
