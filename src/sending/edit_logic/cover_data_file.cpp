#include "sending/edit_logic/cover_data_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/app_folders.h"
#include "core/windows1252.h"
#include "covers/cover_text.h"

namespace corvane {

namespace {

constexpr QChar kFlagSet = QLatin1Char('X');

}  // namespace

ImportanceFlags CoverDataFile::flags() const {
    ImportanceFlags f{};
    if (importance.size() != kImportanceFlags) return f;
    for (int i = 0; i < kImportanceFlags; ++i) f[size_t(i)] = importance[i] == kFlagSet;
    return f;
}

QString CoverDataFile::ImportanceText(const ImportanceFlags& flags) {
    QString text;
    for (bool set : flags) text += set ? kFlagSet : QLatin1Char(' ');
    return text;
}

QString CoverDataFileName(const QString& coverPath) {
    const QFileInfo info(coverPath);
    return ResolveName(WithTrailingSlash(info.path()), info.completeBaseName() + ".FCD");
}

std::optional<CoverDataFile> ReadCoverDataFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QStringList lines = SplitTextLines(FromWindows1252(file.readAll()));
    CoverDataFile data;
    data.templateName = lines.value(0);
    data.importance = lines.value(1);
    data.message = lines.mid(2);
    return data;
}

Status WriteCoverDataFile(const QString& path, const CoverDataFile& data) {
    QStringList lines{data.templateName, data.importance};
    lines += data.message;
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += QByteArray::fromStdString(ToWindows1252(line));
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Status::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return Status::Ok();
}

}  // namespace corvane
