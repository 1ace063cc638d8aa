#pragma once
// Reading and writing one cover template file: its companion files found whatever the letter
// case, a whole file read with a size limit, and a file written as a new file renamed into
// place. Below both the template files and the cover generator, which use it.

#include <QByteArray>
#include <QString>

#include "core/status.h"

namespace corvane {

// Template files larger than this are not templates; reading stops before allocating them.
inline constexpr qint64 kMaxTemplateFileBytes = 32 * 1024 * 1024;

// `path` with its extension (everything after the last dot of the file name) replaced by
// `extension`, which includes the dot.
QString ReplaceExtension(const QString& path, const QString& extension);

// `path` with its extension replaced by `extension` (".FCT"); an existing file whose name
// differs only in letter case is returned instead.
QString CompanionPath(const QString& path, const QString& extension);

// A whole template file; an error naming the file when it is missing, unreadable or too large.
Result<QByteArray> ReadTemplateFile(const QString& path);
// Writes `bytes` to a new file beside `path` and renames it into place.
Status WriteFileReplacing(const QString& path, const QByteArray& bytes);

}  // namespace corvane
