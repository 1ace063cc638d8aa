#include "covers/shipped_templates.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "core/app_folders.h"
#include "covers/cover_template_files.h"

namespace corvane {

namespace {

const char* const kShippedFolder = ":/corvane/covers";

bool HoldsTemplate(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QString ext = QFileInfo(name).suffix().toUpper();
        if (ext == QLatin1String("FCS") || ext == QLatin1String("FCT")) return true;
    }
    return false;
}

}  // namespace

QStringList ShippedTemplateFiles() {
    QStringList files;
    QDirIterator it(QLatin1String(kShippedFolder), QDir::Files);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

Status InstallShippedTemplates() {
    const QString folder = CoversFolder();
    if (!QDir().mkpath(folder))
        return Status::Error(QStringLiteral("Cannot create %1").arg(folder));
    if (HoldsTemplate(folder)) return Status::Ok();
    for (const QString& source : ShippedTemplateFiles()) {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return Status::Error(QStringLiteral("%1: %2").arg(source, in.errorString()));
        const QString target = folder + QFileInfo(source).fileName();
        if (Status s = WriteFileReplacing(target, in.readAll()); !s.ok()) return s;
    }
    return Status::Ok();
}

}  // namespace corvane
