#include "logwindow/logic/fax_record_files.h"

#include <QFileInfo>

#include "core/app_folders.h"

namespace corvane {

QString StoredFileIn(const QString& folder, const QString& storedName) {
    const QString name = storedName.trimmed();
    if (name.isEmpty() || name.contains('/') || name == "." || name == "..") return {};
    return ResolveName(folder, name);
}

QString CoverDataFileOf(const QString& coverPath) {
    if (coverPath.isEmpty()) return {};
    const QFileInfo info(coverPath);
    return ResolveName(WithTrailingSlash(info.absolutePath()), info.completeBaseName() + ".fcd");
}

QStringList FilesOfRecord(LogKind kind, const xbase::XbaseTable& table) {
    QStringList files;
    auto add = [&files](const QString& path) {
        if (!path.isEmpty()) files << path;
    };
    if (kind == LogKind::Outgoing) {
        add(StoredFileIn(SendFolder(), table.fieldText("FAXDOC").toUpper()));
        const QString cover = StoredFileIn(SendFolder(), table.fieldText("FAXCOVER").toUpper());
        add(cover);
        add(CoverDataFileOf(cover));
    } else {
        add(StoredFileIn(ReceiveFolder(), table.fieldText("FAXFILE")));
    }
    return files;
}

}  // namespace corvane
