#include "uicommon/help_index.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace corvane {

namespace {
const char* const kContentsPage = "index.html";
const char* const kBuiltInHelp = ":/help";
}  // namespace

HelpIndex HelpIndex::load(const QString& folder) {
    HelpIndex index;
    index.folder_ = folder;
    static const QRegularExpression anchor(R"re(\bid\s*=\s*"topic-([^"]+)")re");
    const QDir dir(folder);
    index.files_ = dir.entryList({"*.html"}, QDir::Files, QDir::Name);
    for (const QString& page : index.files_) {
        QFile file(dir.filePath(page));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString html = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& m : anchor.globalMatch(html))
            index.pages_.insert(m.captured(1), page);
    }
    return index;
}

const HelpIndex& HelpIndex::shipped() {
    static const HelpIndex index = [] {
        const QString installed = QCoreApplication::applicationDirPath() + "/../share/corvane/help";
        if (QFile::exists(installed + "/" + kContentsPage)) return load(installed);
        return load(kBuiltInHelp);
    }();
    return index;
}

QUrl HelpIndex::url(const QString& topic) const {
    const auto found = pages_.constFind(topic);
    const QString page = found == pages_.constEnd() ? QString(kContentsPage) : *found;
    QUrl result = folder_.startsWith(":/") ? QUrl("qrc" + folder_ + "/" + page)
                                           : QUrl::fromLocalFile(folder_ + "/" + page);
    if (found != pages_.constEnd()) result.setFragment("topic-" + topic);
    return result;
}

}  // namespace corvane
