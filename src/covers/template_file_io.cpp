#include "covers/template_file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/app_folders.h"

namespace corvane {

QString ReplaceExtension(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    const QString base =
        info.completeSuffix().isEmpty()
            ? info.fileName()
            : info.fileName().left(info.fileName().size() - info.suffix().size() - 1);
    const QString folder = info.path() == QLatin1String(".") && !path.contains(QLatin1Char('/'))
                               ? QString()
                               : info.path() + QLatin1Char('/');
    return folder + base + extension;
}

QString CompanionPath(const QString& path, const QString& extension) {
    const QString wanted = ReplaceExtension(path, extension);
    const QFileInfo info(wanted);
    const QString folder = WithTrailingSlash(info.path());
    return ResolveName(folder, info.fileName());
}

Result<QByteArray> ReadTemplateFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxTemplateFileBytes)
        return Status::Error(QStringLiteral("%1: %2 bytes is too large for a cover template")
                                 .arg(path)
                                 .arg(file.size()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return bytes;
}

Status WriteFileReplacing(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Status::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return Status::Ok();
}

}  // namespace corvane
