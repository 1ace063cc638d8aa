#include "covers/recent_files.h"

#include "core/ini_file.h"

namespace corvane {

namespace {

QString KeyAt(int i) {
    return QStringLiteral("F%1").arg(i);
}

}  // namespace

void RecentFiles::add(const QString& path) {
    if (path.isEmpty()) return;
    paths_.removeAll(path);
    paths_.prepend(path);
    while (paths_.size() > kMaxFiles) paths_.removeLast();
}

void RecentFiles::remove(const QString& path) {
    paths_.removeAll(path);
}

void RecentFiles::load(const IniFile& ini) {
    paths_.clear();
    for (int i = 0; i < kMaxFiles; ++i) {
        const QString path = ini.readString(kRecentFilesSection, KeyAt(i)).trimmed();
        if (path.isEmpty()) break;
        if (!paths_.contains(path)) paths_ << path;
    }
}

void RecentFiles::store(IniFile& ini) const {
    ini.eraseSection(kRecentFilesSection);
    for (int i = 0; i < paths_.size(); ++i)
        ini.writeString(kRecentFilesSection, KeyAt(i), paths_[i]);
}

QStringList RecentFiles::menuCaptions() const {
    QStringList captions;
    for (int i = 0; i < paths_.size(); ++i)
        captions << QStringLiteral("&%1 %2").arg(i + 1).arg(paths_[i]);
    return captions;
}

}  // namespace corvane
