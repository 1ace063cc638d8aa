#include "core/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane {

namespace {
QString g_override;

QString executableFolder() {
    if (!QCoreApplication::instance()) return {};
    return QCoreApplication::applicationDirPath();
}
}  // namespace

QString WithTrailingSlash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith('/')) return folder;
    return folder + '/';
}

void setAppFolderOverride(const QString& folder) {
    g_override = WithTrailingSlash(folder);
}

QString AppFolder() {
    if (!g_override.isEmpty()) return g_override;
    const QString home = qEnvironmentVariable("CORVANE_HOME");
    if (!home.isEmpty()) return WithTrailingSlash(QDir::cleanPath(QDir(home).absolutePath()));
    const QString exeDir = executableFolder();
    if (!exeDir.isEmpty() && QFileInfo(ResolveName(WithTrailingSlash(exeDir), "QX.INI")).isFile())
        return WithTrailingSlash(exeDir);
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + "/.local/share";
    return WithTrailingSlash(data) + "corvane/";
}

QString ResolveName(const QString& folder, const QString& name) {
    QString current = WithTrailingSlash(folder);
    const bool trailing = name.endsWith('/');
    const QStringList parts = name.split('/', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        QString chosen = part;
        QDir dir(current);
        if (dir.exists() && !QFileInfo::exists(current + part)) {
            const QStringList entries = dir.entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    chosen = entry;
                    break;
                }
            }
        }
        current += chosen;
        if (i + 1 < parts.size() || trailing) current += '/';
    }
    return current;
}

QString AppPath(const QString& name) {
    return ResolveName(AppFolder(), name);
}

QString SendFolder() {
    return AppPath("SEND/");
}
QString ReceiveFolder() {
    return AppPath("RECEIVE/");
}
QString CoversFolder() {
    return AppPath("Covers/");
}
QString SettingsFileName() {
    return AppPath("QX.INI");
}

}  // namespace corvane
