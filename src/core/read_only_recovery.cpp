#include "core/read_only_recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/app_folders.h"

namespace corvane {

namespace {

const char* const kPatterns[] = {"*.dbf", "*.cdx",    "*.ini",   "*.log", "*.wav",
                                 "*.gco", "*.gcs",    "*.hlp",   "*.txt", "covers/*",
                                 "*.dll", "unwise.*", "qxpb.exe"};

bool isWritable(const QString& path) {
    return QFile::permissions(path) & QFileDevice::WriteOwner;
}

bool makeWritable(const QString& path) {
    return QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
}

}  // namespace

// "*" does not cross a "/", so "*.dbf" only matches in the data folder itself and the Covers
// pattern ("*.*" in older installs, where it meant every file) takes every file of Covers.
bool IsRecoverableDataFile(const QString& name) {
    for (const char* pattern : kPatterns) {
        const QRegularExpression re(
            QRegularExpression::wildcardToRegularExpression(QString::fromLatin1(pattern)),
            QRegularExpression::CaseInsensitiveOption);
        if (re.match(name).hasMatch()) return true;
    }
    return false;
}

int RecoverReadOnlyFiles(const QString& folder) {
    const QString dir = WithTrailingSlash(folder);
    const QString ini = ResolveName(dir, QStringLiteral("QX.INI"));
    if (!QFileInfo(ini).isFile() || isWritable(ini)) return 0;

    int changed = 0;
    auto visit = [&](const QString& subFolder) {
        const QDir d(dir + subFolder);
        // Names beginning with "." and folders are skipped; there is no recursion.
        for (const QString& entry : d.entryList(QDir::Files | QDir::System)) {
            const QString relative = subFolder + entry;
            const QString path = dir + relative;
            if (IsRecoverableDataFile(relative) && !isWritable(path) && makeWritable(path))
                ++changed;
        }
    };
    visit(QString());
    const QString covers = ResolveName(dir, QStringLiteral("Covers/"));
    if (QFileInfo(covers).isDir()) visit(covers.mid(dir.size()));
    return changed;
}

}  // namespace corvane
