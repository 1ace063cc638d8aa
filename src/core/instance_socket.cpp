#include "core/instance_socket.h"

#include <QCryptographicHash>
#include <QDir>

namespace corvane {

QString InstanceFileBase(const QString& runtimeFolder, const QString& programName,
                         const QString& dataFolder) {
    const QByteArray folderHash =
        QCryptographicHash::hash(QDir::cleanPath(dataFolder).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return runtimeFolder + '/' + programName + '-' + QString::fromLatin1(folderHash);
}

}  // namespace corvane
